// Two Syncthing daemons keeping two folders in step (scripts/syncthing-pair), driven from a Windows
// test under Wine: each step runs the script as a Linux program and is waited for, with a bound,
// by the file it leaves with its exit code. For the tests where two machines' folders are moved by
// a real engine.
#pragma once

#include <chrono>
#include <string>

class SyncthingPair {
public:
    // Starts both daemons for two folders (Windows paths); their state goes below `stateFolder`.
    SyncthingPair(const std::wstring& stateFolder, const std::wstring& folderA, const std::wstring& folderB);
    // Stops both.
    ~SyncthingPair();
    SyncthingPair(const SyncthingPair&) = delete;
    SyncthingPair& operator=(const SyncthingPair&) = delete;

    // Whether both daemons run and see each other.
    bool ready() const { return m_ready; }
    // One daemon ended or started again, as a machine that goes off and comes back ('A' or 'B').
    bool stopSide(char side);
    bool startSide(char side);
    // Until both folders are in step (each side scanned, idle, needing nothing).
    bool waitInStep();

private:
    bool run(const std::string& arguments, std::chrono::seconds bound = std::chrono::seconds(90));

    std::string m_state;  // the Unix path of the state folder
    int m_runs = 0;
    bool m_ready = false;
};

// The Unix path Wine gives a Windows path (wine_get_unix_file_name); empty outside Wine.
std::string unixPathOf(const std::wstring& windowsPath);
