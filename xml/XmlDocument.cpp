// XmlDocument: loading, saving, navigation and reading.
#include "XmlIndex.h"
#include "XmlTokenizer.h"

#include <cstring>

namespace {

bool isNameTerminator(char c) {
    return c == ' ' || c == '=' || c == '/' || c == '[' || c == ']';
}

bool equalBytes(std::string_view a, std::string_view b, bool ignoreCase) {
    return ignoreCase ? equalsIgnoringAsciiCase(a, b) : a == b;
}

}  // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

namespace {

// The node's text without its delimiters, for the kinds that have them.
std::string_view nodeContent(std::string_view node, int kind) {
    std::size_t head = 0, tail = 0;
    switch (kind) {
    case kNodeCdata: head = 9; tail = 3; break;               // "<![CDATA[" ... "]]>"
    case kNodeProcessingInstruction: head = 2; tail = 2; break;  // "<?" ... "?>"
    case kNodeComment: head = 4; tail = 3; break;             // "<!--" ... "-->"
    default: return node;
    }
    if (node.size() < head + tail)
        return {};
    return node.substr(head, node.size() - head - tail);
}

}  // namespace

XmlDocument::XmlDocument() {
    growTable(8);
    rec(0).clear();
}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::setDocument(const char* text) {
    return setDocument(text ? std::string_view(text) : std::string_view());
}

bool XmlDocument::setDocument(std::string_view text) {
    m_strResult.clear();
    if (text.size() >= static_cast<std::size_t>(0x7FFFFFF0)) {
        m_strDoc.clear();
        parse();
        m_strResult = "Document too large";
        return false;
    }
    m_strDoc.assign(text.data(), text.size());
    parse();
    return isWellFormed();
}

bool XmlDocument::loadFileBytes(std::string bytes) {
    if (bytes.size() >= static_cast<std::size_t>(0x7FFFFFF0))
        return setDocument(bytes);  // refused as too large
    const std::size_t size = bytes.size();
    textFromFileBytes(bytes);
    m_strDoc = std::move(bytes);
    m_strResult = std::to_string(size) + " bytes";
    parse();
    return isWellFormed();
}

bool XmlDocument::loadFile(const std::string& path) {
    m_strResult.clear();
    if (!readTextFile(path, m_strDoc, m_strResult)) {
        m_strDoc.clear();
        resetPosition();
        clearTable();
        rec(0).clear();
        return false;
    }
    parse();
    return isWellFormed();
}

bool XmlDocument::saveFile(const std::string& path) {
    return writeTextFile(path, m_strDoc, m_strResult);
}

bool XmlDocument::isWellFormed() const {
    const ElementRecord& document = rec(0);
    return m_iPosFree > 1 && !document.has(ElementRecord::kContainsError) && document.firstChild &&
           !rec(document.firstChild).nextSibling;
}

// ---- Navigation ----

void XmlDocument::resetPosition() {
    m_iPosParent = m_iPos = m_iPosChild = 0;
    m_nNodeType = m_nNodeOffset = m_nNodeLength = 0;
}

void XmlDocument::resetChildPosition() {
    m_iPosChild = 0;
    m_nNodeOffset = m_nNodeLength = 0;
    m_nNodeType = m_iPos ? kNodeElement : 0;
}

std::string_view XmlDocument::nameOf(int index) const {
    const ElementRecord& r = rec(index);
    const std::string_view text = m_strDoc;
    const int from = r.start + 1;
    if (const int kept = r.keptNameLength())
        return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(kept));
    return text.substr(static_cast<std::size_t>(from),
                       static_cast<std::size_t>(tagNameEnd(text, from, r.contentStart()) - from));
}

bool XmlDocument::nameMatches(int index, std::string_view name) const {
    if (name.empty())
        return true;
    const std::string_view own = nameOf(index);
    if (name.size() < own.size())
        return false;
    if (name.size() > own.size() && !isNameTerminator(name[own.size()]))
        return false;
    return equalBytes(own, name.substr(0, own.size()), (m_nDocFlags & kIgnoreCase) != 0);
}

