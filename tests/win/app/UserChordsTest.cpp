// The user's chords with the real dravix.exe running: published through the hook library's export
// (as the main program does after the options dialog), they count in a program already hooked from
// its next key. A changed chord acts and the old default no longer does, a chord turned off reaches
// the program as typed, and a program on the no-chords list gets no chord at all.
#include "DravixAppTest.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "options/ChordRecord.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class UserChordsTest : public DravixAppTest {
protected:
    explicit UserChordsTest(Start when = Start::AtSetUp) : DravixAppTest(when) {}
    void SetUp() override {
        DravixAppTest::SetUp();
        m_library = LoadLibraryW(L"Latchkit.dll");  // the same file as the program's: its shared section
        ASSERT_TRUE(m_library);
        m_publish = reinterpret_cast<BOOL(WINAPI*)(const options::ChordRecord*)>(
            reinterpret_cast<void*>(GetProcAddress(m_library, "PublishChordOptions")));
        ASSERT_TRUE(m_publish);
        m_keys = m_dir.path("target keys.log");
    }
    void TearDown() override {
        if (m_publish)
            publish(options::ChordOptions{});  // the next test meets the defaults
        if (m_library)
            FreeLibrary(m_library);
        DravixAppTest::TearDown();
    }

    // Published after the program's own publishing at its start, which would otherwise replace it.
    void publish(const options::ChordOptions& chords) {
        ASSERT_TRUE(pumpUntil([&] { return m_log.has("chords published"); }, 10s)) << m_log.text();
        const options::ChordRecord record = options::packChords(chords);
        ASSERT_TRUE(m_publish(&record));
    }

    // A target that logs its keys to m_keys.
    std::unique_ptr<Target> loggingTarget(const std::wstring& title, const std::wstring& text) const {
        return std::make_unique<Target>(title, text, L"DravixEditTarget", base::toWide(m_keys));
    }

    // The chord typed into `target`: its key reached the target (the key log shows its key-down)
    // and no chord began.
    void expectReachesTarget(const Target& target, std::vector<WORD> modifiers, WORD key) {
        ASSERT_TRUE(target.focus());
        const std::size_t mark = m_log.mark();
        typeChord(std::move(modifiers), key, 30);
        const std::string keyDown = "down " + std::to_string(key);
        EXPECT_TRUE(pumpUntil([&] { return readBytes(m_keys).find(keyDown) != std::string::npos; }, 5s)) << readBytes(m_keys);
        EXPECT_TRUE(expectNothingFor(300ms, [&] { return m_log.has("chord", mark); })) << m_log.text();
    }

    // `text` selected in the target and the chord typed: the slot holds it, and no digit was typed.
    void expectCopied(const Target& target, const std::wstring& text, std::vector<WORD> modifiers, char digit) {
        ASSERT_TRUE(target.setTextAndSelectAll(text));
        typeChord(std::move(modifiers), static_cast<WORD>(digit), 30);
        const std::string slot = std::string("copy") + digit;
        EXPECT_TRUE(pumpUntil([&] { return storedClipText(slot) == text; }, 8s)) << base::toUtf8(storedClipText(slot));
        EXPECT_EQ(target.text(), text) << "a digit reached the target";
    }

    HMODULE m_library = nullptr;
    BOOL(WINAPI* m_publish)(const options::ChordRecord*) = nullptr;
    std::string m_keys;
};

TEST_F(UserChordsTest, AChangedSlotCopyChordCopiesAndTheOldOneReachesTheProgram) {
    options::ChordOptions chords;
    chords.chords[options::ChordAction::CopyToSlot].modifiers = options::kCtrl | options::kShift;
    publish(chords);
    const auto target = loggingTarget(L"Changed chord target", L"copied with the user's chord");
    ASSERT_TRUE(target->setTextAndSelectAll(L"copied with the user's chord"));
    expectReachesTarget(*target, {VK_CONTROL}, '1');
    EXPECT_EQ(storedClipText("copy1"), L"");

    expectCopied(*target, L"copied with the user's chord", {VK_CONTROL, VK_SHIFT}, '1');
}

