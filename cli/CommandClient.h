// dravixc.exe's side of the talk with the running program: the main window found as the hook
// library finds it, a request sent to it as WM_COPYDATA from a hidden message window of our own,
// and the answer's chunks taken there as they come. Every wait is bounded.
#pragma once

#include "fw/MessageWindow.h"
#include "store/CommandProtocol.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// For the main window to take a request (it copies it and answers later), for each chunk of an
// answer, for a program started by `show` to show its window.
inline constexpr DWORD kTakeRequestMs = 5000;
inline constexpr DWORD kAnswerChunkMs = 10000;
inline constexpr DWORD kProgramStartMs = 30000;

// The running program's main window (by its exact title, also while recording is paused, with
// the clip list 1000); null when there is none.
HWND findProgramWindow();
// dravix.exe started from this program's folder, and its main window once it shows; null when it
// could not be started, ended without a window, or showed none in time.
HWND startProgram();

class CCommandClient : private fw::CMessageWindow {
public:
    CCommandClient();
    ~CCommandClient() override;

    // Sends `request` (its id and reply window filled in here) and takes the answer: its output
    // goes to `output` as it comes, its message (or ours when there is no answer) to `message`.
    // The exit code: the answer's status; 3 when the program did not take the request, did not
    // answer in time or went away; 2 when it refused the request as too large or malformed; 4
    // when the output could not be written.
    int run(HWND mainWindow, store::command::Request request, const std::function<bool(std::string_view)>& output,
            std::string& message);

private:
    // An answer's chunks, inside the window's barrier.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool takeChunk(const COPYDATASTRUCT& data);
    int waitForAnswer(HWND mainWindow, std::string& message);

    std::optional<store::command::AnswerAssembly> m_answer;
    store::command::AnswerAssembly::Step m_step = store::command::AnswerAssembly::Step::More;
    const std::function<bool(std::string_view)>* m_output = nullptr;
    bool m_outputFailed = false;
    DWORD m_lastChunkAt = 0;
};

}  // namespace cli
