// How syncing goes, as the tray's tooltip and a message say it. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace clipsync {

enum class SyncState {
    Off,
    Starting,           // the keys are being derived (the work factor takes a moment)
    Running,
    OwnPassphrase,      // this machine's folder was sealed with another passphrase: nothing is read or written
    FolderUnavailable,  // the folder is missing, full or read-only: retried, nothing local is lost
    NoKeys,             // the system gave no random bytes or keys
};

struct SyncStatus {
    SyncState state = SyncState::Off;
    int machines = 0;             // other machines whose folders are read
    int otherPassphrase = 0;      // other machines sealed with another passphrase: nothing of them is read
    std::size_t waiting = 0;      // records waiting to be written to the folder
    std::size_t notSent = 0;      // records that found the queue full and never went
    std::size_t unreadable = 0;   // whole files that did not open, each counted once
    std::string machineId;        // the id this machine writes under (a new one once it started afresh)
};

// The tooltip's line (or lines) about syncing; empty while it is off.
std::u16string syncStatusText(const SyncStatus& status);

// What a machine whose passphrase differs from the others' is told, once.
inline constexpr std::string_view kOtherPassphraseTitle = "同步密码不一致";
inline constexpr std::string_view kOtherPassphraseText =
    "另一台电脑的同步文件使用了不同的密码，无法读取。请在每台电脑上输入相同的同步密码。";

}  // namespace clipsync
