// XmlDocument: loading, saving, navigation and reading.
#include "xml/XmlIndex.h"
#include "xml/XmlText.h"
#include "xml/XmlTokenizer.h"

#include <cstring>

namespace xml {

namespace {

bool isNameTerminator(char c) {
    return c == ' ' || c == '=' || c == '/' || c == '[' || c == ']';
}

bool equalBytes(std::string_view a, std::string_view b, bool ignoreCase) {
    return ignoreCase ? equalsIgnoringAsciiCase(a, b) : a == b;
}

// The node's text without its delimiters, for the kinds that have them.
std::string_view nodeContent(std::string_view node, NodeKind kind) {
    std::size_t head = 0, tail = 0;
    switch (kind) {
    case NodeKind::Cdata: head = 9; tail = 3; break;               // "<![CDATA[" ... "]]>"
    case NodeKind::ProcessingInstruction: head = 2; tail = 2; break;  // "<?" ... "?>"
    case NodeKind::Comment: head = 4; tail = 3; break;             // "<!--" ... "-->"
    default: return node;
    }
    if (node.size() < head + tail)
        return {};
    return node.substr(head, node.size() - head - tail);
}

}  // namespace

XmlDocument::Index::Index() {
    growTable(8);
    rec(0).clear();
}

XmlDocument::XmlDocument() : m_pIndex(std::make_unique<Index>()) {}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::setDocument(const char* text) {
    return setDocument(text ? std::string_view(text) : std::string_view());
}

bool XmlDocument::setDocument(std::string_view text) {
    Index& d = *m_pIndex;
    d.m_strResult.clear();
    if (text.size() >= static_cast<std::size_t>(0x7FFFFFF0)) {
        d.m_strDoc.clear();
        d.parse();
        d.m_strResult = "Document too large";
        return false;
    }
    d.m_strDoc.assign(text.data(), text.size());
    d.parse();
    return d.isWellFormed();
}

bool XmlDocument::loadFileBytes(std::string bytes) {
    if (bytes.size() >= static_cast<std::size_t>(0x7FFFFFF0))
        return setDocument(bytes);  // refused as too large
    Index& d = *m_pIndex;
    const std::size_t size = bytes.size();
    textFromFileBytes(bytes);
    d.m_strDoc = std::move(bytes);
    d.m_strResult = std::to_string(size) + " bytes";
    d.parse();
    return d.isWellFormed();
}

bool XmlDocument::loadFile(const std::string& path) {
    Index& d = *m_pIndex;
    d.m_strResult.clear();
    if (!readTextFile(path, d.m_strDoc, d.m_strResult)) {
        d.m_strDoc.clear();
        d.resetPosition();
        d.clearTable();
        d.rec(0).clear();
        return false;
    }
    d.parse();
    return d.isWellFormed();
}

bool XmlDocument::saveFile(const std::string& path) {
    return writeTextFile(path, m_pIndex->m_strDoc, m_pIndex->m_strResult);
}

bool XmlDocument::isWellFormed() const {
    return m_pIndex->isWellFormed();
}

bool XmlDocument::Index::isWellFormed() const {
    const ElementRecord& document = rec(0);
    return m_iPosFree > 1 && !document.has(ElementRecord::kContainsError) && document.firstChild &&
           !rec(document.firstChild).nextSibling;
}

const std::string& XmlDocument::resultText() const {
    return m_pIndex->m_strResult;
}

const std::string& XmlDocument::documentText() const {
    return m_pIndex->m_strDoc;
}

DocumentFlags XmlDocument::documentFlags() const {
    return m_pIndex->m_nDocFlags;
}

void XmlDocument::setDocumentFlags(DocumentFlags flags) {
    m_pIndex->m_nDocFlags = flags;
}

void XmlDocument::reserveText(std::size_t size) {
    m_pIndex->m_strDoc.reserve(size);
}

int XmlDocument::capacity() const {
    return m_pIndex->m_nCapacity;
}

// ---- Navigation ----

void XmlDocument::resetPosition() {
    m_pIndex->resetPosition();
}

void XmlDocument::Index::resetPosition() {
    m_iPosParent = m_iPos = m_iPosChild = 0;
    m_nNodeType = NodeKind::None;
    m_nNodeOffset = m_nNodeLength = 0;
}

void XmlDocument::resetChildPosition() {
    Index& d = *m_pIndex;
    d.m_iPosChild = 0;
    d.m_nNodeOffset = d.m_nNodeLength = 0;
    d.m_nNodeType = d.m_iPos ? NodeKind::Element : NodeKind::None;
}

std::string_view XmlDocument::Index::nameOf(int index) const {
    const ElementRecord& r = rec(index);
    const std::string_view text = m_strDoc;
    const int from = r.start + 1;
    if (const int kept = r.keptNameLength())
        return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(kept));
    return text.substr(static_cast<std::size_t>(from),
                       static_cast<std::size_t>(tagNameEnd(text, from, r.contentStart()) - from));
}

