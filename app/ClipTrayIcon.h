// CClipTrayIcon: the program's icon in the notification area, animated while recording runs,
// still while paused; a double click shows the main window, minimising hides it here. It knows
// the main window only by its handle: the commands that are the main window's (pause, resume,
// screen capture, options, exit) are passed on to it as WM_COMMAND.
#pragma once

#include "app/recorder/RecordRules.h"
#include "options/Options.h"
#include "kit/TrayIcon.h"

#include <set>
#include <string>

namespace app {

class CClipTrayIcon : public kit::CTrayIcon {
public:
    static constexpr UINT kTrayId = 146;
    static constexpr UINT kNotifyMessage = 0x273D;

    // `main` is the window the icon shows, hides and reports to; the switches are applied to it.
    void AttachTo(HWND main);
    // Adds the icon, animated unless paused, with what it was told before. Adding waits on the
    // notification area's program: the main window does it once it is on screen.
    void ShowIcon();
    void HideToTray();
    // Told by the main window when recording pauses or resumes.
    void ShowPaused(bool paused);
    // A copy was recorded at `stamp`: the tooltip says when.
    void NoteRecorded(const std::string& stamp);
    // `count` copies wait to be read or stored: the tooltip counts them while any do.
    void NoteWaiting(int count);
    // The paste queue holds `count` clips: the tooltip counts them while it holds any.
    void NoteQueued(int count);
    // How syncing goes (clipsync::syncStatusText): the tooltip's last lines; empty while it is off.
    void NoteSync(std::u16string text);
    // A copy was announced and not recorded: the tooltip counts it, and a balloon says why, once
    // for each reason in a run.
    void ReportMissedCopy(app::recorder::MissReason reason);
    // A copy was kept out as plainly secret: the tooltip counts it.
    void NoteSecretSkipped();
    // The history was wiped: the tooltip as at a first start (no copy recorded, none missed).
    void ResetCounts();
    // A data file sealed where this user cannot open it was met: a balloon, once in a run.
    void ReportUnreadableClips();
    // A copy was recorded without the formats over its budget: a balloon, once in a run.
    void ReportPartlyRecorded();
    // The hooks could not be set: the chords and the clip menu do not work.
    void ReportHooksUnavailable();
    // At a start with "restore the last run" on, the last run did not come back: `text` says why.
    void ReportLastRunNotRestored(const std::string& text);
    // At a start, chords that cannot act: `text` names them and where to change them.
    void ReportChordsUnavailable(const std::string& text);
    // A balloon with news for the user.
    void ShowNotice(const std::wstring& text);

    LRESULT OnTrayNotification(WPARAM id, LPARAM mouseMessage) override;
    void OnCommand(UINT command) override;

    // The switches that are the tray's to apply (queue every copy, always on top), read at the
    // start and given again after the options changed.
    void ApplySwitches(const options::Switches& switches);
    bool queuesOnCopy() const { return m_bQueueOnCopy; }

private:
    void showMainWindow(bool foreground);
    void setAlwaysOnTop(bool on);
    LRESULT showMenu();
    static void traceMenu(HMENU popup);
    void showTooltip();
    std::u16string tooltipText() const;

    HWND m_hMainWnd = nullptr;
    bool m_bPaused = false;
    std::set<app::recorder::MissReason> m_reportedMisses;
    bool m_bPartlyRecordedShown = false;
    std::string m_strLastRecorded;  // the time stamp of the last copy recorded
    std::u16string m_shownTooltip;  // what the tray shows now
    std::u16string m_sync;          // how syncing goes
    int m_nWaiting = 0;
    int m_nQueued = 0;
    int m_nMissed = 0;  // copies of the run not recorded
    int m_nSecrets = 0;  // copies of the run kept out as secrets
    bool m_bUnreadableShown = false;
    bool m_bQueueOnCopy = false;
    bool m_bAlwaysOnTop = false;
};

}  // namespace app
