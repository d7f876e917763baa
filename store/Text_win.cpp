// The system code page conversions on Windows: the ANSI code page.
#include "store/Text.h"

#include "base/CodePage.h"
#include "base/Text.h"

#include <windows.h>

namespace store {

std::u16string codePageToUtf16(std::string_view bytes) {
    return base::toUtf16(base::codePageToWide(bytes, CP_ACP));
}

std::string utf16ToCodePage(std::u16string_view text) {
    return base::wideToCodePage(base::toWide(text), CP_ACP);
}

}  // namespace store
