// The store written by several real processes at once (store_race.exe, beside the tests), under
// the one store lock with every rewrite replacing the file in one step.
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// Two processes writing the store at full speed and a third reading it meanwhile: nothing lost,
// no read under the lock failed, no read outside it saw half a write, no file damaged.
TEST(StoreSafety, WritersAndAReaderInSeveralProcesses) {
    fs::remove(fs::u8path(storeIndexPath()));
    auto run = [](const std::wstring& arguments) {
        const PROCESS_INFORMATION process = startProcess(L"store_race.exe " + arguments);
        CloseHandle(process.hThread);
        return process.hProcess;
    };
    HANDLE processes[] = {run(L"write alpha 150"), run(L"write beta 150"), run(L"read 6000")};
    ASSERT_EQ(WaitForMultipleObjects(3, processes, TRUE, 120000), WAIT_OBJECT_0);
    DWORD codes[3] = {};
    for (int i = 0; i < 3; ++i) {
        GetExitCodeProcess(processes[i], &codes[i]);
        CloseHandle(processes[i]);
    }
    EXPECT_EQ(codes[0], 0u) << "writer alpha lost values";
    EXPECT_EQ(codes[1], 0u) << "writer beta lost values";
    EXPECT_EQ(codes[2], 0u) << "failed or torn reads";
    const auto elements = storeElements(storeIndexPath());
    EXPECT_EQ(elements.size(), 200u);  // two thirds of each writer's 150 stay
    EXPECT_FALSE(fs::exists(fs::u8path(storeIndexPath() + ".damaged")));
}

}  // namespace
