// CSysClipBoard: the main program's access to the clip store in the per-user store folder.
//
// Every operation is self-contained: it reads the file it needs into a fresh XmlDocument under
// the store lock, works on it, writes it back in one step if it changed something, and keeps
// nothing, so it always sees what the hook library (in another process) wrote last.
#pragma once

#include "store/ClipSnapshot.h"
#include "store/RunNames.h"
#include "store/StorePaths.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xml { class XmlDocument; }
namespace store { struct MadeArchiveKey; }

namespace store {

// How an archive command ended.
enum class ArchiveResult {
    Done,
    NotAnArchive,       // the path does not end in ".amc"
    OverlapsStore,      // its data folder is, holds or lies inside the store's data folder, or holds the store
    StoreUnreadable,    // save: the store's index cannot be read
    ArchiveUnreadable,  // open: nothing of the archive could be read
    WriteFailed,        // a file or folder could not be written; what was there is kept
    StoreBusy,          // the store lock could not be had: nothing was touched
    Stopped,            // told to stop before it was done (a run kept at exit): nothing was written
    PasswordNeeded,     // open: the archive is protected by a password and none was given: nothing was touched
    WrongPassword,      // open: the password given does not open the archive: nothing was touched
};

// How an archive's data files come into the store when it is opened: copied, or shared with the
// archive as hard links (a copy where the volume has none). Shared is for the kept runs, which lie
// on the store's own volume and which nothing but the program writes: the store replaces a file by
// rename and never writes one in place, so neither side ever sees the other's changes.
enum class ArchiveFiles { Copied, Shared };

// Told after each file an archive command copies: how many are done, of how many.
using ArchiveProgress = std::function<void(std::size_t done, std::size_t total)>;
// Asked for the password of an archive that needs one (its UTF-8 text); nothing when the user gave
// none.
using PasswordPrompt = std::function<std::optional<std::string>()>;

// What became of the previous run's store at start-up.
enum class KeptRun {
    Nothing,   // there was nothing of the user's in it
    Kept,      // kept as an archive in the runs folder
    Damaged,   // it could not be read: kept as it was, in a folder of the runs folder
    Failed,    // not all of it could be put in the runs folder: the rest lies aside in the store folder
};
struct PreviousRun {
    KeptRun kept = KeptRun::Nothing;
    std::string keptAs;  // the run's archive, or the folder of a damaged store
    // What could be neither moved, copied nor renamed aside: the reset leaves it where it is.
    bool spareIndex = false, spareStatus = false, spareData = false;
    std::vector<std::string> notes;  // what was done out of the ordinary, for the trace
};
// How the live store was kept as a run while it goes on (CSysClipBoard::keepLiveRun).
struct LiveRunKept {
    ArchiveResult result = ArchiveResult::WriteFailed;
    std::string keptAs;              // the run's archive
    std::vector<std::string> notes;  // old runs removed, for the trace
};
// Told of each step of keeping a run as it is done ("data moved", "index moved", "pruned", "damaged
// data moved", "damaged status moved"): a test ends the program there, as a crash would.
using KeepStep = std::function<void(std::string_view step)>;

// What a wipe of the store did.
struct WipeOutcome {
    bool storeBusy = false;               // the store lock could not be had: nothing was touched
    std::vector<std::string> notRemoved;  // what could not be removed (held open elsewhere)
    bool done() const { return !storeBusy && notRemoved.empty(); }
};

// A clip of the store read back into memory.
struct StoredClip {
    store::ClipSnapshot snapshot;  // its formats and bitmap file (not its source)
    std::string copyTime;
    std::string source;  // the program it was copied from, or empty
};

// A clip's elements as its list row needs them, from one read of the index.
struct ClipElements {
    std::string copyTime;
    std::string useTime;
    std::string source;  // the program it was copied from, or empty
    std::string origin;  // the machine it arrived from (its "-origin" text, store/ClipOrigin.h), or empty
    std::vector<std::pair<int, int>> formats;  // (index, clipboard format) of the non-empty format elements
};

class CSysClipBoard {
public:
    // The single instance on the per-user store folder; null if it cannot be made.
    static CSysClipBoard* getInstance();
    static void releaseInstance();

