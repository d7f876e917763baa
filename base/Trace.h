// Diagnostics: the one way this program reports what went wrong. Traces go to the debugger, and
// are appended to the file named by the environment variable DRAVIX_LOG when it is set (the
// debug switch; every process the program's hooks run in writes to the same file, one line per
// call, each line starting with the process, the thread and the tick count).
#pragma once

#include <windows.h>

#include <string>

namespace base {

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
// For a thread that must never wait for the disk (the log's file may): the line is made now,
// stamped with this moment, and written later by WriteTrace from a thread that may wait.
std::string TraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void WriteTrace(const std::string& line);

}  // namespace base
