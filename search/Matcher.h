// A query made ready to run over rows: its filters resolved (the dates against the caller's
// today), its words folded into needles, its pattern compiled within bounds. One matcher serves
// the live list and the indexes of earlier runs, so that both show the same rows for one query.
// Portable: no <windows.h>.
#pragma once

#include "search/Deadline.h"
#include "search/Folding.h"
#include "search/Pattern.h"
#include "search/Query.h"
#include "search/Signature.h"
#include "search/TextFind.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// What the search looks at in a row, wherever the row lies.
struct RowFacts {
    int kind = 0;                // ClipKind's number
    std::string_view copyTime;   // "YYYY-MM-DD HH:MM:SS"
    std::string_view source;     // the program's full path (UTF-8), or empty
    std::string_view category;   // the clip's category (UTF-8), or empty for none
    TextView text;               // folded
};

// What decides the rows a matcher admits, to compare two matchers: the filters resolved (in a
// fixed order) and the words or the pattern.
struct Sought {
    unsigned kinds = 0;
    std::vector<std::pair<std::string, std::string>> days;  // DayRange's from and to
    std::vector<std::u16string> programs, categories;       // folded
    std::vector<std::u16string> words;                      // folded, in the box's order
    bool pattern = false;
    std::u16string patternText;
    bool operator==(const Sought& other) const;
};
// Whether every row that `after` admits, `before` admitted too: the same filters and pattern, or
// the same filters and each of `before`'s words within one of `after`'s (the user typed on).
bool narrows(const Sought& before, const Sought& after);

class Matcher {
public:
    // `today`: "YYYY-MM-DD" (or a whole time stamp), for 今天, 昨天 and N天.
    Matcher(const Query& query, std::string_view today);

    // Why the query cannot be run, for the box: its first filter that cannot be read, or its
    // pattern's fault; empty when it can. A query that cannot be run matches no row.
    const std::u16string& error() const { return m_error; }
    bool usable() const { return m_error.empty(); }

    bool acceptsKind(int kind) const;
    bool acceptsTime(std::string_view copyTime) const;
    bool acceptsProgram(std::string_view sourcePath) const;
    bool acceptsCategory(std::string_view category) const;
    // Whether the text is looked at at all (words or a pattern).
    bool looksAtText() const { return !m_words.empty() || m_pattern.has_value(); }
    // The needles of which a matching text holds every one of some branch (the words: one
    // branch; a pattern: its literal words); no branches when nothing is known beforehand.
    const std::vector<std::vector<Needle>>& required() const { return m_required; }
    // The signatures (search/Signature.h) of which a matching text's holds all of one; none when
    // nothing is known beforehand.
    const std::vector<Signature>& signatures() const { return m_signatures; }
    // Whether the text narrows a search of many stored texts well enough to start one as the
    // user types: no text at all (the filters alone), or in every branch a word of at least 3
    // units or of 2 with one beyond ASCII (a two-character Chinese word). "ze" or a pattern like
    // "\d\d" would admit nearly every row of every run, so is searched only when asked for.
    bool selectiveEnough() const;
    const Sought& sought() const { return m_sought; }

    Verdict holdsText(TextView text, Deadline& deadline) const;
    Verdict matches(const RowFacts& row, Deadline& deadline) const;
    // What matched in a text, to be marked: every place of every word, or the pattern's matches;
    // in order, overlapping places joined, at most kMaxMarkedSpans.
    std::vector<TextSpan> marks(TextView text, Deadline& deadline) const;

private:
    void noteWhatTextsHold();

    std::u16string m_error;
    unsigned m_kinds = 0;  // a bit for each ClipKind admitted; none: any
    std::vector<DayRange> m_days;
    std::vector<std::u16string> m_programs, m_categories;  // folded
    std::vector<std::vector<Needle>> m_words;               // one branch, or none
    std::optional<Pattern> m_pattern;
    std::vector<std::vector<Needle>> m_required;
    std::vector<Signature> m_signatures;
    Sought m_sought;
};

}  // namespace search
