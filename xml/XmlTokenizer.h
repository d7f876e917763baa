// The byte-wise tokenizer behind XmlDocument (internal to store/).
//
// The text is UTF-8, so none of the delimiters (all ASCII) can occur inside a multibyte
// character: scanning byte by byte is safe without tracking lead bytes.
#pragma once

#include <string>
#include <string_view>

struct XmlToken {
    int kind = 0;         // a NodeKind: element (start tag), end tag, text, ..., error, end of text
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

// End of a tag name: the first space, "/" or ">" (and "?" for a processing instruction target).
int tagNameEnd(std::string_view text, int from, int end, bool instructionTarget = false);

// Attribute lookup in the start tag or processing instruction `tag` (including its "<").
// Returns false when the attribute is not there.
bool findAttribute(std::string_view tag, std::string_view name, std::string& value);
