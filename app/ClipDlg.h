// CClipDlg: the main window. Split by concern: ClipDlg.cpp (construction, initialisation,
// layout, routing, closing), ClipDlgMonitor.cpp (clipboard viewer chain and history capture),
// ClipDlgSlots.cpp (the hook library's notifications), ClipDlgView.cpp (store view, preview,
// search, paste target), ClipDlgQueue.cpp (the paste queue). The list's rows, their search and
// sort are the list's own (CClipListCtrl and its model); the window fills them and wires them.
#pragma once

#include "app/ArchiveCommands.h"
#include "ui/CategoryTreeCtrl.h"
#include "ui/ClipListCtrl.h"
#include "app/ClipRecorder.h"
#include "app/ClipTrayIcon.h"
#include "kit/CommandBars.h"
#include "kit/DockPanes.h"
#include "app/HookLibrary.h"
#include "ui/PreviewEdit.h"
#include "store/SysClipBoard.h"
#include "base/Handle.h"
#include "fw/Controls.h"
#include "fw/Dialog.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class CClipDlg : public fw::CDialog, private CClipListCtrl::Owner, private CArchiveCommands::Owner {
public:
    // The hook library comes bound; the store of the previous run has been emptied. The store
    // is the application's, for the window's life.
    CClipDlg(HookLibrary hook, CSysClipBoard& store);
    ~CClipDlg() override;

    // Before DoModal: the run kept at this start came back as the store (its categories are shown
    // with the history), or `notRestored` says why it did not (a balloon once the tray is there).
    void NoteLastRun(bool restored, std::string notRestored) {
        m_bLastRunRestored = restored;
        m_strLastRunNotRestored = std::move(notRestored);
    }
    // Before DoModal: work that waits until the window has painted and then runs in a thread of
    // its own (keeping the run the store goes on from), so that the first paint is not held by
    // it. At exit it is told to stop and waited for.
    using AfterPaintWork = CArchiveCommands::KeepWork;
    void RunAfterFirstPaint(AfterPaintWork work) { m_archive.KeepAfterFirstPaint(std::move(work)); }

    // Called by the application's message filter for every message of the dialog's loop.
    bool PreTranslateMessage(MSG* message);

    void ShowPreview(int row) override;
    void FillClipList(HTREEITEM node);
    void ActivateTargetWindow();
    // A window of another application in the foreground: kept as the paste target when it can
    // be one.
    void NoteForegroundWindow(HWND window);
    int ShowClipRow(HTREEITEM node, const std::string& recordName, const std::string& numberText,
                    bool repeatTest = true);

