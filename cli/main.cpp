// dravixc.exe: the command line of Dravix for scripts. It reads its arguments, asks the running
// program of this user and session, and ends with the exit code the help lists.
#include "cli/Arguments.h"
#include "cli/CommandClient.h"
#include "cli/Console.h"
#include "cli/OutputFile.h"
#include "base/Barrier.h"
#include "base/Text.h"

#include <memory>
#include <vector>

using store::command::Status;
using store::command::Verb;

namespace {

int exitCode(Status status) {
    return static_cast<int>(status);
}

// The text `add` takes from the standard input; a problem for the user.
std::string readAddedText(store::command::Request& request) {
    // UTF-16 or the system code page take up to twice the bytes of the UTF-8 they become.
    const std::optional<std::string> input = cli::readStandardInput(2 * store::command::kMaxAddedText + 4);
    if (!input)
        return "标准输入的文本超过 1 MB，或无法读取。";
    request.text = cli::textFromInput(*input);
    return store::command::requestProblem(request);
}

int run(const std::vector<std::string>& arguments) {
    cli::CStandardOutput output(STD_OUTPUT_HANDLE), errors(STD_ERROR_HANDLE);
    cli::Invocation invocation = cli::parseArguments(arguments);
    if (invocation.kind == cli::Invocation::Kind::Command && invocation.textFromInput)
        if (std::string problem = readAddedText(invocation.request); !problem.empty()) {
            invocation.kind = cli::Invocation::Kind::Bad;
            invocation.problem = std::move(problem);
        }
    if (invocation.kind == cli::Invocation::Kind::Help)
        return output.write(cli::usageText()) ? 0 : exitCode(Status::Failed);
    if (invocation.kind == cli::Invocation::Kind::Bad) {
        errors.write("dravixc: " + invocation.problem + "\n\n" + cli::usageText());
        return exitCode(Status::BadArguments);
    }
    store::command::Request& request = invocation.request;
    if (request.verb == Verb::Paste)
        request.targetWindow = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(GetForegroundWindow()));
    HWND main = cli::findProgramWindow();
    if (!main && request.verb == Verb::Show)
        main = cli::startProgram();
    if (!main) {
        errors.write("dravixc: Dravix 没有运行。\n");
        return store::command::kExitNotRunning;
    }
    // The program brings a window to the front for a paste or `show`: Windows lets it only when
    // the program in front (we, run from the console or the window the user works in) allows it.
    if (request.verb == Verb::Paste || request.verb == Verb::Show) {
        DWORD program = 0;
        if (GetWindowThreadProcessId(main, &program))
            AllowSetForegroundWindow(program);
    }
    std::unique_ptr<cli::COutputFile> file;
    if (!invocation.outFile.empty() && !(file = std::make_unique<cli::COutputFile>(invocation.outFile))->isOpen()) {
        errors.write("dravixc: 无法写入 " + invocation.outFile + "。\n");
        return exitCode(Status::Failed);
    }
    std::string message;
    int code = cli::CCommandClient().run(main, request, [&](std::string_view bytes) {
        return file ? file->write(bytes) : output.write(bytes);
    }, message);
    if (file && code == exitCode(Status::Done) && !file->keep()) {
        message = "无法写入 " + invocation.outFile + "。";
        code = exitCode(Status::Failed);
    }
    if (!message.empty())
        errors.write("dravixc: " + message + "\n");
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(base::toUtf8(argv[i]));
    return base::Guarded("dravixc", exitCode(Status::Failed), [&] { return run(arguments); });
}
