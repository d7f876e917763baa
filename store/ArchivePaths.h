// The paths of an archive (".amc"): its index and its data folder, and whether two folders
// overlap, so that no archive uses the live store's folders as its own. Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace store {

inline constexpr std::string_view kArchiveExtension = ".amc";
inline constexpr std::string_view kArchiveIndexExtension = ".xml";
// The search's index of an archive lies beside it under the archive's own name and this
// ("Dravix-run 2026-12-08 14-03-22.amc.search"), so that the program can name it exactly.
inline constexpr std::string_view kSearchIndexExtension = ".search";

// Archive names from a path ending in ".amc" (in any letter case), every ".amc" in the path
// replaced: the index is read and written under the ".xml" name, the data folder has no
// extension.
bool hasArchiveExtension(std::string_view path);
std::string archiveIndexPath(std::string_view archivePath);
std::string archiveDataFolder(std::string_view archivePath);
std::string searchIndexPath(std::string_view archivePath);
// Whether one folder is, contains or lies inside the other (separators and ASCII letter case
// do not count): an archive may not use the live data folder, or a folder around or inside it,
// as its own.
bool foldersOverlap(std::string_view a, std::string_view b);
// Whether `outer` is `inner` or a folder around it.
bool folderIsOrHolds(std::string_view outer, std::string_view inner);

}  // namespace store
