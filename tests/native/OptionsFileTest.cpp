// Options to a file and back, in both formats; a file that is not ours, malformed or doubled is
// refused with a message and gives no options.
#include "options/OptionsFile.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using options::Options;
using options::OptionsFileKind;

Options everyOption() {
    Options options;
    options.switches.restoreClipboard = true;
    options.switches.queueOnCopy = true;
    options.switches.startWithWindows = true;
    options.runs = {500, 2048};
    options.chords.chords[options::ChordAction::CopyToSlot] = {options::kCtrl | options::kShift, 0, false};
    options.chords.chords[options::ChordAction::ClipMenuAtPointer] = {options::kAlt, 0, true};
    options.chords.chords[options::ChordAction::ShowMainWindow] = {options::kCtrl | options::kAlt, 0xDC, false};  // "\"
    options.chords.noChordPrograms = {"mstsc.exe", "远程 桌面.exe"};
    options.pasteKeyRules = {{"PuTTY", "Ctrl+V"}, {"my \"term\".exe", "Shift+Insert"}};
    options.excludedPrograms = {{"C:\\Program Files\\KeePass\\KeePass.exe", "2026-12-08 14:03:22"}, {"D:\\a&b<c>.exe", ""}};
    return options;
}

TEST(OptionsFile, EveryOptionComesBackInBothFormats) {
    for (const OptionsFileKind kind : {OptionsFileKind::Xml, OptionsFileKind::Reg}) {
        for (const Options& options : {everyOption(), Options{}}) {
            const options::OptionsFileRead read = options::readOptionsFile(options::optionsFileBytes(options, kind));
            ASSERT_TRUE(read.options) << read.error;
            EXPECT_TRUE(*read.options == options);
        }
    }
    EXPECT_EQ(options::optionsFileKindOf("C:\\x\\options.REG"), OptionsFileKind::Reg);
    EXPECT_EQ(options::optionsFileKindOf("C:\\x\\options.xml"), OptionsFileKind::Xml);
}

TEST(OptionsFile, TheFilesAreWhatTheirToolsExpect) {
    const std::string xmlBytes = options::optionsFileBytes(everyOption(), OptionsFileKind::Xml);
    EXPECT_EQ(xmlBytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(xmlBytes.find("<CopyToSlot>Ctrl+Shift+数字</CopyToSlot>"), std::string::npos);
    const std::string reg = options::optionsFileBytes(everyOption(), OptionsFileKind::Reg);
    std::string ascii;  // the ASCII of the UTF-16 text
    for (std::size_t i = 2; i + 1 < reg.size(); i += 2)
        ascii += reg[i + 1] == 0 ? reg[i] : '?';
    EXPECT_EQ(reg.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ascii.rfind("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Dravix]\r\n", 0), 0u);
    EXPECT_NE(ascii.find("\"RestoreClipboard\"=dword:00000001\r\n"), std::string::npos);
    EXPECT_NE(ascii.find("\"KeptRunsMegabytes\"=dword:00000800\r\n"), std::string::npos);
    EXPECT_NE(xmlBytes.find("<KeptRuns>500</KeptRuns>"), std::string::npos);
    EXPECT_NE(ascii.find("[-HKEY_CURRENT_USER\\Software\\Dravix\\PasteKeys]\r\n"), std::string::npos);
    EXPECT_NE(ascii.find("\"my \\\"term\\\".exe\"=\"Shift+Insert\""), std::string::npos);
    EXPECT_NE(ascii.find("\"ShowMainWindow\"=\"Ctrl+Alt+\\\\\""), std::string::npos);
}

std::string xmlFile(const std::string& body) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DravixOptions><Version>1</Version>" + body +
           "</DravixOptions>\r\n";
}

