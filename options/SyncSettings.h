// The user's settings of "在多台电脑间同步" (the sync folder): whether it is on, the folder, this
// machine's name and id, the largest picture that goes, the most its own files may take, and whether a clip that arrives is put
// on the clipboard too. The passphrase is no member: it is kept sealed for the user
// (options/SyncSettingsRegistry.h) and read only when the engine starts. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace options {

inline constexpr std::size_t kDefaultSyncPictureMegabytes = 8;
inline constexpr std::size_t kMaxSyncPictureMegabytes = 64;  // clipsync::kMaxClipBytes
// The most this machine's own subfolder of the sync folder may take before its oldest clips go.
inline constexpr std::size_t kDefaultSyncFolderMegabytes = 1024;
inline constexpr std::size_t kMinSyncFolderMegabytes = 16;
inline constexpr std::size_t kMaxSyncFolderMegabytes = 1024 * 1024;
inline constexpr std::size_t kMinSyncPassphraseLength = 8;
inline constexpr std::size_t kMaxSyncMachineName = 64;

struct SyncSettings {
    bool enabled = false;
    std::string folder;        // the folder the user's sync engine keeps in step (UTF-8)
    std::string machineName;   // what rows from this machine say they came from
    std::string machineId;     // made once, kept; empty until then
    std::size_t pictureMegabytes = kDefaultSyncPictureMegabytes;
    std::size_t folderMegabytes = kDefaultSyncFolderMegabytes;
    bool putArrivedOnClipboard = false;
    bool hasPassphrase = false;  // a sealed passphrase is kept
    bool operator==(const SyncSettings& other) const;
};

// The folder offered at first: the user's OneDrive folder (%OneDrive%) when there is one, else
// nothing (the user picks one). The program's files go into "Dravix" under the folder picked.
std::string defaultSyncFolder(std::string_view oneDrive);

// What the user typed into the page, checked before it is kept: the message that says what is
// wrong, or nothing. An empty pair of passphrases keeps the one kept before.
struct SyncEntry {
    SyncSettings settings;
    std::string passphrase;
    std::string repeated;
};
std::optional<std::string> syncEntryProblem(const SyncEntry& entry);

}  // namespace options
