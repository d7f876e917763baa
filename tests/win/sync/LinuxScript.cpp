#include "LinuxScript.h"

#include "base/Text.h"
#include "WinTestSupport.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace {

// The repository, from this test's place: build\<tree>\... below it.
std::string repositoryUnixPath() {
    return unixPathOf(buildFolder() + L"\\..");
}

}  // namespace

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string unixPathOf(const std::wstring& windowsPath) {
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    const auto toUnix =
        reinterpret_cast<ToUnix>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* path = toUnix ? toUnix(windowsPath.c_str()) : nullptr;
    if (!path)
        return {};
    std::string unix(path);
    HeapFree(GetProcessHeap(), 0, path);
    return std::filesystem::path(unix).lexically_normal().generic_string();
}

std::wstring windowsPathOfUnix(const std::string& unixPath) {
    std::wstring path = L"Z:" + base::toWide(unixPath);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

LinuxScript::LinuxScript(std::string script, const std::wstring& stateFolder)
    : m_script(repositoryUnixPath() + "/" + std::move(script)), m_windowsState(stateFolder), m_state(unixPathOf(stateFolder)) {}

bool LinuxScript::startAfresh() {
    std::error_code error;
    if (std::filesystem::exists(m_windowsState, error))
        run("stop " + shellQuoted(m_state));
    std::filesystem::remove_all(m_windowsState, error);
    std::filesystem::create_directories(m_windowsState, error);
    return std::filesystem::is_directory(m_windowsState, error);
}

void LinuxScript::stop() {
    std::error_code ignored;
    if (run("stop " + shellQuoted(m_state)))
        std::filesystem::remove_all(m_windowsState, ignored);
}

bool LinuxScript::run(const std::string& arguments, std::chrono::seconds bound) {
    const std::string done = m_state + "/step-" + std::to_string(++m_runs);
    const std::string command = shellQuoted(m_script) + " " + arguments + " >" + shellQuoted(done + ".log") + " 2>&1; echo $? >" +
                                shellQuoted(done + ".tmp") + "; mv " + shellQuoted(done + ".tmp") + " " + shellQuoted(done);
    if (!runUnix(L"/bin/sh", L"-c \"" + base::toWide(command) + L"\""))
        return false;
    const std::wstring doneFile = windowsPathOfUnix(done);
    if (!pumpUntil([&] { return std::filesystem::exists(doneFile); }, bound))
        return false;
    std::ifstream code{std::filesystem::path(doneFile)};
    int status = -1;
    code >> status;
    return status == 0;
}
