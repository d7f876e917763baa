#include "search/Pattern.h"

#include "search/Signature.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace search {

namespace {

constexpr std::u16string_view kSyntax = u"^$\\.*+?()[]{}|";
// What \d stands for in an expression's shape (a unit no text holds).
constexpr char16_t kAnyDigit = 0xFFFF;

// What a top-level branch of an expression must hold.
struct ShapeBranch {
    std::vector<std::u16string> words;
    std::vector<std::pair<char16_t, char16_t>> digitPairs;  // digits as kDigitClass
};

// A unit that the expression takes as itself and that the search's folding and the
// expression's case rule treat alike: ASCII, Latin-1, and the caseless Chinese, Japanese and
// Korean ranges. Any other unit ends a literal word (it may have a case only the expression knows).
bool literalUnit(char16_t c) {
    if (c < 0x20 || kSyntax.find(c) != std::u16string_view::npos)
        return false;
    return c < 0x100 || (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF);
}

// The shape of an expression, read as ECMAScript reads it, as far as the bounds and the literal
// words need: its states (estimated), and what each top-level branch must hold: literal words,
// and neighbours one of which is a digit (\d or a digit: the index's signatures count digits as
// one class too). It never fails on a malformed expression (the compiler tells what is wrong); it
// stops at a bound.
class PatternShape {
public:
    explicit PatternShape(std::u16string_view text) : m_text(text) {}

    // False when the expression is beyond a bound (error() says which).
    bool read() {
        std::vector<ShapeBranch> branches(1);
        const std::size_t states = disjunction(0, &branches);
        if (branches.size() != 1)
            m_lead.clear();
        if (!m_error.empty())
            return false;
        if (states > kMaxPatternStates) {
            m_error = u"模式太复杂";
            return false;
        }
        m_branches = std::move(branches);
        return true;
    }
    const std::u16string& error() const { return m_error; }
    const std::vector<ShapeBranch>& branches() const { return m_branches; }
    // The word every match begins with, when there is one (empty otherwise).
    const std::u16string& lead() const { return m_lead; }

private:
    bool atEnd() const { return m_at >= m_text.size(); }
    char16_t peek() const { return atEnd() ? u'\0' : m_text[m_at]; }

    // Alternatives apart by "|"; with `branches`, what each must hold.
    std::size_t disjunction(int depth, std::vector<ShapeBranch>* branches) {
        std::size_t states = alternative(depth, branches ? &branches->back() : nullptr);
        while (m_error.empty() && peek() == u'|') {
            ++m_at;
            if (branches)
                branches->emplace_back();
            states += alternative(depth, branches ? &branches->back() : nullptr) + 1;
        }
        return states;
    }

    std::size_t alternative(int depth, ShapeBranch* branch) {
        std::size_t states = 0;
        std::u16string word;
        bool leading = branch && m_at == 0;  // the words of the expression's very beginning
        const auto endWord = [&] {
            if (leading)
                m_lead = word;
            leading = false;
            if (branch && !word.empty())
                branch->words.push_back(word);
            word.clear();
        };
        std::optional<char16_t> before;  // the unit of the atom just before, when it must be there
        while (m_error.empty() && !atEnd() && peek() != u'|' && peek() != u')') {
            std::optional<char16_t> unit;
            const std::size_t atom = this->atom(depth, unit);
            const bool literal = unit && *unit != kAnyDigit;
            int least = 1, most = 1, copies = 1;
            quantifier(least, most, copies);
            if (least > kMaxPatternRepeat || most > kMaxPatternRepeat) {
                m_error = u"模式的重复次数太多";
                return states;
            }
            states = std::min(states + atom * static_cast<std::size_t>(copies) + 1, kMaxPatternStates + 1);
            if (branch && unit && least >= 1)
                notePairs(*branch, before, *unit, least);
            before = unit && least >= 1 ? unit : std::nullopt;
            if (literal && least >= 1)
                word += *unit;
            if (!literal || most != 1 || least != 1)
                endWord();  // what repeats or may be missing ends the word
        }
        endWord();
        return states;
    }

