#include "base/Trace.h"

#include "base/Barrier.h"
#include "base/Check.h"

#include <cstdarg>
#include <cstdio>
#include <exception>
#include <string>

namespace base {

namespace {

// The log file's path, read once per process; empty when the switch is off.
const std::wstring& logPath() {
    static const std::wstring path = [] {
        wchar_t buffer[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableW(L"DRAVIX_LOG", buffer, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
    }();
    return path;
}

// One write per line, at the end of the file, under a lock of the file's own: appending alone does
// not keep the lines of several processes apart under Wine, which takes the end and then writes
// there (a line of another process written between is overwritten). The lock wants read or write
// access (hence FILE_READ_DATA); it is on a byte far past any line, so readers of the log are never
// held up, and it goes with the handle should the process die.
void appendLine(const std::string& line) {
    if (logPath().empty())
        return;
    HANDLE file = CreateFileW(logPath().c_str(), FILE_APPEND_DATA | FILE_READ_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED lockByte = {};
    lockByte.OffsetHigh = 0x7FFFFFFF;
    const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockByte) != FALSE;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (locked)
        UnlockFileEx(file, 0, 1, 0, &lockByte);
    CloseHandle(file);
}

std::string formatLine(const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%lu %lu %lu ", GetCurrentProcessId(), GetCurrentThreadId(), GetTickCount());
    return std::string(prefix) + text + "\r\n";
}

}  // namespace

void WriteTrace(const std::string& line) {
    OutputDebugStringA(line.c_str());
    appendLine(line);
}

std::string TraceLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string line = formatLine(format, arguments);
    va_end(arguments);
    return line;
}

void Trace(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string line = formatLine(format, arguments);
    va_end(arguments);
    WriteTrace(line);
}

// Out of memory, the trace itself may fail to allocate its line: the debugger still hears.
void TraceCaughtException(const char* where) noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& caught) {
            Trace("exception caught in %s: %s", where, caught.what());
        } catch (...) {
            Trace("exception caught in %s", where);
        }
    } catch (...) {
        OutputDebugStringA("exception caught; no memory to trace it\r\n");
    }
}

}  // namespace base
