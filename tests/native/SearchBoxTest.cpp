// The search box over the clip list: the status line and the filter menu say what is on.
#include "app/SearchRules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(SearchBox, TheStatusLineSaysWhatIsOn) {
    using app::searchbox::EarlierState;
    using app::searchbox::SearchState;
    const struct {
        SearchState state;
        std::u16string status;
    } cases[] = {
        {{2, 999, false, u"", u"", false}, u"2 / 999"},
        {{1, 5, false, u"类型：图片，程序：notepad", u"", false}, u"1 / 5\u3000筛选：类型：图片，程序：notepad"},
        {{1, 5, true, u"类型：文本", u"", true}, u"1 / 5\u3000筛选：正则表达式，类型：文本\u3000（搜索超时，只显示了部分结果）"},
        {{0, 5, true, u"", u"模式有误：括号不成对", false}, u"模式有误：括号不成对"},
        {{0, 5, false, u"", u"", false, EarlierState::TooShort}, u"0 / 5\u3000以前的记录：输入至少 3 个字母或 2 个汉字，或按 Enter 查找"},
        {{0, 5, false, u"", u"", false, EarlierState::Searching}, u"0 / 5\u3000正在查找以前的记录…"},
        {{1, 5, false, u"", u"", false, EarlierState::Done, 3, true}, u"1 / 5\u3000以前的记录：3 条（还有更多，请缩小范围）"},
        {{1, 5, false, u"", u"", false, EarlierState::Done, 2, false, 7}, u"1 / 5\u3000以前的记录：2 条（另有 7 个记录正在准备）"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(app::searchbox::searchStatus(test.state), test.status);
}

// Each item has its own id within the menu's range; what cannot be offered is left out.
TEST(SearchBox, TheFilterMenuNumbersItsItemsWithinItsRange) {
    const std::vector<std::u16string> programs(12, u"app.exe");
    const std::vector<app::searchbox::MenuItem> menu = app::searchbox::filterMenu(programs, {u"工作"}, 100);
    std::set<unsigned> ids;
    for (const app::searchbox::MenuItem& item : menu) {
        EXPECT_GE(item.id, 100u);
        EXPECT_LT(item.id, 100u + app::searchbox::filterMenuIdCount());
        ids.insert(item.id);
    }
    EXPECT_EQ(ids.size(), menu.size());
    EXPECT_TRUE(menu.front().patternToggle);
    EXPECT_EQ(menu.back().label, u"&1 工作");
    EXPECT_EQ(menu.size(), 1 + search::filterMenuItems().size() + app::searchbox::kMaxOfferedPerKind + 1);
}

TEST(SearchBox, TheProgramsOfferedAreTheRowsMostFrequentFirst) {
    const std::vector<std::string> sources = {"C:\\a\\notepad.exe", "", "C:\\b\\WINWORD.EXE", "D:\\NOTEPAD.EXE",
                                              "C:\\c\\calc.exe", "C:\\b\\winword.exe", "C:\\a\\notepad.exe"};
    EXPECT_EQ(app::searchbox::programsOfRows(sources), (std::vector<std::u16string>{u"notepad.exe", u"WINWORD.EXE", u"calc.exe"}));
    EXPECT_EQ(app::searchbox::programsOfRows(sources, 1), (std::vector<std::u16string>{u"notepad.exe"}));
}

}  // namespace
