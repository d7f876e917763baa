#include "sync/PruneRules.h"

#include <algorithm>
#include <map>
#include <set>

namespace clipsync {

namespace {

// The clips the journal still adds: by clip, its newest record's time and its file's size.
struct LiveClip {
    std::int64_t newest = 0;
    std::uint64_t size = 0;
};

class JournalView {
public:
    explicit JournalView(const std::vector<Segment>& segments) {
        for (const Segment& segment : segments)
            for (const Entry& entry : segment.entries)
                m_entries.push_back(&entry);
        std::sort(m_entries.begin(), m_entries.end(), [](const Entry* a, const Entry* b) { return a->seq < b->seq; });
        for (const Entry* entry : m_entries)
            apply(*entry);
    }

    std::map<std::string, LiveClip> liveClips() const {
        std::map<std::string, LiveClip> clips;
        for (const auto& [seq, added] : m_liveAdds) {
            LiveClip& clip = clips[added->clip];
            clip.newest = std::max(clip.newest, added->time);
            clip.size = added->size;
        }
        return clips;
    }
    const std::set<std::string>& everAdded() const { return m_everAdded; }
    bool endedAdd(std::uint64_t seq) const { return m_liveAdds.count(seq) == 0; }

private:
    void apply(const Entry& entry) {
        switch (entry.kind) {
        case EntryKind::Added:
            m_liveAdds[entry.seq] = &entry;
            m_everAdded.insert(entry.clip);
            break;
        case EntryKind::Deleted:
            m_liveAdds.erase(entry.target);
            break;
        case EntryKind::Dropped:
            for (auto add = m_liveAdds.begin(); add != m_liveAdds.end();)
                add = add->second->clip == entry.clip ? m_liveAdds.erase(add) : std::next(add);
            break;
        case EntryKind::Filed:
            break;
        }
    }

    std::vector<const Entry*> m_entries;
    std::map<std::uint64_t, const Entry*> m_liveAdds;
    std::set<std::string> m_everAdded;
};

std::vector<std::string> clipsToDrop(std::map<std::string, LiveClip> live, std::int64_t now, const PruneLimits& limits) {
    std::vector<std::pair<std::int64_t, std::string>> byAge;
    std::uint64_t total = 0;
    for (const auto& [clip, info] : live) {
        byAge.emplace_back(info.newest, clip);
        total += info.size;
    }
    std::sort(byAge.begin(), byAge.end());
    std::vector<std::string> dropped;
    for (const auto& [newest, clip] : byAge) {
        if (newest >= now - limits.maxAge && total <= limits.maxBytes)
            break;
        dropped.push_back(clip);
        total -= live[clip].size;
    }
    return dropped;
}

bool readByAll(const Segment& segment, const std::vector<std::uint64_t>& othersNext, std::int64_t now) {
    std::uint64_t last = 0;
    std::int64_t newest = 0;
    for (const Entry& entry : segment.entries) {
        last = std::max(last, entry.seq);
        newest = std::max(newest, entry.time);
    }
    return newest < now - kForgetUnreadAfter ||
           std::all_of(othersNext.begin(), othersNext.end(), [&](std::uint64_t next) { return next > last; });
}

}  // namespace

PrunePlan planPruning(const std::vector<Segment>& segments, const std::vector<std::uint64_t>& othersNext, std::int64_t now,
                      const PruneLimits& limits) {
    PrunePlan plan;
    const JournalView before(segments);
    plan.toDrop = clipsToDrop(before.liveClips(), now, limits);

    // The journal as it will be once the drops are written.
    std::vector<Segment> after = segments;
    Segment drops;
    for (const std::string& clip : plan.toDrop) {
        Entry dropped;
        dropped.kind = EntryKind::Dropped;
        dropped.seq = UINT64_MAX;
        dropped.clip = clip;
        drops.entries.push_back(dropped);
    }
    after.push_back(drops);
    const JournalView view(after);
    const std::map<std::string, LiveClip> live = view.liveClips();
    for (const std::string& clip : view.everAdded())
        if (live.count(clip) == 0)
            plan.clipFilesToRemove.push_back(clip);

    for (const Segment& segment : segments) {
        const bool allEnded = std::all_of(segment.entries.begin(), segment.entries.end(), [&](const Entry& entry) {
            return entry.kind != EntryKind::Added || view.endedAdd(entry.seq);
        });
        if (segment.closed && allEnded && readByAll(segment, othersNext, now))
            plan.segmentsToRemove.push_back(segment.number);
        else
            break;
    }
    return plan;
}

}  // namespace clipsync
