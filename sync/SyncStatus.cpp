#include "sync/SyncStatus.h"

namespace clipsync {

namespace {

std::u16string number(std::size_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string stateText(const SyncStatus& status) {
    switch (status.state) {
    case SyncState::Off:
        return {};
    case SyncState::Starting:
        return u"同步：正在准备";
    case SyncState::Running:
        if (status.machines == 0)
            return u"同步：等待其他电脑";
        return u"同步：" + number(static_cast<std::size_t>(status.machines)) + u" 台电脑" + (status.waiting == 0 ? u"，已是最新" : u"");
    case SyncState::OwnPassphrase:
        return u"同步：密码与同步文件夹不符";
    case SyncState::FolderUnavailable:
        return u"同步：无法写入同步文件夹，稍后重试";
    case SyncState::NoKeys:
        return u"同步：系统无法生成密钥";
    }
    return {};
}

}  // namespace

std::u16string syncStatusText(const SyncStatus& status) {
    std::u16string text = stateText(status);
    if (text.empty())
        return text;
    if (status.otherPassphrase > 0)
        text += u"\n" + number(static_cast<std::size_t>(status.otherPassphrase)) + u" 台电脑的密码不同";
    if (status.waiting > 0)
        text += u"\n待写入：" + number(status.waiting);
    if (status.notSent > 0)
        text += u"\n未能同步：" + number(status.notSent);
    if (status.unreadable > 0)
        text += u"\n无法验证的文件：" + number(status.unreadable);
    return text;
}

}  // namespace clipsync
