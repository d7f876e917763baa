#include "DravixcRun.h"

#include "base/Text.h"

Ended runDravixc(const ScratchDir& files, const std::wstring& arguments, const std::string& input) {
    writeBytes(files.path("in"), input);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const auto open = [&](const char* name, DWORD access, DWORD disposition) {
        return CreateFileW(base::toWide(files.path(name)).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           disposition, 0, nullptr);
    };
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open("in", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open("out", GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open("err", GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring command = L"dravixc.exe " + arguments;
    PROCESS_INFORMATION process = {};
    Ended run;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &run.exitCode);
        else
            TerminateProcess(process.hProcess, 0xFFFF);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        CloseHandle(handle);
    run.output = readBytes(files.path("out"));
    run.errors = readBytes(files.path("err"));
    return run;
}
