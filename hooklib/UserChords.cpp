#include "hooklib/UserChords.h"

#include "hooklib/SharedState.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace hooklib {

namespace {

// One cache a thread (TLS), all of them owned here, so that they go with the library even though
// it asks for no thread notifications.
DWORD g_cacheSlot = TLS_OUT_OF_INDEXES;
SRWLOCK g_cachesLock = SRWLOCK_INIT;
std::vector<std::unique_ptr<options::ChordOptionsCache>> g_caches;

options::ChordOptionsCache* threadCache() {
    if (g_cacheSlot == TLS_OUT_OF_INDEXES)
        return nullptr;
    if (auto* cache = static_cast<options::ChordOptionsCache*>(TlsGetValue(g_cacheSlot)))
        return cache;
    auto owned = std::make_unique<options::ChordOptionsCache>();
    options::ChordOptionsCache* cache = owned.get();
    if (!TlsSetValue(g_cacheSlot, cache))
        return nullptr;
    AcquireSRWLockExclusive(&g_cachesLock);
    g_caches.push_back(std::move(owned));
    ReleaseSRWLockExclusive(&g_cachesLock);
    return cache;
}

// The library's own file: a program can hold another copy of it (a second installation).
std::string libraryFile() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(g_hLibrary, path.data(), static_cast<DWORD>(path.size())));
    return base::toUtf8(path);
}

// Without a thread slot (the system had none left) the record is read on every call. A thread
// that reads a new record says so: which chords a program acted with is then in the log.
template <typename Decide>
auto withUserChords(Decide decide) {
    options::ChordOptionsCache* cache = threadCache();
    if (!cache)
        return decide(options::readChords(g_chordRecord).options);
    const std::uint32_t before = cache->sequence();
    const options::ChordOptions& chords = cache->current(g_chordRecord);
    if (cache->sequence() != before)
        base::Trace("user keys read: record %u, %u programs without them (%s)", static_cast<unsigned>(cache->sequence()),
                    static_cast<unsigned>(chords.noChordPrograms.size()), libraryFile().c_str());
    return decide(chords);
}

std::string programOf(HWND window) {
    return base::toUtf8(fw::ProgramOfWindow(window));
}

}  // namespace

hooklib::KeyDecision decideUserKey(const options::KeyPress& press) {
    return withUserChords([&](const options::ChordOptions& chords) {
        const hooklib::KeyDecision decision = hooklib::decideKey(chords, press);
        if (decision.kind == hooklib::KeyDecision::PassOn || chords.noChordPrograms.empty())
            return decision;
        return hooklib::decideKey(chords, press, programOf(GetForegroundWindow()));
    });
}

bool opensUserPointerMenu(unsigned held, HWND window) {
    return withUserChords([&](const options::ChordOptions& chords) {
        if (!options::opensPointerMenu(chords, held))
            return false;
        return chords.noChordPrograms.empty() || options::opensPointerMenu(chords, held, programOf(window));
    });
}

void publishUserChords(const options::ChordRecord& record) {
    options::publishChordRecord(g_chordRecord, record);
    base::Trace("user keys: record %u written", static_cast<unsigned>(g_chordRecord.sequence.load()));
}

void beginThreadChordCaches() {
    g_cacheSlot = TlsAlloc();
}

void endThreadChordCaches() {
    if (g_cacheSlot != TLS_OUT_OF_INDEXES)
        TlsFree(g_cacheSlot);
    g_cacheSlot = TLS_OUT_OF_INDEXES;
    AcquireSRWLockExclusive(&g_cachesLock);
    g_caches.clear();
    ReleaseSRWLockExclusive(&g_cachesLock);
}

}  // namespace hooklib
