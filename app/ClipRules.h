// Decisions of the main program as plain functions (no <windows.h>): names, number texts,
// row contents, the program folder.
#pragma once

#include "ui/ClipListModel.h"
#include "store/ClipFormats.h"
#include "store/PartRows.h"
#include "store/Protocol.h"
#include "store/SysClipBoard.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// The executable's full path, lower-cased, with every "dravix.exe" removed: the folder with its
// trailing backslash for an executable of that name.
std::u16string programFolder(std::u16string_view executablePath);

// Whether a foreground window of this class may receive pastes from the list: not a taskbar,
// not the desktop, not a tooltip (compared in any letter case).
bool isPasteTargetClass(std::string_view className);

// The window a paste from the list is meant for, as far as this program may look at it. Windows
// refuses input from a normal program to one running at a higher integrity level (as
// administrator); a process that cannot even be opened for a query is taken to be one.
struct PasteTarget {
    bool queryable = true;
    std::optional<std::uint32_t> integrityLevel;  // unknown when the system does not say
};
enum class PasteRoute {
    Keys,           // the clip goes on the clipboard and Ctrl+V is sent to the window
    ClipboardOnly,  // the clip goes on the clipboard for the user to paste by hand
};
PasteRoute pasteRoute(const PasteTarget& target, std::optional<std::uint32_t> ourLevel);
inline constexpr std::string_view kElevatedTargetText = "无法粘贴到以管理员身份运行的程序。剪贴板已准备好，可手动粘贴。";
inline constexpr std::string_view kTargetNotInFrontText = "要粘贴的程序没有切换到前台。剪贴板已准备好，可手动粘贴。";
inline constexpr std::string_view kNoTargetText = "没有找到要粘贴到的程序。剪贴板已准备好，可手动粘贴。";

// A rectangle of the screen, for the main window's place.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};
// Where the main window first opens on a monitor whose work area is `work`: about two thirds of
// the area and at least its dialog's own size, never more than nine tenths, centred.
Box firstWindowBox(const Box& work, int dialogWidth, int dialogHeight);
// A place remembered from an earlier run is used when at least a quarter of it lies on one of
// today's work areas (a monitor may have gone since) and it is not smaller than `minimum`.
bool isUsablePlace(const Box& saved, const std::vector<Box>& workAreas, int minimumWidth, int minimumHeight);

// Row kinds (the row's image) and their content texts.
enum RowKind { kRowText = store::kPartText, kRowPicture = store::kPartPicture, kRowFileList = store::kPartFileList };
using store::pictureContent;  // "picture:size %d*%d"

// The marks careful programs (password managers) put on what they copy: such a clipboard is not
// recorded. The registered formats "ExcludeClipboardContentFromMonitorProcessing" and "Clipboard
// Viewer Ignore" by their presence, "CanIncludeInClipboardHistory" by a DWORD 0.
struct ClipboardMarks {
    bool excludeFromMonitoring = false;
    bool viewerIgnore = false;
    std::optional<std::uint32_t> canIncludeInHistory;
};
bool isPrivate(const ClipboardMarks& marks);

// Programs whose copies are never kept, by their full paths: a copy is theirs when its source is
// one of them (Windows paths compare without letter case). A copy whose program is not known
// belongs to none.
bool isExcludedProgram(const std::vector<std::string>& excluded, std::string_view source);
// The question before a program is added to them.
std::u16string excludeQuestion(std::string_view sourcePath);

// Find as you type and a row's tooltip belong to the list's model.
using ui::cliplist::equalsFolded;
using ui::cliplist::filterRows;
using ui::cliplist::foldedForSearch;
using ui::cliplist::matchesFilter;
using ui::cliplist::sourceTip;

// Root node texts: the unsaved-changes mark.
inline constexpr std::string_view kRootText = "我的剪贴板";
inline constexpr std::string_view kRootTextChanged = "我的剪贴板 *";
inline constexpr std::string_view kCollectionText = "收集";
inline constexpr std::string_view kHotkeysText = "快捷键";
inline constexpr std::string_view kQueueText = "粘贴队列";

