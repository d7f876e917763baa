// The sync settings as the program keeps them per user, values under HKCU\Software\Dravix (names
// in store/Protocol.h), the passphrase sealed for the user with the system's protection of the
// user's logon (DPAPI, as the store is): never in the clear, never in a log. No <windows.h>: the
// Win32 side is SyncSettingsRegistry_win.cpp.
#pragma once

#include "options/SyncSettings.h"

#include <optional>
#include <string>

namespace options {

// Missing values read as their defaults: the folder from %OneDrive%, the machine's name from the
// computer's name.
SyncSettings readSyncSettings();
// Every value written; `passphrase`, when not empty, sealed in place of the one kept. False when
// any value could not be written.
bool writeSyncSettings(const SyncSettings& settings, const std::string& passphrase);
// The passphrase kept, unsealed; nothing when none is kept or it does not open (another user, a
// profile moved to another machine).
std::optional<std::string> readSyncPassphrase();

}  // namespace options
