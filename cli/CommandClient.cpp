#include "cli/CommandClient.h"

#include "store/Protocol.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "fw/Window.h"

#include <algorithm>

using store::command::AnswerAssembly;
using store::command::Receipt;

namespace cli {

namespace {

constexpr wchar_t kReplyWindowClass[] = L"DravixCommandReply";
// The most a chunk of an answer can hold: its header, the message and a share of the output.
constexpr std::size_t kMaxChunkBytes = 64 + store::command::kMaxAnswerMessage + store::command::kMaxChunkOutput;

std::uint64_t windowNumber(HWND window) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
}

std::wstring programFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// The words for a request the main window did not take; its exit code.
int refused(LRESULT receipt, std::string& message) {
    switch (static_cast<Receipt>(receipt)) {
    case Receipt::TooLarge:
        message = "请求过大，Dravix 拒绝了它。";
        return static_cast<int>(store::command::Status::BadArguments);
    case Receipt::Malformed:
        message = "Dravix 拒绝了这个请求（格式不对）。";
        return static_cast<int>(store::command::Status::BadArguments);
    case Receipt::Busy:
        message = "Dravix 正忙于其他命令，请稍后再试。";
        return store::command::kExitNotRunning;
    default:
        message = "正在运行的 Dravix 不接受命令行的命令（它的版本是否太旧？）。";
        return store::command::kExitNotRunning;
    }
}

}  // namespace

HWND findProgramWindow() {
    const std::wstring title = base::toWide(store::kMainWindowTitle);
    HWND window = fw::FindTopLevelWindow(title, store::kMainListId);
    return window ? window : fw::FindTopLevelWindow(title + base::toWide(store::kPausedTitleSuffix), store::kMainListId);
}

HWND startProgram() {
    const std::wstring folder = programFolder();
    const std::wstring program = folder + L"dravix.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    // No handle is inherited: the program outlives us and must not hold our standard output.
    if (!CHECK_WIN32(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    folder.c_str(), &startup, &started)))
        return nullptr;
    const base::UniqueKernelObject process(started.hProcess), thread(started.hThread);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < kProgramStartMs;) {
        if (HWND window = findProgramWindow())
            return window;
        // A program that ended (a second start shows the first one's window) has nothing more to show.
        if (WaitForSingleObject(process.get(), 50) == WAIT_OBJECT_0)
            return findProgramWindow();
    }
    return nullptr;
}

CCommandClient::CCommandClient() {
    // The answer comes from the program's integrity level, which may be below ours (we run as
    // administrator): the system would drop its WM_COPYDATA otherwise.
    if (Create({kReplyWindowClass}))
        CHECK_WIN32(ChangeWindowMessageFilterEx(hwnd(), WM_COPYDATA, MSGFLT_ALLOW, nullptr));
}

CCommandClient::~CCommandClient() {
    Destroy();
}

LRESULT CCommandClient::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA)
        return fw::CMessageWindow::WindowProc(message, wParam, lParam);
    return takeChunk(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
}

bool CCommandClient::takeChunk(const COPYDATASTRUCT& data) {
    if (!m_answer || m_step != AnswerAssembly::Step::More || data.dwData != store::command::kAnswerTag ||
        data.cbData > kMaxChunkBytes || (data.cbData && !data.lpData))
        return false;
    const AnswerAssembly::Step step = m_answer->take(
        std::string_view(static_cast<const char*>(data.lpData), data.cbData), [this](std::string_view output) {
            m_outputFailed = !(*m_output)(output);
            return !m_outputFailed;
        });
    if (step == AnswerAssembly::Step::Stray)
        return false;
    m_step = step;
    m_lastChunkAt = GetTickCount();
    return step != AnswerAssembly::Step::Broken;
}

int CCommandClient::run(HWND mainWindow, store::command::Request request,
                        const std::function<bool(std::string_view)>& output, std::string& message) {
    if (!hwnd()) {
        message = "无法创建接收回答的窗口。";
        return store::command::kExitNotRunning;
    }
    request.id = GetTickCount() ^ (GetCurrentProcessId() << 16);
    request.replyWindow = windowNumber(hwnd());
    const std::string bytes = store::command::encodeRequest(request);
    m_answer.emplace(request.id);
    m_step = AnswerAssembly::Step::More;
    m_output = &output;
    m_outputFailed = false;
    m_lastChunkAt = GetTickCount();
    // Chunks of the answer can come while the request is still being taken: they find the
    // assembly ready.
    const std::optional<LRESULT> receipt = fw::SendCopyData(mainWindow, hwnd(), store::command::kRequestTag, bytes, kTakeRequestMs);
    if (!receipt) {
        message = "Dravix 没有及时回应。";
        return store::command::kExitNotRunning;
    }
    if (*receipt != static_cast<LRESULT>(Receipt::Taken))
        return refused(*receipt, message);
    return waitForAnswer(mainWindow, message);
}

// The answer's chunks come as messages sent to our window: they are taken while we wait here.
int CCommandClient::waitForAnswer(HWND mainWindow, std::string& message) {
    while (m_step == AnswerAssembly::Step::More) {
        const DWORD quiet = GetTickCount() - m_lastChunkAt;
        if (quiet >= kAnswerChunkMs || !IsWindow(mainWindow)) {
            message = IsWindow(mainWindow) ? "Dravix 没有及时回答。" : "Dravix 在回答之前退出了。";
            return store::command::kExitNotRunning;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(kAnswerChunkMs - quiet, 100), QS_ALLINPUT);
        MSG pending;
        while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&pending);
            DispatchMessageW(&pending);
        }
    }
    if (m_outputFailed) {
        message = "无法写入输出。";
        return static_cast<int>(store::command::Status::Failed);
    }
    if (m_step == AnswerAssembly::Step::Broken) {
        message = "Dravix 的回答不完整。";
        return store::command::kExitNotRunning;
    }
    message = m_answer->message();
    return static_cast<int>(m_answer->status());
}

}  // namespace cli