bool XmlDocument::Index::nameMatches(int index, std::string_view name) const {
    if (name.empty())
        return true;
    const std::string_view own = nameOf(index);
    if (name.size() < own.size())
        return false;
    if (name.size() > own.size() && !isNameTerminator(name[own.size()]))
        return false;
    return equalBytes(own, name.substr(0, own.size()), has(m_nDocFlags, DocumentFlags::IgnoreCase));
}

int XmlDocument::Index::findSibling(int index, std::string_view name) const {
    if (name.empty() || has(m_nDocFlags, DocumentFlags::IgnoreCase) ||
        name.find_first_of(" =/[]") != std::string_view::npos) {
        while (index && !nameMatches(index, name))
            index = rec(index).nextSibling;
        return index;
    }
    // The usual query, a bare name: compare in place and check that the element's name ends there.
    const std::size_t length = name.size();
    for (; index; index = rec(index).nextSibling) {
        const ElementRecord& r = rec(index);
        const int kept = r.keptNameLength();
        if ((kept && kept != static_cast<int>(length)) || r.startTagLength() < static_cast<int>(length) + 2)
            continue;
        const char* own = m_strDoc.data() + r.start + 1;
        const char after = own[length];
        if (std::memcmp(own, name.data(), length) == 0 && (after == '>' || after == '/' || isXmlSpace(after)))
            return index;
    }
    return 0;
}

bool XmlDocument::findElement(std::string_view name) {
    Index& d = *m_pIndex;
    const int index = d.findSibling(d.m_iPos ? d.rec(d.m_iPos).nextSibling : d.rec(d.m_iPosParent).firstChild, name);
    if (!index)
        return false;
    d.makeCurrent(index, false);
    return true;
}

bool XmlDocument::findChildElement(std::string_view name) {
    Index& d = *m_pIndex;
    if (!d.m_iPos && !findElement())
        return false;
    const int index = d.findSibling(d.m_iPosChild ? d.rec(d.m_iPosChild).nextSibling : d.rec(d.m_iPos).firstChild, name);
    if (!index)
        return false;
    d.m_iPosChild = index;
    return true;
}

bool XmlDocument::enterElement() {
    Index& d = *m_pIndex;
    if (!d.m_iPos)
        return false;
    d.m_iPosParent = d.m_iPos;
    d.m_iPos = d.m_iPosChild;
    d.m_iPosChild = 0;
    d.m_nNodeType = d.m_iPos ? NodeKind::Element : NodeKind::None;
    d.m_nNodeOffset = d.m_nNodeLength = 0;
    return true;
}

bool XmlDocument::leaveElement() {
    Index& d = *m_pIndex;
    if (!d.m_iPosParent)
        return false;
    d.m_iPosChild = d.m_iPos;
    d.m_iPos = d.m_iPosParent;
    d.m_iPosParent = d.rec(d.m_iPos).parent;
    d.m_nNodeType = NodeKind::Element;
    d.m_nNodeOffset = d.m_nNodeLength = 0;
    return true;
}

int XmlDocument::Index::contentStart(int parent) const {
    return parent ? rec(parent).contentStart() : 0;
}

int XmlDocument::Index::contentEnd(int parent) const {
    if (!parent)
        return static_cast<int>(m_strDoc.size());
    const ElementRecord& r = rec(parent);
    return r.hasEndTag() ? r.contentEnd() : r.contentStart();
}

NodeKind XmlDocument::findNode(NodeKind kinds) {
    Index& d = *m_pIndex;
    int offset;
    if (d.hasCurrentNode())
        offset = d.m_nNodeOffset + d.m_nNodeLength;
    else if (d.m_iPos)
        offset = d.rec(d.m_iPos).end();
    else
        offset = d.contentStart(d.m_iPosParent);
    const std::string_view text =
        std::string_view(d.m_strDoc).substr(0, static_cast<std::size_t>(d.contentEnd(d.m_iPosParent)));
    const bool anyKind = kinds == NodeKind::None;
    int passed = d.m_iPos;
    XmlToken token;
    for (;;) {
        nextToken(text, offset, token);
        if (token.kind == kEndOfText)
            return NodeKind::None;
        NodeKind kind = token.kind;
        if (kind == NodeKind::Element) {
            int element = passed ? d.rec(passed).nextSibling : d.rec(d.m_iPosParent).firstChild;
            if (element && d.rec(element).start == token.start) {
                if (anyKind || has(kinds, NodeKind::Element)) {
                    d.makeCurrent(element, false);
                    return NodeKind::Element;
                }
                passed = element;
                offset = d.rec(element).end();
                continue;
            }
            kind = NodeKind::Unreadable;  // a tag the index did not take as an element
        } else if (kind == kEndTagToken) {
            kind = NodeKind::UnmatchedEndTag;  // the parent's own end tag lies outside `text`
        } else if (kind == kErrorToken) {
            kind = NodeKind::Unreadable;
        }
        if (anyKind || has(kinds, kind)) {
            d.m_iPos = passed;
            d.m_iPosChild = 0;
            d.m_nNodeType = kind;
            d.m_nNodeOffset = token.start;
            d.m_nNodeLength = token.length;
            return kind;
        }
        offset = token.start + token.length;
    }
}

