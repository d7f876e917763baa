// The system code page conversions on a POSIX host (native tests and benchmarks): UTF-8.
#include "store/Text.h"

#include "xml/XmlText.h"

using xml::utf16ToUtf8;
using xml::utf8ToUtf16;

namespace store {

std::u16string codePageToUtf16(std::string_view bytes) {
    return utf8ToUtf16(bytes);
}

std::string utf16ToCodePage(std::u16string_view text) {
    return utf16ToUtf8(text);
}

}  // namespace store
