// What passes between the two deliverables besides the store's files: how the hook library
// finds the main window, and the window messages it posts there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace store {

// The main window's exact title. A window counts as the main window only when it also has the
// clip list (control 1000): message boxes of the program carry the same caption.
inline constexpr std::string_view kMainWindowTitle = "\u201cTavenlow剪贴复制工具(Dravix)\u201dV4.7";
inline constexpr int kMainListId = 1000;
// A window property of that list: a count that goes up with every change of its rows (a menu
// made from the rows earlier knows from it whether they are still the same).
inline constexpr wchar_t kListChangesProperty[] = L"DravixListChanges";
// While recording is paused the title ends so: the command line finds the window then too.
inline constexpr std::string_view kPausedTitleSuffix = "(暂停)";

// The busy flag shared by the hook library in every process and the main window (its exports
// GetOperXmlStatus and SetOperXmlStatus). A completed slot copy hands the flag to the main window
// with its WM_USER+1, so that the next slot copy waits until this one is filed as a history
// record; the main window lets go once it has filed it.
inline constexpr int kBusyFree = 0;
inline constexpr int kBusySlotCopy = 1;       // a slot copy under way, or the main window filing one
inline constexpr int kBusyAwaitsFiling = 2;   // a slot copy done, its record not yet filed

// Window messages to the main window (WM_USER = 0x400), always posted.
inline constexpr unsigned kMsgSlotCopied = 0x400 + 1;    // wParam: the slot key, '0' to '9'
inline constexpr unsigned kMsgClipPasted = 0x400 + 3;    // wParam: the history number pasted, or 0
inline constexpr unsigned kMsgStoreDamaged = 0x400 + 5;  // a store file could not be read and was set aside
inline constexpr unsigned kMsgSlotCopyFailed = 0x400 + 9;  // wParam: the slot key; its clip could not be written
// Sent (not posted) by the clip menu: the main window copies the rows of its list into the
// shared block named by listRowsBlockName(wParam, lParam) and answers the number of rows + 1
// (0: it did not). One message instead of two list messages per row across processes.
inline constexpr unsigned kMsgCopyListRows = 0x400 + 7;

// The user's settings that outlive a run, under HKEY_CURRENT_USER (the store is emptied at every
// start). Both deliverables read them.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Dravix";
// DWORD, 1: after a paste from a slot or the clip menu, the clipboard gets back what it held.
inline constexpr wchar_t kRestoreClipboardSetting[] = L"RestoreClipboard";
// DWORD, 1: at a start, the run kept of the store before comes back as the store.
inline constexpr wchar_t kRestoreLastRunSetting[] = L"RestoreLastRun";
// DWORD, 1: a copy into a full history removes the oldest history clip filed in no category.
inline constexpr wchar_t kMakeRoomWhenFullSetting[] = L"MakeRoomWhenFull";
// DWORD, 1: every copy recorded in the history joins the paste queue (not the slot copies).
inline constexpr wchar_t kQueueOnCopySetting[] = L"QueueOnCopy";
// DWORD, 1: the main window stays on top of other windows.
inline constexpr wchar_t kAlwaysOnTopSetting[] = L"AlwaysOnTop";
// DWORD, 0: new data files of clips are written in the clear; missing or 1: sealed for the user
// (store/DataFiles.h). The main program tells the hook library through its shared section.
inline constexpr wchar_t kSealStoreSetting[] = L"SealStore";
// DWORD, 0: text that is plainly a secret is recorded like any other; missing or 1: it is not
// (store/SecretRules.h).
inline constexpr wchar_t kSkipSecretsSetting[] = L"SkipSecrets";
// DWORD: how many runs are kept in the runs folder (store::runLimitFromSettings), and a size in
// megabytes that they may take together instead, when not 0.
inline constexpr wchar_t kKeptRunsSetting[] = L"KeptRuns";
inline constexpr wchar_t kKeptRunsMegabytesSetting[] = L"KeptRunsMegabytes";
// REG_BINARY: the main window's WINDOWPLACEMENT when it closed last.
inline constexpr wchar_t kWindowPlaceSetting[] = L"WindowPlacement";
// Programs whose copies are never recorded: one REG_SZ value each, named by the program's full
// path, its text the time it was added ("2026-12-08 14:03:22").
inline constexpr wchar_t kExcludedProgramsKey[] = L"Software\\Dravix\\ExcludedPrograms";
// The folders searched for archives that the user added: one REG_SZ value per folder (its path),
// holding the time it was added; REG_SZ LastArchiveFolder under kSettingsKey: the folder of the
// archive saved or opened last.
inline constexpr wchar_t kArchiveFoldersKey[] = L"Software\\Dravix\\ArchiveFolders";
inline constexpr wchar_t kLastArchiveFolderSetting[] = L"LastArchiveFolder";
// The user's paste-key rules, read at every paste: one REG_SZ value each, named by a window class
// or a program's file name ("PuTTY", "putty.exe"), its text the keys ("Shift+Insert").
inline constexpr wchar_t kPasteKeysKey[] = L"Software\\Dravix\\PasteKeys";
// The user's chords: one REG_SZ value each, named by its action ("CopyToSlot"), its text the keys
// ("Ctrl+Shift+数字", options/Chords.h). The hook library takes them from its shared section.
inline constexpr wchar_t kChordsKey[] = L"Software\\Dravix\\Chords";
// Programs where no chord acts: one REG_SZ value each, named by the program's file name.
inline constexpr wchar_t kNoChordProgramsKey[] = L"Software\\Dravix\\NoChordPrograms";

