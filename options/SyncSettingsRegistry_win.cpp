#include "options/SyncSettingsRegistry.h"

#include "store/Crypto.h"
#include "store/Protocol.h"
#include "base/Text.h"
#include "fw/Settings.h"

#include <windows.h>

namespace options {

namespace {

std::optional<std::wstring> readString(const wchar_t* value) {
    for (auto& [name, text] : fw::ReadUserStrings(store::kSettingsKey))
        if (CompareStringOrdinal(name.c_str(), -1, value, -1, TRUE) == CSTR_EQUAL)
            return std::move(text);
    return std::nullopt;
}

std::string environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? base::toUtf8(value) : std::string();
}

std::string computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &length) ? base::toUtf8(name) : std::string();
}

bool writeDword(const wchar_t* value, std::size_t data) {
    return fw::WriteUserDword(store::kSettingsKey, value, static_cast<DWORD>(data));
}

}  // namespace

SyncSettings readSyncSettings() {
    SyncSettings settings;
    settings.enabled = fw::ReadUserDword(store::kSettingsKey, store::kSyncEnabledSetting).value_or(0) != 0;
    const std::optional<std::wstring> folder = readString(store::kSyncFolderSetting);
    settings.folder = folder ? base::toUtf8(*folder) : defaultSyncFolder(environment(L"OneDrive"));
    const std::optional<std::wstring> name = readString(store::kSyncMachineNameSetting);
    settings.machineName = name && !name->empty() ? base::toUtf8(*name) : computerName();
    settings.machineId = base::toUtf8(readString(store::kSyncMachineIdSetting).value_or(L""));
    const DWORD megabytes =
        fw::ReadUserDword(store::kSettingsKey, store::kSyncPictureSetting).value_or(kDefaultSyncPictureMegabytes);
    settings.pictureMegabytes = megabytes <= kMaxSyncPictureMegabytes ? megabytes : kDefaultSyncPictureMegabytes;
    const DWORD folderMegabytes =
        fw::ReadUserDword(store::kSettingsKey, store::kSyncFolderMegabytesSetting).value_or(kDefaultSyncFolderMegabytes);
    settings.folderMegabytes = folderMegabytes >= kMinSyncFolderMegabytes && folderMegabytes <= kMaxSyncFolderMegabytes
                                   ? folderMegabytes
                                   : kDefaultSyncFolderMegabytes;
    settings.putArrivedOnClipboard = fw::ReadUserDword(store::kSettingsKey, store::kSyncToClipboardSetting).value_or(0) != 0;
    settings.hasPassphrase = fw::ReadUserBinary(store::kSettingsKey, store::kSyncPassphraseSetting).has_value();
    return settings;
}

bool writeSyncSettings(const SyncSettings& settings, const std::string& passphrase) {
    bool written = writeDword(store::kSyncEnabledSetting, settings.enabled ? 1 : 0);
    written = fw::WriteUserString(store::kSettingsKey, store::kSyncFolderSetting, base::toWide(settings.folder)) && written;
    written = fw::WriteUserString(store::kSettingsKey, store::kSyncMachineNameSetting, base::toWide(settings.machineName)) && written;
    if (!settings.machineId.empty())
        written = fw::WriteUserString(store::kSettingsKey, store::kSyncMachineIdSetting, base::toWide(settings.machineId)) && written;
    written = writeDword(store::kSyncPictureSetting, settings.pictureMegabytes) && written;
    written = writeDword(store::kSyncFolderMegabytesSetting, settings.folderMegabytes) && written;
    written = writeDword(store::kSyncToClipboardSetting, settings.putArrivedOnClipboard ? 1 : 0) && written;
    if (passphrase.empty())
        return written;
    const std::optional<std::string> sealed = store::crypto::protectForUser(passphrase, store::kSyncPassphraseEntropy);
    return sealed && fw::WriteUserBinary(store::kSettingsKey, store::kSyncPassphraseSetting, *sealed) && written;
}

std::optional<std::string> readSyncPassphrase() {
    const std::optional<std::string> sealed = fw::ReadUserBinary(store::kSettingsKey, store::kSyncPassphraseSetting);
    if (!sealed)
        return std::nullopt;
    return store::crypto::unprotectForUser(*sealed, store::kSyncPassphraseEntropy);
}

}  // namespace options
