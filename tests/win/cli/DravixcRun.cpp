#include "DravixcRun.h"

#include "base/Text.h"
#include "WinTestSupport.h"

Ended runDravixc(const ScratchDir& files, const std::wstring& arguments, const std::string& input, const std::wstring& program) {
    writeBytes(files.path("in"), input);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const auto open = [&](const char* name, DWORD access, DWORD disposition) {
        return CreateFileW(base::toWide(files.path(name)).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           disposition, 0, nullptr);
    };
    const StandardHandles handles = {open("in", GENERIC_READ, OPEN_EXISTING), open("out", GENERIC_WRITE, CREATE_ALWAYS),
                                     open("err", GENERIC_WRITE, CREATE_ALWAYS)};
    const PROCESS_INFORMATION process = startProcess(program + L" " + arguments, {}, handles, CREATE_NO_WINDOW);
    Ended run;
    if (process.hProcess) {
        if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &run.exitCode);
        else
            TerminateProcess(process.hProcess, 0xFFFF);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {handles.input, handles.output, handles.errors})
        CloseHandle(handle);
    run.output = readBytes(files.path("out"));
    run.errors = readBytes(files.path("err"));
    return run;
}