// "在多台电脑间同步": DWORD SyncEnabled (1: on), REG_SZ SyncFolder, SyncMachineName and SyncMachineId
// (made once, kept), DWORD SyncPictureMegabytes, DWORD SyncToClipboard (1: a clip that arrives is
// put on the clipboard too), DWORD SyncFolderMegabytes (the most this machine's own files in the
// folder take), REG_BINARY SyncPassphrase (sealed for the user, never in the clear).
inline constexpr wchar_t kSyncEnabledSetting[] = L"SyncEnabled";
inline constexpr wchar_t kSyncFolderSetting[] = L"SyncFolder";
inline constexpr wchar_t kSyncMachineNameSetting[] = L"SyncMachineName";
inline constexpr wchar_t kSyncMachineIdSetting[] = L"SyncMachineId";
inline constexpr wchar_t kSyncPictureSetting[] = L"SyncPictureMegabytes";
inline constexpr wchar_t kSyncToClipboardSetting[] = L"SyncToClipboard";
inline constexpr wchar_t kSyncFolderMegabytesSetting[] = L"SyncFolderMegabytes";
inline constexpr wchar_t kSyncPassphraseSetting[] = L"SyncPassphrase";
// The entropy the passphrase is sealed with: only this program's own reading opens it.
inline constexpr char kSyncPassphraseEntropy[] = "Dravix sync passphrase";

// The shared block of a list-row request: a header, then the records in list order.
struct ListRowsHeader {
    std::uint32_t capacity;  // records the block has room for
    std::uint32_t count;     // records the main window wrote
};
struct ListRowRecord {
    std::int32_t image;         // the row's kind
    char16_t number[24];        // column 2, zero-terminated when shorter
    char16_t content[40];       // column 0, the first 40 units
};
// Processes of either bitness meet in the block: the same layout in the x86 and x64 builds.
static_assert(sizeof(ListRowsHeader) == 8 && sizeof(ListRowRecord) == 132, "the list-row block's layout");
inline std::string listRowsBlockName(unsigned long processId, unsigned long request) {
    return "Local\\Dravix.ListRows." + std::to_string(processId) + "." + std::to_string(request);
}

}  // namespace store
