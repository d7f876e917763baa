#include "options/SyncSettings.h"

#include "xml/XmlText.h"

namespace options {

bool SyncSettings::operator==(const SyncSettings& other) const {
    return enabled == other.enabled && folder == other.folder && machineName == other.machineName &&
           machineId == other.machineId && pictureMegabytes == other.pictureMegabytes &&
           folderMegabytes == other.folderMegabytes &&
           putArrivedOnClipboard == other.putArrivedOnClipboard && hasPassphrase == other.hasPassphrase;
}

std::string defaultSyncFolder(std::string_view oneDrive) {
    if (oneDrive.empty())
        return {};
    // The OneDrive folder itself: it exists wherever OneDrive is set up, and the program's files go
    // into its own folder under it (Dravix\<machine id>). A folder of ours named here would not
    // exist until someone made it, and a sync folder that is missing is never made in its place.
    std::string folder(oneDrive);
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

// Lengths are counted in characters as the user sees them (UTF-16 units).
std::optional<std::string> syncEntryProblem(const SyncEntry& entry) {
    const SyncSettings& settings = entry.settings;
    if (entry.passphrase != entry.repeated)
        return "两次输入的同步密码不一致。";
    const std::size_t typed = xml::utf8ToUtf16(entry.passphrase).size();
    if (typed > 0 && typed < kMinSyncPassphraseLength)
        return "同步密码至少需要 " + std::to_string(kMinSyncPassphraseLength) + " 个字符。";
    if (xml::utf8ToUtf16(settings.machineName).size() > kMaxSyncMachineName)
        return "电脑名称最多 " + std::to_string(kMaxSyncMachineName) + " 个字符。";
    if (settings.machineName.find_first_of("\r\n") != std::string::npos)
        return "电脑名称不能包含换行。";
    if (settings.pictureMegabytes > kMaxSyncPictureMegabytes)
        return "图片大小上限最多 " + std::to_string(kMaxSyncPictureMegabytes) + " MB。";
    if (settings.folderMegabytes < kMinSyncFolderMegabytes || settings.folderMegabytes > kMaxSyncFolderMegabytes)
        return "本机文件最多占用的空间应当在 " + std::to_string(kMinSyncFolderMegabytes) + " 到 " +
               std::to_string(kMaxSyncFolderMegabytes) + " MB 之间。";
    if (!settings.enabled)
        return std::nullopt;
    if (settings.folder.empty())
        return "请选择同步文件夹（例如 OneDrive 中的一个文件夹）。";
    if (settings.machineName.empty())
        return "请输入这台电脑的名称。";
    if (typed == 0 && !settings.hasPassphrase)
        return "请输入同步密码（每台电脑使用相同的密码）。";
    return std::nullopt;
}

}  // namespace options
