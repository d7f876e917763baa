#include "app/CommandServer.h"

#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Trace.h"
#include "fw/Window.h"

#include <memory>
#include <string_view>

namespace app {

using store::command::Receipt;

namespace {

// The user a process runs as; empty when it cannot be read.
std::unique_ptr<char[]> processUser(HANDLE process) {
    HANDLE token = nullptr;
    if (!CHECK_WIN32(OpenProcessToken(process, TOKEN_QUERY, &token)))
        return nullptr;
    const base::UniqueKernelObject owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0 || size > 4096)
        return nullptr;
    auto user = std::make_unique<char[]>(size);
    if (!CHECK_WIN32(GetTokenInformation(token, TokenUser, user.get(), size, &size)))
        return nullptr;
    return user;
}

bool sameSid(const std::unique_ptr<char[]>& a, const std::unique_ptr<char[]>& b) {
    return a && b &&
           EqualSid(reinterpret_cast<const TOKEN_USER*>(a.get())->User.Sid, reinterpret_cast<const TOKEN_USER*>(b.get())->User.Sid);
}

// Only a program of our own user in our own session may drive the program: the window the
// request came from is looked up to its process, its session and its user.
bool fromOurUserAndSession(HWND sender) {
    DWORD processId = 0;
    if (!IsWindow(sender) || !GetWindowThreadProcessId(sender, &processId))
        return false;
    DWORD session = 0, ownSession = 0;
    if (!ProcessIdToSessionId(processId, &session) || !ProcessIdToSessionId(GetCurrentProcessId(), &ownSession) ||
        session != ownSession)
        return false;
    const base::UniqueKernelObject process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    return process && sameSid(processUser(process.get()), processUser(GetCurrentProcess()));
}

}  // namespace

void CCommandServer::Start(HWND window) {
    std::lock_guard lock(m_mutex);
    m_window = window;
    startWorker();  // for a request taken while the window was being made
}

// The worker starts with the first request, once the window can run what it hands it: most runs
// take none, and an idle thread costs its stack (about a megabyte of the working set under Wine).
void CCommandServer::startWorker() {
    if (m_window && !m_waiting.empty() && !m_worker.joinable())
        m_worker = std::thread([this] { base::Guarded("command worker", [&] { work(); }); });
}

LRESULT CCommandServer::OnCopyData(HWND sender, const COPYDATASTRUCT& data) {
    if (data.dwData != store::command::kRequestTag)
        return static_cast<LRESULT>(Receipt::NotUnderstood);
    if (data.cbData > store::command::kMaxRequestBytes)  // before anything is read
        return static_cast<LRESULT>(Receipt::TooLarge);
    if (!fromOurUserAndSession(sender)) {
        base::Trace("command refused: not from this user and session");
        return static_cast<LRESULT>(Receipt::Malformed);
    }
    const std::string_view bytes(static_cast<const char*>(data.lpData), data.lpData ? data.cbData : 0);
    store::command::Received received = store::command::receiveRequest(
        data.dwData, bytes, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(sender)));
    if (received.receipt != Receipt::Taken) {
        base::Trace("command refused: %s", received.problem.c_str());
        return static_cast<LRESULT>(received.receipt);
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping || m_waiting.size() >= kMaxWaitingRequests) {
            base::Trace("command refused: busy (%u refused so far)", ++m_refusedBusy);
            return static_cast<LRESULT>(Receipt::Busy);
        }
        m_waiting.push_back({std::move(*received.request), sender});
        startWorker();
    }
    m_arrived.notify_one();
    return static_cast<LRESULT>(Receipt::Taken);
}

void CCommandServer::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_waiting.clear();
    }
    m_arrived.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void CCommandServer::work() {
    for (;;) {
        Waiting next;
        {
            std::unique_lock lock(m_mutex);
            m_arrived.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
            if (m_stopping)
                return;
            next = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        answer(next);
    }
}

// The chunks go one after another; a client that does not take one in time gets no more.
void CCommandServer::answer(const Waiting& waiting) {
    const store::command::Request& request = waiting.request;
    base::Trace("command %u begins", static_cast<unsigned>(request.verb));
    const store::command::Answer answer =
        base::Guarded("command", store::command::Answer{store::command::Status::Failed, {}, "Dravix 处理这个命令时出错。"},
                      [&] { return app::answerCommand(request, m_actions); });
    const std::uint32_t chunks = store::command::chunkCount(answer);
    for (std::uint32_t index = 0; index < chunks; ++index) {
        const std::optional<LRESULT> taken =
            fw::SendCopyData(waiting.replyWindow, m_window, store::command::kAnswerTag,
                             store::command::encodeAnswerChunk(request.id, answer, index), kAnswerChunkMs);
        if (!taken || !*taken) {
            base::Trace("command answer not taken at chunk %u of %u", index, chunks);
            return;
        }
    }
    base::Trace("command %u answered: %u", static_cast<unsigned>(request.verb), static_cast<unsigned>(answer.status));
}

}  // namespace app
