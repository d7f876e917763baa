// Which keys paste in which window: the user's rules first, then the built-in ones, then Ctrl+V.
#include "hooklib/PasteKeyRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using hooklib::ChordKey;
using hooklib::PasteKeyRule;

// A chord as text: "+17 +86 -86 -17" (press, release).
std::string spelled(const std::vector<ChordKey>& chord) {
    std::string text;
    for (const ChordKey& key : chord)
        text += (text.empty() ? "" : " ") + std::string(key.release ? "-" : "+") + std::to_string(key.virtualKey);
    return text;
}

const std::string kCtrlV = "+17 +86 -86 -17";
const std::string kShiftInsert = "+16 +45 -45 -16";
const std::string kCtrlShiftV = "+17 +16 +86 -86 -16 -17";

TEST(PasteKeyRules, TheKeysForEachWindow) {
    const std::vector<PasteKeyRule> user = {
        {"DravixTestTerminal", "shift + insert"},
        {"PuTTY", "Ctrl+V"},                       // the user's rule comes before the built-in one
        {"myterm.EXE", "Ctrl+Shift+V"},            // by the program's file name
        {"BrokenRule", "Hyper+V"},                 // keys that cannot be read: the next rule decides
        {"BrokenRule", "Alt+Ins"},
        {"", "Shift+Insert"},                      // an empty match matches nothing
    };
    struct Case {
        const char* className;
        const char* program;
        const std::vector<PasteKeyRule>* rules;
        std::string expected;
    };
    const std::vector<PasteKeyRule> none;
    const Case cases[] = {
        {"Edit", "C:\\Windows\\notepad.exe", &none, kCtrlV},
        {"ConsoleWindowClass", "C:\\Windows\\System32\\conhost.exe", &none, kShiftInsert},
        {"PuTTY", "C:\\Tools\\putty.exe", &none, kShiftInsert},
        {"putty", "", &none, kShiftInsert},             // class names compare without case
        {"mintty", "C:\\cygwin\\bin\\mintty.exe", &none, kShiftInsert},
        {"KiTTY", "C:\\Tools\\kitty.exe", &none, kShiftInsert},
        {"CASCADIA_HOSTING_WINDOW_CLASS", "C:\\Apps\\WindowsTerminal.exe", &none, kCtrlShiftV},
        {"DravixTestTerminal", "Z:\\build\\edit_target.exe", &none, kCtrlV},
        {"DravixTestTerminal", "Z:\\build\\edit_target.exe", &user, kShiftInsert},
        {"PuTTY", "C:\\Tools\\putty.exe", &user, kCtrlV},
        {"SomeClass", "D:\\bin\\MyTerm.exe", &user, kCtrlShiftV},
        {"SomeClass", "D:/bin/myterm.exe", &user, kCtrlShiftV},
        {"SomeClass", "myterm.exe", &user, kCtrlShiftV},
        {"SomeClass", "D:\\myterm.exe\\other.exe", &user, kCtrlV},  // a folder's name is not the program
        {"BrokenRule", "", &user, "+18 +45 -45 -18"},
        {"", "", &user, kCtrlV},
    };
    for (const Case& c : cases)
        EXPECT_EQ(spelled(hooklib::pasteKeysFor(*c.rules, c.className, c.program)), c.expected)
            << c.className << " " << c.program << " with " << c.rules->size() << " user rules";
}

TEST(PasteKeyRules, KeysAsTheUserWritesThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"Ctrl+V", "+17 +86 -86 -17"},
        {"control+shift+v", "+17 +16 +86 -86 -16 -17"},
        {" Shift + Ins ", "+16 +45 -45 -16"},
        {"Alt+Shift+7", "+18 +16 +55 -55 -16 -18"},
        {"V", "+86 -86"},
        {"", nullptr},
        {"Ctrl+", nullptr},
        {"Ctrl+Ctrl+V", nullptr},
        {"V+Ctrl", nullptr},
        {"Ctrl+F5", nullptr},
        {"Ctrl+VV", nullptr},
        {"Win+V", nullptr},
    };
    for (const auto& [text, expected] : cases) {
        const auto chord = hooklib::parsePasteKeys(text);
        EXPECT_EQ(chord ? spelled(*chord) : "none", expected ? expected : "none") << text;
    }
}

TEST(PasteKeyRules, ModifiersTheUserStillHolds) {
    const auto ctrlV = hooklib::pasteChord();
    const auto shiftInsert = *hooklib::parsePasteKeys("Shift+Insert");
    struct Case {
        const std::vector<ChordKey>* chord;
        hooklib::HeldModifiers held;
        const char* expected;
    };
    const Case cases[] = {
        {&ctrlV, {}, "+17 +86 -86 -17"},
        {&ctrlV, {true, false, false}, "+86 -86"},
        {&ctrlV, {false, true, true}, "-16 -18 +17 +86 -86 -17"},
        {&shiftInsert, {true, false, false}, "-17 +16 +45 -45 -16"},
        {&shiftInsert, {false, false, true}, "+45 -45"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(spelled(hooklib::withHeldModifiers(*c.chord, c.held)), c.expected);
}

}  // namespace
