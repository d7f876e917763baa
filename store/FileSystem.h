// File operations of the store, per platform (UTF-8 paths). Writers never leave a partial file
// behind: a rewrite goes to a temporary file beside the target, is flushed, and then replaces
// the target in one step. On Windows a replace or rename the system refused is traced
// (CHECK_WIN32) before it returns false.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace store::files {

bool exists(const std::string& path);
bool isReadable(const std::string& path);
bool isFolder(const std::string& path);
std::optional<std::string> readAll(const std::string& path);
// The first `count` bytes of the file (fewer when it is shorter).
std::optional<std::string> readStart(const std::string& path, std::size_t count);

// A new file (or one replaced whole) holding `bytes`, flushed to the disk; nothing is left of
// it when it could not be written.
bool writeFile(const std::string& path, std::string_view bytes);
// New files, each holding its bytes, all written before any is flushed, so that the disk takes
// them together (one journal commit rather than one a file). All or none: when one cannot be
// written, nothing is left of any.
using FileContents = std::vector<std::pair<std::string, std::string_view>>;
bool writeFiles(const FileContents& contents);
// `bytes` as the new content of `path`, all or nothing.
bool writeAtomically(const std::string& path, std::string_view bytes);
// Moves `from` over `to` in one step (retrying briefly while another program has `to` open).
bool replace(const std::string& from, const std::string& to);
// Renames `from` to `to`, which must not exist.
bool rename(const std::string& from, const std::string& to);
// The file at `path` under the new name `aside`, as replace() would take it away: refused for a
// read-only file, retried briefly while another program has it open without sharing deletion.
bool moveAside(const std::string& path, const std::string& aside);
bool copy(const std::string& from, const std::string& to);
// `to` as a new name of the file `from` (a hard link: no second copy of the bytes), or a copy
// where the volume has no links. Safe only because the store never writes a file in place: every
// rewrite replaces the file by rename, which leaves the other names with the old bytes.
bool linkOrCopy(const std::string& from, const std::string& to);
bool remove(const std::string& path);
// The folder and any missing folders above it.
bool createFolder(const std::string& path);
// The folder with everything in it.
bool deleteTree(const std::string& path);
// Names of the plain files in a folder.
std::vector<std::string> filesIn(const std::string& folder);
// A plain file of a folder with what identifies its content without reading it: a file rewritten
// or replaced by another has another size or last-write time.
struct FileEntry {
    std::string name;
    std::uint64_t size = 0;
    std::int64_t writeTime = 0;  // microseconds, from the platform's epoch
};
// The time now as the file system stamps a file written now (FileEntry::writeTime). File systems
// stamp coarsely (a clock tick of some milliseconds; two seconds on FAT): a file rewritten within
// that time can keep its stamp.
std::int64_t currentFileTime();
// The plain files of a folder with their sizes and times, in one pass over the folder.
std::vector<FileEntry> fileEntriesIn(const std::string& folder);
// One plain file's size and time (its name is the path's last part); nothing when it is not there.
std::optional<FileEntry> entryOf(const std::string& path);

// A file read in parts at any offset, shared as every reader of ours shares (another may rename,
// replace or delete it meanwhile: the parts are then still the old file's).
class PartReader {
public:
    explicit PartReader(const std::string& path);
    ~PartReader();
    PartReader(const PartReader&) = delete;
    PartReader& operator=(const PartReader&) = delete;

    bool isOpen() const { return m_open != nullptr; }
    // The size when it was opened.
    std::uint64_t size() const { return m_size; }
    // `count` bytes from `offset` into `bytes`, or into `count` bytes at `into`; false when they
    // could not all be read.
    bool read(std::uint64_t offset, std::size_t count, std::string& bytes);
    bool read(std::uint64_t offset, std::size_t count, char* into);

private:
    struct Open;
    // Up to `count` bytes at `offset` into `into`: how many were read (0 at the end or on failure).
    std::size_t readSome(std::uint64_t offset, char* into, std::size_t count);

    std::unique_ptr<Open> m_open;
    std::uint64_t m_size = 0;
};
// Names of the folders in a folder.
std::vector<std::string> foldersIn(const std::string& folder);
// A copy of the folder `from` with everything in it as the new folder `to`; false when anything
// could not be copied (what was copied stays: the caller decides).
bool copyTree(const std::string& from, const std::string& to);
// A name beside `path` that no other writer uses: the process and a counter make it unique.
std::string temporarySibling(const std::string& path);
// The writers of temporary files are processes: this one's id, and whether a process of an id
// still runs (what an ended writer left may go, what a running one writes may not).
unsigned long currentProcessId();
bool processRunning(unsigned long id);

}  // namespace store::files
