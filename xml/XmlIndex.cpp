// Building the element index from the text: the lenient parse of XmlDocument.
#include "xml/XmlIndex.h"
#include "xml/XmlTokenizer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace xml {

namespace {

constexpr int kPageSize = 65536;

std::string quotedName(std::string_view name) {
    return "'" + std::string(name) + "'";
}

std::string formatMessage(const char* format, std::string_view name, int offset) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", offset);
    std::string out;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += name;
            ++p;
        } else if (p[0] == '%' && p[1] == 'd') {
            out += number;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

// The next "<" at or after `from` (npos when there is none). Between the tags of a store file
// lie a few bytes (a line break and a tab, a number): a short look costs less there than a call.
std::size_t nextTagOpen(std::string_view text, std::size_t from) {
    const std::size_t shortEnd = std::min(text.size(), from + 16);
    for (std::size_t i = from; i < shortEnd; ++i)
        if (text[i] == '<')
            return i;
    return shortEnd < text.size() ? text.find('<', shortEnd) : std::string_view::npos;
}

}  // namespace

// Works through the tokens once, with a stack of open elements.
class XmlDocument::Index::Parser {
public:
    explicit Parser(Index& doc) : m_doc(doc), m_text(doc.m_strDoc) { m_open.reserve(6); }

    void run() {
        XmlToken token;
        int offset = 0;
        const int size = static_cast<int>(m_text.size());
        for (;;) {
            if (offset < size && m_text[offset] != '<') {
                // Text between tags needs no record: skip to the next tag.
                const std::size_t lt = nextTagOpen(m_text, static_cast<std::size_t>(offset));
                if (lt == std::string_view::npos)
                    break;
                offset = static_cast<int>(lt);
            }
            nextToken(m_text, offset, token);
            if (token.kind == kEndOfText)
                break;
            if (token.kind == NodeKind::Element) {
                offset = startTag(token);
                continue;
            }
            if (token.kind == kEndTagToken)
                endTag(token);
            else if (token.kind == kErrorToken)
                errorToken(token);
            offset = token.start + token.length;
        }
        if (!m_open.empty()) {
            const int innermost = m_open.back().index;
            noteError(formatMessage("Element '%s' at offset %d not ended", m_doc.nameOf(innermost),
                                    m_doc.rec(innermost).start));
            closeUnended(0);
        }
        if (m_levelsStale)
            recomputeLevels();
    }

private:
    void noteError(const std::string& message) { m_doc.noteError(message); }

    void flagInnermost() {
        if (!m_open.empty())
            m_doc.rec(m_open.back().index).flags |= ElementRecord::kContainsError;
    }

    // The record is made whole here and written to the table once: the store's usual element,
    // "<name>text</name>", is closed at once when its text holds no markup and the end tag closes
    // it (without going through the tokenizer). Returns the offset to go on from.
    int startTag(const XmlToken& token) {
        const int parent = m_open.empty() ? 0 : m_open.back().index;
        const int index = m_doc.allocRecord();
        ElementRecord r{};
        r.start = token.start;
        r.length = token.length;
        r.setTagLengths(token.length, 0);
        r.setLevel(static_cast<int>(m_open.size()));
        r.keepNameLength(static_cast<std::size_t>(token.nameLength));
        const int contentStart = token.start + token.length;
        const int end = token.emptyElement ? 0 : simpleElementEnd(contentStart, token.nameStart, token.nameLength);
        if (end > 0) {
            r.length = end - r.start;
            r.setTagLengths(token.length, token.nameLength + 3);
        }
        appendChild(index, parent, r);
        if (!token.emptyElement && end == 0)
            m_open.push_back({index, token.nameStart, token.nameLength});
        return end > 0 ? end : contentStart;
    }

    // The offset just after the end tag "</name>" when it follows `offset` after text without
    // markup; 0 when something else comes first.
    int simpleElementEnd(int offset, int nameStart, int nameLength) const {
        const std::size_t lt = nextTagOpen(m_text, static_cast<std::size_t>(offset));
        const std::size_t nameAt = lt + 2;
        const std::size_t length = static_cast<std::size_t>(nameLength);
        if (lt == std::string_view::npos || nameAt + length >= m_text.size() || m_text[lt + 1] != '/' ||
            m_text[nameAt + length] != '>' ||
            std::memcmp(m_text.data() + nameAt, m_text.data() + nameStart, length) != 0)
            return 0;
        return static_cast<int>(nameAt + length + 1);
    }

