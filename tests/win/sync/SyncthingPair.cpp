#include "SyncthingPair.h"

#include <filesystem>

SyncthingPair::SyncthingPair(const std::wstring& stateFolder, const std::wstring& folderA, const std::wstring& folderB)
    : m_stateFolder(stateFolder), m_script("scripts/syncthing-pair", unixPathOf(stateFolder)) {
    // A test ended by ctest's time-out ran no destructor: its daemons may still run.
    std::error_code ignored;
    if (std::filesystem::exists(stateFolder, ignored))
        step("stop");
    std::filesystem::remove_all(stateFolder, ignored);
    std::filesystem::create_directories(stateFolder);
    m_ready = step("start", shellQuoted(unixPathOf(folderA)) + " " + shellQuoted(unixPathOf(folderB)));
}

SyncthingPair::~SyncthingPair() {
    if (step("stop")) {
        std::error_code ignored;
        std::filesystem::remove_all(m_stateFolder, ignored);
    }
}

bool SyncthingPair::stopSide(char side) {
    return step("stop-side", std::string(1, side));
}

bool SyncthingPair::startSide(char side) {
    return step("start-side", std::string(1, side));
}

bool SyncthingPair::waitInStep() {
    return step("wait");
}

bool SyncthingPair::step(const std::string& verb, const std::string& arguments) {
    return m_script.run(verb + " " + shellQuoted(m_script.stateFolder()) + (arguments.empty() ? "" : " " + arguments));
}
