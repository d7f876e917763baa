// What "清除所有记录" removes, by the names the program gives (never by where a file lies or how it
// sorts): in the store folder, the index, the status file and what the program made of them (their
// temporary files, the copies of damaged ones, what a start set aside under a run's name); in the
// data folder, the clips' files and the staged ones; in the runs folder, the kept runs (archive,
// data folder, a damaged run's folder) and what an ended keep left of them. The user's archives and
// any other file stay. Portable: no <windows.h>.
#pragma once

#include <string_view>

namespace store {

// An entry of the store folder that goes whole (the data folder itself is emptied of clip files
// first, and goes only when nothing else is left in it).
bool isWipedFromStoreFolder(std::string_view name);
bool isWipedFromDataFolder(std::string_view name);
bool isWipedFromRunsFolder(std::string_view name);

}  // namespace store