private:
    static constexpr UINT kMsgHideToTray = WM_APP + 1;
    static constexpr UINT kMsgRecorderResults = WM_APP + 2;
    static constexpr UINT kMsgNoteForeground = WM_APP + 3;
    static constexpr UINT kMsgArchiveProgress = WM_APP + 4;  // wParam: percent done
    static constexpr UINT kMsgArchiveDone = WM_APP + 5;      // wParam: the ArchiveResult
    static constexpr UINT kMsgKeepDone = WM_APP + 6;         // the run kept at this start
    static constexpr UINT_PTR kSlotRetryTimer = 1;

    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnPaint() override;
    bool OnClose() override;
    void OnOK() override {}
    void OnCancel() override {}

    // ClipDlg.cpp
    void createCommandBarsAndPanes();
    void createList();
    void createTree();
    void createSearchBox();
    void orderForTabAndName();
    void layout();
    void fitColumns();
    void placeWindow();
    void saveWindowPlace();
    void setRootText(bool changed);
    void setStatusText(const std::wstring& text);

    // ClipDlgMonitor.cpp
    void joinViewerChain(bool initial = false);
    void leaveViewerChain();
    void OnDrawClipboard(WPARAM wParam, LPARAM lParam);
    void OnClipboardChanged();
    void OnRecorderResults();
    void showHistoryFull();
    clip::LastText& lastText() { return m_recorder->lastText(); }

    // ClipDlgSlots.cpp
    void OnSlotCopied(WPARAM digit);
    bool fileSlotCopy(char digit);
    void retrySlotCopies();
    void OnClipPasted(WPARAM number);

    void OnStoreDamaged();

    // ClipDlgFile.cpp
    void OnExcludedPrograms();
    void OnHelp();
    void OnHomepage();
    void showIntroOnce();
    void OnSlotCopyFailed(WPARAM digit);
    // What the archive commands ask of the window (CArchiveCommands::Owner).
    void SetStatusText(const std::wstring& text) override { setStatusText(text); }
    void ShowRowsStatus() override { showRowsStatus(); }
    void ShowOpenedStore() override;
    void MarkUnsaved(bool unsaved) override { setRootText(unsaved); }

    // ClipDlgQueue.cpp
    void QueueRows(const std::vector<std::string>& clips) override;
    void UnqueueRows(const std::vector<std::string>& clips) override;
    void ClearQueue() override;
    bool ShowsQueue() const override;
    std::string queueFile() const;  // the store's status file, which holds the queue
    void appendToQueue(const std::vector<int>& numbers);
    void queueRecorded(int number);
    void queueChanged();

    // ClipDlgView.cpp
    void RefreshView() override;
    void PasteClip(const std::string& clip, bool plainText) override;
    void RowsRemoved(const std::vector<std::string>& clips) override;
    void ExcludeProgram(const std::string& path) override;
    void showRows();
    void showRowsStatus();
    void showRow(clip::ViewRow row);
    void addRow(clip::ViewRow row);  // into the rows, shown at the next showRows
    // `change` says whether it moved the shown rows; when it did not, only the status text changes.
    void changeRowsKeepingSelection(const std::function<bool(cliplist::ClipListModel&)>& change);
    const cliplist::ClipListModel& rows() const { return m_clipList.Rows(); }
    void OnSearchChanged();
    bool handleSearchKeys(HWND window, WPARAM key);
    std::wstring nodeStatusText() const;
    void OnTreeSelectionChanged();
    LRESULT CopyListRows(WPARAM processId, LPARAM request);

    // Recording paused and resumed (the tray's commands), and the closing sequence.
    void Pause();
    void Resume();
    void RequestExit();
    void unloadHookLibrary();

    CSysClipBoard& m_store;
    fw::CListView m_list;
    HWND m_search = nullptr;
    int m_searchHeight = 22;
    CClipListCtrl m_clipList{*this, m_store};  // the rows the list shows, by position
    CCategoryTreeCtrl m_categories{m_store};
    bool m_bStoreDamageReported = false;
    fw::CTreeView m_tree;
    CPreviewEdit m_preview;
    HWND m_status = nullptr;
    kit::CCommandBars m_commandBars;
    kit::CDockPanes m_panes;
    base::UniqueImageList m_listImages;
    base::UniqueImageList m_treeImages;
    CClipTrayIcon m_tray;
    HICON m_hIcon = nullptr;

    HookLibrary m_hook;
    std::unique_ptr<CClipRecorder> m_recorder;
    HWND m_hNextViewer = nullptr;
    bool m_bInViewerChain = false;
    bool m_bHistoryFullShown = false;
    bool m_bLastRunRestored = false;
    std::optional<std::u16string> m_newestHistoryText;  // of the history shown as the window opens
    std::string m_strLastRunNotRestored;
    std::deque<std::pair<char, int>> m_slotRetries;  // slot copies waiting for the busy flag, with their tries
    HTREEITEM m_hRoot = nullptr;
    HTREEITEM m_hCollection = nullptr;
    HTREEITEM m_hHotkeys = nullptr;
    HTREEITEM m_hQueue = nullptr;
    int m_bExitRequested = 0;
    int m_bPaused = 0;
    CArchiveCommands m_archive{m_store, *this};
    HWND m_hTargetWnd = nullptr;
};