int XmlDocument::findSibling(int index, std::string_view name) const {
    if (name.empty() || (m_nDocFlags & kIgnoreCase) || name.find_first_of(" =/[]") != std::string_view::npos) {
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
    const int index = findSibling(m_iPos ? rec(m_iPos).nextSibling : rec(m_iPosParent).firstChild, name);
    if (!index)
        return false;
    m_iPos = index;
    m_iPosChild = 0;
    m_nNodeType = kNodeElement;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}

bool XmlDocument::findChildElement(std::string_view name) {
    if (!m_iPos && !findElement())
        return false;
    const int index = findSibling(m_iPosChild ? rec(m_iPosChild).nextSibling : rec(m_iPos).firstChild, name);
    if (!index)
        return false;
    m_iPosChild = index;
    return true;
}

bool XmlDocument::enterElement() {
    if (!m_iPos)
        return false;
    m_iPosParent = m_iPos;
    m_iPos = m_iPosChild;
    m_iPosChild = 0;
    m_nNodeType = m_iPos ? kNodeElement : 0;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}

bool XmlDocument::leaveElement() {
    if (!m_iPosParent)
        return false;
    m_iPosChild = m_iPos;
    m_iPos = m_iPosParent;
    m_iPosParent = rec(m_iPos).parent;
    m_nNodeType = kNodeElement;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}

int XmlDocument::contentStart(int parent) const {
    return parent ? rec(parent).contentStart() : 0;
}

int XmlDocument::contentEnd(int parent) const {
    if (!parent)
        return static_cast<int>(m_strDoc.size());
    const ElementRecord& r = rec(parent);
    return r.hasEndTag() ? r.contentEnd() : r.contentStart();
}

int XmlDocument::findNode(int kinds) {
    int offset;
    if (m_nNodeType != 0 && m_nNodeType != kNodeElement)
        offset = m_nNodeOffset + m_nNodeLength;
    else if (m_iPos)
        offset = rec(m_iPos).end();
    else
        offset = contentStart(m_iPosParent);
    const std::string_view text = std::string_view(m_strDoc).substr(0, static_cast<std::size_t>(contentEnd(m_iPosParent)));
    int passed = m_iPos;
    XmlToken token;
    for (;;) {
        nextToken(text, offset, token);
        if (token.kind == kNodeEndOfText)
            return 0;
        int kind = token.kind;
        if (kind == kNodeElement) {
            int element = passed ? rec(passed).nextSibling : rec(m_iPosParent).firstChild;
            if (element && rec(element).start == token.start) {
                if (!kinds || (kinds & kNodeElement)) {
                    m_iPos = element;
                    m_iPosChild = 0;
                    m_nNodeType = kNodeElement;
                    m_nNodeOffset = m_nNodeLength = 0;
                    return kNodeElement;
                }
                passed = element;
                offset = rec(element).end();
                continue;
            }
            kind = kNodeUnreadable;  // a tag the index did not take as an element
        } else if (kind == kNodeEndTag) {
            kind = kNodeUnmatchedEndTag;  // the parent's own end tag lies outside `text`
        } else if (kind == kNodeError) {
            kind = kNodeUnreadable;
        }
        if (!kinds || (kinds & kind)) {
            m_iPos = passed;
            m_iPosChild = 0;
            m_nNodeType = kind;
            m_nNodeOffset = token.start;
            m_nNodeLength = token.length;
            return kind;
        }
        offset = token.start + token.length;
    }
}

// ---- Reading ----

std::string XmlDocument::tagName() const {
    const std::string_view text = m_strDoc;
    switch (m_nNodeType) {
    case kNodeElement: return m_iPos ? std::string(nameOf(m_iPos)) : std::string();
    case kNodeText:
    case kNodeWhitespace: return "#text";
    case kNodeCdata: return "#cdata-section";
    case kNodeComment: return "#comment";
    case kNodeProcessingInstruction: {
        const int from = m_nNodeOffset + 2;
        const int end = tagNameEnd(text, from, m_nNodeOffset + m_nNodeLength, true);
        return std::string(text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(end - from)));
    }
    case kNodeDocumentType: {
        // "<!DOCTYPE name ...>": the word after the keyword.
        const int end = m_nNodeOffset + m_nNodeLength;
        int from = tagNameEnd(text, m_nNodeOffset + 2, end);
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
    return m_nNodeType == kNodeElement && m_iPos ? nameOf(m_iPos) : std::string_view();
}

std::string XmlDocument::childTagName() const {
    return m_iPosChild ? std::string(nameOf(m_iPosChild)) : std::string();
}

std::string XmlDocument::elementTextOf(int index) const {
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
        if (token.kind == kNodeEndOfText)
            break;
        const std::string_view piece = text.substr(static_cast<std::size_t>(token.start),
                                                   static_cast<std::size_t>(token.length));
        if (token.kind == kNodeText || token.kind == kNodeWhitespace)
            out += unescapeText(piece);
        else if (token.kind == kNodeCdata)
            out.append(nodeContent(piece, kNodeCdata));
    }
    return out;
}

std::string XmlDocument::elementText() const {
    if (m_nNodeType != 0 && m_nNodeType != kNodeElement) {
        const std::string_view node = std::string_view(m_strDoc).substr(static_cast<std::size_t>(m_nNodeOffset),
                                                                         static_cast<std::size_t>(m_nNodeLength));
        if (m_nNodeType == kNodeText || m_nNodeType == kNodeWhitespace)
            return unescapeText(node);
        return std::string(nodeContent(node, m_nNodeType));
    }
    return m_iPos ? elementTextOf(m_iPos) : std::string();
}

std::string XmlDocument::childElementText() const {
    return m_iPosChild ? elementTextOf(m_iPosChild) : std::string();
}

std::string XmlDocument::attribute(std::string_view name) const {
    std::string_view tag;
    if (m_nNodeType == kNodeProcessingInstruction) {
        tag = std::string_view(m_strDoc).substr(static_cast<std::size_t>(m_nNodeOffset),
                                                static_cast<std::size_t>(m_nNodeLength));
    } else if (m_nNodeType == kNodeElement && m_iPos) {
        const ElementRecord& r = rec(m_iPos);
        tag = std::string_view(m_strDoc).substr(static_cast<std::size_t>(r.start),
                                                static_cast<std::size_t>(r.startTagLength()));
    } else {
        return {};
    }
    std::string value;
    findAttribute(tag, name, value);
    return value;
}
