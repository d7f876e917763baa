// What stands behind XmlDocument: the text, the position and the element index. Internal to
// xml/: only the component's own sources include it.
#pragma once

#include "xml/XmlDocument.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xml {

// Set internally by the child variants: the edit works on the current child.
inline constexpr TextFlags kOnChild = static_cast<TextFlags>(0x4000);

// One record per element; text, comments and the like between tags are found by scanning.
struct ElementRecord {
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

// The document's state and the helpers that keep the index in step with the text. Index 0 is
// the record of the document itself; an index selects a page with its upper 16 bits.
class XmlDocument::Index {
public:
    class Parser;

    Index();

    ElementRecord& rec(int index);
    const ElementRecord& rec(int index) const;
    int allocRecord();
    void growStep(int wanted);
    void growTable(int minimum);
    int lastChild(int parent) const;
    void linkAfter(int index, int parent, int previous);
    void clearTable();

    void parse();
    int estimatedElements() const;
    void noteError(const std::string& message, bool structural = false);
    void resetPosition();
    bool isWellFormed() const;
    bool isEditable() const;
    bool nameMatches(int index, std::string_view name) const;
    int findSibling(int index, std::string_view name) const;
    std::string_view nameOf(int index) const;
    std::string elementTextOf(int index) const;
    bool setTextOf(int index, std::string_view text, TextFlags flags);
    bool setNodeText(std::string_view text, TextFlags flags);
    bool insertElement(std::string_view name, std::string_view text, TextFlags flags);
    struct InsertionPoint {
        int offset = 0;
        int previous = 0;  // the sibling the new element follows (0: it becomes the first)
    };
    int newRecord(std::string_view name, int length, int startTagLength, int endTagLength, int parent,
                  TextFlags flags);
    InsertionPoint insertionPoint(int parent, int reference, TextFlags flags) const;
    void insertIntoEmptyTag(int parent, int index, const std::string& element);
    void insertAt(InsertionPoint point, int parent, int index, std::string element);
    void makeCurrent(int index, bool asChild);
    bool hasCurrentNode() const;
    int contentEnd(int parent) const;
    int contentStart(int parent) const;
    void replaceText(int offset, int removeLength, std::string_view insert);
    void shiftBehind(int index, int diff);
    template <typename Visit>
    void forEachInSubtree(int top, Visit visit);
    void shiftSubtree(int index, int diff);
    void unlinkElement(int index);
    void freeSubtree(int index);
    void dropCurrentNode();

    std::string m_strDoc;
    std::string m_strResult;
    int m_iPosParent = 0;
    int m_iPos = 0;
    int m_iPosChild = 0;
    int m_iPosFree = 1;
    int m_iPosDeleted = 0;
    NodeKind m_nNodeType = NodeKind::None;
    int m_nNodeOffset = 0;
    int m_nNodeLength = 0;
    DocumentFlags m_nDocFlags = DocumentFlags::None;
    bool m_bErrorNoted = false;
    std::vector<std::unique_ptr<ElementRecord[]>> m_pages;
    std::vector<int> m_pageSizes;
    int m_nCapacity = 0;
};

// Hot accessors, inline for the parser and the edits.
inline ElementRecord& XmlDocument::Index::rec(int index) {
    return m_pages[static_cast<std::size_t>(index) >> 16][index & 0xFFFF];
}

inline const ElementRecord& XmlDocument::Index::rec(int index) const {
    return m_pages[static_cast<std::size_t>(index) >> 16][index & 0xFFFF];
}

inline int XmlDocument::Index::lastChild(int parent) const {
    const int first = rec(parent).firstChild;
    return first ? rec(first).prevSibling : 0;
}

// Records are never reused before the next parse: a new element takes the next index, and a
// full table grows by half.
inline int XmlDocument::Index::allocRecord() {
    if (m_iPosFree >= m_nCapacity)
        growStep(m_nCapacity / 2 > 0 ? m_nCapacity / 2 : 1);
    return m_iPosFree++;
}

// A non-element node (text, comment, ...) is current rather than an element.
inline bool XmlDocument::Index::hasCurrentNode() const {
    return m_nNodeType != NodeKind::None && m_nNodeType != NodeKind::Element;
}

}  // namespace xml
