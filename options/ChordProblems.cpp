#include "options/ChordProblems.h"

#include <algorithm>
#include <string_view>

namespace options {

namespace {

// Keys that programs and the system use for themselves, with what they do.
struct ReservedKey {
    unsigned modifiers;
    unsigned key;
    std::string_view use;
};
constexpr unsigned kTab = 0x09, kEsc = 0x1B, kSpace = 0x20, kF4 = vk::kF1 + 3;
constexpr ReservedKey kReservedKeys[] = {
    {kCtrl, 'C', "复制"},           {kCtrl, 'V', "粘贴"},         {kCtrl, 'X', "剪切"},
    {kCtrl, 'Z', "撤销"},           {kCtrl, 'Y', "重做"},         {kCtrl | kShift, 'Z', "重做"},
    {kCtrl, 'A', "全选"},           {kCtrl, 'S', "保存"},         {kCtrl, 'F', "查找"},
    {kCtrl, 'H', "替换"},           {kCtrl, 'P', "打印"},         {kCtrl, 'N', "新建"},
    {kCtrl, 'O', "打开"},           {kCtrl, 'W', "关闭窗口或标签页"}, {kCtrl, 'T', "新建标签页"},
    {kCtrl, 'B', "加粗"},           {kCtrl, 'I', "倾斜"},         {kCtrl, 'U', "下划线"},
    {kCtrl, vk::kInsert, "复制"},   {kShift, vk::kInsert, "粘贴"}, {kShift, vk::kDelete, "剪切"},
    {kCtrl, kTab, "切换标签页"},    {kCtrl | kShift, kTab, "切换标签页"}, {kCtrl, kF4, "关闭文档"},
    {kAlt, kF4, "关闭窗口"},        {kAlt, kTab, "切换窗口"},     {kAlt | kShift, kTab, "切换窗口"},
    {kAlt, kEsc, "切换窗口"},       {kCtrl, kEsc, "打开开始菜单"}, {kAlt, kSpace, "打开窗口菜单"},
    {kCtrl | kAlt, vk::kDelete, "打开安全选项"}, {kCtrl | kShift, kEsc, "打开任务管理器"},
    {kWin, 'L', "锁定计算机"},      {kWin, 'D', "显示桌面"},      {kWin, 'E', "打开资源管理器"},
    {kWin, 'R', "打开“运行”"},      {kWin, 'V', "打开剪贴板历史"}, {kWin, kTab, "打开任务视图"},
};

bool isChanged(ChordAction action, const ChordSettings& chords, const ChordSettings& saved) {
    return chords[action] != saved[action];
}

// A chord takes the combinations that hold its modifiers and perhaps more (Win only when it has
// it): a reserved key with more modifiers is taken too.
bool takes(const KeyCombo& chord, const ReservedKey& reserved) {
    return chord.key == reserved.key && (chord.modifiers & reserved.modifiers) == chord.modifiers &&
           (chord.modifiers & kWin) == (reserved.modifiers & kWin);
}

std::string reservedUse(const KeyCombo& combo) {
    if ((combo.modifiers & kWin) && combo.key >= '0' && combo.key <= '9')
        return "Win+" + keyName(combo.key) + "（打开任务栏上的程序）";
    for (const ReservedKey& reserved : kReservedKeys)
        if (takes(combo, reserved))
            return formatKeyCombo({reserved.modifiers, reserved.key}) + "（" + std::string(reserved.use) + "）";
    return {};
}

std::string chordLabel(ChordAction action, const Chord& chord) {
    return "“" + std::string(actionName(action)) + "”的快捷键 " + chordText(action, chord);
}

class ProblemList {
public:
    explicit ProblemList(const ChordSettings& chords) : m_chords(chords) {}

