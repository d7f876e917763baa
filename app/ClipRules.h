// Decisions of the main program as plain functions (no <windows.h>): names, number texts,
// row contents, the program folder.
#pragma once

#include "SysClipBoard.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace clip {

// The executable's full path, lower-cased, with every "dravix.exe" removed: the folder with its
// trailing backslash for an executable of that name.
std::u16string programFolder(std::u16string_view executablePath);

// Whether a foreground window of this class may receive pastes from the list: not the
// taskbar, not a tooltip (compared in any letter case).
bool isPasteTargetClass(std::string_view className);

// Row kinds (the row's image) and their content texts.
enum RowKind { kRowText = 0, kRowPicture = 1, kRowFileList = 2 };
std::string pictureContent(int width, int height);                   // "picture:size %d*%d"

// The marks careful programs (password managers) put on what they copy: such a clipboard is not
// recorded. The registered formats "ExcludeClipboardContentFromMonitorProcessing" and "Clipboard
// Viewer Ignore" by their presence, "CanIncludeInClipboardHistory" by a DWORD 0.
struct ClipboardMarks {
    bool excludeFromMonitoring = false;
    bool viewerIgnore = false;
    std::optional<std::uint32_t> canIncludeInHistory;
};
bool isPrivate(const ClipboardMarks& marks);

// Find as you type: a row shows when its content holds the query, Latin letters in any case and
// everything else (Chinese) as typed. An empty query shows every row.
bool matchesFilter(std::u16string_view content, std::u16string_view query);
// The positions of the matching contents, in order.
std::vector<std::size_t> filterRows(const std::vector<std::u16string_view>& contents, std::u16string_view query);
// "n / total" for the status line while a filter is on.
std::u16string filterStatus(std::size_t shown, std::size_t total);

// Root node texts: the unsaved-changes mark.
inline constexpr std::string_view kRootText = "我的剪贴板";
inline constexpr std::string_view kRootTextChanged = "我的剪贴板 *";
inline constexpr std::string_view kCollectionText = "收集";
inline constexpr std::string_view kHotkeysText = "快捷键";

inline constexpr std::string_view kStatusCollection = "请按下Ctrl+鼠标右键进行粘贴";
inline constexpr std::string_view kSearchCue = "搜索 (Ctrl+F)";
inline constexpr std::string_view kStatusHotkeys = "请按Ctrl+数字键(0-9)进行复制,按下Ctrl+Alt+数字键(0-9)进行粘贴";
inline constexpr std::string_view kHistoryFullMessage = "剪贴板历史记录已存满，请删除一些您不用的数据。";
inline constexpr std::string_view kExitQuestion = "您确定要退出该软件吗?";
inline constexpr std::string_view kPausedSuffix = "(暂停)";
inline constexpr std::string_view kHideBalloonText = "窗体已隐藏,您可按Alt+C来使其显示";
inline constexpr std::string_view kHideBalloonTitle = "窗体已隐藏";
inline constexpr std::string_view kLoadIconError = "load icon error!";

// The program's own page, opened in the user's browser by the homepage command.
inline constexpr std::wstring_view kHomepageUrl = L"https://dravix.example.com/";
inline constexpr std::wstring_view kHelpFile = L"help.chm";
inline constexpr std::wstring_view kIntroFile = L"Instro.dll";
// In the user's store folder: the intro was switched off where its file could not be deleted.
inline constexpr std::string_view kIntroOffMarker = "intro.off";

// What the user is told when an archive could not be saved or opened; empty for success.
std::string archiveFailureText(ArchiveResult result, bool saving, std::string_view path);

// The archive dialogs: the file type, its filter and its default extension.
inline constexpr std::wstring_view kArchiveFilter = L"amc file(*.amc)\0*.amc\0\0";
inline constexpr std::wstring_view kArchiveExtension = L"amc";
inline constexpr std::string_view kNoKeptRunMessage = "还没有保存过的上次记录。";
inline constexpr std::string_view kStoreDamagedMessage =
    "剪贴板存储文件已损坏，无法读取。原文件已另存为同名的“.damaged”文件，能读出的内容已经恢复。\n存储位置：";

}  // namespace clip
