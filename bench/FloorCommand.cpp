// The floor of the command line's `list --limit 20`: a bare console program that finds the main
// window, sends it the same request through WM_COPYDATA, writes each chunk of the answer to its
// standard output as it comes, and ends. No argument parsing, console code pages or output file.
// With "start-only" it ends at once: the cost of starting a console program at all.
#include "store/CommandProtocol.h"
#include "store/Protocol.h"

#include <windows.h>

#include <optional>
#include <string>

namespace {

std::optional<store::command::AnswerAssembly> g_answer;
store::command::AnswerAssembly::Step g_step = store::command::AnswerAssembly::Step::More;

LRESULT CALLBACK replyProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_TIMER)  // no answer in time
        PostQuitMessage(0);
    if (message != WM_COPYDATA)
        return DefWindowProcW(window, message, w, l);
    const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(l);
    if (data.dwData != store::command::kAnswerTag)
        return FALSE;
    const store::command::AnswerAssembly::Step step = g_answer->take(std::string_view(static_cast<const char*>(data.lpData), data.cbData), [](std::string_view output) {
        DWORD written = 0;
        return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), output.data(), static_cast<DWORD>(output.size()), &written, nullptr) != 0;
    });
    if (step == store::command::AnswerAssembly::Step::Stray)  // another request's answer
        return FALSE;
    g_step = step;
    // The chunks are sent messages, which GetMessage handles without returning: the last one ends
    // the wait with a posted message.
    if (g_step != store::command::AnswerAssembly::Step::More)
        PostQuitMessage(0);
    return TRUE;
}

std::wstring wide(std::string_view utf8) {
    std::wstring text(utf8.size(), L'\0');
    text.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"start-only")  // what starting a console program costs
        return 0;
    HWND main = FindWindowW(nullptr, wide(store::kMainWindowTitle).c_str());
    if (!main || !GetDlgItem(main, store::kMainListId))
        return 3;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = replyProc;
    windowClass.lpszClassName = L"DravixFloor-command";
    RegisterClassW(&windowClass);
    HWND reply = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    store::command::Request request;
    request.verb = store::command::Verb::List;
    request.limit = 20;
    request.id = GetTickCount();
    request.replyWindow = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(reply));
    g_answer.emplace(request.id);
    const std::string bytes = store::command::encodeRequest(request);
    COPYDATASTRUCT data = {store::command::kRequestTag, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
    DWORD_PTR receipt = 0;
    if (!SendMessageTimeoutW(main, WM_COPYDATA, reinterpret_cast<WPARAM>(reply), reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                             10000, &receipt) ||
        receipt != static_cast<DWORD_PTR>(store::command::Receipt::Taken))
        return 3;
    SetTimer(reply, 1, 10000, nullptr);
    MSG message;
    while (g_step == store::command::AnswerAssembly::Step::More && GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return g_step == store::command::AnswerAssembly::Step::Complete ? static_cast<int>(g_answer->status()) : 3;
}
