// Programs of both bitnesses on one desktop, as on 64-bit Windows: this build's dravix.exe records
// what a program of the other bitness copies and pastes from its list into a target of the other
// bitness. Those programs are the other build tree's test helpers (scripts/test builds both trees
// before any test runs).
// 64-bit Windows calls the x64 build's keyboard and mouse hooks for a 32-bit program's input in
// the main program's installing thread; Wine calls them for no input of a 32-bit program at all,
// so that path is shown by calling the hook procedures in that thread
// (ChordTest.HookProceduresRunInTheInstallingThreadForAnotherProgram).
#include "DravixAppTest.h"

#include "WinTestSupport.h"
#include "base/Text.h"
#include "fw/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::wstring otherBitnessProgram(const wchar_t* name) {
    return binFolder() + L"\\..\\..\\" + base::toWide(DRAVIX_OTHER_ARCH) + L"\\bin\\" + name;
}

class MixedBitnessTest : public DravixAppTest {
protected:
    void SetUp() override {
#ifdef _WIN64
        // Set by scripts/wine-session.sh where the kernel runs no 32-bit code.
        if (const char* reason = std::getenv("DRAVIX_NO_32_BIT"))
            GTEST_SKIP() << "the 32-bit programs cannot run: " << reason;
#endif
        for (const wchar_t* name : {L"clip_source.exe", L"edit_target.exe"})
            ASSERT_TRUE(fs::exists(otherBitnessProgram(name)))
                << base::toUtf8(otherBitnessProgram(name)) << " is missing: build the " DRAVIX_OTHER_ARCH " tree first";
        DravixAppTest::SetUp();
    }
};

// Each copy of the other bitness's program becomes one row: plain copies, and a text it hands out
// only when asked (asked across the bitnesses); a row double-clicked in the list is pasted into a
// target of the other bitness.
TEST_F(MixedBitnessTest, CopiesOfTheOtherBitnessAreRecordedAndPastedIntoIt) {
    struct Copies {
        std::wstring arguments;
        std::vector<std::wstring> rows;
    };
    const std::vector<Copies> table = {
        {L"burst \"copied by the other bitness\" 2 300", {L"copied by the other bitness 0", L"copied by the other bitness 1"}},
        {L"delayed \"rendered for the other bitness\" 0", {L"rendered for the other bitness"}},
    };
    std::vector<std::wstring> recorded;
    for (const Copies& copies : table) {
        ClipSource source(copies.arguments, otherBitnessProgram(L"clip_source.exe"));
        ASSERT_TRUE(source.ready()) << base::toUtf8(otherBitnessProgram(L"clip_source.exe")) << " did not start";
        recorded.insert(recorded.end(), copies.rows.begin(), copies.rows.end());
        EXPECT_TRUE(m_app->waitForRows([&](const std::vector<ListRow>& rows) {
            if (rows.size() != recorded.size())
                return false;
            for (const std::wstring& text : recorded)
                if (std::count_if(rows.begin(), rows.end(), [&](const ListRow& row) { return row.content == text; }) != 1)
                    return false;
            return true;
        })) << base::toUtf8(copies.arguments);
    }

    const std::string keys = m_dir.path("target keys.log");
    const std::wstring command = L"\"" + otherBitnessProgram(L"edit_target.exe") +
                                 L"\" \"Other bitness target\" \"\" DravixOtherBitnessTarget \"" + base::toWide(keys) + L"\"";
    Target target(ProgramByClass{command, L"DravixOtherBitnessTarget"});
    ASSERT_TRUE(target.window()) << base::toUtf8(command) << " did not start";
    ASSERT_TRUE(target.focus());
    ASSERT_TRUE(bringToFront(m_app->mainWindow()));
    const int row = m_app->findRow(L"rendered for the other bitness", false);
    ASSERT_GE(row, 0);
    m_app->selectRows({row});
    const RECT rect = m_app->rowRect(row);
    clickAt({rect.left + 30, (rect.top + rect.bottom) / 2}, true);
    EXPECT_TRUE(pumpUntil([&] { return target.text() == L"rendered for the other bitness"; }, 8s))
        << base::toUtf8(target.text()) << "; keys the target saw: " << readBytes(keys) << "; in front now: "
        << base::toUtf8(fw::windowText(GetForegroundWindow()));
}

}  // namespace