    void add(ChordAction action, ProblemKind kind, const std::string& why) {
        m_problems.push_back({action, kind, kind != ProblemKind::AltGrCharacter, chordLabel(action, m_chords[action]) + why});
    }
    std::vector<ChordProblem> take() { return std::move(m_problems); }

private:
    const ChordSettings& m_chords;
    std::vector<ChordProblem> m_problems;
};

void findKeyProblems(ProblemList& list, ChordAction action, const Chord& chord, const KeyboardFacts& facts) {
    if (!(chord.modifiers & (kCtrl | kAlt | kWin))) {
        list.add(action, ProblemKind::NoModifier, "：没有 Ctrl、Alt 或 Win，会占用平常打字用的键。");
        return;
    }
    for (const KeyCombo& combo : combosOf(action, chord)) {
        const std::string use = reservedUse(combo);
        if (!use.empty()) {
            list.add(action, ProblemKind::EditingKey, "：会占用常用的按键 " + use + "。");
            break;
        }
    }
    for (const KeyCombo& combo : combosOf(action, chord)) {
        const auto& taken = facts.registeredElsewhere;
        if (std::find(taken.begin(), taken.end(), combo) != taken.end()) {
            list.add(action, ProblemKind::RegisteredElsewhere,
                     "：" + formatKeyCombo(combo) + " 已被其他程序注册为系统热键，按下时只有那个程序收到。");
            break;
        }
    }
    if ((chord.modifiers & (kCtrl | kAlt)) != (kCtrl | kAlt) || (chord.modifiers & kWin))
        return;
    for (const KeyCombo& combo : combosOf(action, chord))
        for (const auto& [key, character] : facts.altGrCharacters)
            if (key == combo.key) {
                list.add(action, ProblemKind::AltGrCharacter,
                         "：在当前键盘布局中 AltGr+" + keyName(key) + " 输入“" + character +
                             "”。按右 Alt（AltGr）仍然输入字符，只有左 Ctrl+Alt 才是快捷键。");
                return;
            }
}

bool shareACombo(ChordAction a, const Chord& first, ChordAction b, const Chord& second) {
    const std::vector<KeyCombo> combos = combosOf(b, second);
    for (const KeyCombo& combo : combosOf(a, first))
        if (std::find(combos.begin(), combos.end(), combo) != combos.end())
            return true;
    return false;
}

std::string_view shortReason(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::NoModifier: return "没有 Ctrl、Alt 或 Win";
    case ProblemKind::EditingKey: return "是常用的按键";
    case ProblemKind::TakenByOurs: return "与另一个快捷键相同";
    case ProblemKind::RegisteredElsewhere: return "已被其他程序注册";
    case ProblemKind::AltGrCharacter: return "AltGr 用它输入字符";
    }
    return {};
}

}  // namespace

std::vector<KeyCombo> combosToProbe(const ChordSettings& chords) {
    std::vector<KeyCombo> combos;
    for (const ChordAction action : allChordActions())
        if (!chords[action].off)
            for (const KeyCombo& combo : combosOf(action, chords[action]))
                combos.push_back(combo);
    return combos;
}

std::vector<ChordProblem> chordProblems(const ChordSettings& chords, const ChordSettings& saved,
                                        const KeyboardFacts& facts) {
    ProblemList list(chords);
    const auto& actions = allChordActions();
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const ChordAction action = actions[i];
        if (chords[action].off || shapeOf(action) == ChordShape::PointerModifier)
            continue;
        if (isChanged(action, chords, saved))
            findKeyProblems(list, action, chords[action], facts);
        for (std::size_t j = 0; j < i; ++j) {
            const ChordAction earlier = actions[j];
            if (chords[earlier].off || !shareACombo(earlier, chords[earlier], action, chords[action]))
                continue;
            // Told of the chord the user changed, the one that moved onto the other's keys.
            const bool earlierMoved = isChanged(earlier, chords, saved) && !isChanged(action, chords, saved);
            const ChordAction told = earlierMoved ? earlier : action;
            const ChordAction other = earlierMoved ? action : earlier;
            list.add(told, ProblemKind::TakenByOurs, "：与“" + std::string(actionName(other)) + "”的快捷键相同。");
        }
    }
    return list.take();
}

std::vector<ChordProblem> unavailableChords(const ChordSettings& chords, const KeyboardFacts& facts) {
    // Nothing counts as kept: every chord is looked at as a new one.
    ChordSettings nothingKept = chords;
    for (const ChordAction action : allChordActions())
        nothingKept[action].off = !chords[action].off;
    std::vector<ChordProblem> problems = chordProblems(chords, nothingKept, facts);
    problems.erase(std::remove_if(problems.begin(), problems.end(), [](const ChordProblem& p) { return !p.refused; }),
                   problems.end());
    return problems;
}

std::string unavailableChordsNotice(const ChordSettings& chords, const std::vector<ChordProblem>& problems,
                                    std::size_t shown) {
    std::vector<ChordAction> named;
    std::string list;
    for (const ChordProblem& problem : problems) {
        if (std::find(named.begin(), named.end(), problem.action) != named.end())
            continue;
        named.push_back(problem.action);
        if (named.size() > shown)
            continue;
        list += (list.empty() ? "" : "；") + std::string("“") + std::string(actionName(problem.action)) + "”" +
                chordText(problem.action, chords[problem.action]) + "（" + std::string(shortReason(problem.kind)) + "）";
    }
    if (named.empty())
        return {};
    if (named.size() > shown)
        list += "；另有 " + std::to_string(named.size() - shown) + " 个";
    return "这些快捷键现在无法使用：" + list + "。可以在“选项”的“快捷键”页中更改。";
}

}  // namespace options