    // Neighbours that must be there, when a digit is among them (those of letters alone are the
    // words' own).
    static void notePairs(ShapeBranch& branch, std::optional<char16_t> before, char16_t unit, int least) {
        const auto digit = [](char16_t c) { return c == kAnyDigit || (c >= u'0' && c <= u'9'); };
        const auto asClass = [](char16_t c) { return c == kAnyDigit ? kDigitClass : digitClass(c); };
        if (before && (digit(*before) || digit(unit)))
            branch.digitPairs.emplace_back(asClass(*before), asClass(unit));
        if (least >= 2 && digit(unit))
            branch.digitPairs.emplace_back(kDigitClass, kDigitClass);
    }

    // One atom; `unit` is the unit it stands for when it is a literal one (folded), kAnyDigit for \d.
    std::size_t atom(int depth, std::optional<char16_t>& unit) {
        const char16_t c = m_text[m_at++];
        switch (c) {
        case u'(': {
            if (depth + 1 > kMaxPatternDepth) {
                m_error = u"模式的括号嵌套太深";
                return 0;
            }
            if (peek() == u'?' && m_at + 1 < m_text.size())
                m_at += 2;  // (?: (?= (?!
            const std::size_t states = disjunction(depth + 1, nullptr) + 2;
            if (peek() == u')')
                ++m_at;
            return states;
        }
        case u'[':
            skipClass();
            return 1;
        case u'\\':
            escape(unit);
            return 1;
        case u'*':
        case u'+':
        case u'?':
            m_error = u"模式有误：* + ? 前面缺少内容";
            return 0;
        default:
            if (literalUnit(c))
                unit = foldUnit(c);
            return 1;
        }
    }

    void skipClass() {
        if (peek() == u'^')
            ++m_at;
        while (!atEnd() && peek() != u']')
            m_at += peek() == u'\\' && m_at + 1 < m_text.size() ? 2 : 1;
        if (!atEnd())
            ++m_at;
    }

    void escape(std::optional<char16_t>& unit) {
        if (atEnd())
            return;
        const char16_t c = m_text[m_at++];
        if (kSyntax.find(c) != std::u16string_view::npos || c == u'-' || c == u'/') {
            unit = c;
            return;
        }
        if (c == u'd') {
            unit = kAnyDigit;
            return;
        }
        // \xHH, \uHHHH, \cX and back-references stand for other units: their digits are theirs.
        const std::size_t length = c == u'x' ? 2 : c == u'u' ? 4 : c == u'c' ? 1 : 0;
        m_at = std::min(m_text.size(), m_at + length);
        if (c >= u'0' && c <= u'9')
            while (peek() >= u'0' && peek() <= u'9')
                ++m_at;
    }

    // A quantifier after an atom, if any: "*", "+", "?", "{n}", "{n,}", "{n,m}", each maybe lazy.
    // `copies`: how many times the compiler copies the atom's states (a loop is one copy).
    void quantifier(int& least, int& most, int& copies) {
        constexpr int kAny = -1;  // unbounded
        const char16_t c = peek();
        if (c == u'*' || c == u'+' || c == u'?') {
            least = c == u'+' ? 1 : 0;
            most = c == u'?' ? 1 : kAny;
            ++m_at;
        } else if (c == u'{') {
            std::size_t at = m_at + 1;
            const int first = count(at);
            int second = first;
            if (first < 0)
                return;  // not a repetition: the compiler decides what it is
            if (at < m_text.size() && m_text[at] == u',') {
                ++at;
                if (at < m_text.size() && m_text[at] == u'}')
                    second = kAny;
                else if ((second = count(at)) < 0)
                    return;
            }
            if (at >= m_text.size() || m_text[at] != u'}')
                return;
            least = first;
            most = second;
            copies = std::max(1, second == kAny ? first + 1 : second);
            m_at = at + 1;
        } else {
            return;
        }
        if (peek() == u'?')
            ++m_at;
    }

