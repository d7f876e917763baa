// Making the index of a kept run or an archive (search/RunIndex.h) from its index and its data
// files, with the store's own readers (store::rootElements, store::partRow): one row for each
// history clip, from the part the list would show. Every file is read through one function the
// caller gives, so that sealed stores read as plain ones do; the index file itself is sealed and
// unsealed by the caller's pair when the store is sealed. Portable: no <windows.h>.
#pragma once

#include "search/RunIndex.h"
#include "store/StoreDocument.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// At most `limit` bytes of what the file at `path` holds (its plain bytes, should it be sealed);
// nothing when it cannot be read.
using FileBytes = std::function<std::optional<std::string>(const std::string& path, std::size_t limit)>;
// Files as they lie on the disk.
FileBytes plainFileBytes();

// How the search reaches the store's files, and seals its own when the store is sealed (both
// empty: the index files are plain).
struct IndexAccess {
    FileBytes read = plainFileBytes();
    std::function<std::string(std::string_view plain)> seal;
    std::function<std::optional<std::string>(std::string_view sealed)> unseal;
};

// The most of an archive's index that is read.
inline constexpr std::size_t kMaxArchiveIndexBytes = 64u << 20;

// The rows of an archive's history clips, in the order of its index: each from its first part
// that can be shown (a text cut to kIndexedUnits, a picture's size, a file list's first file);
// a clip none of whose parts can be read has no row.
std::vector<IndexRow> archiveRows(const std::vector<store::RootElement>& elements, const std::string& dataFolder,
                                  const FileBytes& read);

// What identifies the archive at `path` now; nothing when it is not there.
std::optional<ArchiveStamp> archiveStamp(const std::string& path);

struct BuiltIndex {
    enum class Outcome { Written, NotWritten, ArchiveUnreadable } outcome = Outcome::ArchiveUnreadable;
    std::string bytes;  // the index as made (plain), also when it could not be written
};
// The index of the archive at `archivePath` made and written beside it (store::searchIndexPath),
// replacing what was there in one step. For a new run: in the thread that kept it.
BuiltIndex buildIndex(const std::string& archivePath, const IndexAccess& access);

}  // namespace search
