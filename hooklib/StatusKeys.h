// Keys of the store's XML files (direct children of the root), set and removed by the library.
#pragma once

#include <string>
#include <string_view>

namespace hooklib {

// Sets `key` to `value` in the file; a missing file is started anew.
void SetStatusKey(const std::string& path, std::string_view key, std::string_view value);
// Removes the first `key`; a missing file is left alone.
void RemoveKey(const std::string& path, std::string_view key);
// SysClip and PressNum, raised while a chord works, gone from the status file; whatever fails is
// traced (every path out of a chord calls this).
void RemoveChordStatusKeys(const std::string& path);

}  // namespace hooklib
