// The clip menu's decisions: rows to items, commands to clips.
#include "hooklib/ClipMenuRules.h"

#include <gtest/gtest.h>

namespace {

TEST(ClipMenuRules, RowsBecomeItemsAsInTheWorkedExample) {
    const auto slot = hooklib::itemForRow(u"ctrl+alt+3", u"abc");
    ASSERT_TRUE(slot);
    EXPECT_EQ(slot->command, 998003u);
    EXPECT_EQ(slot->clip, "copy3");
    EXPECT_EQ(slot->text, u"3. abc");
    const auto history = hooklib::itemForRow(u"17", u"line1\r\nline2");
    ASSERT_TRUE(history);
    EXPECT_EQ(history->command, 999017u);
    EXPECT_EQ(history->clip, "his17-");
    EXPECT_EQ(history->text, u"17. line1line2");
    // The content is cut after 40 units (a surrogate pair counts two).
    const std::u16string longText(60, u'字');
    EXPECT_EQ(hooklib::itemForRow(u"5", longText)->text, u"5. " + std::u16string(40, u'字'));
}

// What a screen reader speaks for each kind of row, and the plain item that stands for it.
TEST(ClipMenuRules, ItemsAreNamedForAScreenReader) {
    using hooklib::RowImage;
    struct Case {
        const char16_t* number;
        std::u16string content;
        RowImage image;
        std::u16string name;
    };
    const Case cases[] = {
        {u"3", u"报告全文", RowImage::Text, u"3. 报告全文"},
        {u"3", std::u16string(40, u'报'), RowImage::Text, u"3. " + std::u16string(40, u'报') + u"…"},
        {u"17", u"line1\r\nline2", RowImage::Text, u"17. line1line2"},
        {u"ctrl+alt+2", u"slot", RowImage::Text, u"2. slot"},
        {u"4", u"picture:size 1920*1080", RowImage::Picture, u"4. 图片 1920×1080"},
        {u"5", u"File:Path\"C:\\Users\\me\\a long folder name\\report.txt\"", RowImage::FileList, u"5. 文件 report.txt"},
        {u"6", u"File:Path\"report.txt\"", RowImage::FileList, u"6. 文件 report.txt"},
        // A content not of its kind is said as it is drawn.
        {u"7", u"picture", RowImage::Picture, u"7. picture"},
        {u"8", u"C:\\x.txt", RowImage::FileList, u"8. C:\\x.txt"},
    };
    for (const Case& c : cases) {
        const auto item = hooklib::itemForRow(c.number, c.content, c.image);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->name, c.name);
    }
    EXPECT_EQ(hooklib::plainItemText(u"3. Tom & Jerry"), u"3. Tom && Jerry");
}

TEST(ClipMenuRules, OddNumberTextsGiveNoItem) {
    for (const char16_t* odd : {u"", u"0", u"1000", u"12345678901234567890", u"ctrl+alt+", u"ctrl+alt+12", u"-time", u"3-"})
        EXPECT_FALSE(hooklib::itemForRow(odd, u"x")) << std::u16string(odd).size();
}

TEST(ClipMenuRules, CommandsNameTheirClip) {
    const auto history = hooklib::choiceForCommand(999017);
    ASSERT_TRUE(history);
    EXPECT_EQ(history->clip, "his17-");
    EXPECT_EQ(history->historyNumber, 17);
    const auto slot = hooklib::choiceForCommand(998003);
    ASSERT_TRUE(slot);
    EXPECT_EQ(slot->clip, "copy3");
    EXPECT_EQ(slot->historyNumber, 0);
    for (unsigned other : {0u, 997999u, 998010u, 999000u, 1000000u})
        EXPECT_FALSE(hooklib::choiceForCommand(other)) << other;
}

// "粘贴为" commands carry the clip and the transform there and back; the clips' own commands carry
// none, and a command beyond a transform or naming no clip is no choice.
TEST(ClipMenuRules, PasteAsCommandsCarryTheirClipAndTransform) {
    using store::Transform;
    const struct {
        unsigned clipCommand;
        Transform transform;
        unsigned command;
        const char* clip;
    } cases[] = {
        {999017, Transform::Plain, 900017, "his17-"},
        {999999, Transform::FullWidth, 900000 + 7 * 2000 + 999, "his999-"},
        {998000, Transform::Upper, 900000 + 2000 + 1000, "copy0"},
        {998009, Transform::Trim, 900000 + 4 * 2000 + 1009, "copy9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hooklib::pasteAsCommand(c.clipCommand, c.transform), c.command) << c.clipCommand;
        const auto choice = hooklib::choiceForCommand(c.command);
        ASSERT_TRUE(choice) << c.command;
        EXPECT_EQ(choice->clip, c.clip);
        EXPECT_EQ(choice->transform, c.transform);
    }
    EXPECT_FALSE(hooklib::choiceForCommand(999017)->transform);
    for (unsigned none : {0u, 999000u, 998010u, 997999u})
        EXPECT_EQ(hooklib::pasteAsCommand(none, Transform::Upper), 0u) << none;
    for (unsigned other : {900000u, 901010u, 900000u + 8 * 2000 + 5})
        EXPECT_FALSE(hooklib::choiceForCommand(other)) << other;
}

// With Ctrl every right press is taken (a quick second one arrives as a double click, in the
// client area or the frame alike) and the release opens the menu; without Ctrl nothing is.
TEST(ClipMenuRules, EveryRightPressWithCtrlIsTakenAndTheReleaseOpens) {
    using hooklib::MouseAction;
    for (unsigned press : {0x0204u, 0x0206u, 0x00A4u, 0x00A6u}) {
        EXPECT_EQ(hooklib::mouseAction(press, true), MouseAction::Take) << press;
        EXPECT_EQ(hooklib::mouseAction(press, false), MouseAction::PassOn) << press;
    }
    for (unsigned release : {0x0205u, 0x00A5u})
        EXPECT_EQ(hooklib::mouseAction(release, true), MouseAction::TakeAndOpen) << release;
    EXPECT_EQ(hooklib::mouseAction(0x0205u, false), MouseAction::PassOn);
    EXPECT_EQ(hooklib::mouseAction(0x0201u, true), MouseAction::PassOn);  // the left button
}

// The menu opened from the keyboard opens inside the work area: a caret below the taskbar's top
// or left of a second monitor's edge moves in, one inside stays where it is.
TEST(ClipMenuRules, TheKeyboardMenuStaysInTheWorkArea) {
    const hooklib::Area work = {0, 0, 1280, 984};
    const struct {
        hooklib::Point at, placed;
    } cases[] = {
        {{123, 139}, {123, 139}},
        {{1300, 1000}, {1279, 983}},
        {{-20, -5}, {0, 0}},
        {{1279, 983}, {1279, 983}},
    };
    for (const auto& c : cases) {
        const hooklib::Point placed = hooklib::keepInArea(c.at, work);
        EXPECT_EQ(placed.x, c.placed.x) << c.at.x;
        EXPECT_EQ(placed.y, c.placed.y) << c.at.y;
    }
    const hooklib::Point second = hooklib::keepInArea({1200, 10}, {1280, 0, 2560, 1024});
    EXPECT_EQ(second.x, 1280);
    const hooklib::Point none = hooklib::keepInArea({5, 6}, {});  // no work area known: as it is
    EXPECT_EQ(none.x, 5);
    EXPECT_EQ(none.y, 6);
}

}  // namespace
