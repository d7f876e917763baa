// The standard handles of dravixc.exe. Text is UTF-8 throughout: to a console it goes as UTF-16
// with WriteConsoleW, which shows Chinese whatever the console's code page and leaves that code
// page as the user had it (SetConsoleOutputCP would change it for the whole console, after we
// end too); redirected to a file or a pipe it goes as the UTF-8 bytes themselves with WriteFile,
// so that `get` output reaches a file byte for byte and scripts read UTF-8.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace cli {

class CStandardOutput {
public:
    // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
    explicit CStandardOutput(DWORD which);
    CStandardOutput(const CStandardOutput&) = delete;
    CStandardOutput& operator=(const CStandardOutput&) = delete;

    // False when the bytes could not all be written. To a console, a character split between two
    // writes is kept until its end comes.
    bool write(std::string_view utf8);

private:
    HANDLE m_handle;
    bool m_console = false;
    std::string m_pending;  // the start of a character whose end has not come yet
};

// All of the standard input up to its end, at most `limit` bytes (a console's typing ends with
// Ctrl+Z, as UTF-8); nothing when it holds more or cannot be read.
std::optional<std::string> readStandardInput(std::size_t limit);

}  // namespace cli
