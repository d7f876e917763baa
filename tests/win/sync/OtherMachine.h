// The user's other machine in the two-machine tests: the real dravix.exe in a Wine session of its
// own (tests/win/other-machine; tests/win/sync/MachineWatch.cpp sets it up and reports), seen from
// the test through the files that report keeps current.
#pragma once

#include "LinuxScript.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

class OtherMachine {
public:
    struct Row {
        std::string clip, formats, origin;  // formats: the clipboard formats, comma separated
        std::wstring text;
    };

    // Starts the machine with its sync folder (a Windows path of this session), the passphrase
    // shared by the user's machines and its name; its session's state goes below `stateFolder`
    // (one of this test's alone: tests run side by side), which goes with it.
    OtherMachine(const std::wstring& stateFolder, const std::string& syncFolder, const std::string& passphrase,
                 const std::string& name);
    // Ends its session and every program in it; its state goes.
    ~OtherMachine();
    OtherMachine(const OtherMachine&) = delete;
    OtherMachine& operator=(const OtherMachine&) = delete;

    // Whether its dravix.exe came up, waited for with a bound.
    bool started() const { return m_started; }
    std::vector<Row> rows() const;
    // The clipboard's text, picture and file list.
    std::map<UINT, std::string> clipboard() const;
    bool waitFor(const std::function<bool(const OtherMachine&)>& done, std::chrono::milliseconds bound) const;
    // Its program's debug log, for a test that failed.
    std::string log() const;

private:
    std::wstring file(const char* name) const;

    LinuxScript m_script;
    bool m_started = false;
};
