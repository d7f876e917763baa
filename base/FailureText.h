// The words of a failed system call in the trace, portable so that they are tested natively:
// where the call was made, the call's own text, the system's error number and its text, the way
// WIL's LOG_IF_WIN32_BOOL_FALSE reports one.
#pragma once

#include <string>
#include <string_view>

namespace base {

// The source file from its folder in the repository on ("hooklib/ChordPaste.cpp"), whatever
// machine built it; a bare name stays as it is.
std::string_view sourceName(std::string_view file);

// "hooklib/ChordPaste.cpp(160): OpenClipboard(window) failed: 5 Access is denied." The system's
// text loses the line end Windows puts after it.
std::string failureText(std::string_view file, int line, std::string_view call, unsigned long error,
                        std::string_view systemText);

}  // namespace base
