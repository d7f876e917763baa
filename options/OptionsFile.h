// Options written to a file the user picks and read back, for a second machine or a reinstall: an
// XML file of ours (UTF-8 with a byte-order mark, like the store's files) or a .reg file as the
// registry editor writes it (UTF-16 with a byte-order mark). A file is read strictly: what is not
// ours, malformed, doubled or too large is refused with a message saying what, and nothing of it
// is taken. Switches and chords a file does not name are the defaults.
#pragma once

#include "options/Options.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace options {

inline constexpr std::size_t kMaxOptionsFileBytes = 512 * 1024;

enum class OptionsFileKind { Xml, Reg };
// A .reg file by its extension (any case); every other name is our XML file.
OptionsFileKind optionsFileKindOf(std::string_view path);

// The bytes of the file.
std::string optionsFileBytes(const Options& options, OptionsFileKind kind);

struct OptionsFileRead {
    std::optional<Options> options;
    std::string error;  // in Chinese, when there are no options
};
// Either kind, told apart by its first bytes.
OptionsFileRead readOptionsFile(std::string_view bytes);

}  // namespace options
