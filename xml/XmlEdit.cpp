// XmlDocument: edits. Each edit changes the text in place and shifts only the index records
// behind it, so the index stays valid without a new parse.
#include "xml/XmlIndex.h"
#include "xml/XmlText.h"
#include "xml/XmlTokenizer.h"

#include <vector>

namespace xml {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

// A name that reads back as the same element: it starts a tag and holds nothing that would end
// the name or change the markup around it.
bool isInsertableName(std::string_view name) {
    if (name.empty() || name.size() > kMaxElementNameLength || !startsTagName(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name) {
        if (isXmlSpace(c) || c == '/' || c == '>' || c == '<' || c == '&' || c == '"' || c == '\'' ||
            c == '=' || c == '[' || c == ']' || c == '\0')
            return false;
    }
    return true;
}

std::string escapedContent(std::string_view text, TextFlags flags) {
    return has(flags, TextFlags::WriteCdata) ? encodeCdata(text) : escapeText(text, flags);
}

// "<a x='1'/>" as a start tag: "<a x='1'>". Every "/" before the ">" goes, or the tag would
// still read as an empty-element tag.
std::string openingOf(std::string_view emptyTag) {
    std::string_view head = emptyTag.substr(0, emptyTag.size() - 1);  // without ">"
    while (head.size() > 1 && (head.back() == '/' || isXmlSpace(head.back())))
        head.remove_suffix(1);
    return std::string(head) + ">";
}

}  // namespace

// ---- Links and shifting ----

// Links `index` into `parent`'s children after `previous` (0: as the first child).
void XmlDocument::Index::linkAfter(int index, int parent, int previous) {
    ElementRecord& r = rec(index);
    r.parent = parent;
    r.firstChild = 0;
    if (!previous) {
        const int oldFirst = rec(parent).firstChild;
        r.flags |= ElementRecord::kFirstChild;
        r.nextSibling = oldFirst;
        if (oldFirst) {
            ElementRecord& first = rec(oldFirst);
            r.prevSibling = first.prevSibling;
            first.prevSibling = index;
            first.flags &= ~ElementRecord::kFirstChild;
        } else {
            r.prevSibling = index;
        }
        rec(parent).firstChild = index;
        return;
    }
    r.flags &= ~ElementRecord::kFirstChild;
    ElementRecord& before = rec(previous);
    r.prevSibling = previous;
    r.nextSibling = before.nextSibling;
    before.nextSibling = index;
    if (r.nextSibling)
        rec(r.nextSibling).prevSibling = index;
    else
        rec(rec(parent).firstChild).prevSibling = index;
}

void XmlDocument::Index::unlinkElement(int index) {
    ElementRecord& r = rec(index);
    ElementRecord& parent = rec(r.parent);
    const int next = r.nextSibling;
    if (parent.firstChild == index) {
        parent.firstChild = next;
        if (next) {
            rec(next).prevSibling = r.prevSibling;
            rec(next).flags |= ElementRecord::kFirstChild;
        }
    } else {
        rec(r.prevSibling).nextSibling = next;
        if (next)
            rec(next).prevSibling = r.prevSibling;
        else
            rec(parent.firstChild).prevSibling = r.prevSibling;
    }
    r.nextSibling = r.prevSibling = 0;
}

// Visits `top` and its descendants in document order, without recursion. `visit` must not
// change the links.
template <typename Visit>
void XmlDocument::Index::forEachInSubtree(int top, Visit visit) {
    int index = top;
    for (;;) {
        visit(index);
        const int child = rec(index).firstChild;
        if (child) {
            index = child;
            continue;
        }
        while (index != top && !rec(index).nextSibling)
            index = rec(index).parent;
        if (index == top)
            return;
        index = rec(index).nextSibling;
    }
}

void XmlDocument::Index::shiftSubtree(int top, int diff) {
    forEachInSubtree(top, [this, diff](int index) { rec(index).start += diff; });
}

// Everything behind `index` moves by `diff`: its following siblings, and at every level above it
// the ancestors' lengths and their following siblings.
void XmlDocument::Index::shiftBehind(int index, int diff) {
    for (int at = index; at; at = rec(at).parent) {
        for (int next = rec(at).nextSibling; next; next = rec(next).nextSibling)
            shiftSubtree(next, diff);
        const int parent = rec(at).parent;
        rec(parent).length += diff;
    }
}

void XmlDocument::Index::freeSubtree(int top) {
    // Collected first: freeing changes the links the walk follows.
    std::vector<int> found;
    forEachInSubtree(top, [&found](int index) { found.push_back(index); });
    for (int freed : found) {
        ElementRecord& r = rec(freed);
        r.flags = ElementRecord::kFree;
        r.firstChild = r.prevSibling = r.parent = 0;
        r.nextSibling = m_iPosDeleted;
        m_iPosDeleted = freed;
    }
}

void XmlDocument::Index::replaceText(int offset, int removeLength, std::string_view insert) {
    m_strDoc.replace(static_cast<std::size_t>(offset), static_cast<std::size_t>(removeLength), insert);
}

// A current non-element node is found by its offset, which an edit elsewhere would make stale:
// element edits fall back to the element position.
void XmlDocument::Index::dropCurrentNode() {
    if (hasCurrentNode()) {
        m_nNodeType = m_iPos ? NodeKind::Element : NodeKind::None;
        m_nNodeOffset = m_nNodeLength = 0;
    }
}

// ---- Setting text ----

bool XmlDocument::Index::setTextOf(int index, std::string_view text, TextFlags flags) {
    ElementRecord& r = rec(index);
    if (r.firstChild || r.has(ElementRecord::kNotEnded))
        return false;
    dropCurrentNode();
    const std::string content = escapedContent(text, flags);
    int diff;
    if (!r.hasEndTag()) {
        // "<a/>" becomes "<a>content</a>".
        const std::string_view tag = std::string_view(m_strDoc).substr(static_cast<std::size_t>(r.start),
                                                                        static_cast<std::size_t>(r.length));
        const std::string opening = openingOf(tag);
        const std::string closing = "</" + std::string(nameOf(index)) + ">";
        const std::string element = opening + content + closing;
        diff = static_cast<int>(element.size()) - r.length;
        replaceText(r.start, r.length, element);
        ElementRecord& updated = rec(index);
        updated.setTagLengths(static_cast<int>(opening.size()), static_cast<int>(closing.size()));
        updated.length = static_cast<int>(element.size());
    } else {
        const int oldLength = r.contentEnd() - r.contentStart();
        diff = static_cast<int>(content.size()) - oldLength;
        replaceText(r.contentStart(), oldLength, content);
        rec(index).length += diff;
    }
    shiftBehind(index, diff);
    return true;
}

bool XmlDocument::Index::setNodeText(std::string_view text, TextFlags flags) {
    std::string node;
    switch (m_nNodeType) {
    case NodeKind::Text:
    case NodeKind::Whitespace: node = escapeText(text, flags); break;
    case NodeKind::Cdata:
        if (text.find("]]>") != std::string_view::npos)
            return false;
        node = "<![CDATA[" + std::string(text) + "]]>";
        break;
    case NodeKind::ProcessingInstruction:
        if (text.find("?>") != std::string_view::npos)
            return false;
        node = "<?" + std::string(text) + "?>";
        break;
    case NodeKind::Comment:
        if (text.find("-->") != std::string_view::npos)
            return false;
        node = "<!--" + std::string(text) + "-->";
        break;
    default: return false;
    }
    const int diff = static_cast<int>(node.size()) - m_nNodeLength;
    replaceText(m_nNodeOffset, m_nNodeLength, node);
    m_nNodeLength = static_cast<int>(node.size());
    if (m_iPos) {
        shiftBehind(m_iPos, diff);
    } else {
        // The node comes before the parent's first child: all of them move.
        for (int next = rec(m_iPosParent).firstChild; next; next = rec(next).nextSibling)
            shiftSubtree(next, diff);
        if (m_iPosParent) {
            rec(m_iPosParent).length += diff;
            shiftBehind(m_iPosParent, diff);
        } else {
            rec(0).length += diff;
        }
    }
    return true;
}

// The index of a text with errors describes only what could be read; editing such a text could
// splice markup into a broken token, so it is read-only.
bool XmlDocument::Index::isEditable() const {
    return !rec(0).has(ElementRecord::kContainsError);
}

bool XmlDocument::isEditable() const {
    return m_pIndex->isEditable();
}

bool XmlDocument::setElementText(std::string_view text, TextFlags flags) {
    Index& d = *m_pIndex;
    if (!d.isEditable())
        return false;
    if (d.hasCurrentNode())
        return d.setNodeText(text, flags);
    return d.m_iPos && d.setTextOf(d.m_iPos, text, flags);
}

bool XmlDocument::setChildElementText(std::string_view text, TextFlags flags) {
    Index& d = *m_pIndex;
    return d.isEditable() && d.m_iPosChild && d.setTextOf(d.m_iPosChild, text, flags);
}

// ---- Adding and deleting ----

bool XmlDocument::addElement(std::string_view name, std::string_view text, TextFlags flags) {
    Index& d = *m_pIndex;
    return d.isEditable() && d.insertElement(name, text, flags & ~kOnChild);
}

bool XmlDocument::addChildElement(std::string_view name, std::string_view text, TextFlags flags) {
    Index& d = *m_pIndex;
    return d.isEditable() && d.m_iPos && d.insertElement(name, text, flags | kOnChild);
}

namespace {

// The text of a new element and the lengths its record keeps.
struct NewElement {
    std::string text;       // with its line break, if any
    int length = 0;         // of the element itself
    int startTagLength = 0;
    int endTagLength = 0;
};

NewElement newElement(std::string_view name, std::string_view content, TextFlags flags) {
    NewElement element;
    element.text = "<" + std::string(name);
    if (!content.empty()) {
        element.text += ">";
        element.startTagLength = static_cast<int>(element.text.size());
        element.text += escapedContent(content, flags);
        element.text += "</" + std::string(name) + ">";
        element.endTagLength = static_cast<int>(name.size()) + 3;
    } else {
        element.text += has(flags, TextFlags::StartTagOnly) ? ">" : has(flags, TextFlags::SpaceBeforeSlash) ? " />" : "/>";
        element.startTagLength = static_cast<int>(element.text.size());
    }
    element.length = static_cast<int>(element.text.size());
    if (!has(flags, TextFlags::NoLineBreak))
        element.text += kLineBreak;
    return element;
}

}  // namespace

bool XmlDocument::Index::insertElement(std::string_view name, std::string_view text, TextFlags flags) {
    const bool onChild = has(flags, kOnChild);
    const int parent = onChild ? m_iPos : m_iPosParent;
    const int reference = onChild ? m_iPosChild : (m_nNodeType == NodeKind::Element ? m_iPos : 0);
    if (!isInsertableName(name) || (has(flags, TextFlags::StartTagOnly) && !text.empty()))
        return false;
    if (parent && rec(parent).has(ElementRecord::kNotEnded))
        return false;
    dropCurrentNode();

    NewElement element = newElement(name, text, flags);
    const int index = newRecord(name, element.length, element.startTagLength, element.endTagLength, parent, flags);
    if (parent && !rec(parent).hasEndTag())
        insertIntoEmptyTag(parent, index, element.text);
    else
        insertAt(insertionPoint(parent, reference, flags), parent, index, std::move(element.text));
    makeCurrent(index, onChild);
    return true;
}

int XmlDocument::Index::newRecord(std::string_view name, int length, int startTagLength, int endTagLength,
                                  int parent, TextFlags flags) {
    const int index = allocRecord();
    ElementRecord& added = rec(index);
    added.clear();
    added.length = length;
    added.setTagLengths(startTagLength, endTagLength);
    if (has(flags, TextFlags::StartTagOnly))
        added.flags |= ElementRecord::kNotEnded;  // a lone start tag has no content of its own
    added.setLevel(parent ? rec(parent).level() + 1 : 0);
    added.keepNameLength(name.size());
    return index;
}

// Directly after the reference element (before it with InsertBefore), or after the parent's
// last child; past any whitespace up to the next tag, so that it starts on a line of its own.
XmlDocument::Index::InsertionPoint XmlDocument::Index::insertionPoint(int parent, int reference,
                                                                      TextFlags flags) const {
    InsertionPoint point;
    if (reference) {
        const bool before = has(flags, TextFlags::InsertBefore);
        point.offset = before ? rec(reference).start : rec(reference).end();
        point.previous = before ? (rec(reference).has(ElementRecord::kFirstChild) ? 0 : rec(reference).prevSibling)
                                : reference;
    } else {
        point.offset = contentEnd(parent);
        point.previous = lastChild(parent);
    }
    int skip = point.offset;
    const int size = static_cast<int>(m_strDoc.size());
    while (skip < size && isXmlSpace(m_strDoc[skip]))
        ++skip;
    if (skip == size || m_strDoc[skip] == '<')
        point.offset = skip;
    return point;
}

// "<UserInfo/>" becomes "<UserInfo>", CR LF, the new element, "</UserInfo>".
void XmlDocument::Index::insertIntoEmptyTag(int parent, int index, const std::string& element) {
    ElementRecord& p = rec(parent);
    const std::string opening =
        openingOf(std::string_view(m_strDoc).substr(static_cast<std::size_t>(p.start), static_cast<std::size_t>(p.length)));
    const std::string closing = "</" + std::string(nameOf(parent)) + ">";
    const std::string rewritten = opening + std::string(kLineBreak) + element + closing;
    const int diff = static_cast<int>(rewritten.size()) - p.length;
    replaceText(p.start, p.length, rewritten);
    ElementRecord& updated = rec(parent);
    updated.setTagLengths(static_cast<int>(opening.size()), static_cast<int>(closing.size()));
    updated.length = static_cast<int>(rewritten.size());
    rec(index).start = updated.start + static_cast<int>(opening.size() + kLineBreak.size());
    linkAfter(index, parent, 0);
    shiftBehind(parent, diff);
}

void XmlDocument::Index::insertAt(InsertionPoint point, int parent, int index, std::string element) {
    // An empty "<r></r>" gets a line break before its first element.
    int leading = 0;
    if (parent && rec(parent).contentStart() == rec(parent).contentEnd()) {
        element.insert(0, kLineBreak);
        leading = static_cast<int>(kLineBreak.size());
    }
    replaceText(point.offset, 0, element);
    rec(index).start = point.offset + leading;
    linkAfter(index, parent, point.previous);
    // The new element's own length is set; everything behind it moves by the inserted bytes.
    shiftBehind(index, static_cast<int>(element.size()));
}

void XmlDocument::Index::makeCurrent(int index, bool asChild) {
    if (asChild) {
        m_iPosChild = index;
        return;
    }
    m_iPos = index;
    m_iPosChild = 0;
    m_nNodeType = NodeKind::Element;
    m_nNodeOffset = m_nNodeLength = 0;
}

bool XmlDocument::deleteElement() {
    Index& d = *m_pIndex;
    if (!d.isEditable() || !d.m_iPos || d.m_nNodeType != NodeKind::Element)
        return false;
    const int index = d.m_iPos;
    const ElementRecord& r = d.rec(index);
    int end = r.end();
    const std::string& text = d.m_strDoc;
    const int size = static_cast<int>(text.size());
    int skip = end;
    while (skip < size && isXmlSpace(text[skip]))
        ++skip;
    if (skip == size || text[skip] == '<')
        end = skip;
    const int removed = end - r.start;
    const int previous = r.has(ElementRecord::kFirstChild) ? 0 : r.prevSibling;
    d.replaceText(r.start, removed, {});
    d.shiftBehind(index, -removed);
    d.unlinkElement(index);
    d.freeSubtree(index);
    d.m_iPos = previous;
    d.m_iPosChild = 0;
    d.m_nNodeType = previous ? NodeKind::Element : NodeKind::None;
    d.m_nNodeOffset = d.m_nNodeLength = 0;
    return true;
}

}  // namespace xml
