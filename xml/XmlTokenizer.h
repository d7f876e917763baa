// The byte-wise tokenizer behind XmlDocument. Internal to xml/: only the component's own
// sources include it.
//
// The text is UTF-8, so none of the delimiters (all ASCII) can occur inside a multibyte
// character: scanning byte by byte is safe without tracking lead bytes.
#pragma once

#include "xml/XmlFlags.h"

#include <string>
#include <string_view>

namespace xml {

// A token is a node of one of the kinds, or one of these, which are never a current node: an
// end tag (the parse closes an element with it), an error, the end of the text.
inline constexpr NodeKind kEndTagToken = NodeKind::None;
inline constexpr NodeKind kErrorToken = static_cast<NodeKind>(-1);
inline constexpr NodeKind kEndOfText = static_cast<NodeKind>(-2);

struct XmlToken {
    NodeKind kind = NodeKind::None;  // a node kind (Element: a start tag), or one of the above
    int start = 0;        // offset of the token's first byte
    int length = 0;       // bytes in the token
    int nameStart = 0;    // tags: the name; processing instructions: the target
    int nameLength = 0;
    bool emptyElement = false;  // a start tag closed by "/>"
    std::string error;    // the message of an error token
};

// Reads the token at `offset`; never reads at or past text.size().
void nextToken(std::string_view text, int offset, XmlToken& token);

inline bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A byte that may start a tag name: ':', '_', 'A'-'Z', and everything from 'a' up, multibyte
// lead bytes included.
inline bool startsTagName(unsigned char c) {
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || c >= 'a';
}

// End of a tag name: the first space, "/" or ">" (and "?" for a processing instruction target).
int tagNameEnd(std::string_view text, int from, int end, bool instructionTarget = false);

// Attribute lookup in the start tag or processing instruction `tag` (including its "<").
// Returns false when the attribute is not there.
bool findAttribute(std::string_view tag, std::string_view name, std::string& value);

}  // namespace xml
