#include "app/SyncCommands.h"

#include "app/ExcludedPrograms.h"
#include "app/recorder/Filing.h"
#include "ui/OptionsSyncPage.h"
#include "options/SyncSettingsRegistry.h"
#include "store/ClipNames.h"
#include "store/ClipOrigin.h"
#include "store/ClipboardCopy.h"
#include "store/Crypto.h"
#include "store/Protocol.h"
#include "store/RunNames.h"
#include "store/RestorableFormats.h"
#include "store/SecretRules.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/TimeStamp.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/ScopeExit.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <algorithm>
#include <utility>

namespace app {

namespace {

// Arrivals filed per message: a burst of them never holds the window's painting up for long.
constexpr std::size_t kArrivalsPerMessage = 16;
constexpr UINT kStatusEveryMs = 1000;

// The key a record goes out under: its clip name and copy time, so that a number taken again by a
// later copy is another record on the other machines.
std::string localKey(const std::string& clip, const std::string& copyTime) {
    return clip + "@" + copyTime;
}

// The clip name and copy time of a key; nothing for a text that is no key.
std::optional<std::pair<std::string, std::string>> partsOfLocalKey(const std::string& key) {
    const std::size_t at = key.find('@');
    if (at == std::string::npos)
        return std::nullopt;
    return std::make_pair(key.substr(0, at), key.substr(at + 1));
}

std::vector<store::RootElement> indexElements(const store::StorePaths& paths) {
    xml::XmlDocument doc;
    if (store::readStoreFile(paths.indexFile(), doc) != store::FileState::Loaded)
        return {};
    return store::rootElements(doc);
}

// Copies of the programs the user keeps out never leave the machine, also those recorded before the
// program was added, nor does a secret the user lets the history keep (its switch covers this
// machine only); private content is never recorded at all.
bool mayLeaveMachine(const store::ClipSnapshot& clip) {
    return !app::excluded::isExcluded(clip.source) && store::secretKindOfCopy(clip) == store::SecretKind::None;
}

}  // namespace

CSyncCommands::CSyncCommands(store::CSysClipBoard& store, CHistoryView& view, CClipTrayIcon& tray, LastTextOf lastText)
    : m_store(store), m_view(view), m_tray(tray), m_lastText(std::move(lastText)) {}

CSyncCommands::~CSyncCommands() {
    Stop();
}

void CSyncCommands::Start(HWND window, UINT message, UINT_PTR statusTimer) {
    m_window = window;
    m_message = message;
    startEngine();
    SetTimer(window, statusTimer, kStatusEveryMs, nullptr);
}

void CSyncCommands::Stop() {
    if (m_engine)
        m_engine->stop();
    m_engine.reset();
}

// The machine id is made at the first start and kept; the synced rows the store holds are the
// engine's to follow (this machine's under their keys, the others' by their origin).
void CSyncCommands::startEngine(bool userGavePassphrase) {
    Stop();
    m_settings = options::readSyncSettings();
    if (!m_settings.enabled) {
        showStatus();
        return;
    }
    const std::optional<std::string> passphrase = options::readSyncPassphrase();
    if (!passphrase) {
        base::Trace("sync: on, but no passphrase kept that opens");
        m_tray.NoteSync(u"同步：请在同步设置中输入同步密码");
        return;
    }
    if (m_settings.machineId.empty()) {
        m_settings.machineId = clipsync::SyncEngine::newMachineId();
        if (m_settings.machineId.empty() || !options::writeSyncSettings(m_settings, {}))
            base::Trace("sync: the machine id could not be kept");
    }
    clipsync::EngineOptions options;
    options.folder = m_settings.folder;
    options.passphrase = *passphrase;
    options.machineId = m_settings.machineId;
    options.machineName = m_settings.machineName;
    options.maxPictureBytes = m_settings.pictureMegabytes << 20;
    options.prune.maxBytes = static_cast<std::uint64_t>(m_settings.folderMegabytes) << 20;
    options.mayLeave = mayLeaveMachine;
    options.pendingFile = store::joinPath(m_store.getWindowsDir(), std::string(clipsync::kPendingFileName));
    options.earlierRun = std::exchange(m_earlierRun, {});
    // Only a digest of the passphrase is kept here, to tell a new one from the one started with.
    const std::string digest = store::crypto::sha256(*passphrase).value_or(std::string());
    options.startAfreshIfRefused = userGavePassphrase && !m_passphraseDigest.empty() && digest != m_passphraseDigest;
    m_passphraseDigest = digest;
    m_ownKeys.clear();
    m_arrivedRows.clear();
    const std::vector<store::RootElement> elements = indexElements(m_store.paths());
    for (const store::OriginRecord& record : store::originRecords(elements)) {
        const clipsync::RowKey row{record.origin.machine, record.origin.seq};
        m_arrivedRows[record.clip] = row;
        options.rowsHere[row] = record.filed;
    }
    for (const store::RootElement& element : elements) {
        const std::string& name = element.name;
        if (name.size() > store::kTimeSuffix.size() && name.compare(name.size() - store::kTimeSuffix.size(), std::string::npos, store::kTimeSuffix) == 0) {
            const std::string clip = name.substr(0, name.size() - store::kTimeSuffix.size());
            if (store::isHistoryClipName(clip) && !m_arrivedRows.count(clip))
                m_ownKeys[clip] = localKey(clip, element.text);
        }
    }
    const HWND window = m_window;
    const UINT message = m_message;
    m_engine = std::make_unique<clipsync::SyncEngine>([window, message] { PostMessageW(window, message, 0, 0); });
    m_engine->start(std::move(options));
    base::Trace("sync: started, %d rows of other machines here", static_cast<int>(m_arrivedRows.size()));
    showStatus();
}

app::recorder::CClipRecorder::OwnChangeTest CSyncCommands::OwnChangeTest(app::recorder::CClipRecorder::OwnChangeTest library) {
    return [library = std::move(library), own = m_ownPuts](DWORD sequence, DWORD ownerProcess) {
        {
            std::lock_guard<std::mutex> lock(own->mutex);
            if (hooklib::isOwnChange(own->ranges, sequence, ownerProcess, GetTickCount()))
                return true;
        }
        return library && library(sequence, ownerProcess);
    };
}

void CSyncCommands::Recorded(const store::ClipSnapshot& copy, const app::ViewRow& row, bool madeRoom) {
    // A number free for another reason was freed by a deletion the list did not tell of (the
    // command line's delete, the wipe, an archive opened): it goes out as one now.
    forget(row.clip, madeRoom ? Leaving::MadeRoom : Leaving::Deleted);
    if (!m_engine)
        return;
    const std::string key = localKey(row.clip, row.copyTime);
    if (m_engine->publish(copy, key))
        m_ownKeys[row.clip] = key;
}

void CSyncCommands::RowsRemoved(const std::vector<std::string>& clips) {
    for (const std::string& clip : clips)
        forget(clip, Leaving::Deleted);
}

void CSyncCommands::forget(const std::string& clip, Leaving how) {
    if (const auto own = m_ownKeys.find(clip); own != m_ownKeys.end()) {
        // Room made here is no one else's loss: the clip's file stays until the folder is pruned.
        if (m_engine && how == Leaving::Deleted)
            m_engine->publishDeleted(own->second);
        m_ownKeys.erase(own);
    }
    if (const auto arrived = m_arrivedRows.find(clip); arrived != m_arrivedRows.end()) {
        if (m_engine)
            m_engine->noteRemovedHere(arrived->second);
        m_arrivedRows.erase(arrived);
    }
}

void CSyncCommands::RowFiled(const std::string& clip, const std::string& category) {
    if (!m_engine)
        return;
    if (const auto own = m_ownKeys.find(clip); own != m_ownKeys.end())
        m_engine->publishFiled(own->second, category);
    else if (const auto arrived = m_arrivedRows.find(clip); arrived != m_arrivedRows.end())
        noteFiledHere(clip, arrived->second);
}

// An arrived row the user filed here stays when its machine deletes it, also after a restart: its
// origin says so from now on.
void CSyncCommands::noteFiledHere(const std::string& clip, const clipsync::RowKey& row) {
    m_engine->noteFiledHere(row);
    std::optional<store::ClipOrigin> origin = store::parseOrigin(m_store.getValue(store::originElementName(clip)));
    if (!origin || origin->filedHere == true)
        return;
    origin->filedHere = true;
    if (!m_store.setOrigin(clip, store::originText(*origin)))
        base::Trace("sync: the origin of %s could not be written", clip.c_str());
}

bool CSyncCommands::HandleMessage(UINT message) {
    if (message != m_message || !m_message)
        return false;
    takeEvents();
    return true;
}

bool CSyncCommands::HandleTimer(UINT_PTR) {
    showStatus();
    return true;
}

// The events in the order the engine gave them, a few at a time; the rest at the next message.
// More are taken only once those are applied: the engine's queue stays the one bound (while it is
// full, it reads nothing more), and the message comes again until a call finds nothing.
void CSyncCommands::takeEvents() {
    givePendingBack();
    if (m_engine && m_pending.empty())
        for (clipsync::SyncEvent& event : m_engine->takeEvents())
            m_pending.push_back(std::move(event));
    const bool applied = !m_pending.empty();
    for (std::size_t done = 0; done < kArrivalsPerMessage && !m_pending.empty(); ++done) {
        const clipsync::SyncEvent event = std::move(m_pending.front());
        m_pending.pop_front();
        applyEvent(event);
    }
    if (applied)
        PostMessageW(m_window, m_message, 0, 0);
}

// Records that waited by key go out in their order, a few at a time (the engine tells again once
// its queue has emptied). A deletion or a filing needs no clip; a copy's clip is read again, and
// one no longer there (deleted since, its number taken by a later copy, its run pruned) is dropped.
void CSyncCommands::givePendingBack() {
    while (m_engine) {
        const std::optional<clipsync::PendingRecord> record = m_engine->nextPending();
        if (!record)
            return;
        if (record->kind != clipsync::PendingRecord::Kind::Publish) {
            m_engine->publishPending(*record, {});
        } else if (const std::optional<store::ClipSnapshot> clip = pendingClip(*record)) {
            m_engine->publishPending(*record, *clip);
        } else {
            base::Trace("sync: a copy waiting to go is no longer kept (%s)", record->localKey.c_str());
        }
    }
}

// The record's clip under its key (clip name and copy time): in the store while it is the same
// copy, else in the kept run it names, which must be a run of the program's runs folder.
std::optional<store::ClipSnapshot> CSyncCommands::pendingClip(const clipsync::PendingRecord& record) const {
    const std::optional<std::pair<std::string, std::string>> parts = partsOfLocalKey(record.localKey);
    if (!parts || !store::isHistoryClipName(parts->first))
        return std::nullopt;
    const auto& [clip, copyTime] = *parts;
    std::optional<store::StoredClip> stored = m_store.readClip(clip);
    const std::string_view runFile = store::fileNameOfPath(record.place);
    if ((!stored || stored->copyTime != copyTime) && store::parseRunArchive(runFile) &&
        record.place == store::joinPath(m_store.runsFolder(), std::string(runFile)))
        stored = store::CSysClipBoard::readArchiveClip(record.place, clip);
    if (!stored || stored->copyTime != copyTime || stored->snapshot.empty())
        return std::nullopt;
    stored->snapshot.source = stored->source;
    return std::move(stored->snapshot);
}

void CSyncCommands::applyEvent(const clipsync::SyncEvent& event) {
    switch (event.kind) {
    case clipsync::SyncEvent::Kind::Arrived:
        fileArrived(event);
        break;
    case clipsync::SyncEvent::Kind::Removed:
        removeArrived(event.row);
        break;
    case clipsync::SyncEvent::Kind::Filed:
        fileArrivedInto(event.row, event.category);
        break;
    }
}

// Filed as every copy is (numbers, repeats, making room), then marked with its origin.
void CSyncCommands::fileArrived(const clipsync::SyncEvent& event) {
    app::recorder::Filing filing = app::recorder::fileCopy(m_store.paths(), event.clip, store::currentTimeStamp(), m_lastText());
    if (filing.outcome != app::recorder::Filing::Outcome::Filed) {
        base::Trace("sync: a clip from %s not filed (%d)", event.machineName.c_str(), static_cast<int>(filing.outcome));
        return;
    }
    forget(filing.row.clip, filing.madeRoom ? Leaving::MadeRoom : Leaving::Deleted);
    const store::ClipOrigin origin{event.row.machine, event.row.seq, event.machineName, false};
    if (!m_store.setOrigin(filing.row.clip, store::originText(origin)))
        base::Trace("sync: the origin of %s could not be written", filing.row.clip.c_str());
    m_arrivedRows[filing.row.clip] = event.row;
    base::Trace("sync: arrived from %s as %s", event.machineName.c_str(), filing.row.clip.c_str());
    filing.row.origin = event.machineName;
    if (m_view.ShowsHistory())
        m_view.ShowRecordedRows({filing.row});
    if (filing.madeRoom)
        m_view.queue().Changed();
    m_view.SetRootText(true);
    if (m_settings.putArrivedOnClipboard)
        putOnClipboard(event.clip);
}

std::string CSyncCommands::clipOfRow(const clipsync::RowKey& row) const {
    for (const auto& [clip, key] : m_arrivedRows)
        if (key == row)
            return clip;
    return {};
}

void CSyncCommands::removeArrived(const clipsync::RowKey& row) {
    const std::string clip = clipOfRow(row);
    if (clip.empty())
        return;
    m_arrivedRows.erase(clip);
    m_store.removeClip(clip);
    base::Trace("sync: %s deleted on its machine", clip.c_str());
    m_view.queue().Changed();
    refreshView();
}

// A category the user here does not have yet is made first, as the category dialog makes one.
void CSyncCommands::fileArrivedInto(const clipsync::RowKey& row, const std::string& category) {
    const std::string clip = clipOfRow(row);
    if (clip.empty() || category.empty())
        return;
    const std::vector<std::string> categories = m_store.categoryNames();
    if (std::find(categories.begin(), categories.end(), category) == categories.end()) {
        m_store.setValue(category.c_str(), store::kCategoryListName, 0);
        const CHistoryView::Nodes& nodes = m_view.nodes();
        m_view.categories().RebuildCategories({nodes.collection, nodes.hotkeys, nodes.queue});
    }
    m_store.setCategory(category, store::historyBaseOf(clip));
    base::Trace("sync: %s filed on its machine", clip.c_str());
    refreshView();
}

void CSyncCommands::refreshView() {
    m_view.FillClipList(TreeView_GetSelection(m_view.controls().tree));
}

// Every change the put makes is noted as this program's, from the emptying to the close (where
// the system may count again for the formats it makes from ours): the recorder does not take the
// clip as a new copy. Noted as under way before the first change, since the recorder may ask
// about it from its own thread at once.
void CSyncCommands::putOnClipboard(const store::ClipSnapshot& clip) {
    base::ClipboardScope clipboard(m_window);
    if (!clipboard.isOpen())
        return;
    const std::uint32_t first = GetClipboardSequenceNumber() + 1;
    {
        std::lock_guard<std::mutex> lock(m_ownPuts->mutex);
        std::vector<hooklib::Range>& ranges = m_ownPuts->ranges;
        if (ranges.size() >= OwnPuts::kKept)
            ranges.erase(ranges.begin());
        ranges.push_back({first, 0, GetCurrentProcessId(), GetTickCount(), true});
    }
    const base::ScopeExit noteEnd([&] {
        clipboard.close();
        std::lock_guard<std::mutex> lock(m_ownPuts->mutex);
        hooklib::Range& range = m_ownPuts->ranges.back();
        range.end = GetClipboardSequenceNumber() + 1;
        range.underWay = false;
    });
    if (!CHECK_WIN32(EmptyClipboard()))
        return;
    for (const auto& [format, bytes] : store::restorableFormats(clip)) {
        void* data = store::clipboardDataFromBytes(format, bytes);
        if (!data)
            base::Trace("sync: format %u of the arrived clip could not be made", format);
        else if (!CHECK_WIN32(SetClipboardData(format, data)))
            store::freeClipboardData(format, data);
    }
}

// The tray says what changed; a passphrase that differs on another machine is told once.
void CSyncCommands::showStatus() {
    const clipsync::SyncStatus status = m_engine ? m_engine->status() : clipsync::SyncStatus{};
    // Kept once it is written; a write that fails is tried again at the next tick.
    if (!status.machineId.empty() && status.machineId != m_settings.machineId) {
        options::SyncSettings renewed = m_settings;
        renewed.machineId = status.machineId;
        if (options::writeSyncSettings(renewed, {})) {
            m_settings = std::move(renewed);
            base::Trace("sync: started afresh under a new machine id");
        } else if (!std::exchange(m_renewedIdUnsaved, true)) {
            base::Trace("sync: the new machine id could not be kept yet");
        }
    }
    const std::u16string text = clipsync::syncStatusText(status);
    if (text != m_shownStatus) {
        m_shownStatus = text;
        m_tray.NoteSync(text);
    }
    if (status.otherPassphrase > 0 && !std::exchange(m_otherPassphraseTold, true))
        m_tray.ShowNotice(base::toWide(clipsync::kOtherPassphraseText));
}

}  // namespace app
