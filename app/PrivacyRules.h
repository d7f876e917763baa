// What the main window says about privacy: the wipe's question, refusal and outcome, and the
// balloon of clips sealed where this user cannot open them. Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

inline constexpr std::string_view kWipeQuestion =
    "确定要清除所有记录吗？\n\n将删除：剪贴板的历史记录、热键槽位（Ctrl+数字）中的内容、粘贴队列，"
    "以及启动时保存的每一份上次的记录。\n您自己保存的存档不会被删除。此操作无法撤销。";
inline constexpr std::string_view kWipeBusyText = "正在保存或打开存档，或正在复制到热键槽位，现在不能清除记录。请稍后再试。";
inline constexpr std::string_view kUnreadableClipsTitle = "有无法读取的记录";
inline constexpr std::string_view kUnreadableClipsText =
    "有些记录是为别的用户或在别的电脑上加密保存的，这里无法打开。它们显示为“无法读取的记录”，不会被粘贴，也不会被删除。";

// What the user is told after a wipe: nothing when everything went; that the store was busy (and
// nothing was removed); or how many files could not be removed, naming the first.
std::string wipeOutcomeText(bool storeBusy, const std::vector<std::string>& notRemoved);

}  // namespace app
