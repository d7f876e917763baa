#include "app/ClipRules.h"

#include "store/ClipFormats.h"
#include "store/StorePaths.h"
#include "store/Text.h"
#include "xml/XmlText.h"

#include <algorithm>

using xml::utf8ToUtf16;

namespace app {

std::string openArchiveQuestion(std::string_view archiveName) {
    return "打开“" + std::string(archiveName) + "”？\n当前的剪贴内容将被它替换，没有保存的内容不会保留。";
}

std::u16string programFolder(std::u16string_view executablePath) {
    return store::replaceAll(store::asciiLower(executablePath.substr(0, 512)), u"dravix.exe", u"");
}

bool isPasteTargetClass(std::string_view className) {
    // The taskbars (the main one, each other screen's, Wine's tray window) and the desktop behind
    // every window.
    static constexpr std::string_view kShellClasses[] = {"shell_traywnd", "shell_secondarytraywnd",
                                                         "__winex11_standalone_tray", "progman", "workerw"};
    for (std::string_view shell : kShellClasses)
        if (className.size() == shell.size() && store::containsIgnoringCase(className, shell))
            return false;
    return !store::containsIgnoringCase(className, "tooltips");
}


PasteRoute pasteRoute(const PasteTarget& target, std::optional<std::uint32_t> ourLevel) {
    if (!target.queryable)
        return PasteRoute::ClipboardOnly;
    if (target.integrityLevel && ourLevel && *target.integrityLevel > *ourLevel)
        return PasteRoute::ClipboardOnly;
    return PasteRoute::Keys;
}

Box firstWindowBox(const Box& work, int dialogWidth, int dialogHeight) {
    const int width = std::min(std::max(dialogWidth, work.width() * 2 / 3), work.width() * 9 / 10);
    const int height = std::min(std::max(dialogHeight, work.height() * 2 / 3), work.height() * 9 / 10);
    const int left = work.left + (work.width() - width) / 2;
    const int top = work.top + (work.height() - height) / 2;
    return {left, top, left + width, top + height};
}

bool isUsablePlace(const Box& saved, const std::vector<Box>& workAreas, int minimumWidth, int minimumHeight) {
    if (saved.width() < minimumWidth || saved.height() < minimumHeight)
        return false;
    const long long area = static_cast<long long>(saved.width()) * saved.height();
    for (const Box& work : workAreas) {
        const int width = std::min(saved.right, work.right) - std::max(saved.left, work.left);
        const int height = std::min(saved.bottom, work.bottom) - std::max(saved.top, work.top);
        if (width > 0 && height > 0 && static_cast<long long>(width) * height * 4 >= area)
            return true;
    }
    return false;
}

bool isPrivate(const ClipboardMarks& marks) {
    return marks.excludeFromMonitoring || marks.viewerIgnore ||
           (marks.canIncludeInHistory && *marks.canIncludeInHistory == 0);
}

bool isExcludedProgram(const std::vector<std::string>& excluded, std::string_view source) {
    if (source.empty())
        return false;
    const std::string folded = store::asciiLower(source);
    return std::any_of(excluded.begin(), excluded.end(), [&](const std::string& path) { return store::asciiLower(path) == folded; });
}

std::u16string excludeQuestion(std::string_view sourcePath) {
    return utf8ToUtf16("以后不再记录 " + std::string(store::fileNameOfPath(sourcePath)) + " 的复制？");
}

std::string archiveProgressText(bool saving, int percent) {
    return std::string(saving ? "正在保存存档… " : "正在打开存档… ") + std::to_string(percent) + "%";
}

std::string archiveFailureText(store::ArchiveResult result, bool saving, std::string_view path) {
    const std::string file(path);
    switch (result) {
    case store::ArchiveResult::Done:
        return {};
    case store::ArchiveResult::NotAnArchive:
        return "只能使用扩展名为 .amc 的存档文件：\n" + file;
    case store::ArchiveResult::OverlapsStore:
        return "这个位置不能用作存档：它的数据文件夹与剪贴板自己的存储文件夹重叠。请换一个文件夹。\n" + file;
    case store::ArchiveResult::StoreUnreadable:
        return "剪贴板的存储文件无法读取，存档没有保存。";
    case store::ArchiveResult::ArchiveUnreadable:
        return "无法读取这个存档（文件不存在、已损坏或不是剪贴板存档）。当前的剪贴内容保持不变。\n" + file;
    case store::ArchiveResult::StoreBusy:
        return saving ? "剪贴板的存储正被另一个程序使用，存档没有保存。请稍后再试。"
                      : "剪贴板的存储正被另一个程序使用，存档没有打开，当前的剪贴内容保持不变。请稍后再试。";
    case store::ArchiveResult::Stopped:  // only a run kept at exit is stopped, never a command of the user's
        return "存档操作已停止。";
    case store::ArchiveResult::PasswordNeeded:
        return "这个存档受密码保护，没有输入密码，存档没有打开。当前的剪贴内容保持不变。\n" + file;
    case store::ArchiveResult::WrongPassword:
        return "密码不正确，存档没有打开。当前的剪贴内容保持不变。\n" + file;
    case store::ArchiveResult::WriteFailed:
        return saving ? "存档无法写入（文件夹只读、磁盘已满或文件被占用）。原来的存档保持不变，改动尚未保存。\n" + file
                      : "无法打开存档：数据无法写入剪贴板的存储文件夹。当前的剪贴内容保持不变。\n" + file;
    }
    return {};
}

std::string lastRunNotRestoredText(const store::PreviousRun& previous, std::optional<store::ArchiveResult> opened) {
    const std::string empty = "本次从空的记录开始。";
    switch (previous.kept) {
    case store::KeptRun::Nothing:
        return {};
    case store::KeptRun::Damaged:
        return "上次的记录已损坏，无法读取，" + empty + "它原样保存在：\n" + previous.keptAs;
    case store::KeptRun::Failed:
        return "上次的记录没能完整保存到 Runs 文件夹，" + empty + "没有移走的文件仍在存储文件夹中。";
    case store::KeptRun::Kept:
        break;
    }
    if (!opened || *opened == store::ArchiveResult::Done)
        return {};
    const char* why = *opened == store::ArchiveResult::ArchiveUnreadable ? "它无法读取"
                      : *opened == store::ArchiveResult::StoreBusy      ? "存储正被另一个程序使用"
                      : *opened == store::ArchiveResult::WriteFailed    ? "数据无法写入存储文件夹"
                                                                 : "它无法打开";
    return std::string("上次的记录没有恢复（") + why + "），" + empty + "它仍保存在：\n" + previous.keptAs;
}

}  // namespace app
