#include "BenchRuns.h"

#include "store/FileSystem.h"
#include "store/RunNames.h"
#include "store/StorePaths.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>

namespace benchruns {

namespace {

const std::vector<std::u16string> kLatin = {
    u"the", u"and", u"to", u"of", u"a", u"in", u"for", u"is", u"on", u"that", u"with", u"please", u"meeting", u"project",
    u"report", u"budget", u"customer", u"order", u"email", u"send", u"review", u"draft", u"version", u"update", u"team",
    u"tomorrow", u"today", u"price", u"contract", u"delivery", u"schedule", u"client", u"file", u"folder", u"server",
    u"password", u"account", u"address", u"phone", u"number", u"total", u"amount", u"invoice", u"payment", u"status",
    u"error", u"warning", u"function", u"return", u"value", u"string", u"config", u"release", u"build", u"test", u"data",
    u"https://example.com/docs", u"C:\\Users\\li\\Documents", u"Shanghai", u"Beijing", u"Monday", u"Friday", u"Q3",
    u"2026", u"OK", u"Thanks,", u"Regards", u"Hello", u"Dear", u"Mr.", u"Ms.", u"note:", u"(draft)", u"TODO", u"FIXME"};
const std::vector<std::u16string> kChinese = {
    u"会议", u"项目", u"报告", u"预算", u"客户", u"合同", u"今天", u"明天", u"下午", u"我们", u"需要", u"文件", u"发送",
    u"确认", u"时间", u"问题", u"数据", u"系统", u"测试", u"版本", u"更新", u"团队", u"价格", u"交付", u"安排", u"地址",
    u"电话", u"金额", u"发票", u"付款", u"状态", u"错误", u"请", u"谢谢", u"的", u"了", u"是", u"在", u"和", u"有",
    u"这个", u"那个", u"已经", u"可以", u"没有", u"一下", u"上海", u"北京", u"周一", u"周五", u"，", u"。", u"：", u"（草稿）"};

// A text of `length` units: Latin (six in ten), mostly Chinese (a quarter) or mixed.
std::u16string clipText(std::mt19937& random, std::size_t length) {
    const unsigned style = random() % 20;
    const unsigned chineseShare = style < 12 ? 0 : style < 17 ? 70 : 30;
    std::u16string text;
    while (text.size() < length) {
        const unsigned roll = random() % 100000;
        if (roll == 0) {
            text += kWord;
        } else if (roll <= 3) {
            text += u"INV" + std::u16string(1, static_cast<char16_t>(u'0' + roll % 10)) + u"207-" +
                    std::u16string(1, static_cast<char16_t>(u'0' + roll % 7)) + u"3";
        } else {
            // Common words far more often than the rest, as in any language.
            const auto& words = random() % 100 < chineseShare ? kChinese : kLatin;
            const std::size_t rank = std::min(words.size() - 1, static_cast<std::size_t>(random() % words.size() * (random() % 100) / 100));
            text += words[rank];
        }
        text += random() % 100 < chineseShare ? u"" : u" ";
    }
    text.resize(length);
    return text;
}

}  // namespace

std::vector<ArchiveClip> runClips(int run) {
    static const std::vector<std::string> programs = {"C:\\Windows\\notepad.exe", "C:\\Program Files\\Microsoft Office\\WINWORD.EXE",
                                                      "C:\\Program Files\\Google\\Chrome\\chrome.exe", "C:\\Windows\\explorer.exe",
                                                      "", "C:\\Program Files\\Tencent\\WeChat.exe"};
    std::mt19937 random(static_cast<unsigned>(run) * 7919u + 17u);
    std::vector<ArchiveClip> clips;
    for (int n = 1; n <= kClips; ++n) {
        char time[32];
        std::snprintf(time, sizeof time, "2026-%02d-%02d %02d:%02d:%02d", 1 + run / 28, 1 + run % 28, n / 3600 % 24, n / 60 % 60, n % 60);
        clips.push_back({n, 0, time, programs[random() % programs.size()], random() % 10 == 0 ? "工作" : "",
                         clipText(random, 20 + random() % 1981)});
    }
    return clips;
}

std::string runArchive(const std::string& runs, int run) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "2026-%02d-%02d 10:00:00", 1 + run / 28, 1 + run % 28);
    return store::joinPath(runs, store::runName(stamp) + ".amc");
}

bool writeRuns(const std::string& runs, int count) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::u8path(runs), error);
    for (int run = 0; run < count; ++run)
        if (!writeArchive(runArchive(runs, run), runClips(run)))
            return false;
    return true;
}

}  // namespace benchruns
