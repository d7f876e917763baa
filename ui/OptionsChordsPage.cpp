#include "ui/OptionsChordsPage.h"

#include "ui/OptionsDlg.h"
#include "ui/RunningPrograms.h"
#include "base/Text.h"

#include <commctrl.h>

#include <algorithm>

namespace ui {

namespace {

// Ids of res/resource.h.
constexpr UINT kPage = 191;
constexpr int kDefaults = 1109;
constexpr int kFirstKey = 1110;  // + the action's place in options::allChordActions()
constexpr int kFirstOff = 1120;
constexpr int kProgramList = 1130;
constexpr int kProgramName = 1131;
constexpr int kAddProgram = 1132;
constexpr int kPickProgram = 1133;
constexpr int kRemoveProgram = 1134;

// The modifiers of the pointer's list, in its order.
constexpr unsigned kPointerModifiers[] = {options::kCtrl, options::kAlt, options::kShift};

options::ChordAction actionAt(std::size_t index) {
    return options::allChordActions()[index];
}

BYTE hotKeyFlags(unsigned modifiers) {
    return static_cast<BYTE>(((modifiers & options::kCtrl) ? HOTKEYF_CONTROL : 0) | ((modifiers & options::kAlt) ? HOTKEYF_ALT : 0) |
                             ((modifiers & options::kShift) ? HOTKEYF_SHIFT : 0));
}

unsigned modifiersOf(BYTE flags) {
    return ((flags & HOTKEYF_CONTROL) ? unsigned{options::kCtrl} : 0u) | ((flags & HOTKEYF_ALT) ? unsigned{options::kAlt} : 0u) |
           ((flags & HOTKEYF_SHIFT) ? unsigned{options::kShift} : 0u);
}

}  // namespace

COptionsChordsPage::COptionsChordsPage(COptionsDlg& dialog) : COptionsPage(kPage, dialog) {}

void COptionsChordsPage::Load() {
    HWND pointer = item(kFirstKey + static_cast<int>(options::ChordAction::ClipMenuAtPointer));
    if (SendMessageW(pointer, CB_GETCOUNT, 0, 0) == 0)
        for (const unsigned modifier : kPointerModifiers) {
            std::string name = options::modifiersText(modifier);
            name.pop_back();  // its "+"
            SendMessageW(pointer, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(base::toWide(name).c_str()));
        }
    for (std::size_t i = 0; i < options::kChordActions; ++i)
        showChord(i);
    showPrograms();
}

void COptionsChordsPage::showChord(std::size_t index) {
    const options::ChordAction action = actionAt(index);
    const options::Chord& chord = model().chords.chords[action];
    HWND control = item(kFirstKey + static_cast<int>(index));
    if (options::shapeOf(action) == options::ChordShape::PointerModifier) {
        int selected = 0;
        for (int i = 0; i < 3; ++i)
            if (chord.modifiers == kPointerModifiers[i])
                selected = i;
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    } else {
        SendMessageW(control, HKM_SETHOTKEY, MAKEWORD(chord.key, hotKeyFlags(chord.modifiers)), 0);
        m_shown[index] = SendMessageW(control, HKM_GETHOTKEY, 0, 0);
    }
    CheckDlgButton(hwnd(), kFirstOff + static_cast<int>(index), chord.off ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(control, !chord.off);
}

bool COptionsChordsPage::OnKillActive() {
    for (std::size_t i = 0; i < options::kChordActions; ++i)
        if (!takeChord(i))
            return false;
    return true;
}

// A slot chord takes the modifiers pressed with any key; another chord takes a key with a name.
bool COptionsChordsPage::takeChord(std::size_t index) {
    const options::ChordAction action = actionAt(index);
    options::Chord chord = model().chords.chords[action];
    HWND control = item(kFirstKey + static_cast<int>(index));
    chord.off = IsDlgButtonChecked(hwnd(), kFirstOff + static_cast<int>(index)) == BST_CHECKED;
    const LRESULT value = SendMessageW(control, HKM_GETHOTKEY, 0, 0);
    const unsigned key = LOBYTE(LOWORD(value));
    const unsigned modifiers = modifiersOf(HIBYTE(LOWORD(value)));
    const std::string name(options::actionName(action));
    if (options::shapeOf(action) == options::ChordShape::PointerModifier) {
        const LRESULT selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        chord.modifiers = kPointerModifiers[selected >= 0 && selected < 3 ? selected : 0];
    } else if (value != m_shown[index] && !(chord.off && value == 0)) {
        const bool slot = options::shapeOf(action) == options::ChordShape::SlotDigits;
        if (modifiers == 0 || (!slot && options::keyName(key).empty())) {
            Tell("“" + name + "”：" +
                 (slot ? "请按下修饰键和任一数字（例如 Ctrl+Shift+1），或选中“关闭”。"
                       : "请按下修饰键和一个字母、数字、功能键或符号键，或选中“关闭”。"));
            SetFocus(control);
            return false;
        }
        chord.modifiers = modifiers;
        chord.key = slot ? 0 : key;
    }
    model().chords.chords[action] = chord;
    return true;
}

void COptionsChordsPage::showPrograms() {
    HWND list = item(kProgramList);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& program : model().chords.noChordPrograms)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(base::toWide(program).c_str()));
    EnableItem(kRemoveProgram, !model().chords.noChordPrograms.empty(), kProgramList);
}

void COptionsChordsPage::addProgram(const std::string& typed) {
    if (const std::optional<std::string> problem = options::addNoChordProgram(model().chords.noChordPrograms, typed)) {
        Tell(*problem);
        return;
    }
    showPrograms();
    SendMessageW(item(kProgramList), LB_SETCURSEL, model().chords.noChordPrograms.size() - 1, 0);
    SetDlgItemTextW(hwnd(), kProgramName, L"");
}

void COptionsChordsPage::removeProgram() {
    const LRESULT row = SendMessageW(item(kProgramList), LB_GETCURSEL, 0, 0);
    std::vector<std::string>& programs = model().chords.noChordPrograms;
    if (row < 0 || static_cast<std::size_t>(row) >= programs.size())
        return;
    programs.erase(programs.begin() + row);
    showPrograms();
    if (!programs.empty())
        SendMessageW(item(kProgramList), LB_SETCURSEL, std::min<std::size_t>(static_cast<std::size_t>(row), programs.size() - 1), 0);
}

bool COptionsChordsPage::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED && id >= kFirstOff && id < kFirstOff + static_cast<int>(options::kChordActions)) {
        EnableWindow(item(id - kFirstOff + kFirstKey), IsDlgButtonChecked(hwnd(), id) != BST_CHECKED);
        return true;
    }
    if (code != BN_CLICKED)
        return COptionsPage::OnCommand(id, code, control);
    switch (id) {
    case kDefaults:
        model().chords.chords = options::defaultChords();
        for (std::size_t i = 0; i < options::kChordActions; ++i)
            showChord(i);
        return true;
    case kAddProgram:
        addProgram(ItemText(kProgramName));
        return true;
    case kPickProgram: {
        const std::wstring path = ui::running::pickProgram(control);
        if (!path.empty())
            addProgram(base::toUtf8(path));
        return true;
    }
    case kRemoveProgram:
        removeProgram();
        return true;
    default:
        return COptionsPage::OnCommand(id, code, control);
    }
}

}  // namespace ui
