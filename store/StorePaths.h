// Where the store's files lie: the index, the status file, the data folder and a clip's data
// and bitmap files, all below one store folder; and which names and folders are safe to use.
// Both deliverables build every path here. Portable: no <windows.h>.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace store {

// Files and folders in the store folder.
inline constexpr std::string_view kIndexFileName = "clipboard.xml";
inline constexpr std::string_view kStatusFileName = "label.xml";
inline constexpr std::string_view kDataFolderName = "Brindlecote";

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

std::string joinPath(std::string_view folder, std::string_view name);
// The last part of a path (after its last backslash or slash): a program's file name from its full path.
std::string_view fileNameOfPath(std::string_view path);

// The name a temporary file or folder of ours was made beside (files::temporarySibling names it
// base + "." + process + "-" + count + ".tmp"); nothing for any other name.
std::optional<std::string_view> temporarySiblingBase(std::string_view name);
// ... and the process that made it.
std::optional<unsigned long> temporarySiblingProcess(std::string_view name);
// The base of a clip's files staged in the data folder before they take their names.
inline constexpr std::string_view kStagedFileBase = "staged";

// A name that may be used as a file name inside one folder: not empty, no path separators,
// no drive or stream colon, not "." or "..", no device name, no control characters.
bool isPlainFileName(std::string_view name);

// A folder that may be deleted with everything in it: an absolute path, below a drive root,
// UNC share or "/" (never the root itself), shorter than 259 characters, with no wildcard and no
// "." or ".." component.
bool isDeletableFolder(std::string_view path);

// The per-user store folder: the local application data folder + "\Dravix" on Windows (a
// standard user may not write the Windows folder), created on first use.
const std::string& userStoreFolder();

class StorePaths {
public:
    explicit StorePaths(std::string folder) : m_folder(std::move(folder)) {}

    const std::string& folder() const { return m_folder; }
    std::string indexFile() const;
    std::string statusFile() const;
    std::string dataFolder() const;
    // The data file of an element or a file name of the data folder; empty for a name that is
    // not a plain file name, so that no stored name can reach outside the folder.
    std::string dataFile(std::string_view name) const;
    // clip + ".bmp" in the data folder (empty as above).
    std::string bitmapFile(std::string_view clip) const;
    // clip + ".thumb.bmp" in the data folder (empty as above).
    std::string thumbnailFile(std::string_view clip) const;

private:
    std::string m_folder;
};

}  // namespace store
