// dravixc.exe under Wine against a stand-in for the running program: a window with the main
// window's title and clip list that takes a request as the program is to take it
// (store::command::receiveRequest), answers it from a posted message once the sender's
// SendMessage has returned, through app::answerCommand over a fake program in memory. What is
// shown: the transport in both directions, the output byte for byte (into a file, in chunks),
// UTF-8 text, the standard input, and each exit code.
#include "app/CommandRules.h"
#include "store/CommandProtocol.h"
#include "store/Protocol.h"
#include "base/Text.h"
#include "fw/Window.h"
#include "CommandFakes.h"
#include "DravixcRun.h"
#include "TestFiles.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <future>
#include <mutex>
#include <thread>

using namespace store::command;

namespace {

constexpr UINT kAnswerWaiting = WM_APP + 1;

class StandInProgram {
public:
    StandInProgram() {
        std::promise<HWND> created;
        std::future<HWND> window = created.get_future();
        m_thread = std::thread([this, &created] { run(created); });
        m_window = window.get();
    }
    ~StandInProgram() {
        PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    StandInProgram(const StandInProgram&) = delete;
    StandInProgram& operator=(const StandInProgram&) = delete;

    HWND window() const { return m_window; }
    // The program's state, read or set between commands.
    template <class Use>
    auto withProgram(Use&& use) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return use(m_program);
    }

private:
    void run(std::promise<HWND>& created) {
        const wchar_t* windowClass = L"DravixStandInProgram";
        WNDCLASSW description = {};
        description.lpfnWndProc = windowProc;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = windowClass;
        RegisterClassW(&description);
        HWND window = CreateWindowExW(0, windowClass, base::toWide(store::kMainWindowTitle).c_str(), WS_OVERLAPPEDWINDOW,
                                      0, 0, 300, 200, nullptr, nullptr, description.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD, 0, 0, 100, 100, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(store::kMainListId)), description.hInstance, nullptr);
        created.set_value(window);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
    }

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<StandInProgram*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_COPYDATA)
            return self->take(window, wParam, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        if (self && message == kAnswerWaiting)
            self->answerWaiting(window);
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT take(HWND window, WPARAM sender, const COPYDATASTRUCT& data) {
        Received received = receiveRequest(data.dwData, std::string_view(static_cast<const char*>(data.lpData), data.cbData),
                                           static_cast<std::uint64_t>(sender));
        if (received.request) {
            m_waiting.push_back(*received.request);
            PostMessageW(window, kAnswerWaiting, 0, 0);
        }
        return static_cast<LRESULT>(received.receipt);
    }

    void answerWaiting(HWND window) {
        const Request request = m_waiting.front();
        m_waiting.pop_front();
        const Answer answer = withProgram([&](FakeCommandActions& program) { return app::answerCommand(request, program); });
        const HWND reply = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(request.replyWindow));
        for (std::uint32_t i = 0; i < chunkCount(answer); ++i)
            if (fw::SendCopyData(reply, window, kAnswerTag, encodeAnswerChunk(request.id, answer, i), 5000).value_or(FALSE) == FALSE)
                return;
    }

    std::thread m_thread;
    HWND m_window = nullptr;
    std::deque<Request> m_waiting;  // the window's thread alone
    std::mutex m_mutex;
    FakeCommandActions m_program;
};

class CommandLineTest : public ::testing::Test {
protected:
    Ended dravixc(const std::wstring& arguments, const std::string& input = {}) { return runDravixc(m_files, arguments, input); }
    std::vector<std::string> calls() {
        return m_program->withProgram([](FakeCommandActions& program) { return std::exchange(program.calls, {}); });
    }

    ScratchDir m_files;
    std::optional<StandInProgram> m_program{std::in_place};
};

TEST_F(CommandLineTest, RowsComeAsJsonWithTheirChineseIntact) {
    Request list;
    list.json = true;
    FakeCommandActions program;
    const std::string expected = app::answerCommand(list, program).output;

    const Ended run = dravixc(L"list --json");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.output, expected);
    EXPECT_NE(run.output.find("\"text\":\"季度报告 Draft\""), std::string::npos) << run.output;
    EXPECT_EQ(run.errors, "");
}

TEST_F(CommandLineTest, GetWritesTheClipToTheFileByteForByteOrLeavesNoFile) {
    std::string picture(2 * kMaxChunkOutput + 12345, '\0');
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<char>((i * 7) ^ (i >> 9));
    m_program->withProgram([&](FakeCommandActions& program) { return program.data[3] = picture; });
    const std::string file = m_files.path("剪贴 3.bmp");

    Ended run = dravixc(L"get 3 --format bitmap --out \"" + base::toWide(file) + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_TRUE(readBytes(file) == picture) << readBytes(file).size() << " bytes";
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(calls(), std::vector<std::string>{"data 3 2"});

    const std::string missing = m_files.path("4.txt");
    run = dravixc(L"get 4 --out \"" + base::toWide(missing) + L"\"");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_FALSE(fileExists(missing));
    EXPECT_NE(run.errors.find("没有编号为 4 的记录"), std::string::npos) << run.errors;
}

TEST_F(CommandLineTest, AddTakesTheTextFromItsArgumentOrTheStandardInput) {
    Ended run = dravixc(L"add \"你好，世界 😀\"");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.output, "13\n");
    EXPECT_EQ(m_program->withProgram([](FakeCommandActions& program) { return program.addedText; }), u"你好，世界 😀");

    run = dravixc(L"add", "第一行\n第二行\n");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(m_program->withProgram([](FakeCommandActions& program) { return program.addedText; }), u"第一行\r\n第二行");
}

TEST_F(CommandLineTest, EachCommandReachesTheProgramAndEndsWithItsExitCode) {
    struct Case {
        const wchar_t* arguments;
        DWORD exitCode;
        const char* call;
    };
    const Case cases[] = {
        {L"copy 3", 0, "copy 3"},
        {L"slot 2 7", 0, "set slot 2 7"},
        {L"slot 5", 0, "slot 5"},
        {L"slot 6", 1, "slot 6"},
        {L"delete 7", 0, "delete 7"},
        {L"search 报告 --type text", 0, nullptr},
        {L"search 没有这个词", 1, nullptr},
        {L"pause", 0, "pause"},
        {L"get 0", 2, nullptr},
        {L"frobnicate", 2, nullptr},
    };
    for (const Case& c : cases) {
        const Ended run = dravixc(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << base::toUtf8(c.arguments) << ": " << run.errors;
        EXPECT_EQ(calls(), c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{}) << base::toUtf8(c.arguments);
        EXPECT_EQ(run.errors.find("用法：dravixc") != std::string::npos, c.exitCode == 2) << run.errors;
    }
    m_program->withProgram([](FakeCommandActions& program) { return program.result = app::CommandOutcome::Result::Failed; });
    const Ended failed = dravixc(L"paste 3 --as upper");
    EXPECT_EQ(failed.exitCode, 4u);
    EXPECT_EQ(calls().at(0).rfind("paste 3 upper ", 0), 0u);
    EXPECT_NE(failed.errors.find("历史记录已满"), std::string::npos) << failed.errors;

    m_program.reset();
    const Ended alone = dravixc(L"list");
    EXPECT_EQ(alone.exitCode, 3u);
    EXPECT_NE(alone.errors.find("没有运行"), std::string::npos) << alone.errors;
}

}  // namespace
