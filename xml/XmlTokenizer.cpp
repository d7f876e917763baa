#include "xml/XmlTokenizer.h"

#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <cstdio>
#include <cstring>

namespace xml {

namespace {

// The packed tag-length word holds 20 bits for a start tag and 10 for an end tag.
constexpr int kMaxStartTagLength = 0xFFFFF;
constexpr int kMaxEndTagLength = 0x3FF;

std::string offsetMessage(const char* format, const char* what, int offset) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, what, offset);
    return buffer;
}

void setError(XmlToken& token, int length, const char* format, const char* what) {
    token.kind = kErrorToken;
    token.length = length;
    token.error = offsetMessage(format, what, token.start);
}

void setIncorrect(XmlToken& token, const char* what) {
    setError(token, 1, "Incorrect %s at offset %d", what);
}

void setUnterminated(XmlToken& token, int textSize, const char* what) {
    setError(token, textSize - token.start, "%s at offset %d unterminated", what);
}

int find(std::string_view text, std::string_view what, int from) {
    const std::size_t at = text.find(what, static_cast<std::size_t>(from));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int findChar(std::string_view text, char c, int from, int end) {
    const void* at = std::memchr(text.data() + from, c, static_cast<std::size_t>(end - from));
    return at ? static_cast<int>(static_cast<const char*>(at) - text.data()) : -1;
}

// The ">" closing a start tag, skipping quoted attribute values (a quote opens a value only
// after "="). -1 when the text ends first.
int startTagEnd(std::string_view text, int from) {
    const int size = static_cast<int>(text.size());
    const int gt = findChar(text, '>', from, size);
    if (gt < 0)
        return -1;
    if (findChar(text, '"', from, gt) < 0 && findChar(text, '\'', from, gt) < 0)
        return gt;
    char quote = 0;
    bool afterEquals = false;
    for (int i = from; i < size; ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if ((c == '"' || c == '\'') && afterEquals) {
            quote = c;
        } else if (c == '>') {
            return i;
        } else if (c == '=') {
            afterEquals = true;
        } else if (!isXmlSpace(c)) {
            afterEquals = false;
        }
    }
    return -1;
}

// The ">" closing a declaration; with a nested subset, inner "<!...>" and quoted ">" do not
// close it. -1 when the text ends first.
int declarationEnd(std::string_view text, int from) {
    const int size = static_cast<int>(text.size());
    char quote = 0;
    int depth = 0;
    for (int i = from; i < size; ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '<') {
            ++depth;
        } else if (c == '>') {
            if (depth == 0)
                return i;
            --depth;
        }
    }
    return -1;
}

void readTextToken(std::string_view text, int offset, XmlToken& token) {
    const int size = static_cast<int>(text.size());
    int end = findChar(text, '<', offset, size);
    if (end < 0)
        end = size;
    token.length = end - offset;
    token.kind = NodeKind::Whitespace;
    for (int i = offset; i < end; ++i) {
        if (!isXmlSpace(text[i])) {
            token.kind = NodeKind::Text;
            break;
        }
    }
}

// Start and end tags are the bulk of a store file: their names are read in the same pass that
// looks for the closing ">", and only unusual tags take the general scan. Returns the offset
// just after the name.
int readTagName(std::string_view text, int nameStart, XmlToken& token) {
    const int end = tagNameEnd(text, nameStart, static_cast<int>(text.size()));
    token.nameStart = nameStart;
    token.nameLength = end - nameStart;
    return end;
}

void readStartTag(std::string_view text, int offset, XmlToken& token) {
    const int size = static_cast<int>(text.size());
    const char* p = text.data();
    const int i = readTagName(text, offset + 1, token);
    int gt;
    if (i < size && p[i] == '>')
        gt = i;
    else if (i + 1 < size && p[i] == '/' && p[i + 1] == '>')
        gt = i + 1;
    else
        gt = startTagEnd(text, i);
    if (gt < 0)
        return setUnterminated(token, size, "Element tag");
    const int length = gt + 1 - offset;
    if (length > kMaxStartTagLength)
        return setError(token, length, "%s at offset %d too long", "Element tag");
    if (token.nameLength > static_cast<int>(kMaxElementNameLength))
        return setError(token, length, "%s at offset %d too long", "Element name");
    token.kind = NodeKind::Element;
    token.length = length;
    token.emptyElement = gt - 1 > offset + 1 && p[gt - 1] == '/';
}

void readEndTag(std::string_view text, int offset, XmlToken& token) {
    const int size = static_cast<int>(text.size());
    const char* p = text.data();
    const int i = readTagName(text, offset + 2, token);
    const int gt = i < size && p[i] == '>' ? i : (i < size ? findChar(text, '>', i, size) : -1);
    if (gt < 0)
        return setUnterminated(token, size, "Element end tag");
    const int length = gt + 1 - offset;
    if (length > kMaxEndTagLength)
        return setError(token, length, "%s at offset %d too long", "Element end tag");
    token.kind = kEndTagToken;
    token.length = length;
}

