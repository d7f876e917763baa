// Writes or reads the store at full speed, for the tests of several processes at once.
//   store_race.exe write <prefix> <count>   appends <prefix><i> = i, then removes every third
//   store_race.exe read <milliseconds>      loads the index over and over, in turn under the
//                                           store lock and as an outside reader without it
// The exit code is the number of failed operations.
#include "store/FileSystem.h"
#include "store/StoreFile.h"
#include "store/StorePaths.h"
#include "store/SysClipBoard.h"
#include "xml/XmlDocument.h"
#include "base/Text.h"

#include <windows.h>

#include <optional>
#include <string>

using xml::XmlDocument;

// The file's bytes as another program reads them, without the lock and without letting it be
// deleted meanwhile; nothing while it is being replaced (Windows refuses such an open then).
std::optional<std::string> readOutsideLock(const std::string& path) {
    HANDLE file = CreateFileW(base::toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 100;
    const std::wstring mode = argv[1];
    store::CSysClipBoard store(store::userStoreFolder());
    int failures = 0;
    if (mode == L"write" && argc >= 4) {
        std::string prefix;
        for (const wchar_t* c = argv[2]; *c; ++c)
            prefix += static_cast<char>(*c);
        const int count = _wtoi(argv[3]);
        for (int i = 0; i < count; ++i)
            store.setValue(std::to_string(i).c_str(), prefix + std::to_string(i), 1);
        for (int i = 0; i < count; i += 3)
            store.removeElement(prefix + std::to_string(i));
        for (int i = 0; i < count; ++i)
            failures += store.getValue(prefix + std::to_string(i)) != (i % 3 ? std::to_string(i) : std::string());
        return failures;
    }
    if (mode == L"read") {
        const DWORD end = GetTickCount() + static_cast<DWORD>(_wtoi(argv[2]));
        int outsideReads = 0;
        for (bool locked = true; GetTickCount() < end; locked = !locked) {
            XmlDocument doc;
            if (locked) {
                failures += store::readStoreFile(store.paths().indexFile(), doc) == store::FileState::Unreadable;
            } else if (std::optional<std::string> bytes = readOutsideLock(store.paths().indexFile())) {
                failures += !doc.loadFileBytes(std::move(*bytes));  // whole, never half of a write
                ++outsideReads;
            }
        }
        return failures + (outsideReads == 0 ? 1 : 0);
    }
    return 100;
}
