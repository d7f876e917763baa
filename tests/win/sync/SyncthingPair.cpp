#include "SyncthingPair.h"

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

std::string shellQuoted(const std::string& text) {
    return "'" + text + "'";
}

}  // namespace

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

SyncthingPair::SyncthingPair(const std::wstring& stateFolder, const std::wstring& folderA, const std::wstring& folderB)
    : m_state(unixPathOf(stateFolder)) {
    std::error_code ignored;
    std::filesystem::remove_all(stateFolder, ignored);  // a run before left its steps' files
    std::filesystem::create_directories(stateFolder);
    m_ready = run("start " + shellQuoted(m_state) + " " + shellQuoted(unixPathOf(folderA)) + " " + shellQuoted(unixPathOf(folderB)));
}

SyncthingPair::~SyncthingPair() {
    run("stop " + shellQuoted(m_state));
}

bool SyncthingPair::stopSide(char side) {
    return run("stop-side " + shellQuoted(m_state) + " " + side);
}

bool SyncthingPair::startSide(char side) {
    return run("start-side " + shellQuoted(m_state) + " " + side);
}

bool SyncthingPair::waitInStep() {
    return run("wait " + shellQuoted(m_state));
}

// Wine gives no handle that ends with a Linux program: the command leaves its exit code in a file.
bool SyncthingPair::run(const std::string& arguments, std::chrono::seconds bound) {
    const std::string done = m_state + "/step-" + std::to_string(++m_runs);
    const std::string command = shellQuoted(repositoryUnixPath() + "/scripts/syncthing-pair") + " " + arguments + " >" +
                                shellQuoted(done + ".log") + " 2>&1; echo $? >" + shellQuoted(done + ".tmp") + "; mv " +
                                shellQuoted(done + ".tmp") + " " + shellQuoted(done);
    if (!runUnix(L"/bin/sh", L"-c \"" + base::toWide(command) + L"\""))
        return false;
    const std::wstring doneFile = L"Z:" + base::toWide(done);
    if (!pumpUntil([&] { return std::filesystem::exists(doneFile); }, bound))
        return false;
    std::ifstream code{std::filesystem::path(doneFile)};
    int status = -1;
    code >> status;
    return status == 0;
}
