#include "base/Text.h"

#include "base/CodePage.h"

#include <windows.h>

namespace base {

std::wstring codePageToWide(std::string_view bytes, unsigned codePage) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::string wideToCodePage(std::wstring_view text, unsigned codePage) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

std::wstring toWide(std::string_view utf8) {
    return codePageToWide(utf8, CP_UTF8);
}

std::string toUtf8(std::wstring_view text) {
    return wideToCodePage(text, CP_UTF8);
}

}  // namespace base
