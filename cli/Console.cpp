#include "cli/Console.h"

#include "base/Check.h"
#include "base/Text.h"

#include <algorithm>
#include <iterator>

namespace cli {

namespace {

constexpr DWORD kWriteUnits = 1u << 20;

bool writeBytes(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kWriteUnits));
        if (!WriteFile(handle, bytes.data(), size, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool writeConsole(HANDLE handle, std::wstring_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(text.size(), kWriteUnits));
        if (!CHECK_WIN32(WriteConsoleW(handle, text.data(), size, &written, nullptr)) || written == 0)
            return false;
        text.remove_prefix(written);
    }
    return true;
}

// Where the last whole character of UTF-8 bytes ends: before a lead byte whose sequence is
// still short of bytes.
std::size_t wholeCharactersEnd(std::string_view bytes) {
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}

std::optional<std::string> readConsole(HANDLE input, std::size_t limit) {
    std::wstring text;
    wchar_t buffer[4096];
    for (DWORD read = 0; ReadConsoleW(input, buffer, static_cast<DWORD>(std::size(buffer)), &read, nullptr) && read > 0;) {
        const std::wstring_view got(buffer, read);
        const std::size_t end = got.find(L'\x1A');  // Ctrl+Z ends the typing
        text.append(got.substr(0, end));
        if (text.size() > limit)
            return std::nullopt;
        if (end != std::wstring_view::npos)
            break;
    }
    return base::toUtf8(text);
}

}  // namespace

CStandardOutput::CStandardOutput(DWORD which) : m_handle(GetStdHandle(which)) {
    DWORD mode = 0;
    m_console = m_handle && m_handle != INVALID_HANDLE_VALUE && GetConsoleMode(m_handle, &mode);
}

bool CStandardOutput::write(std::string_view utf8) {
    if (!m_handle || m_handle == INVALID_HANDLE_VALUE)
        return false;
    if (!m_console)
        return writeBytes(m_handle, utf8);
    m_pending += utf8;
    const std::size_t end = wholeCharactersEnd(m_pending);
    const bool written = writeConsole(m_handle, base::toWide(std::string_view(m_pending).substr(0, end)));
    m_pending.erase(0, end);
    return written;
}

std::optional<std::string> readStandardInput(std::size_t limit) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (!input || input == INVALID_HANDLE_VALUE)
        return std::string();
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode))
        return readConsole(input, limit);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        // A pipe ends with ERROR_BROKEN_PIPE, a file with a read of nothing.
        if (!ReadFile(input, buffer, sizeof buffer, &read, nullptr))
            return GetLastError() == ERROR_BROKEN_PIPE ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
        if (read == 0)
            return bytes;
        bytes.append(buffer, read);
        if (bytes.size() > limit)
            return std::nullopt;
    }
}

}  // namespace cli
