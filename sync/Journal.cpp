#include "sync/Journal.h"

#include "sync/ByteCodec.h"
#include "sync/SyncNames.h"

namespace clipsync {

namespace {

constexpr std::string_view kSegmentMagic = "DVXJ1";
constexpr std::string_view kSeenMagic = "DVXS1";
constexpr std::string_view kNameMagic = "DVXN1";
constexpr std::size_t kMaxMachines = 1024;

void writeEntry(ByteWriter& writer, const Entry& entry) {
    writer.number(static_cast<std::uint8_t>(entry.kind), 1);
    writer.number(entry.seq, 8);
    writer.number(entry.target, 8);
    writer.text(entry.clip);
    writer.text(entry.digest);
    writer.number(static_cast<std::uint8_t>(entry.clipKind), 1);
    writer.number(static_cast<std::uint64_t>(entry.time), 8);
    writer.number(entry.size, 8);
    writer.text(entry.source);
    writer.text(entry.localKey);
    writer.text(entry.category);
}

bool knownKinds(std::uint64_t kind, std::uint64_t clipKind) {
    return kind >= static_cast<std::uint8_t>(EntryKind::Added) && kind <= static_cast<std::uint8_t>(EntryKind::Dropped) &&
           clipKind >= static_cast<std::uint8_t>(ClipKind::Text) && clipKind <= static_cast<std::uint8_t>(ClipKind::FileList);
}

bool readEntry(ByteReader& reader, Entry& entry) {
    std::uint64_t kind = 0, clipKind = 0, time = 0;
    if (!reader.number(kind, 1) || !reader.number(entry.seq, 8) || !reader.number(entry.target, 8) ||
        !reader.text(entry.clip, kMaxEntryText) || !reader.text(entry.digest, kMaxEntryText) || !reader.number(clipKind, 1) ||
        !reader.number(time, 8) || !reader.number(entry.size, 8) || !reader.text(entry.source, kMaxEntryText) ||
        !reader.text(entry.localKey, kMaxEntryText) || !reader.text(entry.category, kMaxEntryText) || !knownKinds(kind, clipKind))
        return false;
    entry.kind = static_cast<EntryKind>(kind);
    entry.clipKind = static_cast<ClipKind>(clipKind);
    entry.time = static_cast<std::int64_t>(time);
    // A clip named in an entry is a name of ours, so it can only ever name a file of ours.
    return entry.seq > 0 && (entry.clip.empty() || isClipName(entry.clip));
}

}  // namespace

bool Entry::operator==(const Entry& other) const {
    return kind == other.kind && seq == other.seq && target == other.target && clip == other.clip && digest == other.digest &&
           clipKind == other.clipKind && time == other.time && size == other.size && source == other.source &&
           localKey == other.localKey && category == other.category;
}

std::string segmentBytes(const Segment& segment) {
    ByteWriter writer;
    writer.bytes() += kSegmentMagic;
    writer.number(segment.number, 8);
    writer.number(segment.closed ? 1 : 0, 1);
    writer.number(segment.firstKept, 8);
    writer.number(segment.entries.size(), 4);
    for (const Entry& entry : segment.entries)
        writeEntry(writer, entry);
    return std::move(writer.bytes());
}

std::optional<Segment> parseSegment(std::string_view bytes) {
    ByteReader reader(bytes);
    Segment segment;
    std::uint64_t closed = 0, count = 0;
    if (!reader.magic(kSegmentMagic) || !reader.number(segment.number, 8) || !reader.number(closed, 1) || closed > 1 ||
        !reader.number(segment.firstKept, 8) || !reader.number(count, 4) || count > kMaxSegmentEntries)
        return std::nullopt;
    segment.closed = closed == 1;
    segment.entries.resize(static_cast<std::size_t>(count));
    for (Entry& entry : segment.entries)
        if (!readEntry(reader, entry))
            return std::nullopt;
    if (!reader.atEnd())
        return std::nullopt;
    return segment;
}

std::string seenBytes(const SeenMarks& marks) {
    ByteWriter writer;
    writer.bytes() += kSeenMagic;
    writer.number(marks.size(), 4);
    for (const auto& [machine, next] : marks) {
        writer.text(machine);
        writer.number(next, 8);
    }
    return std::move(writer.bytes());
}

std::optional<SeenMarks> parseSeen(std::string_view bytes) {
    ByteReader reader(bytes);
    std::uint64_t count = 0;
    if (!reader.magic(kSeenMagic) || !reader.number(count, 4) || count > kMaxMachines)
        return std::nullopt;
    SeenMarks marks;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::string machine;
        std::uint64_t next = 0;
        if (!reader.text(machine, 64) || !isMachineId(machine) || !reader.number(next, 8))
            return std::nullopt;
        marks[machine] = next;
    }
    if (!reader.atEnd())
        return std::nullopt;
    return marks;
}

std::string nameBytes(std::string_view name) {
    ByteWriter writer;
    writer.bytes() += kNameMagic;
    writer.text(name.substr(0, kMaxMachineName));
    return std::move(writer.bytes());
}

std::optional<std::string> parseName(std::string_view bytes) {
    ByteReader reader(bytes);
    std::string name;
    if (!reader.magic(kNameMagic) || !reader.text(name, kMaxMachineName) || !reader.atEnd())
        return std::nullopt;
    return name;
}

}  // namespace clipsync
