// XmlDocument: the small XML component both deliverables use for the store files.
//
// A document is kept as one text string, exactly as it will be written, plus an index of
// where every element stands in that text. Navigation moves a cursor over the index; edits
// change the text in place and shift only the index records behind the edit, so saving is a
// plain write of the text. Parsing is lenient: a document with errors is indexed as far as it
// can be read, the first error is kept, and the document reports itself as not well-formed.
//
// Text in memory is UTF-8. Portable C++17: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Flags for adding elements and setting text (the store always passes 0).
enum TextFlags : int {
    kWriteCdata = 0x1,          // write the text as a CDATA section instead of escaping it
    kNoLineBreak = 0x2,         // no CR LF after a new element
    kSpaceBeforeSlash = 0x4,    // an element without text ends with " />"
    kKeepReferences = 0x8,      // keep character and entity references when escaping
    kStartTagOnly = 0x10,       // write only a start tag; refused when text is given
    kEscapeQuotes = 0x100,      // escape ' and " too
    kInsertBefore = 0x2000,     // insert before the current element instead of after it
    kOnChild = 0x4000,          // internal: the child variants work on the current child
};

// Document option bits.
enum DocumentFlags : int {
    kIgnoreCase = 0x8,  // match element names case-insensitively (ASCII letters)
};

// Node kinds: the node type of the current position and the tokenizer's results.
enum NodeKind : int {
    kNodeEndTag = 0,
    kNodeElement = 1,
    kNodeText = 2,
    kNodeWhitespace = 4,
    kNodeCdata = 8,
    kNodeProcessingInstruction = 16,
    kNodeComment = 32,
    kNodeDocumentType = 64,
    kNodeUnmatchedEndTag = 128,  // findNode: an end tag that does not close the parent
    kNodeUnreadable = 0x8000,    // findNode: a stretch that could not be read
    kNodeError = -1,
    kNodeEndOfText = -2,
};

// The longest element name: its end tag "</name>" must fit the index's 10-bit end-tag length.
// Longer names are refused by every edit and flagged as errors by the parser.
inline constexpr std::size_t kMaxElementNameLength = 1020;

// "<?xml version="1.0" encoding="UTF-8"?>" and CR LF: the first line of every store file.
inline constexpr std::string_view kDeclarationLine = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

class XmlDocument {
public:
    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Replaces the text (null empties it), clears the result and parses.
    bool setDocument(const char* text);
    bool setDocument(std::string_view text);
    bool loadFile(const std::string& path);
    // As loadFile, from the bytes of a file that the caller has read itself.
    bool loadFileBytes(std::string bytes);
    bool saveFile(const std::string& path);
    bool isWellFormed() const;
    // False when the text has errors: such a document can be read as far as it was indexed,
    // but every edit is refused. (A missing root or a second root is not such an error.)
    bool isEditable() const;
    const std::string& resultText() const { return m_strResult; }
    const std::string& documentText() const { return m_strDoc; }

    void resetPosition();
    void resetChildPosition();
    bool findElement(std::string_view name = {});
    bool findChildElement(std::string_view name = {});
    bool enterElement();
    bool leaveElement();

    std::string tagName() const;
    // The current element's name as it stands in the text (valid until the next edit); empty
    // when no element is current.
    std::string_view elementName() const;
    std::string childTagName() const;
    std::string elementText() const;
    std::string childElementText() const;
    bool setElementText(std::string_view text, int flags = 0);
    bool setChildElementText(std::string_view text, int flags = 0);
    bool addElement(std::string_view name, std::string_view text = {}, int flags = 0);
    bool addChildElement(std::string_view name, std::string_view text = {}, int flags = 0);
    bool deleteElement();
    std::string attribute(std::string_view name) const;
    int findNode(int kinds = 0);

    int documentFlags() const { return m_nDocFlags; }
    void setDocumentFlags(int flags) { m_nDocFlags = flags; }

    // Makes room for a text of `size` bytes, so that adding elements up to it does not move it.
    void reserveText(std::size_t size) { m_strDoc.reserve(size); }
    // Bytes held by the text and the element table (for measurements).
    std::size_t memoryUsage() const;
    // Number of records the element table can hold without growing.
    int capacity() const { return m_nCapacity; }

private:
    struct ElementRecord;
    struct Token;
    class Parser;

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
    bool nameMatches(int index, std::string_view name) const;
    int findSibling(int index, std::string_view name) const;
    std::string_view nameOf(int index) const;
    std::string elementTextOf(int index) const;
    bool setTextOf(int index, std::string_view text, int flags);
    bool setNodeText(std::string_view text, int flags);
    bool insertElement(std::string_view name, std::string_view text, int flags);
    struct InsertionPoint {
        int offset = 0;
        int previous = 0;  // the sibling the new element follows (0: it becomes the first)
    };
    int newRecord(std::string_view name, int length, int startTagLength, int endTagLength, int parent, int flags);
    InsertionPoint insertionPoint(int parent, int reference, int flags) const;
    void insertIntoEmptyTag(int parent, int index, const std::string& element);
    void insertAt(InsertionPoint point, int parent, int index, std::string element);
    void makeCurrent(int index, bool asChild);
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
    int m_nNodeType = 0;
    int m_nNodeOffset = 0;
    int m_nNodeLength = 0;
    int m_nDocFlags = 0;
    bool m_bErrorNoted = false;
    std::vector<std::unique_ptr<ElementRecord[]>> m_pages;
    std::vector<int> m_pageSizes;
    int m_nCapacity = 0;
};

// Helpers shared with the store.
// ASCII case folding, the one used everywhere (letters outside ASCII are left alone).
inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string escapeText(std::string_view text, int flags = 0);
std::string unescapeText(std::string_view text);
std::string encodeCdata(std::string_view text);
// Decodes UTF-8 leniently up to the end or a zero code point; invalid sequences become "?".
std::u16string utf8ToUtf16(std::string_view text);
// Encodes UTF-16; a lone surrogate becomes "?".
std::string utf16ToUtf8(std::u16string_view text);
// True for text that decodes and encodes back to itself: strict UTF-8 without a zero byte.
bool isCanonicalUtf8(std::string_view text);
// The UTF-8 text as it reads back after decoding and encoding again (invalid bytes as "?").
std::string normalizeUtf8(std::string_view text);
std::string declaredEncoding(std::string_view text);
bool readTextFile(const std::string& path, std::string& text, std::string& result);
bool writeTextFile(const std::string& path, std::string_view text, std::string& result);
// The bytes writeTextFile puts on disk for `text`: UTF-8 documents get the byte-order mark.
std::string textFileBytes(std::string_view text);
// The other way: the text that readTextFile makes of a file's bytes (the mark skipped).
void textFromFileBytes(std::string& bytes);

