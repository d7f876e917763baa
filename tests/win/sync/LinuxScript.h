// A script of the repository run from a Windows test under Wine as a Linux program: each step is
// waited for, with a bound, by the file it leaves with its exit code (Wine gives no handle that
// ends with a Linux program). For what a test drives outside Wine: sync engine daemons, another
// Wine session as another machine.
#pragma once

#include <chrono>
#include <string>

class LinuxScript {
public:
    // `script`: its path below the repository; `stateFolder`: the folder where its steps leave
    // their logs and exit codes, and what it started keeps its state.
    LinuxScript(std::string script, const std::wstring& stateFolder);

    // For a script that starts what outlives it and ends it with "stop <state folder>": what a
    // test ended by ctest's time-out left running (it ran no destructor) stopped, and the state
    // folder made empty; false when it could not be made.
    bool startAfresh();
    // "stop"; the state folder removed once that stopped everything.
    void stop();

    // One step: the script with `arguments` (already quoted where needed); true when it exited 0
    // within the bound. Its output goes to step-<n>.log in the state folder.
    bool run(const std::string& arguments, std::chrono::seconds bound = std::chrono::seconds(90));
    // The state folder's Unix path.
    const std::string& stateFolder() const { return m_state; }

private:
    std::string m_script;
    std::wstring m_windowsState;
    std::string m_state;
    int m_runs = 0;
};

// A text as one word for the shell, quotes escaped (the Windows command line that carries the
// script's arguments takes no double quote).
std::string shellQuoted(const std::string& text);
// The Unix path Wine gives a Windows path (wine_get_unix_file_name); empty outside Wine.
std::string unixPathOf(const std::wstring& windowsPath);
// A Unix path as the Windows programs of another Wine prefix reach it (Z:\...).
std::wstring windowsPathOfUnix(const std::string& unixPath);