std::string regFile(const std::string& body) {
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n" + body;
    std::string bytes = "\xFF\xFE";
    for (const char c : text) {  // ASCII only
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(OptionsFile, AMalformedFileIsRefusedSayingWhy) {
    const std::string kMain = "[HKEY_CURRENT_USER\\Software\\Dravix]\r\n";
    const std::pair<std::string, const char*> cases[] = {
        {"<Options><Version>1</Version></Options>", "根元素应当是 <DravixOptions>"},
        {xmlFile("<Chords><CopyToSlot>Ctrl+1</CopyToSlot></Chords>"), "快捷键“复制到槽位”的“Ctrl+1”无法识别"},
        {xmlFile("<Chords><Teleport>Ctrl+T</Teleport></Chords>"), "不认识的快捷键“Teleport”"},
        {xmlFile("<Switches><QueueOnCopy>1</QueueOnCopy><QueueOnCopy>0</QueueOnCopy></Switches>"), "“QueueOnCopy”出现了两次"},
        {xmlFile("<Switches><QueueOnCopy>yes</QueueOnCopy></Switches>"), "只能是 0 或 1"},
        {xmlFile("<Switches><KeptRuns>0</KeptRuns></Switches>"), "“保留以前的记录（次）”应当是 1 到 500 之间的整数"},
        {xmlFile("<Switches><KeptRuns>501</KeptRuns></Switches>"), "1 到 500 之间"},
        {xmlFile("<Switches><KeptRunsMegabytes>-1</KeptRunsMegabytes></Switches>"), "0 到 1048576 之间"},
        {xmlFile("<Switches><KeptRunsMegabytes>99999999999</KeptRunsMegabytes></Switches>"), "0 到 1048576 之间"},
        {regFile(kMain + "\"KeptRuns\"=dword:000001f5\r\n"), "第 4 行：“保留以前的记录（次）”应当是 1 到 500"},
        {regFile(kMain + "\"KeptRuns\"=\"10\"\r\n"), "第 4 行：“KeptRuns”应当是 dword 值"},
        {xmlFile("<NoChordPrograms><Program>a.exe</Program><Program>A.EXE</Program></NoChordPrograms>"), "“A.EXE”出现了两次"},
        {xmlFile("<PasteKeys><Rule><Match>X</Match><Keys>Win+V</Keys></Rule></PasteKeys>"), "“Win+V”不是可以发送的粘贴键"},
        {xmlFile("<PasteKeys><Rule><Keys>Ctrl+V</Keys></Rule></PasteKeys>"), "<Rule> 应当依次含有 <Match> 和 <Keys>"},
        {xmlFile("<Chords/><Chords/>"), "<Chords> 出现了两次"},
        {xmlFile("<Sync/>"), "不认识的部分 <Sync>"},
        {"<DravixOptions><Version>2</Version></DravixOptions>", "来自更新的 Dravix（版本 2）"},
        {"<DravixOptions><Switches/></DravixOptions>", "缺少 <Version>"},
        {"<DravixOptions><Version>1</Version>", "不是完整的 XML"},
        {"<DravixOptions>\xFF</DravixOptions>", "不是 UTF-8"},
        {"PK\x03\x04", "不是 Dravix 的选项文件"},
        {std::string(options::kMaxOptionsFileBytes + 1, '<'), "文件太大"},
        {regFile(kMain + "\"QueueOnCopy\"=dword:00000002\r\n"), "第 4 行：开关“QueueOnCopy”应当是 dword:00000000"},
        {regFile(kMain + "\"WindowPlacement\"=dword:00000001\r\n"), "第 4 行：不认识的开关“WindowPlacement”"},
        {regFile(kMain + "\"QueueOnCopy\"=dword:1\r\n"), "第 4 行：无法识别这一行"},
        {regFile("[HKEY_CURRENT_USER\\Software\\Other]\r\n"), "第 3 行：不认识的注册表项"},
        {regFile("[-HKEY_CURRENT_USER\\Software\\Dravix]\r\n"), "不能删除注册表项"},
        {regFile("\"QueueOnCopy\"=dword:00000001\r\n"), "第 3 行：这个值不在任何注册表项之下"},
        {regFile("[HKEY_CURRENT_USER\\Software\\Dravix\\Chords]\r\n\"PasteSlot\"=\"Ctrl+Alt+数\"\r\n"), "无法识别"},
        {regFile("[HKEY_CURRENT_USER\\Software\\Dravix\\PasteKeys]\r\n\"a\\q\"=\"Ctrl+V\"\r\n"), "第 4 行：无法识别这一行"},
        {"\xFF\xFE" "R\0E\0G\0E\0D\0I\0T\0" "4\0"s, "第 1 行：这不是注册表文件"},
        {"\xFF\xFE" "W", "不是完整的 UTF-16"},
    };
    for (const auto& [bytes, message] : cases) {
        const options::OptionsFileRead read = options::readOptionsFile(bytes);
        EXPECT_FALSE(read.options) << message;
        EXPECT_NE(read.error.find(message), std::string::npos) << read.error << " / " << message;
    }
}

TEST(OptionsFile, EntriesJoinTheirListsOnce) {
    std::vector<std::string> programs;
    EXPECT_EQ(options::addNoChordProgram(programs, " C:\\Games\\Game.exe "), std::nullopt);
    EXPECT_EQ(options::addNoChordProgram(programs, "GAME.EXE"), "“不使用快捷键的程序”中的“GAME.EXE”出现了两次。");
    EXPECT_EQ(options::addNoChordProgram(programs, "C:\\Games\\"), "“C:\\Games\\”不是有效的程序文件名。");
    for (std::size_t i = programs.size(); i < options::kMaxNoChordPrograms; ++i)
        EXPECT_EQ(options::addNoChordProgram(programs, "p" + std::to_string(i) + ".exe"), std::nullopt);
    EXPECT_EQ(options::addNoChordProgram(programs, "one-more.exe"), "“不使用快捷键的程序”最多 32 项。");
    EXPECT_EQ(programs.front(), "Game.exe");
    EXPECT_EQ(programs.size(), options::kMaxNoChordPrograms);

    std::vector<options::ExcludedProgram> excluded;
    EXPECT_EQ(options::addExcludedProgram(excluded, "C:\\KeePass.exe", "2026-12-08 14:03:22"), std::nullopt);
    EXPECT_NE(options::addExcludedProgram(excluded, "c:\\keepass.EXE", "2026-12-08 14:03:23"), std::nullopt);
    EXPECT_NE(options::addExcludedProgram(excluded, "  ", "2026-12-08 14:03:23"), std::nullopt);
    ASSERT_EQ(excluded.size(), 1u);
    EXPECT_EQ(excluded[0].added, "2026-12-08 14:03:22");
}

TEST(OptionsFile, WhatAnImportChanges) {
    Options before;
    before.pasteKeyRules = {{"PuTTY", "Shift+Insert"}, {"old.exe", "Ctrl+V"}};
    const std::vector<std::string> lines = options::describeChanges(before, everyOption());
    const std::vector<std::string> expected = {
        "粘贴后恢复剪贴板：关 → 开",
        "复制时加入粘贴队列：关 → 开",
        "开机自动运行：关 → 开",
        "保留以前的记录（次）：10 → 500",
        "以前的记录最多占用（MB，0 为不限）：0 → 2048",
        "快捷键“复制到槽位”：Ctrl+数字 → Ctrl+Shift+数字",
        "快捷键“显示主窗口”：Alt+C → Ctrl+Alt+\\",
        "快捷键“在指针处打开剪贴菜单”：Ctrl+右键单击 → 关闭",
        "不使用快捷键的程序：加入 mstsc.exe",
        "不使用快捷键的程序：加入 远程 桌面.exe",
        "粘贴键规则：PuTTY = Shift+Insert → PuTTY = Ctrl+V",
        "粘贴键规则：加入 my \"term\".exe = Shift+Insert",
        "粘贴键规则：移除 old.exe = Ctrl+V",
        "排除的程序：加入 C:\\Program Files\\KeePass\\KeePass.exe",
        "排除的程序：加入 D:\\a&b<c>.exe",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(options::describeChanges(before, before).empty());
    EXPECT_EQ(options::bulletedLines({"a", "b", "c"}, 2), "• a\n• b\n……另有 1 项\n");
    EXPECT_EQ(options::bulletedLines({"a"}, 2), "• a\n");
}

}  // namespace