inline constexpr std::string_view kNotBroughtBackText = "无法从以前的记录中取回这一条（记录或存档已不存在、无法读取，或历史记录已满）。";
inline constexpr std::string_view kStatusCollection = "请按下Ctrl+鼠标右键进行粘贴";
// The names a screen reader gives the main window's controls, in the order Tab goes through them.
inline constexpr std::string_view kSearchLabel = "搜索";
inline constexpr std::string_view kListLabel = "剪贴板记录";
inline constexpr std::string_view kTreeLabel = "分类";
inline constexpr std::string_view kPreviewLabel = "预览";
inline constexpr std::string_view kStatusHotkeys = "请按Ctrl+数字键(0-9)进行复制,按下Ctrl+Alt+数字键(0-9)进行粘贴";
inline constexpr std::string_view kStatusQueue = "请按Ctrl+Alt+Q依次粘贴队列中的内容,按Ctrl+Alt+Shift+Q只粘贴文字";
inline constexpr std::string_view kQueueFullText = "粘贴队列已满，有些内容没有加入。";
inline constexpr std::string_view kQueueNotWrittenText = "粘贴队列无法写入，队列没有改变。";
using store::kUnreadableClipText;
inline constexpr std::string_view kHistoryFullMessage = "剪贴板历史记录已存满，请删除一些您不用的数据。";
inline constexpr std::string_view kExitQuestion = "您确定要退出该软件吗?";
inline constexpr std::string_view kPausedSuffix = store::kPausedTitleSuffix;
inline constexpr std::string_view kHideBalloonText = "窗体已隐藏,您可按Alt+C来使其显示";
inline constexpr std::string_view kHideBalloonTitle = "窗体已隐藏";
inline constexpr std::string_view kLoadIconError = "load icon error!";
inline constexpr std::string_view kHooksUnavailableTitle = "快捷键无法使用";
inline constexpr std::string_view kHooksUnavailableText =
    "系统拒绝安装键盘和鼠标钩子：Ctrl+数字键、Ctrl+Alt+数字键和 Ctrl+右键菜单暂时不能使用。剪贴板历史照常记录。";

// The program's own page, opened in the user's browser by the homepage command.
inline constexpr std::wstring_view kHomepageUrl = L"https://dravix.example.com/";
inline constexpr std::wstring_view kHelpFile = L"help.chm";
inline constexpr std::wstring_view kIntroFile = L"Instro.dll";
// In the user's store folder: the intro was switched off where its file could not be deleted.
inline constexpr std::string_view kIntroOffMarker = "intro.off";

// The status line while an archive is saved or opened: "正在保存存档… 37%".
std::string archiveProgressText(bool saving, int percent);
// What the user is told when an archive could not be saved or opened; empty for success.
std::string archiveFailureText(store::ArchiveResult result, bool saving, std::string_view path);

// At a start with "restore the last run" on: what the tray's balloon says when the run kept of the
// store before does not come back as the store (it could not be read, not all of it could be kept,
// or it did not open: `opened`, nothing when it was not tried). Empty when it came back, or when
// the store before held nothing of the user's.
std::string lastRunNotRestoredText(const store::PreviousRun& previous, std::optional<store::ArchiveResult> opened);
inline constexpr std::string_view kLastRunNotRestoredTitle = "上次的记录没有恢复";

// The archive dialogs: the file type, its filter and its default extension.
inline constexpr std::wstring_view kArchiveFilter = L"amc file(*.amc)\0*.amc\0\0";
inline constexpr std::wstring_view kArchiveExtension = L"amc";
inline constexpr std::string_view kNoKeptRunMessage = "还没有保存过的上次记录。";
// Asked before a row's run or archive ("打开所在的记录") takes the place of the store.
std::string openArchiveQuestion(std::string_view archiveName);
// The status line while a File command waits for the run being kept at this start.
inline constexpr std::string_view kKeepingRunText = "正在保存上次的记录，完成后接着执行……";
inline constexpr std::string_view kStoreDamagedMessage =
    "剪贴板存储文件已损坏，无法读取。原文件已另存为同名的“.damaged”文件，能读出的内容已经恢复。\n存储位置：";

}  // namespace app