// A chord turned off keeps its keys for the program: Ctrl+Alt+5 neither pastes nor falls back to
// the copy chord Ctrl+5.
TEST_F(UserChordsTest, AChordTurnedOffReachesTheProgram) {
    options::ChordOptions chords;
    chords.chords[options::ChordAction::PasteSlot].off = true;
    publish(chords);
    const auto target = loggingTarget(L"Turned off target", L"");
    expectReachesTarget(*target, {VK_CONTROL, VK_MENU}, '5');
    EXPECT_EQ(target->text(), L"");
}

// Another installation of the program (its own folder, its own library) that was ended leaves its
// hooks behind under Wine, and its library loaded into a program has a shared section of its own,
// where no chords were ever published: it takes no key, and the running program's chords hold.
class UserChordsBesideAnotherInstallationTest : public UserChordsTest {
protected:
    UserChordsBesideAnotherInstallationTest() : UserChordsTest(Start::ByTheTest) {}
};

TEST_F(UserChordsBesideAnotherInstallationTest, ItsLibraryTakesNoKey) {
    const std::wstring other = base::toWide(m_dir.path("other installation"));
    for (const wchar_t* file : {L"dravix.exe", L"Latchkit.dll"})
        ASSERT_TRUE(copyProgramFile(other, file));
    {
        DravixProcess ended(other);
        ASSERT_TRUE(ended.waitForMainWindow());
    }
    start();
    options::ChordOptions chords;
    chords.chords[options::ChordAction::PasteSlot].off = true;
    publish(chords);
    const auto target = loggingTarget(L"Beside another installation", L"");
    expectReachesTarget(*target, {VK_CONTROL, VK_MENU}, '5');
}

// The list names programs by file name: the target's own gets no chord, another name leaves its
// chords as they were.
TEST_F(UserChordsTest, AProgramOnTheNoChordsListGetsNone) {
    options::ChordOptions chords;
    chords.noChordPrograms = {"EDIT_TARGET.EXE"};
    publish(chords);
    const auto target = loggingTarget(L"No chords target", L"never a slot");
    ASSERT_TRUE(target->setTextAndSelectAll(L"never a slot"));
    expectReachesTarget(*target, {VK_CONTROL}, '2');
    EXPECT_EQ(storedClipText("copy2"), L"");

    chords.noChordPrograms = {"mstsc.exe"};
    publish(chords);
    expectCopied(*target, L"a slot again", {VK_CONTROL}, '2');
}

// The clip menu at the pointer turned off: Ctrl+right-click is the program's own right click;
// moved to Alt, Alt+right-click opens the clip menu.
TEST_F(UserChordsTest, TheClipMenuAtThePointerTurnedOffOrMovedToAlt) {
    record(L"a clip for the pointer's menu");
    options::ChordOptions chords;
    chords.chords[options::ChordAction::ClipMenuAtPointer].off = true;
    publish(chords);
    const auto target = loggingTarget(L"Pointer menu target", L"");
    ASSERT_TRUE(target->focus());
    const auto closeMenu = [&] {
        if (waitForProcessMenu(target->processId(), 3s))
            pressKeys({VK_ESCAPE});
        return pumpUntil([&] { return !visibleProcessMenu(target->processId()); }, 3s);
    };
    std::size_t mark = m_log.mark();
    rightClickWith(centreOf(target->window()), VK_CONTROL);
    EXPECT_TRUE(pumpUntil([&] { return readBytes(m_keys).find("rdown") != std::string::npos; }, 5s)) << readBytes(m_keys);
    ASSERT_TRUE(closeMenu());  // the edit's own menu
    EXPECT_FALSE(m_log.has("clip menu shown", mark));

    chords.chords[options::ChordAction::ClipMenuAtPointer] = {options::kAlt, 0, false};
    publish(chords);
    ASSERT_TRUE(target->focus());
    mark = m_log.mark();
    rightClickWith(centreOf(target->window()), VK_MENU);
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("clip menu shown", mark); }, 5s)) << m_log.text();
    EXPECT_TRUE(closeMenu());
}

}  // namespace
