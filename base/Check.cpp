#include "base/Check.h"

#include "base/FailureText.h"
#include "base/Trace.h"

namespace base {

std::string SystemErrorText(DWORD error) {
    char* message = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<char*>(&message), 0, nullptr);
    std::string text = message ? message : "";
    LocalFree(message);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// Out of memory the line cannot be made: the failure is still returned to the caller.
bool ReportIfFailed(bool succeeded, const char* call, const char* file, int line) noexcept {
    if (succeeded)
        return true;
    const DWORD error = GetLastError();
    try {
        Trace("%s", failureText(file, line, call, error, SystemErrorText(error)).c_str());
    } catch (...) {
        OutputDebugStringA("a call failed; no memory to trace it\r\n");
    }
    SetLastError(error);  // the caller may read it too
    return false;
}

}  // namespace base
