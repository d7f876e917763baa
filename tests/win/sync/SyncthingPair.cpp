#include "SyncthingPair.h"

SyncthingPair::SyncthingPair(const std::wstring& stateFolder, const std::wstring& folderA, const std::wstring& folderB)
    : m_script("scripts/syncthing-pair", stateFolder) {
    m_ready = m_script.startAfresh() && step("start", shellQuoted(unixPathOf(folderA)) + " " + shellQuoted(unixPathOf(folderB)));
}

SyncthingPair::~SyncthingPair() {
    m_script.stop();
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