    // A store in any folder (production passes the per-user store folder, tests their own).
    explicit CSysClipBoard(std::string folder);
    virtual ~CSysClipBoard();
    CSysClipBoard(const CSysClipBoard&) = delete;
    CSysClipBoard& operator=(const CSysClipBoard&) = delete;

    // The store folder: the per-user one (userStoreFolder) or the one a test made it on.
    std::string getWindowsDir() const { return m_paths.folder(); }
    const store::StorePaths& paths() const { return m_paths; }

    // The start-up reset: the previous run's index, status file and data folder go (but what
    // `kept` says is to be spared), and so do temporary files that an ended writer left behind.
    // The only place a store starts afresh; it always runs after keepPreviousRun.
    void resetStore(const PreviousRun& kept = {}) const;

    bool isSysClipSet() const;
    int findCanUseHisClip() const;
    std::string getValue(std::string_view name) const;
    // A null `text` stores nothing. With `update` an existing element gets the text; without it
    // a new element is always appended.
    void setValue(const char* text, std::string_view name, int update) const;
    bool hasElement(std::string_view name, std::string_view text) const;
    void removeElement(std::string_view name) const;
    // Every element of the clip, wherever it stands, with its data and bitmap files (and, for a
    // history clip, its category).
    void removeClip(std::string_view clip) const;
    // The clip's formats (in their places 0 to 14) with their data files' bytes, its bitmap file
    // and its copy time, read without holding the store lock for the files. Nothing when the index
    // cannot be read, a data file of a format that holds memory cannot, or the bitmap file is sealed
    // where this user cannot open it.
    std::optional<StoredClip> readClip(std::string_view clip) const;
    // A clip of an archive or a kept run read back as readClip reads the store's (a search's
    // result put back into the history); nothing when the archive or the clip cannot be read.
    static std::optional<StoredClip> readArchiveClip(const std::string& archivePath, std::string_view clip);
    // store::fileHistoryRecord on this store.
    store::FiledRecord fileHistoryRecord(const store::ClipSnapshot& snapshot, const std::string& stamp,
                                         store::WhenHistoryFull whenFull = store::WhenHistoryFull::Refuse) const;
    void setCategory(std::string_view category, std::string_view hisName) const;
    // The machine a history record arrived from (store/ClipOrigin.h), kept after its time element.
    bool setOrigin(std::string_view clip, std::string_view originText) const;
    std::u16string getTextFromName(std::string_view clip) const;
    std::u16string getFileListText(std::string_view clip) const;
    bool deleteFolder(const std::string& path) const;
    // Before the start-up reset: the previous run's store becomes the kept run of the start at
    // `stamp` (store::runName): its data folder and then its index are moved into the runs folder,
    // where the index is the run's archive. A store that cannot be read is kept whole (data folder,
    // status file, then index) in the run's ".damaged" folder and never removed. What cannot be
    // moved is copied; what can be neither is renamed aside in the store folder or else spared by
    // the reset. A run that an ended start left half kept (its data without its index) is
    // completed first. Then the oldest runs beyond the limit (setRunLimit) go, each with its
    // search index; nothing else in the runs folder is touched.
    PreviousRun keepPreviousRun(const std::string& stamp, const KeepStep& step = nullptr) const;
    // With the restore of the last run on, the start need not move the store out and bring it
    // back: the store of the last run goes on as it is, when its index can be read, holds the
    // user's clips, and no ended start left a run half kept (that start moved the data folder
    // into the run). Its status file keeps only the paste queue (the flags of the run that ended
    // come down), and temporary files an ended writer left go, as the reset does, and so do the
    // leftovers of an ended keep in the runs folder (before the window, so that no Save As of the
    // user's is under way there); `notes` tells of them. False: the store was not touched (only
    // such leftovers may have gone, when the status file could not be rewritten), and the start
    // keeps the run and resets as usual.
    bool continueLastRun(std::vector<std::string>& notes) const;
    // The live store kept as the run of the start at `stamp`, while the store goes on: saved as
    // Save As saves it, its data files shared with the store (hard links, a copy where the volume
    // has none), a change made meanwhile taken up under the store lock at the end; then the oldest
    // runs beyond the limit go. `stop` raised ends it unfinished with nothing written (the
    // next start keeps the store then, with all it holds). `progress` is told after each file.
    LiveRunKept keepLiveRun(const std::string& stamp, const std::atomic<bool>& stop,
                            const ArchiveProgress& progress = nullptr) const;
    // "清除所有记录": under the store lock, the index and the status file go (the history, the slots,
    // the kept clipboard of a paste, the paste queue), then the clips' files, then every kept run of
    // the program; each by a name the program gives (store/WipeNames.h), so the user's archives and
    // other files in the runs folder stay. Afterwards the store is as after a first start: the next
    // history record is number 1. Not while a run is being kept or an archive saved or opened.
    WipeOutcome wipeAll() const;
    // The newest kept run's archive, or "" when none is kept.
    std::string newestKeptRun() const;
    // How many kept runs stay (or how much of the disk they may take) from the next pruning on:
    // the user's option; the last ten until it is set. Safe to call while a run is being kept.
    void setRunLimit(const store::RunLimit& limit);
    std::string runsFolder() const;
    // Save As. Without a password the archive is in the open format: its data files in the clear, as
    // any reader of the plain format reads them (a sealed file of the store is opened on the way).
    // With one, every data file is sealed under a key made from it (store/ArchiveKey.h, at least
    // crypto::kMinPasswordIterations), and the key's salt and check go into the archive's index.
    ArchiveResult saveArchive(const std::string& path, const ArchiveProgress& progress = nullptr,
                              std::string_view password = {}) const;
    // Open. `askPassword` is asked only when the archive needs a password: none given ends with
    // PasswordNeeded, a wrong one with WrongPassword, the store untouched either way. Copied files come
    // into the store as it writes its own (sealed for the user when sealing is on); Shared ones (a
    // kept run's) are linked with their bytes as they are.
    ArchiveResult openArchive(const std::string& path, const ArchiveProgress& progress = nullptr,
                              ArchiveFiles how = ArchiveFiles::Copied, const PasswordPrompt& askPassword = nullptr) const;

