// One way to check a system call whose failure matters: CHECK_WIN32(call) makes the call and,
// when it returns FALSE, zero or null, writes to the trace where it was made, the call's own
// text and the system's text for the error (GetLastError, read before anything else runs), as
// WIL's LOG_IF_WIN32_BOOL_FALSE does. The call's result is returned, so the caller learns that
// it failed and decides what follows.
#pragma once

#include <windows.h>

#include <string>

namespace base {

// The system's text for an error number, without the line end.
std::string SystemErrorText(DWORD error);

// Traces the failure of `call` (made at `file`:`line`) with the last error; returns `succeeded`.
bool ReportIfFailed(bool succeeded, const char* call, const char* file, int line) noexcept;

template <typename Result>
Result CheckedResult(Result result, const char* call, const char* file, int line) noexcept {
    ReportIfFailed(result != Result(), call, file, line);
    return result;
}

}  // namespace base

#define CHECK_WIN32(call) ::base::CheckedResult((call), #call, __FILE__, __LINE__)