// A token from `offset` to the end of `terminator`, or an unterminated error.
void readDelimited(std::string_view text, int offset, int searchFrom, std::string_view terminator,
                   NodeKind kind, const char* what, XmlToken& token) {
    const int at = find(text, terminator, searchFrom);
    if (at < 0)
        return setUnterminated(token, static_cast<int>(text.size()), what);
    token.kind = kind;
    token.length = at + static_cast<int>(terminator.size()) - offset;
}

void readBangToken(std::string_view text, int offset, XmlToken& token) {
    const int size = static_cast<int>(text.size());
    const char c = offset + 2 < size ? text[offset + 2] : 0;
    const char d = offset + 3 < size ? text[offset + 3] : 0;
    if (c == '-') {
        if (d != '-')
            return setIncorrect(token, "comment tag");
        return readDelimited(text, offset, offset + 4, "-->", NodeKind::Comment, "Comment", token);
    }
    if (c == '[') {
        if (d != 'C')
            return setIncorrect(token, "tag");
        return readDelimited(text, offset, offset + 3, "]]>", NodeKind::Cdata, "CDATA Section", token);
    }
    if (c == 'D' || c == 'E' || c == 'A' || c == 'N') {
        const int gt = declarationEnd(text, offset + 2);
        if (gt < 0)
            return setUnterminated(token, size, "Doctype");
        token.kind = NodeKind::DocumentType;
        token.length = gt + 1 - offset;
        token.nameStart = offset + 2;
        token.nameLength = tagNameEnd(text, offset + 2, gt) - token.nameStart;
        return;
    }
    setIncorrect(token, "! tag");
}

}  // namespace

namespace {

// The bytes that end a tag name, one table lookup a byte in the tokenizer's busiest loop: white
// space, "/" and ">" (bit 1), and "?" as well for an instruction's target (bit 2).
constexpr unsigned char kEndsName = 1, kEndsTarget = 2;

struct NameEndTable {
    unsigned char ends[256] = {};
    constexpr NameEndTable() {
        for (unsigned char c : {' ', '\t', '\n', '\r', '/', '>'})
            ends[c] = kEndsName | kEndsTarget;
        ends[static_cast<unsigned char>('?')] = kEndsTarget;
    }
};

constexpr NameEndTable kNameEnds;

}  // namespace

int tagNameEnd(std::string_view text, int from, int end, bool instructionTarget) {
    const unsigned char stop = instructionTarget ? kEndsTarget : kEndsName;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    int i = from;
    while (i < end && !(kNameEnds.ends[p[i]] & stop))
        ++i;
    return i;
}

void nextToken(std::string_view text, int offset, XmlToken& token) {
    const int size = static_cast<int>(text.size());
    token.start = offset;
    token.nameStart = token.nameLength = 0;
    token.emptyElement = false;
    if (offset >= size) {
        token.kind = kEndOfText;
        token.length = 0;
        return;
    }
    if (text[offset] != '<')
        return readTextToken(text, offset, token);
    if (offset + 1 >= size)
        return setUnterminated(token, size, "Element tag");
    const unsigned char c = static_cast<unsigned char>(text[offset + 1]);
    if (c == '/')
        return readEndTag(text, offset, token);
    if (c == '?') {
        readDelimited(text, offset, offset + 2, "?>", NodeKind::ProcessingInstruction,
                      "Processing instruction", token);
        if (token.kind == NodeKind::ProcessingInstruction) {
            token.nameStart = offset + 2;
            token.nameLength =
                tagNameEnd(text, offset + 2, offset + token.length, true) - token.nameStart;
        }
        return;
    }
    if (c == '!')
        return readBangToken(text, offset, token);
    if (startsTagName(c))
        return readStartTag(text, offset, token);
    setIncorrect(token, "tag name character");
}

bool findAttribute(std::string_view tag, std::string_view name, std::string& value) {
    const int size = static_cast<int>(tag.size());
    const bool instruction = tag.size() > 1 && tag[1] == '?';
    int i = tagNameEnd(tag, instruction ? 2 : 1, size, instruction);
    while (i < size) {
        while (i < size && (isXmlSpace(tag[i]) || tag[i] == '/' || tag[i] == '?'))
            ++i;
        if (i >= size || tag[i] == '>')
            return false;
        const int nameStart = i;
        while (i < size && !isXmlSpace(tag[i]) && tag[i] != '=' && tag[i] != '>' && tag[i] != '/')
            ++i;
        const std::string_view attrName = tag.substr(nameStart, i - nameStart);
        while (i < size && isXmlSpace(tag[i]))
            ++i;
        std::string_view attrValue;
        if (i < size && tag[i] == '=') {
            ++i;
            while (i < size && isXmlSpace(tag[i]))
                ++i;
            if (i < size && (tag[i] == '"' || tag[i] == '\'')) {
                const char quote = tag[i++];
                const int valueStart = i;
                while (i < size && tag[i] != quote)
                    ++i;
                attrValue = tag.substr(valueStart, i - valueStart);
                if (i < size)
                    ++i;
            } else {
                const int valueStart = i;
                while (i < size && !isXmlSpace(tag[i]) && tag[i] != '>')
                    ++i;
                attrValue = tag.substr(valueStart, i - valueStart);
            }
        }
        if (attrName == name) {
            value = unescapeText(attrValue);
            return true;
        }
    }
    return false;
}

}  // namespace xml