    // Digits at `at` (moved past them) as a number, capped above the bound; -1 when none.
    int count(std::size_t& at) const {
        const std::size_t start = at;
        long value = 0;
        while (at < m_text.size() && m_text[at] >= u'0' && m_text[at] <= u'9')
            value = std::min<long>(value * 10 + (m_text[at++] - u'0'), kMaxPatternRepeat + 1L);
        return at == start ? -1 : static_cast<int>(value);
    }

    std::u16string_view m_text;
    std::size_t m_at = 0;
    std::u16string m_error;
    std::vector<ShapeBranch> m_branches;
    std::u16string m_lead;
};

std::u16string compileError(std::regex_constants::error_type code) {
    namespace rc = std::regex_constants;
    const std::u16string_view why = code == rc::error_paren               ? u"括号不成对"
                                    : code == rc::error_brack             ? u"方括号不成对"
                                    : code == rc::error_brace             ? u"花括号不成对"
                                    : code == rc::error_badbrace          ? u"花括号里的次数有误"
                                    : code == rc::error_escape            ? u"转义符 \\ 后的字符有误"
                                    : code == rc::error_backref || code == rc::error_complexity
                                        ? u"不支持反向引用"
                                    : code == rc::error_badrepeat         ? u"* + ? 前面缺少内容"
                                    : code == rc::error_range             ? u"字符范围有误"
                                    : code == rc::error_ctype || code == rc::error_collate ? u"字符类名有误"
                                    : code == rc::error_space || code == rc::error_stack   ? u"模式太复杂"
                                                                                             : u"无法识别";
    return u"模式有误：" + std::u16string(why);
}

std::wstring wideText(std::u16string_view text) {
    std::wstring wide(text.size(), L'\0');
    std::transform(text.begin(), text.end(), wide.begin(), [](char16_t unit) { return static_cast<wchar_t>(unit); });
    return wide;
}

std::wstring wideText(TextView text) {
    std::wstring wide(text.units(), L'\0');
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<wchar_t>(text.unit(i));
    return wide;
}

constexpr auto kSyntaxFlags =
    std::regex_constants::ECMAScript | std::regex_constants::icase | std::regex_constants::__polynomial;

// Thrown by the reading iterator when the deadline has passed: the executor unwinds (it owns its
// state through containers) and the row ends there.
struct PastDeadline {};

// The characters a row's expression reads, counted; every sixteenth asks the deadline.
class ReadingIterator {
public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = wchar_t;
    using difference_type = std::ptrdiff_t;
    using pointer = const wchar_t*;
    using reference = const wchar_t&;

    struct Clock {
        Deadline& deadline;
        unsigned read = 0;
    };

    ReadingIterator() = default;
    ReadingIterator(const wchar_t* at, Clock* clock) : m_at(at), m_clock(clock) {}
    reference operator*() const { return *m_at; }
    ReadingIterator& operator++() {
        ++m_at;
        if ((++m_clock->read & 15) == 0 && m_clock->deadline.passed())
            throw PastDeadline{};
        return *this;
    }
    ReadingIterator operator++(int) {
        ReadingIterator was = *this;
        ++*this;
        return was;
    }
    ReadingIterator& operator--() {
        --m_at;
        return *this;
    }
    ReadingIterator operator--(int) {
        ReadingIterator was = *this;
        --m_at;
        return was;
    }
    bool operator==(const ReadingIterator& other) const { return m_at == other.m_at; }
    bool operator!=(const ReadingIterator& other) const { return m_at != other.m_at; }
    const wchar_t* at() const { return m_at; }

private:
    const wchar_t* m_at = nullptr;
    Clock* m_clock = nullptr;
};

// The first match at or after `from`: with a lead word, tried at each place of that word alone;
// else the anchored expression's one pass. Throws PastDeadline.
std::optional<TextSpan> firstMatch(const std::wregex& expression, const std::optional<Needle>& lead, TextView text,
                                   const std::wstring& wide, std::size_t from, ReadingIterator::Clock& clock) {
    const ReadingIterator end(wide.data() + wide.size(), &clock);
    std::match_results<ReadingIterator> found;
    const auto flags = [](std::size_t at) {
        return at > 0 ? std::regex_constants::match_continuous | std::regex_constants::match_prev_avail
                      : std::regex_constants::match_continuous;
    };
    if (!lead) {
        if (from > wide.size() || !std::regex_search(ReadingIterator(wide.data() + from, &clock), end, found, expression, flags(from)))
            return std::nullopt;
        const std::size_t start = static_cast<std::size_t>(found[1].first.at() - wide.data());
        return TextSpan{start, static_cast<std::size_t>(found[1].second.at() - wide.data()) - start};
    }
    for (std::size_t at = findNeedle(text, *lead, from); at != std::string_view::npos; at = findNeedle(text, *lead, at + 1)) {
        if (std::regex_search(ReadingIterator(wide.data() + at, &clock), end, found, expression, flags(at)))
            return TextSpan{at, static_cast<std::size_t>(found[0].second.at() - wide.data()) - at};
    }
    return std::nullopt;
}

}  // namespace

