// The sync folder's layout: <folder>\Dravix\<machine id>\ for each machine, which only that machine
// writes, holding its salt, its name, what it has read of the others, its journal segments and its
// clips. Only names read back strictly here are ever taken: the copies an engine makes of a file it
// saw changed on two sides ("x (1).dvx", "x-LAPTOP.dvx", "x.sync-conflict-...dvx"), temporary and
// hidden names, and anything else in the folder are left alone. Portable: no <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace clipsync {

// <sync folder>\Dravix: the folder the machines' folders lie in.
inline constexpr std::string_view kAppFolderName = "Dravix";

// A machine id is 32 lowercase hexadecimal digits (16 random bytes), made once per machine.
inline constexpr std::size_t kMachineIdRandomBytes = 16;
bool isMachineId(std::string_view text);
// The id made of 16 random bytes; empty for any other length.
std::string machineIdFrom(std::string_view randomBytes);

// Lowercase hexadecimal digits of bytes.
std::string hexOf(std::string_view bytes);

// What a file of a machine's folder is for. The role is bound into each sealed file's associated
// data, so a file moved from one role to another does not open.
enum class Role : std::uint8_t {
    Salt = 1,     // "salt.dvx": the machine's random salt and work factor, not sealed
    Name = 2,     // "name.dvx": the machine's readable name
    Seen = 3,     // "seen.dvx": how far this machine has read each of the others
    Journal = 4,  // "journal-0000000001.dvx": one segment of the machine's journal
    Clip = 5,     // "clip-<64 hex digits>.dvx": one clip, named by its keyed digest
};

// A file name of ours read back: its role, the segment number of a journal segment, the name
// digest (64 hex digits) of a clip.
struct SyncFile {
    Role role = Role::Salt;
    std::uint64_t segment = 0;
    std::string clipName;
};
std::optional<SyncFile> parseSyncFileName(std::string_view name);

std::string saltFileName();
std::string nameFileName();
std::string seenFileName();
// Segment numbers start at 1; ten digits, so names sort by number.
std::string segmentFileName(std::uint64_t segment);
// The file of the clip whose name digest is `clipName` (64 hex digits); empty for any other text.
std::string clipFileName(std::string_view clipName);
bool isClipName(std::string_view text);

}  // namespace clipsync
