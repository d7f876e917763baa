#include "options/Options.h"

#include "store/Protocol.h"
#include "xml/XmlText.h"

#include <algorithm>
#include <functional>

namespace options {

namespace {

constexpr std::string_view kNoChordListName = "不使用快捷键的程序";
constexpr std::string_view kPasteRulesName = "粘贴键规则";
constexpr std::string_view kExcludedListName = "排除的程序";

// The switches' names are those the program reads (store/Protocol.h).
constexpr bool sameName(std::string_view name, const wchar_t* setting) {
    for (const char c : name)
        if (static_cast<wchar_t>(c) != *setting++)
            return false;
    return *setting == 0;
}
static_assert(sameName("RestoreClipboard", store::kRestoreClipboardSetting) &&
              sameName("RestoreLastRun", store::kRestoreLastRunSetting) &&
              sameName("MakeRoomWhenFull", store::kMakeRoomWhenFullSetting) &&
              sameName("QueueOnCopy", store::kQueueOnCopySetting) && sameName("AlwaysOnTop", store::kAlwaysOnTopSetting) &&
              sameName("SealStore", store::kSealStoreSetting) && sameName("SkipSecrets", store::kSkipSecretsSetting),
              "the switches keep the names the program reads");

bool fitsAsText(std::string_view text) {
    return !text.empty() && text.size() <= kMaxTextBytes && isPlainText(text);
}

// The first name that `names` holds twice, ASCII case ignored.
std::optional<std::string> twice(const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (xml::equalsIgnoringAsciiCase(names[i], names[j]))
                return names[i];
    return std::nullopt;
}

std::optional<std::string> namesProblem(std::string_view list, const std::vector<std::string>& names, std::size_t bound,
                                        const std::function<bool(const std::string&)>& fits) {
    if (names.size() > bound)
        return "“" + std::string(list) + "”最多 " + std::to_string(bound) + " 项。";
    for (const std::string& name : names)
        if (!fits(name))
            return "“" + std::string(list) + "”中的“" + xml::normalizeUtf8(name) + "”不是有效的名称。";
    if (const std::optional<std::string> name = twice(names))
        return "“" + std::string(list) + "”中的“" + *name + "”出现了两次。";
    return std::nullopt;
}

std::string onOff(bool on) {
    return on ? "开" : "关";
}

std::string chordShown(ChordAction action, const Chord& chord) {
    return chord.off ? "关闭" : chordText(action, chord);
}

// Entries of two lists compared by their key: those added, those removed, those whose text changed.
template <typename Entry>
void describeListChanges(std::string_view list, const std::vector<Entry>& before, const std::vector<Entry>& after,
                         const std::function<std::string(const Entry&)>& keyOf,
                         const std::function<std::string(const Entry&)>& textOf, std::vector<std::string>& lines) {
    const auto find = [&](const std::vector<Entry>& entries, const std::string& key) {
        return std::find_if(entries.begin(), entries.end(),
                            [&](const Entry& entry) { return xml::equalsIgnoringAsciiCase(keyOf(entry), key); });
    };
    const std::string title(list);
    for (const Entry& entry : after) {
        const auto old = find(before, keyOf(entry));
        if (old == before.end())
            lines.push_back(title + "：加入 " + textOf(entry));
        else if (textOf(*old) != textOf(entry))
            lines.push_back(title + "：" + textOf(*old) + " → " + textOf(entry));
    }
    for (const Entry& entry : before)
        if (find(after, keyOf(entry)) == after.end())
            lines.push_back(title + "：移除 " + textOf(entry));
}

}  // namespace

bool Switches::operator==(const Switches& other) const {
    return std::all_of(allSwitches().begin(), allSwitches().end(),
                       [&](const SwitchInfo& info) { return this->*info.member == other.*info.member; });
}

const std::array<SwitchInfo, kSwitchCount>& allSwitches() {
    static const std::array<SwitchInfo, kSwitchCount> switches = {{
        {&Switches::restoreClipboard, "RestoreClipboard", "粘贴后恢复剪贴板"},
        {&Switches::restoreLastRun, "RestoreLastRun", "启动时恢复上次的记录"},
        {&Switches::makeRoomWhenFull, "MakeRoomWhenFull", "历史记录满时删除最早的记录"},
        {&Switches::queueOnCopy, "QueueOnCopy", "复制时加入粘贴队列"},
        {&Switches::startWithWindows, "StartWithWindows", "开机自动运行"},
        {&Switches::alwaysOnTop, "AlwaysOnTop", "总在最前面"},
        {&Switches::sealStore, "SealStore", "加密保存的记录", true},
        {&Switches::skipSecrets, "SkipSecrets", "不记录看起来像密钥的内容", true},
    }};
    return switches;
}

const std::array<NumberInfo, kNumberCount>& allNumbers() {
    static const std::array<NumberInfo, kNumberCount> numbers = {{
        {&RunKeeping::count, "KeptRuns", "保留以前的记录（次）", 1, 500, 10},
        {&RunKeeping::megabytes, "KeptRunsMegabytes", "以前的记录最多占用（MB，0 为不限）", 0, 1024 * 1024, 0},
    }};
    return numbers;
}

const NumberInfo* numberInfo(std::string_view setting) {
    for (const NumberInfo& info : allNumbers())
        if (info.setting == setting)
            return &info;
    return nullptr;
}

std::optional<std::string> numberProblem(const NumberInfo& info, std::string_view value) {
    std::uint64_t number = 0;
    bool digits = !value.empty() && value.size() <= 10;
    for (const char c : value) {
        digits = digits && c >= '0' && c <= '9';
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (digits && number >= info.least && number <= info.most)
        return std::nullopt;
    return "“" + std::string(info.label) + "”应当是 " + std::to_string(info.least) + " 到 " + std::to_string(info.most) +
           " 之间的整数。";
}

std::uint32_t numberWithin(const NumberInfo& info, std::optional<std::uint32_t> stored) {
    if (!stored || (*stored == 0 && info.least > 0))
        return info.whenMissing;
    return std::clamp(*stored, info.least, info.most);
}

bool Options::operator==(const Options& other) const {
    return switches == other.switches && runs == other.runs && chords == other.chords && pasteKeyRules == other.pasteKeyRules &&
           excludedPrograms == other.excludedPrograms;
}

std::optional<std::string> pasteKeyRuleProblem(const std::vector<PasteKeyRule>& rules, const PasteKeyRule& rule,
                                               int replacing) {
    const std::string_view match = trimSpaces(rule.match);
    if (!fitsAsText(match) || match.size() != rule.match.size())
        return "“" + xml::normalizeUtf8(rule.match) + "”不是有效的窗口类或程序文件名。";
    if (!parsePasteKeys(rule.keys))
        return "“" + xml::normalizeUtf8(rule.keys) + "”不是可以发送的粘贴键（例如 Shift+Insert、Ctrl+Shift+V）。";
    for (std::size_t i = 0; i < rules.size(); ++i)
        if (static_cast<int>(i) != replacing && xml::equalsIgnoringAsciiCase(rules[i].match, match))
            return "“" + std::string(match) + "”已经有一条粘贴键规则。";
    return std::nullopt;
}

std::optional<std::string> listProblem(const Options& options) {
    const auto isProgramName = [](const std::string& name) { return noChordProgramName(name) == name; };
    if (auto problem = namesProblem(kNoChordListName, options.chords.noChordPrograms, kMaxNoChordPrograms, isProgramName))
        return problem;
    if (options.pasteKeyRules.size() > kMaxPasteKeyRules)
        return "“" + std::string(kPasteRulesName) + "”最多 " + std::to_string(kMaxPasteKeyRules) + " 条。";
    for (std::size_t i = 0; i < options.pasteKeyRules.size(); ++i) {
        const std::vector<PasteKeyRule> earlier(options.pasteKeyRules.begin(), options.pasteKeyRules.begin() + i);
        if (auto problem = pasteKeyRuleProblem(earlier, options.pasteKeyRules[i]))
            return problem;
    }
    std::vector<std::string> paths;
    for (const ExcludedProgram& program : options.excludedPrograms) {
        if (!program.added.empty() && !fitsAsText(program.added))
            return "“" + std::string(kExcludedListName) + "”中有无效的时间。";
        paths.push_back(program.path);
    }
    const auto isPath = [](const std::string& path) { return fitsAsText(path) && trimSpaces(path).size() == path.size(); };
    return namesProblem(kExcludedListName, paths, kMaxExcludedPrograms, isPath);
}

std::optional<std::string> addNoChordProgram(std::vector<std::string>& programs, std::string_view typed) {
    const std::optional<std::string> name = noChordProgramName(typed);
    if (!name)
        return "“" + xml::normalizeUtf8(trimSpaces(typed)) + "”不是有效的程序文件名。";
    std::vector<std::string> joined = programs;
    joined.push_back(*name);
    if (std::optional<std::string> problem = namesProblem(kNoChordListName, joined, kMaxNoChordPrograms, fitsAsText))
        return problem;
    programs = std::move(joined);
    return std::nullopt;
}

std::optional<std::string> addExcludedProgram(std::vector<ExcludedProgram>& programs, std::string_view typed,
                                              const std::string& now) {
    const std::string path(trimSpaces(typed));
    std::vector<std::string> paths;
    for (const ExcludedProgram& program : programs)
        paths.push_back(program.path);
    paths.push_back(path);
    if (std::optional<std::string> problem = namesProblem(kExcludedListName, paths, kMaxExcludedPrograms, fitsAsText))
        return problem;
    programs.push_back({path, now});
    return std::nullopt;
}

std::vector<std::string> describeChanges(const Options& before, const Options& after) {
    std::vector<std::string> lines;
    for (const SwitchInfo& info : allSwitches())
        if (before.switches.*info.member != after.switches.*info.member)
            lines.push_back(std::string(info.label) + "：" + onOff(before.switches.*info.member) + " → " +
                            onOff(after.switches.*info.member));
    for (const NumberInfo& info : allNumbers())
        if (before.runs.*info.member != after.runs.*info.member)
            lines.push_back(std::string(info.label) + "：" + std::to_string(before.runs.*info.member) + " → " +
                            std::to_string(after.runs.*info.member));
    for (const ChordAction action : allChordActions())
        if (before.chords.chords[action] != after.chords.chords[action])
            lines.push_back("快捷键“" + std::string(actionName(action)) + "”：" +
                            chordShown(action, before.chords.chords[action]) + " → " +
                            chordShown(action, after.chords.chords[action]));
    const std::function<std::string(const std::string&)> itself = [](const std::string& name) { return name; };
    describeListChanges(kNoChordListName, before.chords.noChordPrograms, after.chords.noChordPrograms, itself, itself, lines);
    describeListChanges<PasteKeyRule>(
        kPasteRulesName, before.pasteKeyRules, after.pasteKeyRules, [](const PasteKeyRule& rule) { return rule.match; },
        [](const PasteKeyRule& rule) { return rule.match + " = " + rule.keys; }, lines);
    const std::function<std::string(const ExcludedProgram&)> pathOf = [](const ExcludedProgram& program) { return program.path; };
    describeListChanges(kExcludedListName, before.excludedPrograms, after.excludedPrograms, pathOf, pathOf, lines);
    return lines;
}

std::string bulletedLines(const std::vector<std::string>& lines, std::size_t shown) {
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < shown; ++i)
        text += "• " + lines[i] + "\n";
    if (lines.size() > shown)
        text += "……另有 " + std::to_string(lines.size() - shown) + " 项\n";
    return text;
}

}  // namespace options
