// The scoped enums of the XML component and the operators that combine and test their bits:
// `TextFlags::NoLineBreak | TextFlags::SpaceBeforeSlash`, `has(flags, TextFlags::WriteCdata)`.
#pragma once

#include <type_traits>

namespace xml {

// Flags for adding elements, setting text and escaping (the store always passes none).
enum class TextFlags : unsigned {
    None = 0,
    WriteCdata = 0x1,           // write the text as a CDATA section instead of escaping it
    NoLineBreak = 0x2,          // no CR LF after a new element
    SpaceBeforeSlash = 0x4,     // an element without text ends with " />"
    KeepReferences = 0x8,       // keep character and entity references when escaping
    StartTagOnly = 0x10,        // write only a start tag; refused when text is given
    EscapeQuotes = 0x100,       // escape ' and " too
    InsertBefore = 0x2000,      // insert before the current element instead of after it
};

// Document options.
enum class DocumentFlags : unsigned {
    None = 0,
    IgnoreCase = 0x8,  // match element names case-insensitively (ASCII letters)
};

// What the current position of a document is. The kinds are bits: findNode takes a set of them
// (None: any kind) and returns the kind it stopped at (None: no further node).
enum class NodeKind : int {
    None = 0,
    Element = 1,
    Text = 2,
    Whitespace = 4,
    Cdata = 8,
    ProcessingInstruction = 16,
    Comment = 32,
    DocumentType = 64,
    UnmatchedEndTag = 128,  // an end tag that does not close the parent
    Unreadable = 0x8000,    // a stretch that could not be read
};

template <typename Flags>
struct IsBitSet : std::false_type {};
template <>
struct IsBitSet<TextFlags> : std::true_type {};
template <>
struct IsBitSet<DocumentFlags> : std::true_type {};
template <>
struct IsBitSet<NodeKind> : std::true_type {};

template <typename Flags>
using BitSetOnly = std::enable_if_t<IsBitSet<Flags>::value, Flags>;

template <typename Flags>
constexpr auto bitsOf(Flags flags) {
    return static_cast<std::underlying_type_t<Flags>>(flags);
}

template <typename Flags>
constexpr BitSetOnly<Flags> operator|(Flags a, Flags b) {
    return static_cast<Flags>(bitsOf(a) | bitsOf(b));
}

template <typename Flags>
constexpr BitSetOnly<Flags> operator&(Flags a, Flags b) {
    return static_cast<Flags>(bitsOf(a) & bitsOf(b));
}

template <typename Flags>
constexpr BitSetOnly<Flags> operator~(Flags a) {
    return static_cast<Flags>(~bitsOf(a));
}

template <typename Flags>
constexpr BitSetOnly<Flags>& operator|=(Flags& a, Flags b) {
    return a = a | b;
}

// True when `set` holds any of the bits of `bits`.
template <typename Flags>
constexpr std::enable_if_t<IsBitSet<Flags>::value, bool> has(Flags set, Flags bits) {
    return (set & bits) != Flags::None;
}

}  // namespace xml