// ---- Reading ----

std::string XmlDocument::tagName() const {
    const Index& d = *m_pIndex;
    const std::string_view text = d.m_strDoc;
    const int offset = d.m_nNodeOffset;
    switch (d.m_nNodeType) {
    case NodeKind::Element: return d.m_iPos ? std::string(d.nameOf(d.m_iPos)) : std::string();
    case NodeKind::Text:
    case NodeKind::Whitespace: return "#text";
    case NodeKind::Cdata: return "#cdata-section";
    case NodeKind::Comment: return "#comment";
    case NodeKind::ProcessingInstruction: {
        const int from = offset + 2;
        const int end = tagNameEnd(text, from, offset + d.m_nNodeLength, true);
        return std::string(text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(end - from)));
    }
    case NodeKind::DocumentType: {
        // "<!DOCTYPE name ...>": the word after the keyword.
        const int end = offset + d.m_nNodeLength;
        int from = tagNameEnd(text, offset + 2, end);
        while (from < end && isXmlSpace(text[from]))
            ++from;
        int to = from;
        while (to < end && !isXmlSpace(text[to]) && text[to] != '[' && text[to] != '>')
            ++to;
        return std::string(text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
    }
    default: return {};
    }
}

std::string_view XmlDocument::elementName() const {
    const Index& d = *m_pIndex;
    return d.m_nNodeType == NodeKind::Element && d.m_iPos ? d.nameOf(d.m_iPos) : std::string_view();
}

std::string XmlDocument::childTagName() const {
    const Index& d = *m_pIndex;
    return d.m_iPosChild ? std::string(d.nameOf(d.m_iPosChild)) : std::string();
}

std::string XmlDocument::Index::elementTextOf(int index) const {
    const ElementRecord& r = rec(index);
    if (r.firstChild || !r.hasEndTag())
        return {};
    const std::string_view text = std::string_view(m_strDoc).substr(0, static_cast<std::size_t>(r.contentEnd()));
    const int from = r.contentStart();
    const std::string_view content = text.substr(static_cast<std::size_t>(from));
    if (content.find('<') == std::string_view::npos)
        return unescapeText(content);
    std::string out;
    XmlToken token;
    for (int offset = from;; offset = token.start + token.length) {
        nextToken(text, offset, token);
        if (token.kind == kEndOfText)
            break;
        const std::string_view piece = text.substr(static_cast<std::size_t>(token.start),
                                                   static_cast<std::size_t>(token.length));
        if (token.kind == NodeKind::Text || token.kind == NodeKind::Whitespace)
            out += unescapeText(piece);
        else if (token.kind == NodeKind::Cdata)
            out.append(nodeContent(piece, NodeKind::Cdata));
    }
    return out;
}

std::string XmlDocument::elementText() const {
    const Index& d = *m_pIndex;
    if (d.hasCurrentNode()) {
        const std::string_view node = std::string_view(d.m_strDoc).substr(static_cast<std::size_t>(d.m_nNodeOffset),
                                                                           static_cast<std::size_t>(d.m_nNodeLength));
        if (d.m_nNodeType == NodeKind::Text || d.m_nNodeType == NodeKind::Whitespace)
            return unescapeText(node);
        return std::string(nodeContent(node, d.m_nNodeType));
    }
    return d.m_iPos ? d.elementTextOf(d.m_iPos) : std::string();
}

std::string XmlDocument::childElementText() const {
    const Index& d = *m_pIndex;
    return d.m_iPosChild ? d.elementTextOf(d.m_iPosChild) : std::string();
}

std::string XmlDocument::attribute(std::string_view name) const {
    const Index& d = *m_pIndex;
    std::string_view tag;
    if (d.m_nNodeType == NodeKind::ProcessingInstruction) {
        tag = std::string_view(d.m_strDoc).substr(static_cast<std::size_t>(d.m_nNodeOffset),
                                                  static_cast<std::size_t>(d.m_nNodeLength));
    } else if (d.m_nNodeType == NodeKind::Element && d.m_iPos) {
        const ElementRecord& r = d.rec(d.m_iPos);
        tag = std::string_view(d.m_strDoc).substr(static_cast<std::size_t>(r.start),
                                                  static_cast<std::size_t>(r.startTagLength()));
    } else {
        return {};
    }
    std::string value;
    findAttribute(tag, name, value);
    return value;
}

}  // namespace xml
