#include "options/Chords.h"

namespace options {

namespace {

constexpr std::string_view kOffPrefix = "关闭:";
constexpr std::string_view kDigits = "数字";
constexpr std::string_view kRightClick = "右键单击";

struct ActionNames {
    ChordAction action;
    std::string_view name;
    std::string_view setting;
};
constexpr ActionNames kActionNames[] = {
    {ChordAction::CopyToSlot, "复制到槽位", "CopyToSlot"},
    {ChordAction::PasteSlot, "粘贴槽位", "PasteSlot"},
    {ChordAction::RepeatTransform, "粘贴为（重复上次的转换）", "RepeatTransform"},
    {ChordAction::PasteQueueHead, "粘贴队列的下一条", "PasteQueueHead"},
    {ChordAction::ClipMenuAtCaret, "从键盘打开剪贴菜单", "ClipMenuAtCaret"},
    {ChordAction::ShowMainWindow, "显示主窗口", "ShowMainWindow"},
    {ChordAction::ClipMenuAtPointer, "在指针处打开剪贴菜单", "ClipMenuAtPointer"},
};

const ActionNames& namesOf(ChordAction action) {
    return kActionNames[static_cast<std::size_t>(action)];
}

bool isSingleModifier(unsigned modifiers) {
    return modifiers == kCtrl || modifiers == kAlt || modifiers == kShift;
}

}  // namespace

const std::array<ChordAction, kChordActions>& allChordActions() {
    static const std::array<ChordAction, kChordActions> actions = {
        ChordAction::CopyToSlot,      ChordAction::PasteSlot,      ChordAction::RepeatTransform,
        ChordAction::PasteQueueHead,  ChordAction::ClipMenuAtCaret, ChordAction::ShowMainWindow,
        ChordAction::ClipMenuAtPointer,
    };
    return actions;
}

ChordShape shapeOf(ChordAction action) {
    switch (action) {
    case ChordAction::CopyToSlot:
    case ChordAction::PasteSlot:
    case ChordAction::RepeatTransform: return ChordShape::SlotDigits;
    case ChordAction::ClipMenuAtPointer: return ChordShape::PointerModifier;
    default: return ChordShape::Key;
    }
}

const ChordSettings& defaultChords() {
    static const ChordSettings defaults = [] {
        ChordSettings chords;
        chords[ChordAction::CopyToSlot] = {kCtrl, 0, false};
        chords[ChordAction::PasteSlot] = {kCtrl | kAlt, 0, false};
        chords[ChordAction::RepeatTransform] = {kCtrl | kAlt | kShift, 0, false};
        chords[ChordAction::PasteQueueHead] = {kCtrl | kAlt, 'Q', false};
        chords[ChordAction::ClipMenuAtCaret] = {kCtrl | kAlt, vk::kBackquote, false};
        chords[ChordAction::ShowMainWindow] = {kAlt, 'C', false};
        chords[ChordAction::ClipMenuAtPointer] = {kCtrl, 0, false};
        return chords;
    }();
    return defaults;
}

std::string_view actionName(ChordAction action) {
    return namesOf(action).name;
}

std::string_view actionSettingName(ChordAction action) {
    return namesOf(action).setting;
}

std::optional<ChordAction> actionOfSettingName(std::string_view name) {
    for (const ActionNames& names : kActionNames)
        if (names.setting == name)
            return names.action;
    return std::nullopt;
}

std::string chordText(ChordAction action, const Chord& chord) {
    switch (shapeOf(action)) {
    case ChordShape::SlotDigits: return modifiersText(chord.modifiers) + std::string(kDigits);
    case ChordShape::PointerModifier: return modifiersText(chord.modifiers) + std::string(kRightClick);
    default: return formatKeyCombo({chord.modifiers, chord.key});
    }
}

std::string chordSetting(ChordAction action, const Chord& chord) {
    return (chord.off ? std::string(kOffPrefix) : std::string()) + chordText(action, chord);
}

std::optional<Chord> parseChordSetting(ChordAction action, std::string_view text) {
    Chord chord;
    text = trimSpaces(text);
    if (text.substr(0, kOffPrefix.size()) == kOffPrefix) {
        chord.off = true;
        text.remove_prefix(kOffPrefix.size());
    }
    const std::optional<SplitKeys> split = splitKeys(text);
    if (!split)
        return std::nullopt;
    chord.modifiers = split->modifiers;
    switch (shapeOf(action)) {
    case ChordShape::SlotDigits:
        if (split->last != kDigits)
            return std::nullopt;
        break;
    case ChordShape::PointerModifier:
        if (split->last != kRightClick || !isSingleModifier(chord.modifiers))
            return std::nullopt;
        break;
    case ChordShape::Key: {
        const std::optional<unsigned> key = keyFromName(split->last);
        if (!key)
            return std::nullopt;
        chord.key = *key;
        break;
    }
    }
    return chord;
}

Chord chordFromSetting(ChordAction action, const std::optional<std::string>& text) {
    if (text)
        if (const std::optional<Chord> chord = parseChordSetting(action, *text))
            return *chord;
    return defaultChords()[action];
}

std::vector<KeyCombo> combosOf(ChordAction action, const Chord& chord) {
    std::vector<KeyCombo> combos;
    if (shapeOf(action) == ChordShape::SlotDigits)
        for (unsigned digit = '0'; digit <= '9'; ++digit)
            combos.push_back({chord.modifiers, digit});
    else if (shapeOf(action) == ChordShape::Key)
        combos.push_back({chord.modifiers, chord.key});
    return combos;
}

}  // namespace options
