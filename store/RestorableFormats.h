// What of a clip can go back on the clipboard: the formats whose stored bytes are all they need,
// read from the store or taken from a copy in memory. The hook library's pastes and the giving
// back of the user's clipboard put these on the clipboard. Portable: no <windows.h>.
#pragma once

#include "store/ClipSnapshot.h"
#include "store/StorePaths.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace store {

// (clipboard format, bytes), in the order they go on the clipboard.
using RestorableFormats = std::vector<std::pair<unsigned, std::string>>;

// The formats of a stored clip, in index order ("clip0", "clip1"... up to the first gap or a
// format number below 1), that can be put back from their bytes (formatRestoresFromBytes),
// only the plain-text ones with `plainText`; a format whose data file is missing or empty is
// left out. Nothing when the index cannot be read, or a data file of such a format is sealed
// where this user cannot open it (the clip is not pasted in part).
std::optional<RestorableFormats> storedFormats(const StorePaths& paths, std::string_view clip, bool plainText);

// The content text ("File:Path\"" + the first file's whole path + "\"") of each of `clips` that
// holds a file list, read from the store once for all of them.
std::map<std::string, std::u16string> fileListTexts(const StorePaths& paths, const std::vector<std::string>& clips);

// The formats of a copy in memory that can be put back from their bytes, in its order.
RestorableFormats restorableFormats(const ClipSnapshot& snapshot);

}  // namespace store
