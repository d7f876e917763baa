#include "search/Pattern.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace search {

namespace {

constexpr std::u16string_view kSyntax = u"^$\\.*+?()[]{}|";

// A unit that the expression takes as itself and that the search's folding and the
// expression's case rule treat alike: ASCII, Latin-1, and the caseless Chinese, Japanese and
// Korean ranges. Any other unit ends a literal word (it may have a case only the expression knows).
bool literalUnit(char16_t c) {
    if (c < 0x20 || kSyntax.find(c) != std::u16string_view::npos)
        return false;
    return c < 0x100 || (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF);
}

// The shape of an expression, read as ECMAScript reads it, as far as the bounds and the literal
// words need: its states (estimated), and the words each top-level branch must hold. It never
// fails on a malformed expression (the compiler tells what is wrong); it stops at a bound.
class PatternShape {
public:
    explicit PatternShape(std::u16string_view text) : m_text(text) {}

    // False when the expression is beyond a bound (error() says which).
    bool read() {
        std::vector<std::vector<std::u16string>> branches(1);
        const std::size_t states = disjunction(0, &branches);
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
    const std::vector<std::vector<std::u16string>>& branches() const { return m_branches; }

private:
    bool atEnd() const { return m_at >= m_text.size(); }
    char16_t peek() const { return atEnd() ? u'\0' : m_text[m_at]; }

    // Alternatives apart by "|"; with `branches`, the words of each.
    std::size_t disjunction(int depth, std::vector<std::vector<std::u16string>>* branches) {
        std::size_t states = alternative(depth, branches ? &branches->back() : nullptr);
        while (m_error.empty() && peek() == u'|') {
            ++m_at;
            if (branches)
                branches->emplace_back();
            states += alternative(depth, branches ? &branches->back() : nullptr) + 1;
        }
        return states;
    }

    std::size_t alternative(int depth, std::vector<std::u16string>* words) {
        std::size_t states = 0;
        std::u16string word;
        const auto endWord = [&] {
            if (words && !word.empty())
                words->push_back(word);
            word.clear();
        };
        while (m_error.empty() && !atEnd() && peek() != u'|' && peek() != u')') {
            std::optional<char16_t> literal;
            const std::size_t atom = this->atom(depth, literal);
            int least = 1, most = 1, copies = 1;
            quantifier(least, most, copies);
            if (least > kMaxPatternRepeat || most > kMaxPatternRepeat) {
                m_error = u"模式的重复次数太多";
                return states;
            }
            states = std::min(states + atom * static_cast<std::size_t>(copies) + 1, kMaxPatternStates + 1);
            if (literal && least >= 1)
                word += foldUnit(*literal);
            if (!literal || most != 1 || least != 1)
                endWord();  // what repeats or may be missing ends the word
        }
        endWord();
        return states;
    }

    // One atom; `literal` is the unit it stands for when it is a literal one.
    std::size_t atom(int depth, std::optional<char16_t>& literal) {
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
            escape(literal);
            return 1;
        case u'*':
        case u'+':
        case u'?':
            m_error = u"模式有误：* + ? 前面缺少内容";
            return 0;
        default:
            if (literalUnit(c))
                literal = c;
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

    void escape(std::optional<char16_t>& literal) {
        if (atEnd())
            return;
        const char16_t c = m_text[m_at++];
        if (kSyntax.find(c) != std::u16string_view::npos || c == u'-' || c == u'/') {
            literal = c;
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
    std::vector<std::vector<std::u16string>> m_branches;
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
    try {
        const std::wregex alone(wideText(folded), kSyntaxFlags);
        m_anchored = std::wregex(L"[\\s\\S]*?(" + wideText(folded) + L")", kSyntaxFlags);
    } catch (const std::regex_error& error) {
        m_error = compileError(error.code());
        return;
    } catch (const std::exception&) {
        m_error = u"模式太复杂";
        return;
    }
    const bool everyBranchSaysSomething = std::none_of(shape.branches().begin(), shape.branches().end(),
                                                       [](const auto& words) { return words.empty(); });
    if (!everyBranchSaysSomething)
        return;
    for (const std::vector<std::u16string>& words : shape.branches()) {
        m_required.emplace_back();
        for (const std::u16string& word : words)
            m_required.back().push_back(makeNeedle(word));
    }
}

Verdict Pattern::search(TextView text, Deadline& deadline) const {
    if (!usable())
        return Verdict::No;
    const std::wstring wide = wideText(text);
    ReadingIterator::Clock clock{deadline};
    std::match_results<ReadingIterator> found;
    try {
        const bool matched = std::regex_search(ReadingIterator(wide.data(), &clock),
                                               ReadingIterator(wide.data() + wide.size(), &clock), found, m_anchored,
                                               std::regex_constants::match_continuous);
        return matched ? Verdict::Yes : Verdict::No;
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
    const ReadingIterator end(wide.data() + wide.size(), &clock);
    std::size_t from = 0;
    try {
        std::match_results<ReadingIterator> found;
        while (from <= wide.size() && spans.size() < kMaxMarkedSpans) {
            auto flags = std::regex_constants::match_continuous;
            if (from > 0)
                flags |= std::regex_constants::match_prev_avail;
            if (!std::regex_search(ReadingIterator(wide.data() + from, &clock), end, found, m_anchored, flags))
                break;
            const std::size_t start = static_cast<std::size_t>(found[1].first.at() - wide.data());
            const std::size_t stop = static_cast<std::size_t>(found[1].second.at() - wide.data());
            if (stop > start)
                spans.push_back({start, stop - start});
            from = stop > start ? stop : stop + 1;
        }
    } catch (const PastDeadline&) {
        cut = true;
    } catch (const std::exception&) {
        cut = true;
    }
    return spans;
}

}  // namespace search