Pattern::Pattern(std::u16string_view text) {
    if (text.size() > kMaxPatternUnits) {
        m_error = u"模式太长";
        return;
    }
    PatternShape shape(text);
    if (!shape.read()) {
        m_error = shape.error();
        return;
    }
    // Latin-1 capitals are never syntax; the expression's own case rule knows ASCII alone.
    std::u16string folded(text);
    for (char16_t& unit : folded)
        if (unit >= 0x80)
            unit = foldUnit(unit);
    if (!shape.lead().empty())
        m_lead = makeNeedle(shape.lead());
    try {
        m_expression = std::wregex(wideText(folded), kSyntaxFlags);
        if (!m_lead)
            m_expression = std::wregex(L"[\\s\\S]*?(" + wideText(folded) + L")", kSyntaxFlags);
    } catch (const std::regex_error& error) {
        m_error = compileError(error.code());
        return;
    } catch (const std::exception&) {
        m_error = u"模式太复杂";
        return;
    }
    for (const ShapeBranch& shaped : shape.branches()) {
        m_branches.emplace_back();
        for (const std::u16string& word : shaped.words)
            m_branches.back().words.push_back(makeNeedle(word));
        m_branches.back().digitPairs = shaped.digitPairs;
    }
    const auto saysNothing = [](const PatternBranch& branch) { return branch.words.empty() && branch.digitPairs.empty(); };
    if (std::any_of(m_branches.begin(), m_branches.end(), saysNothing))
        m_branches.clear();
}

Verdict Pattern::search(TextView text, Deadline& deadline) const {
    if (!usable() || (m_lead && findNeedle(text, *m_lead) == std::string_view::npos))
        return Verdict::No;
    ReadingIterator::Clock clock{deadline};
    try {
        return firstMatch(m_expression, m_lead, text, wideText(text), 0, clock) ? Verdict::Yes : Verdict::No;
    } catch (const PastDeadline&) {
        return Verdict::CutShort;
    } catch (const std::exception&) {
        return Verdict::CutShort;  // out of memory: the row could not be decided
    }
}

std::vector<TextSpan> Pattern::matches(TextView text, Deadline& deadline, bool& cut) const {
    std::vector<TextSpan> spans;
    cut = false;
    if (!usable())
        return spans;
    const std::wstring wide = wideText(text);
    ReadingIterator::Clock clock{deadline};
    try {
        for (std::size_t from = 0; spans.size() < kMaxMarkedSpans;) {
            const std::optional<TextSpan> found = firstMatch(m_expression, m_lead, text, wide, from, clock);
            if (!found)
                break;
            if (found->length > 0)
                spans.push_back(*found);
            from = found->start + std::max<std::size_t>(found->length, 1);
        }
    } catch (const PastDeadline&) {
        cut = true;
    } catch (const std::exception&) {
        cut = true;
    }
    return spans;
}

}  // namespace search