    // Links a new record as the last child of `parent` (the parse only ever appends).
    // `r` is the new record, written to its place here.
    void appendChild(int index, int parent, ElementRecord& r) {
        ElementRecord& p = m_doc.rec(parent);
        r.parent = parent;
        r.firstChild = 0;
        r.nextSibling = 0;
        if (!p.firstChild) {
            p.firstChild = index;
            r.prevSibling = index;
            r.flags |= ElementRecord::kFirstChild;
        } else {
            ElementRecord& first = m_doc.rec(p.firstChild);
            const int last = first.prevSibling;
            m_doc.rec(last).nextSibling = index;
            r.prevSibling = last;
            first.prevSibling = index;
        }
        m_doc.rec(index) = r;
    }

    void endTag(const XmlToken& token) {
        const std::string_view name(m_text.data() + token.nameStart, static_cast<std::size_t>(token.nameLength));
        int match = static_cast<int>(m_open.size()) - 1;
        while (match >= 0 && openName(m_open[match]) != name)
            --match;
        if (match < 0) {
            flagInnermost();
            noteError(formatMessage("No start tag for end tag %s at offset %d", quotedName(name), token.start));
            return;
        }
        if (match + 1 < static_cast<int>(m_open.size())) {
            const int innermost = m_open.back().index;
            const std::string message = "End tag " + quotedName(name) + " at offset " +
                                        std::to_string(token.start + 1) + " does not match start tag " +
                                        quotedName(m_doc.nameOf(innermost)) + " at offset " +
                                        std::to_string(m_doc.rec(innermost).start);
            noteError(message);
            closeUnended(match + 1);
        }
        ElementRecord& r = m_doc.rec(m_open[match].index);
        r.length = token.start + token.length - r.start;
        r.setTagLengths(r.startTagLength(), token.length);
        m_open.resize(match);
    }

    void errorToken(const XmlToken& token) {
        flagInnermost();
        noteError(token.error);
    }

    // Closes m_open[from..] as not ended. Each loses its content to its parent: its children
    // become its following siblings. Done for the whole run at once, in document order, so that
    // every element is relinked once, however deep the run.
    void closeUnended(int from) {
        const int target = from > 0 ? m_open[from - 1].index : 0;
        const int targetLevel = target ? m_doc.rec(target).level() + 1 : 0;
        std::vector<int> flat;
        for (std::size_t k = static_cast<std::size_t>(from); k < m_open.size(); ++k) {
            const int element = m_open[k].index;
            const int nextOpen = k + 1 < m_open.size() ? m_open[k + 1].index : 0;
            flat.push_back(element);
            for (int child = m_doc.rec(element).firstChild; child && child != nextOpen;
                 child = m_doc.rec(child).nextSibling)
                flat.push_back(child);
            ElementRecord& r = m_doc.rec(element);
            r.flags |= ElementRecord::kNotEnded;
            r.length = r.startTagLength();
            r.firstChild = 0;
        }
        // flat[0] stays where it is, the last child of target; the rest follow it.
        for (std::size_t i = 1; i < flat.size(); ++i) {
            ElementRecord& r = m_doc.rec(flat[i]);
            r.parent = target;
            r.flags &= ~ElementRecord::kFirstChild;
            r.prevSibling = flat[i - 1];
            m_doc.rec(flat[i - 1]).nextSibling = flat[i];
        }
        for (int element : flat)
            m_doc.rec(element).setLevel(targetLevel);
        m_doc.rec(flat.back()).nextSibling = 0;
        m_doc.rec(m_doc.rec(target).firstChild).prevSibling = flat.back();
        m_open.resize(static_cast<std::size_t>(from));
        m_levelsStale = true;
    }

