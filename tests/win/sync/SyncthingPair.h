// Two Syncthing daemons keeping two folders in step (scripts/syncthing-pair), driven from a Windows
// test under Wine. For the tests where two machines' folders are moved by a real engine.
#pragma once

#include "LinuxScript.h"

#include <string>

class SyncthingPair {
public:
    // Starts both daemons for two folders (Windows paths); their state goes below `stateFolder`.
    SyncthingPair(const std::wstring& stateFolder, const std::wstring& folderA, const std::wstring& folderB);
    // Stops both; their state goes.
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
    bool step(const std::string& verb, const std::string& arguments = {});

    LinuxScript m_script;
    bool m_ready = false;
};
