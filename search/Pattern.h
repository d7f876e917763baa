// A regular expression of the search box (std::wregex, ECMAScript, Latin letters in any case)
// run over folded texts so that it can never hold the program:
// - It runs on libstdc++'s polynomial executor (regex_constants::__polynomial), a breadth-first
//   walk over the expression's states: no backtracking, so no exponential time on patterns such
//   as (a+)+b, and a recursion only as deep as the expression's states, never as the text is
//   long (the default executor recurses once a character matched and overflows the stack on long
//   texts). It refuses back-references, which need backtracking: the box says so.
// - The expression is run once over a row as "[\s\S]*?(" + pattern + ")" anchored at the
//   start, which finds the leftmost match in one pass (the executor's own search starts afresh
//   at every character, which is quadratic in the row's length).
// - The expression itself is bounded before it is compiled (its length, its nesting and its
//   repetitions, which the compiler copies state by state), so that each character costs a
//   bounded time.
// - The characters are read through an iterator that asks the search's deadline every few
//   characters; when it has passed, the row ends there and the search says it was cut short.
// - Literal text that every match must hold (each branch of a top-level "|" apart) is taken out
//   of the expression, so that rows without it are passed over by a plain scan and the index's
//   signatures before the expression runs.
// Portable: no <windows.h>.
#pragma once

#include "search/Deadline.h"
#include "search/Folding.h"
#include "search/TextFind.h"

#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// The bounds of an expression: its length in units, the depth of its groups, a repetition's
// count, and the states it may compile to (about one a character, repetitions multiplied out).
inline constexpr std::size_t kMaxPatternUnits = 256;
inline constexpr int kMaxPatternDepth = 16;
inline constexpr int kMaxPatternRepeat = 1000;
inline constexpr std::size_t kMaxPatternStates = 2000;
// The most matches of one text that are marked.
inline constexpr std::size_t kMaxMarkedSpans = 4096;

enum class Verdict { No, Yes, CutShort };

class Pattern {
public:
    // Never throws: an expression that cannot be used says why in error().
    explicit Pattern(std::u16string_view text);

    bool usable() const { return m_error.empty(); }
    // Why the expression cannot be used, for the box: "模式有误：括号不成对".
    const std::u16string& error() const { return m_error; }
    // The literal words of which a matching text holds every one of some branch; no branches
    // when the expression says nothing of them (a branch without words: anything may match).
    const std::vector<std::vector<Needle>>& required() const { return m_required; }

    Verdict search(TextView text, Deadline& deadline) const;
    // The non-empty matches, in order (at most kMaxMarkedSpans); `cut` tells whether the deadline
    // ended them early.
    std::vector<TextSpan> matches(TextView text, Deadline& deadline, bool& cut) const;

private:
    std::u16string m_error;
    std::vector<std::vector<Needle>> m_required;
    std::wregex m_anchored;  // "[\s\S]*?(" + pattern + ")"
};

}  // namespace search
