#include "search/Matcher.h"

#include "store/StorePaths.h"
#include "xml/XmlText.h"

#include <algorithm>

namespace search {

namespace {

// Spans in order, those that overlap or touch joined into one.
std::vector<TextSpan> joined(std::vector<TextSpan> spans) {
    std::sort(spans.begin(), spans.end(), [](const TextSpan& a, const TextSpan& b) { return a.start < b.start; });
    std::vector<TextSpan> out;
    for (const TextSpan& span : spans) {
        if (!out.empty() && span.start <= out.back().start + out.back().length)
            out.back().length = std::max(out.back().length, span.start + span.length - out.back().start);
        else
            out.push_back(span);
    }
    return out;
}

}  // namespace

bool Sought::operator==(const Sought& other) const {
    return kinds == other.kinds && days == other.days && programs == other.programs && categories == other.categories &&
           words == other.words && pattern == other.pattern && patternText == other.patternText;
}

bool narrows(const Sought& before, const Sought& after) {
    if (before.kinds != after.kinds || before.days != after.days || before.programs != after.programs ||
        before.categories != after.categories || before.pattern != after.pattern)
        return false;
    if (before.pattern)
        return before.patternText == after.patternText;
    return std::all_of(before.words.begin(), before.words.end(), [&](const std::u16string& word) {
        return std::any_of(after.words.begin(), after.words.end(),
                           [&](const std::u16string& longer) { return longer.find(word) != std::u16string::npos; });
    });
}

Matcher::Matcher(const Query& query, std::string_view today) {
    if (!query.errors.empty())
        m_error = query.errors.front().message;
    for (const Filter& filter : query.filters) {
        switch (filter.kind) {
        case FilterKind::Type:
            m_kinds |= 1u << static_cast<int>(filter.clipKind);
            break;
        case FilterKind::Program:
            m_programs.push_back(foldedForSearch(filter.value));
            break;
        case FilterKind::Date:
            m_days.push_back(resolveDays(filter.date, today));
            break;
        case FilterKind::Category:
            m_categories.push_back(foldedForSearch(filter.value));
            break;
        }
    }
    if (query.pattern && !query.patternText.empty()) {
        m_pattern.emplace(query.patternText);
        if (m_error.empty())
            m_error = m_pattern->error();
    } else if (!query.pattern && !query.words.empty()) {
        m_words.emplace_back();
        for (const std::u16string& word : query.words)
            m_words.back().push_back(makeNeedle(word));
    }
    noteWhatTextsHold();
    m_sought.kinds = m_kinds;
    for (const DayRange& range : m_days)
        m_sought.days.emplace_back(range.from, range.to);
    m_sought.programs = m_programs;
    m_sought.categories = m_categories;
    std::sort(m_sought.days.begin(), m_sought.days.end());
    std::sort(m_sought.programs.begin(), m_sought.programs.end());
    std::sort(m_sought.categories.begin(), m_sought.categories.end());
    m_sought.pattern = m_pattern.has_value();
    if (m_pattern)
        m_sought.patternText = query.patternText;
    else if (!query.pattern)
        m_sought.words = query.words;
}

void Matcher::noteWhatTextsHold() {
    if (!m_pattern) {
        m_required = m_words;
        for (const std::vector<Needle>& words : m_words)
            m_signatures.push_back(signatureOf(words));
        return;
    }
    const std::vector<PatternBranch>& branches = m_pattern->branches();
    for (const PatternBranch& branch : branches)
        m_signatures.push_back(signatureOf(branch.words, branch.digitPairs));
    if (std::all_of(branches.begin(), branches.end(), [](const PatternBranch& branch) { return !branch.words.empty(); }))
        for (const PatternBranch& branch : branches)
            m_required.push_back(branch.words);
}

bool Matcher::selectiveEnough() const {
    if (!looksAtText())
        return true;
    const auto selective = [](const Needle& word) {
        return word.units.size() >= 3 ||
               (word.units.size() == 2 && std::any_of(word.units.begin(), word.units.end(), [](char16_t unit) { return unit > 0x7f; }));
    };
    return !m_required.empty() && std::all_of(m_required.begin(), m_required.end(), [&](const std::vector<Needle>& words) {
        return std::any_of(words.begin(), words.end(), selective);
    });
}

bool Matcher::acceptsKind(int kind) const {
    return m_kinds == 0 || (kind >= 0 && kind < 3 && (m_kinds & (1u << kind)) != 0);
}

bool Matcher::acceptsTime(std::string_view copyTime) const {
    if (m_days.empty())
        return true;
    const std::string_view day = copyTime.substr(0, 10);
    return std::any_of(m_days.begin(), m_days.end(), [&](const DayRange& range) {
        return day.size() == 10 && (range.from.empty() || day >= range.from) && (range.to.empty() || day <= range.to);
    });
}

bool Matcher::acceptsProgram(std::string_view sourcePath) const {
    if (m_programs.empty())
        return true;
    const std::u16string name = foldedForSearch(xml::utf8ToUtf16(store::fileNameOfPath(sourcePath)));
    return !name.empty() && std::any_of(m_programs.begin(), m_programs.end(), [&](const std::u16string& program) {
        return name.find(program) != std::u16string::npos;
    });
}

bool Matcher::acceptsCategory(std::string_view category) const {
    if (m_categories.empty())
        return true;
    const std::u16string name = xml::utf8ToUtf16(category);
    return std::any_of(m_categories.begin(), m_categories.end(),
                       [&](const std::u16string& wanted) { return equalsFolded(name, wanted); });
}

Verdict Matcher::holdsText(TextView text, Deadline& deadline) const {
    const std::vector<std::vector<Needle>>& branches = m_required;
    const bool heldBeforehand = branches.empty() || std::any_of(branches.begin(), branches.end(), [&](const auto& words) {
        return std::all_of(words.begin(), words.end(),
                           [&](const Needle& word) { return findNeedle(text, word) != std::string_view::npos; });
    });
    if (!heldBeforehand)
        return Verdict::No;
    return m_pattern ? m_pattern->search(text, deadline) : Verdict::Yes;
}

Verdict Matcher::matches(const RowFacts& row, Deadline& deadline) const {
    if (!usable() || !acceptsKind(row.kind) || !acceptsTime(row.copyTime) || !acceptsProgram(row.source) ||
        !acceptsCategory(row.category))
        return Verdict::No;
    return holdsText(row.text, deadline);
}

std::vector<TextSpan> Matcher::marks(TextView text, Deadline& deadline) const {
    if (!usable())
        return {};
    if (m_pattern) {
        bool cut = false;
        return joined(m_pattern->matches(text, deadline, cut));
    }
    std::vector<TextSpan> spans;
    for (const std::vector<Needle>& words : m_words) {
        for (const Needle& word : words) {
            const std::size_t length = word.units.size();
            for (std::size_t at = findNeedle(text, word); at != std::string_view::npos && spans.size() < kMaxMarkedSpans;
                 at = findNeedle(text, word, at + length))
                spans.push_back({at, length});
        }
    }
    return joined(std::move(spans));
}

}  // namespace search
