// The per-user list of programs whose copies are never recorded (HKCU, one value per program:
// its full path, with the time it was added). Read at every copy: a change counts from the next.
#pragma once

#include <string>
#include <vector>

namespace app::excluded {

struct Program {
    std::string path;   // UTF-8
    std::string added;  // "2026-12-08 14:03:22"
};

std::vector<Program> programs();
// Whether a copy from `source` (a full path, UTF-8; empty when not known) is kept out.
bool isExcluded(const std::string& source);
// False when the setting could not be written. The options dialog's 隐私 page takes programs off.
bool add(const std::string& path);

}  // namespace app::excluded
