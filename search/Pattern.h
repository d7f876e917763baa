// A regular expression of the search box (std::wregex, ECMAScript, Latin letters in any case)
// run over folded texts so that it can never hold the program:
// - It runs on libstdc++'s polynomial executor (regex_constants::__polynomial), a breadth-first
//   walk over the expression's states: no backtracking, so no exponential time on patterns such
//   as (a+)+b, and a recursion only as deep as the expression's states, never as the text is
//   long (the default executor recurses once a character matched and overflows the stack on long
//   texts). It refuses back-references, which need backtracking: the box says so.
// - The expression is run once over a row as "[\s\S]*?(" + pattern + ")" anchored at the
//   start, which finds the leftmost match in one pass (the executor's own search starts afresh
//   at every character, which is quadratic in the row's length). An expression that begins with
//   a literal word is tried, anchored, only where the word is.
// - The expression itself is bounded before it is compiled (its length, its nesting and its
//   repetitions, which the compiler copies state by state), so that each character costs a
//   bounded time.
// - The characters are read through an iterator that asks the search's deadline every few
//   characters; when it has passed, the row ends there and the search says it was cut short.
// - Literal text that every match must hold, and neighbours with a digit among them (each
//   branch of a top-level "|" apart), are taken out of the expression, so that rows without them
//   are passed over by the index's signatures and a plain scan before the expression runs.
// Portable: no <windows.h>.
#pragma once

#include "search/Deadline.h"
#include "search/Folding.h"
#include "search/TextFind.h"

#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
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

// What every match of one top-level branch of an expression holds: its literal words, and
// neighbouring units of which one is a digit, digits counted as one class (search/Signature.h).
struct PatternBranch {
    std::vector<Needle> words;
    std::vector<std::pair<char16_t, char16_t>> digitPairs;
};

class Pattern {
public:
    // Never throws: an expression that cannot be used says why in error().
    explicit Pattern(std::u16string_view text);

    bool usable() const { return m_error.empty(); }
    // Why the expression cannot be used, for the box: "模式有误：括号不成对".
    const std::u16string& error() const { return m_error; }
    // What a matching text holds, branch by branch (it matches one of them); no branches when
    // some branch says nothing beforehand (anything may match it).
    const std::vector<PatternBranch>& branches() const { return m_branches; }

    Verdict search(TextView text, Deadline& deadline) const;
    // The non-empty matches, in order (at most kMaxMarkedSpans); `cut` tells whether the deadline
    // ended them early.
    std::vector<TextSpan> matches(TextView text, Deadline& deadline, bool& cut) const;

private:
    std::u16string m_error;
    std::vector<PatternBranch> m_branches;
    // The word every match begins with, when the expression has one: the expression is then
    // tried at each place of that word alone.
    std::optional<Needle> m_lead;
    // The expression, or without a lead word "[\s\S]*?(" + expression + ")", run anchored.
    std::wregex m_expression;
};

}  // namespace search
