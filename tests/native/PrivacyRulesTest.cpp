// What the privacy commands decide and say: a new password typed twice, the wipe's outcome, the
// tray's count of secrets kept out, and the two switches on where nothing says otherwise.
#include "app/PrivacyRules.h"
#include "app/recorder/RecordRules.h"
#include "options/OptionsFile.h"
#include "ui/PasswordRules.h"

#include <gtest/gtest.h>

namespace {

TEST(PrivacyRules, ANewPasswordIsTypedTwiceTheSame) {
    struct Case {
        std::u16string first, again;
        const char* problem;  // a part of the message; nullptr: fine
    };
    const Case cases[] = {
        {u"", u"", "请输入密码"},
        {u"secret", u"secret", nullptr},
        {u"secret", u"Secret", "不一致"},
        {u"secret", u"", "不一致"},
        {u"密码 1", u"密码 1", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> problem = ui::password::newPasswordProblem(c.first, c.again);
        if (!c.problem)
            EXPECT_FALSE(problem);
        else
            EXPECT_NE(problem.value_or("").find(c.problem), std::string::npos) << c.problem;
    }
}

TEST(PrivacyRules, TheWipeSaysWhatCouldNotGo) {
    EXPECT_EQ(app::wipeOutcomeText(false, {}), "");
    EXPECT_NE(app::wipeOutcomeText(true, {}).find("没有清除任何记录"), std::string::npos);
    const std::string held = app::wipeOutcomeText(false, {"C:\\S\\Data\\his1-0", "C:\\S\\Runs\\run.amc"});
    EXPECT_NE(held.find("有 2 个文件"), std::string::npos);
    EXPECT_NE(held.find("C:\\S\\Data\\his1-0"), std::string::npos);
    EXPECT_EQ(held.find("run.amc"), std::string::npos);  // the first only
}

TEST(PrivacyRules, TheTrayCountsSecretsKeptOut) {
    EXPECT_EQ(app::recorder::trayTooltip("2026-12-08 14:03:22", 0, 0, 0, 3), u"Dravix\n上次记录：14:03:22\n未记录的密钥：3");
    EXPECT_EQ(app::recorder::trayTooltip("", 0, 0, 1, 0), u"Dravix\n还没有记录到复制\n未能记录：1");
}

// Sealing and keeping secrets out are on for a new user and in an options file that does not
// name them; turned off, they stay off through a file.
TEST(PrivacyRules, ThePrivacySwitchesAreOnUnlessTurnedOff) {
    const options::Options fresh;
    EXPECT_TRUE(fresh.switches.sealStore);
    EXPECT_TRUE(fresh.switches.skipSecrets);
    const options::OptionsFileRead unnamed = options::readOptionsFile(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DravixOptions><Version>1</Version><Switches/></DravixOptions>");
    ASSERT_TRUE(unnamed.options) << unnamed.error;
    EXPECT_TRUE(unnamed.options->switches.sealStore);
    options::Options off;
    off.switches.sealStore = false;
    off.switches.skipSecrets = false;
    for (const auto kind : {options::OptionsFileKind::Xml, options::OptionsFileKind::Reg}) {
        const options::OptionsFileRead read = options::readOptionsFile(options::optionsFileBytes(off, kind));
        ASSERT_TRUE(read.options) << read.error;
        EXPECT_FALSE(read.options->switches.sealStore);
        EXPECT_FALSE(read.options->switches.skipSecrets);
    }
    EXPECT_EQ(options::describeChanges(fresh, off).size(), 2u);
}

}  // namespace
