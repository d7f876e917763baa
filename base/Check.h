// One way to check a system call whose failure matters: CHECK_WIN32(call) makes the call and,
// when it returns FALSE, zero or null, writes to the trace where it was made, the call's own
// text and the system's text for the error (GetLastError, read before anything else runs), as
// WIL's LOG_IF_WIN32_BOOL_FALSE does. The call's result is returned, so the caller learns that
// it failed and decides what follows. Variants for the calls that fail another way follow.
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

// A handle whose failure value is INVALID_HANDLE_VALUE (CreateFileW, FindFirstFileW, ...).
template <typename Handle>
Handle CheckedHandle(Handle handle, const char* call, const char* file, int line) noexcept {
    ReportIfFailed(handle != INVALID_HANDLE_VALUE, call, file, line);
    return handle;
}

// Whether a call that may return null on success too (SetClipboardData promising data rendered
// later) succeeded: it failed when it returned null and set an error.
template <typename Result>
bool SucceededUnlessError(Result result, const char* call, const char* file, int line) noexcept {
    return ReportIfFailed(result != Result() || GetLastError() == ERROR_SUCCESS, call, file, line);
}

// Whether a call that returns its error instead of setting it (the registry's LSTATUS) succeeded.
inline bool SucceededStatus(long status, const char* call, const char* file, int line) noexcept {
    if (status != ERROR_SUCCESS)
        SetLastError(static_cast<DWORD>(status));
    return ReportIfFailed(status == ERROR_SUCCESS, call, file, line);
}

}  // namespace base

#define CHECK_WIN32(call) ::base::CheckedResult((call), #call, __FILE__, __LINE__)
// The same for calls that fail with INVALID_HANDLE_VALUE; the handle is returned.
#define CHECK_WIN32_HANDLE(call) ::base::CheckedHandle((call), #call, __FILE__, __LINE__)
// The same for calls that may return null when they succeed; returns whether the call succeeded.
#define CHECK_WIN32_ERROR(call) (SetLastError(ERROR_SUCCESS), ::base::SucceededUnlessError((call), #call, __FILE__, __LINE__))
// The same for calls that return their error (the registry's); returns whether the call succeeded.
#define CHECK_STATUS(call) ::base::SucceededStatus((call), #call, __FILE__, __LINE__)
