// CCommandServer: the running program's side of the command line (dravixc.exe). The main window
// hands it each WM_COPYDATA; a request from a program of the same user and session, within its
// bound and well formed, waits in a short queue (a request that finds it full is refused as busy,
// and counted), and one worker thread answers the requests in turn through the program's actions
// (app/CommandRules.h), off the paths of input and painting, sending each answer back in chunks.
#pragma once

#include "app/CommandRules.h"
#include "store/CommandProtocol.h"

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>

namespace app {

class CCommandServer {
public:
    // Requests that may wait for the worker at once.
    static constexpr std::size_t kMaxWaitingRequests = 8;
    // For each chunk of an answer to be taken by dravixc.exe.
    static constexpr UINT kAnswerChunkMs = 5000;

    explicit CCommandServer(app::CommandActions& actions) : m_actions(actions) {}
    ~CCommandServer() { Stop(); }
    CCommandServer(const CCommandServer&) = delete;
    CCommandServer& operator=(const CCommandServer&) = delete;

    // Answers are sent from `window` (the main window); the worker starts with the first request.
    void Start(HWND window);
    // WM_COPYDATA on the main window: its answer (a store::command::Receipt). Never reads past
    // the data's size, never waits for the worker.
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT& data);
    // No request is taken from now on; the worker ends after the request under way.
    void Stop();

private:
    struct Waiting {
        store::command::Request request;
        HWND replyWindow = nullptr;
    };
    void work();
    void startWorker();  // with m_mutex held
    void answer(const Waiting& waiting);

    app::CommandActions& m_actions;
    HWND m_window = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<Waiting> m_waiting;
    bool m_stopping = false;
    unsigned m_refusedBusy = 0;
    std::thread m_worker;
};

}  // namespace app