    // The category names (AddNew elements) in order; empty when the index cannot be read.
    std::vector<std::string> categoryNames() const;
    ClipElements clipElements(std::string_view clip) const;

    // Where messages to the user go: the main program shows them in a message box
    // (ui/StoreMessages.h), tests keep them. Without a handler they go to the standard error.
    using MessageHandler = std::function<void(const std::string& text)>;
    static void setMessageHandler(MessageHandler handler);

private:
    static CSysClipBoard*& instanceSlot();
    enum class Load { Loaded, Missing, Unreadable };
    Load loadIndex(xml::XmlDocument& doc) const;
    bool updateIndex(bool createIfMissing, const std::function<bool(xml::XmlDocument&)>& edit) const;
    std::optional<std::string> readDataFile(std::string_view name) const;
    void keepDamaged(const std::string& stamp, PreviousRun& run, const KeepStep& step) const;
    void removeRunLeftovers(std::vector<std::string>& notes) const;
    void pruneRuns(std::vector<std::string>& notes) const;
    void removeTemporaryFiles() const;
    bool dataFolderReadable() const;
    // How the data files go into a saved archive: opened (Save As, in the clear or sealed under the
    // password's key), as they are (a copy of a kept run), or linked (the live store kept as a run).
    enum class SavedFiles { Opened, AsTheyAre, Linked };
    ArchiveResult saveStore(const std::string& path, const ArchiveProgress& progress, SavedFiles how,
                            const std::atomic<bool>* stop, bool asBegun, const store::MadeArchiveKey* key = nullptr) const;
    void showMessage(const std::string& text) const;

    store::StorePaths m_paths;
    std::atomic<std::size_t> m_keptRuns{store::kKeptRuns};
    std::atomic<std::uint64_t> m_keptRunBytes{0};
};

}  // namespace store
