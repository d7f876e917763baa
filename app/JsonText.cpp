#include "app/JsonText.h"

#include "xml/XmlText.h"

#include <cstdio>

namespace app {

std::string jsonString(std::string_view text) {
    const std::string utf8 = xml::normalizeUtf8(text);
    std::string json;
    json.reserve(utf8.size() + 2);
    json += '"';
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto c = static_cast<unsigned char>(utf8[at]);
        const std::string_view rest = std::string_view(utf8).substr(at);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            json += escape;
        } else if (rest.substr(0, 3) == "\u2028" || rest.substr(0, 3) == "\u2029") {
            json += rest[2] == '\xA8' ? "\\u2028" : "\\u2029";
            at += 2;
        } else {
            json += static_cast<char>(c);
        }
    }
    json += '"';
    return json;
}

}  // namespace app
