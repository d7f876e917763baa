// XmlDocument: the small XML component both deliverables use for the store files.
//
// A document is kept as one text string, exactly as it will be written, plus an index of
// where every element stands in that text. Navigation moves a cursor over the index; edits
// change the text in place and shift only the index records behind the edit, so saving is a
// plain write of the text. Parsing is lenient: a document with errors is indexed as far as it
// can be read, the first error is kept, and the document reports itself as not well-formed.
//
// Text in memory is UTF-8. Portable C++17: no <windows.h>. The text helpers the document uses
// (escaping, UTF-8 / UTF-16, file text) are in XmlText.h.
#pragma once

#include "xml/XmlFlags.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace xml {

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
    const std::string& resultText() const;
    const std::string& documentText() const;

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
    bool setElementText(std::string_view text, TextFlags flags = TextFlags::None);
    bool setChildElementText(std::string_view text, TextFlags flags = TextFlags::None);
    bool addElement(std::string_view name, std::string_view text = {}, TextFlags flags = TextFlags::None);
    bool addChildElement(std::string_view name, std::string_view text = {}, TextFlags flags = TextFlags::None);
    bool deleteElement();
    std::string attribute(std::string_view name) const;
    // Steps to the next node whose kind is in `kinds` (None: any kind); returns its kind, or None
    // at the end of the parent's content.
    NodeKind findNode(NodeKind kinds = NodeKind::None);

    DocumentFlags documentFlags() const;
    void setDocumentFlags(DocumentFlags flags);

    // Makes room for a text of `size` bytes, so that adding elements up to it does not move it.
    void reserveText(std::size_t size);
    // Bytes held by the text and the element table (for measurements).
    std::size_t memoryUsage() const;
    // Number of records the element table can hold without growing.
    int capacity() const;

private:
    // The text, the position and the element index: internal to the component (XmlIndex.h).
    class Index;
    std::unique_ptr<Index> m_pIndex;
};

}  // namespace xml
