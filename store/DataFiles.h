// The one way both deliverables write and read the data files of clips (each format, bitmap,
// thumbnail, slot, the kept user clipboard, staged and temporary files): sealed for the user on
// write when sealing is on (SealedFile.h), opened on read whatever the file holds, so that older
// plain stores and kept runs read as before. A seal that does not open is unreadable: its clip is
// never pasted from garbage, and its file stays where it is. Portable: no <windows.h>.
#pragma once

#include "store/FileSystem.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace store {

// Whether new data files are written sealed for the user: a choice of the whole store, made once
// by each deliverable as it starts (the main program from the setting SealStore, the hook library
// from its shared section). On unless turned off.
void setSealing(bool on);
bool sealing();

// Who hears of a data file sealed where this user cannot open it, once (a copied profile holds
// hundreds): each deliverable tells the user in its own way, and sets it once as it starts.
// Without one nothing is said.
using UnreadableReporter = void (*)(const std::string& path);
void setUnreadableReporter(UnreadableReporter reporter);

enum class DataState { Read, Missing, Unreadable };
struct DataContent {
    DataState state = DataState::Missing;
    std::string bytes;  // the content, when Read
};
// A data file's content: a plain file's bytes, a sealed file's opened; `key` opens the files of a
// password-protected archive. An unreadable file is reported.
DataContent readDataContent(const std::string& path, std::string_view key = {});
// Its content, or nothing when it is missing or unreadable.
std::optional<std::string> readData(const std::string& path);
// The first `count` bytes of its content (fewer when it is shorter): of a plain file only they are
// read, a sealed one is opened whole.
DataContent readDataStart(const std::string& path, std::size_t count);

// The bytes a data file holding `plain` is written with: sealed for the user when sealing is on,
// else as they are (marked when they begin like a seal). Nothing when the system refused to seal.
std::optional<std::string> dataFileBytes(std::string_view plain);
// New data files, each holding its content as dataFileBytes makes it, written as files::writeFiles
// writes them: all or none.
bool writeDataFiles(const files::FileContents& contents);

}  // namespace store
