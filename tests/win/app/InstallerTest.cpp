// The installer of this build's bitness (x64 or x86) that scripts/package builds, run as a user
// would run it silently: it puts the program in the user's programs folder with a Start-menu
// entry and an uninstall entry, the installed program records a copy, and the uninstaller takes
// back everything it installed (not while the program runs, and never the user's clips unasked).
#include "DravixProcess.h"
#include "store/StorePaths.h"
#include "TestFiles.h"
#include "WinTestSupport.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravix";

fs::path knownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Runs `command` and waits for it; its exit code, or -1.
long run(const std::wstring& command, std::chrono::milliseconds timeout = 60s) {
    const PROCESS_INFORMATION process = startProcess(command);
    if (!process.hProcess)
        return -1;
    base::UniqueKernelObject processHandle(process.hProcess), thread(process.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    return static_cast<long>(code);
}

std::wstring uninstallValue(const wchar_t* name) {
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

TEST(InstallerTest, InstallsForTheUserRunsAndUninstallsCompletely) {
    const fs::path setup = fs::path(binFolder()) / L".." / L".." / L"packages" /
                           (L"Dravix-" + base::toWide(DRAVIX_VERSION) + L"-" + base::toWide(DRAVIX_ARCH) + L"-setup.exe");
    if (!fs::exists(setup))
        GTEST_SKIP() << "no installer: scripts/package builds it";
    const fs::path folder = knownFolder(CSIDL_LOCAL_APPDATA) / L"Programs" / L"Dravix";
    const fs::path shortcut = knownFolder(CSIDL_PROGRAMS) / L"Dravix.lnk";
    const std::vector<std::wstring> installed = {L"dravix.exe", L"Latchkit.dll", L"dravixc.exe", L"help.chm",
                                                 L"Instro.dll", L"uninstall.exe"};

    ASSERT_EQ(run(L"\"" + setup.wstring() + L"\" /S"), 0);
    for (const std::wstring& file : installed)
        EXPECT_TRUE(fs::exists(folder / file)) << base::toUtf8(file);
    EXPECT_TRUE(fs::exists(shortcut));
    EXPECT_EQ(uninstallValue(L"DisplayVersion"), base::toWide(DRAVIX_VERSION));
    EXPECT_EQ(uninstallValue(L"UninstallString"), L"\"" + (folder / L"uninstall.exe").wstring() + L"\"");

    {
        putClipboard({});
        DravixProcess app(folder.wstring());
        ASSERT_TRUE(app.waitForMainWindow());
        ASSERT_TRUE(putClipboardText(L"copied with the installed program"));
        EXPECT_TRUE(app.waitForRows([](const auto& rows) {
            return rows.size() == 1 && rows[0].content == L"copied with the installed program";
        }));
        // While it runs, a silent uninstall gives up (run in place, so that it can be waited for).
        EXPECT_EQ(run(L"\"" + (folder / L"uninstall.exe").wstring() + L"\" /S _?=" + folder.wstring()), 2);
        for (const std::wstring& file : installed)
            EXPECT_TRUE(fs::exists(folder / file)) << base::toUtf8(file);
    }

    // The uninstaller runs from a copy of itself, so that it can remove its own file; the copy
    // goes on after this run has returned.
    ASSERT_EQ(run(L"\"" + (folder / L"uninstall.exe").wstring() + L"\" /S"), 0);
    pumpUntil([&] {
        return !fs::exists(folder) && !fs::exists(shortcut) && uninstallValue(L"DisplayVersion").empty();
    }, 30s);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(fs::exists(shortcut));
    EXPECT_EQ(uninstallValue(L"DisplayVersion"), L"");
    // The user's clips were not theirs to take: a silent uninstall keeps them.
    EXPECT_TRUE(fs::exists(fs::u8path(store::userStoreFolder())));
}

}  // namespace
