// The element record of XmlDocument's index (internal to store/).
#pragma once

#include "XmlDocument.h"

#include <cstdint>

struct XmlDocument::ElementRecord {
    // Flags word: nesting level in the low 16 bits, then these bits.
    static constexpr std::uint32_t kLevelMask = 0xFFFF;
    static constexpr std::uint32_t kFirstChild = 0x10000;
    static constexpr std::uint32_t kNotEnded = 0x20000;    // no end tag: length is the start tag
    static constexpr std::uint32_t kContainsError = 0x40000;
    static constexpr std::uint32_t kFree = 0x80000;
    // The top 12 bits keep the name's length (0: not kept, the name is longer), so lookups need
    // not scan the tag for the end of the name.
    static constexpr int kNameLengthShift = 20;
    static constexpr std::uint32_t kMaxKeptNameLength = 0xFFF;
    // Tag lengths word: start tag in the low 20 bits, end tag in the top 10.
    static constexpr std::uint32_t kStartTagMask = 0xFFFFF;
    static constexpr int kEndTagShift = 22;

    std::int32_t start;
    std::int32_t length;
    std::uint32_t tagLengths;
    std::uint32_t flags;
    std::int32_t parent;
    std::int32_t firstChild;
    std::int32_t nextSibling;
    std::int32_t prevSibling;  // of a first child: the last child of the same parent

    void clear() { *this = ElementRecord{}; }
    int startTagLength() const { return static_cast<int>(tagLengths & kStartTagMask); }
    int endTagLength() const { return static_cast<int>(tagLengths >> kEndTagShift); }
    void setTagLengths(int startTag, int endTag) {
        tagLengths = (static_cast<std::uint32_t>(startTag) & kStartTagMask) |
                     (static_cast<std::uint32_t>(endTag) << kEndTagShift);
    }
    int level() const { return static_cast<int>(flags & kLevelMask); }
    void setLevel(int level) {
        const std::uint32_t clamped = level < 0 ? 0 : (level > 0xFFFF ? 0xFFFF : static_cast<std::uint32_t>(level));
        flags = (flags & ~kLevelMask) | clamped;
    }
    int keptNameLength() const { return static_cast<int>(flags >> kNameLengthShift); }
    void keepNameLength(std::size_t length) {
        const std::uint32_t kept = length <= kMaxKeptNameLength ? static_cast<std::uint32_t>(length) : 0;
        flags = (flags & ((1u << kNameLengthShift) - 1)) | (kept << kNameLengthShift);
    }
    bool has(std::uint32_t flag) const { return (flags & flag) != 0; }
    int end() const { return start + length; }
    int contentStart() const { return start + startTagLength(); }
    int contentEnd() const { return end() - endTagLength(); }
    // "<a/>" or an element without end tag.
    bool hasEndTag() const { return endTagLength() != 0; }
};

// Hot accessors, inline for the parser and the edits.
inline XmlDocument::ElementRecord& XmlDocument::rec(int index) {
    return m_pages[static_cast<std::size_t>(index) >> 16][index & 0xFFFF];
}

inline const XmlDocument::ElementRecord& XmlDocument::rec(int index) const {
    return m_pages[static_cast<std::size_t>(index) >> 16][index & 0xFFFF];
}

inline int XmlDocument::lastChild(int parent) const {
    const int first = rec(parent).firstChild;
    return first ? rec(first).prevSibling : 0;
}

// Records are never reused before the next parse: a new element takes the next index, and a
// full table grows by half.
inline int XmlDocument::allocRecord() {
    if (m_iPosFree >= m_nCapacity)
        growStep(m_nCapacity / 2 > 0 ? m_nCapacity / 2 : 1);
    return m_iPosFree++;
}