    // Descendants of moved elements keep their old levels until this single walk.
    void recomputeLevels() {
        int index = m_doc.rec(0).firstChild;
        int level = 0;
        while (index) {
            ElementRecord& r = m_doc.rec(index);
            r.setLevel(level);
            if (r.firstChild) {
                index = r.firstChild;
                ++level;
                continue;
            }
            while (index && !m_doc.rec(index).nextSibling) {
                index = m_doc.rec(index).parent;
                --level;
            }
            if (index)
                index = m_doc.rec(index).nextSibling;
        }
    }

    struct OpenElement {
        int index;
        int nameStart;
        int nameLength;
    };

    std::string_view openName(const OpenElement& open) const {
        return m_text.substr(static_cast<std::size_t>(open.nameStart), static_cast<std::size_t>(open.nameLength));
    }

    Index& m_doc;
    std::string_view m_text;
    std::vector<OpenElement> m_open;
    bool m_levelsStale = false;
};

// Only the first message is kept. Errors in the text flag the document record; the structural
// ones (no root, a second root) are not flagged, because isWellFormed checks the tree itself and
// a root added later makes the document whole.
void XmlDocument::Index::noteError(const std::string& message, bool structural) {
    if (!structural)
        rec(0).flags |= ElementRecord::kContainsError;
    if (!m_bErrorNoted) {
        m_bErrorNoted = true;
        m_strResult = m_strResult.empty() ? message : m_strResult + ", " + message;
    }
}

void XmlDocument::Index::parse() {
    resetPosition();
    clearTable();
    m_bErrorNoted = false;
    const int textLength = static_cast<int>(m_strDoc.size());
    growTable(estimatedElements() + 8);
    rec(0).clear();
    if (m_strDoc.empty()) {
        noteError("Empty document", true);
        return;
    }
    Parser(*this).run();
    ElementRecord& document = rec(0);
    document.length = textLength;
    if (!document.firstChild)
        noteError("No root element", true);
    else if (rec(document.firstChild).nextSibling)
        noteError("Root element has sibling", true);
}

// ---- The paged element table ----

// At least one record per 64 bytes; more when a sample of the text shows denser tags (in store
// files about half the "<" start an element), so that the table rarely grows while parsing.
int XmlDocument::Index::estimatedElements() const {
    const std::size_t size = m_strDoc.size();
    const std::size_t sample = std::min<std::size_t>(size, 4096);
    const std::size_t tags = static_cast<std::size_t>(std::count(m_strDoc.begin(), m_strDoc.begin() + static_cast<std::ptrdiff_t>(sample), '<'));
    const std::size_t fromSample = sample ? tags * size / sample / 2 : 0;
    return static_cast<int>(std::max(size / 64, fromSample));
}

void XmlDocument::Index::clearTable() {
    m_iPosFree = 1;
    m_iPosDeleted = 0;
}

// One growth step: the last page is enlarged, up to a full page, or else one new page is added;
// a step never moves or adds more than one page.
void XmlDocument::Index::growStep(int wanted) {
    if (!m_pages.empty() && m_pageSizes.back() < kPageSize) {
        const int oldSize = m_pageSizes.back();
        const int newSize = oldSize + wanted < kPageSize ? oldSize + wanted : kPageSize;
        std::unique_ptr<ElementRecord[]> page(new ElementRecord[static_cast<std::size_t>(newSize)]);
        std::copy(m_pages.back().get(), m_pages.back().get() + oldSize, page.get());
        m_pages.back() = std::move(page);
        m_pageSizes.back() = newSize;
        m_nCapacity += newSize - oldSize;
    } else {
        const int newSize = wanted < kPageSize ? wanted : kPageSize;
        m_pages.emplace_back(new ElementRecord[static_cast<std::size_t>(newSize)]);
        m_pageSizes.push_back(newSize);
        m_nCapacity += newSize;
    }
}

void XmlDocument::Index::growTable(int minimum) {
    while (m_nCapacity < minimum)
        growStep(minimum - m_nCapacity);
}

std::size_t XmlDocument::memoryUsage() const {
    return m_pIndex->m_strDoc.capacity() + static_cast<std::size_t>(m_pIndex->m_nCapacity) * sizeof(ElementRecord);
}

}  // namespace xml
