// XmlDocument: edits. Each edit changes the text in place and shifts only the index records
// behind it, so the index stays valid without a new parse.
#include "XmlIndex.h"
#include "XmlTokenizer.h"

#include <vector>

namespace {

constexpr std::string_view kLineBreak = "\r\n";

bool startsTagName(unsigned char c) {
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || c >= 'a';
}

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

std::string escapedContent(std::string_view text, int flags) {
    return (flags & kWriteCdata) ? encodeCdata(text) : escapeText(text, flags);
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
void XmlDocument::linkAfter(int index, int parent, int previous) {
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

void XmlDocument::unlinkElement(int index) {
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
void XmlDocument::forEachInSubtree(int top, Visit visit) {
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

void XmlDocument::shiftSubtree(int top, int diff) {
    forEachInSubtree(top, [this, diff](int index) { rec(index).start += diff; });
}

// Everything behind `index` moves by `diff`: its following siblings, and at every level above it
// the ancestors' lengths and their following siblings.
void XmlDocument::shiftBehind(int index, int diff) {
    for (int at = index; at; at = rec(at).parent) {
        for (int next = rec(at).nextSibling; next; next = rec(next).nextSibling)
            shiftSubtree(next, diff);
        const int parent = rec(at).parent;
        rec(parent).length += diff;
    }
}

void XmlDocument::freeSubtree(int top) {
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

void XmlDocument::replaceText(int offset, int removeLength, std::string_view insert) {
    m_strDoc.replace(static_cast<std::size_t>(offset), static_cast<std::size_t>(removeLength), insert);
}

// A current non-element node is found by its offset, which an edit elsewhere would make stale:
// element edits fall back to the element position.
void XmlDocument::dropCurrentNode() {
    if (m_nNodeType != 0 && m_nNodeType != kNodeElement) {
        m_nNodeType = m_iPos ? kNodeElement : 0;
        m_nNodeOffset = m_nNodeLength = 0;
    }
}

// ---- Setting text ----

bool XmlDocument::setTextOf(int index, std::string_view text, int flags) {
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

bool XmlDocument::setNodeText(std::string_view text, int flags) {
    std::string node;
    switch (m_nNodeType) {
    case kNodeText:
    case kNodeWhitespace: node = escapeText(text, flags); break;
    case kNodeCdata:
        if (text.find("]]>") != std::string_view::npos)
            return false;
        node = "<![CDATA[" + std::string(text) + "]]>";
        break;
    case kNodeProcessingInstruction:
        if (text.find("?>") != std::string_view::npos)
            return false;
        node = "<?" + std::string(text) + "?>";
        break;
    case kNodeComment:
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
bool XmlDocument::isEditable() const {
    return !rec(0).has(ElementRecord::kContainsError);
}

bool XmlDocument::setElementText(std::string_view text, int flags) {
    if (!isEditable())
        return false;
    if (m_nNodeType != 0 && m_nNodeType != kNodeElement)
        return setNodeText(text, flags);
    if (flags & kOnChild)
        return m_iPosChild && setTextOf(m_iPosChild, text, flags);
    return m_iPos && setTextOf(m_iPos, text, flags);
}

bool XmlDocument::setChildElementText(std::string_view text, int flags) {
    return isEditable() && m_iPosChild && setTextOf(m_iPosChild, text, flags | kOnChild);
}

// ---- Adding and deleting ----

bool XmlDocument::addElement(std::string_view name, std::string_view text, int flags) {
    return isEditable() && insertElement(name, text, flags & ~kOnChild);
}

bool XmlDocument::addChildElement(std::string_view name, std::string_view text, int flags) {
    return isEditable() && m_iPos && insertElement(name, text, flags | kOnChild);
}

namespace {

// The text of a new element and the lengths its record keeps.
struct NewElement {
    std::string text;       // with its line break, if any
    int length = 0;         // of the element itself
    int startTagLength = 0;
    int endTagLength = 0;
};

NewElement newElement(std::string_view name, std::string_view content, int flags) {
    NewElement element;
    element.text = "<" + std::string(name);
    if (!content.empty()) {
        element.text += ">";
        element.startTagLength = static_cast<int>(element.text.size());
        element.text += escapedContent(content, flags);
        element.text += "</" + std::string(name) + ">";
        element.endTagLength = static_cast<int>(name.size()) + 3;
    } else {
        element.text += (flags & kStartTagOnly) ? ">" : (flags & kSpaceBeforeSlash) ? " />" : "/>";
        element.startTagLength = static_cast<int>(element.text.size());
    }
    element.length = static_cast<int>(element.text.size());
    if (!(flags & kNoLineBreak))
        element.text += kLineBreak;
    return element;
}

}  // namespace

bool XmlDocument::insertElement(std::string_view name, std::string_view text, int flags) {
    const bool onChild = (flags & kOnChild) != 0;
    const int parent = onChild ? m_iPos : m_iPosParent;
    const int reference = onChild ? m_iPosChild : (m_nNodeType == kNodeElement ? m_iPos : 0);
    if (!isInsertableName(name) || ((flags & kStartTagOnly) && !text.empty()))
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

int XmlDocument::newRecord(std::string_view name, int length, int startTagLength, int endTagLength, int parent,
                           int flags) {
    const int index = allocRecord();
    ElementRecord& added = rec(index);
    added.clear();
    added.length = length;
    added.setTagLengths(startTagLength, endTagLength);
    if (flags & kStartTagOnly)
        added.flags |= ElementRecord::kNotEnded;  // a lone start tag has no content of its own
    added.setLevel(parent ? rec(parent).level() + 1 : 0);
    added.keepNameLength(name.size());
    return index;
}

// Directly after the reference element (before it with kInsertBefore), or after the parent's
// last child; past any whitespace up to the next tag, so that it starts on a line of its own.
XmlDocument::InsertionPoint XmlDocument::insertionPoint(int parent, int reference, int flags) const {
    InsertionPoint point;
    if (reference) {
        const bool before = (flags & kInsertBefore) != 0;
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
void XmlDocument::insertIntoEmptyTag(int parent, int index, const std::string& element) {
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

void XmlDocument::insertAt(InsertionPoint point, int parent, int index, std::string element) {
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

void XmlDocument::makeCurrent(int index, bool asChild) {
    if (asChild) {
        m_iPosChild = index;
        return;
    }
    m_iPos = index;
    m_iPosChild = 0;
    m_nNodeType = kNodeElement;
    m_nNodeOffset = m_nNodeLength = 0;
}

bool XmlDocument::deleteElement() {
    if (!isEditable() || !m_iPos || m_nNodeType != kNodeElement)
        return false;
    const int index = m_iPos;
    const ElementRecord& r = rec(index);
    int end = r.end();
    const int size = static_cast<int>(m_strDoc.size());
    int skip = end;
    while (skip < size && isXmlSpace(m_strDoc[skip]))
        ++skip;
    if (skip == size || m_strDoc[skip] == '<')
        end = skip;
    const int removed = end - r.start;
    const int previous = r.has(ElementRecord::kFirstChild) ? 0 : r.prevSibling;
    replaceText(r.start, removed, {});
    shiftBehind(index, -removed);
    unlinkElement(index);
    freeSubtree(index);
    m_iPos = previous;
    m_iPosChild = 0;
    m_nNodeType = previous ? kNodeElement : 0;
    m_nNodeOffset = m_nNodeLength = 0;
    return true;
}
