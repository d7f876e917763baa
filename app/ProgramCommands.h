// CProgramCommands: what the running program does for the command line (clip::CommandActions),
// on the thread that answers the requests. The store is read and written there (under its lock,
// as every writer does); what the window shows, the hook library's pastes and pausing are handed
// to the window's thread (CWindowTasks) and waited for with a bound.
#pragma once

#include "app/CommandRules.h"
#include "app/HistoryView.h"
#include "app/HookLibrary.h"
#include "app/WindowTasks.h"
#include "app/recorder/RecordRules.h"
#include "store/SysClipBoard.h"

#include <windows.h>

#include <functional>

class CProgramCommands : public clip::CommandActions {
public:
    // How long a step on the window's thread may wait to begin.
    static constexpr DWORD kWindowTaskMs = 5000;

    struct Parts {
        CSysClipBoard& store;
        HookLibrary& hook;
        CHistoryView& view;
        CWindowTasks& window;
        std::function<clip::LastText&()> lastText;  // the recorder's: an added text files by its rule
        std::function<void(bool paused)> setPaused;  // the tray's pause and resume
    };
    explicit CProgramCommands(Parts parts) : m_parts(std::move(parts)) {}

    // The main window, shown by `show`.
    void Attach(HWND mainWindow) { m_main = mainWindow; }

    std::vector<clip::CommandRow> historyRows() override;
    std::optional<std::string> clipData(int number, store::command::DataFormat format) override;
    clip::CommandOutcome addText(const std::u16string& text, int& added) override;
    clip::CommandOutcome copyClip(int number) override;
    clip::CommandOutcome pasteClip(int number, std::optional<store::Transform> transform,
                                   std::uint64_t targetWindow) override;
    std::optional<clip::CommandRow> slotRow(int slot) override;
    clip::CommandOutcome setSlot(int slot, int number) override;
    clip::CommandOutcome deleteClip(int number) override;
    clip::CommandOutcome setRecording(bool on) override;
    clip::CommandOutcome showWindow() override;

private:
    // The rows of a node of the store's view, read now.
    std::vector<clip::ViewRow> viewRows(bool slots);
    bool exists(const std::string& clip) const;
    // `task` on the window's thread; Failed when it could not begin in time.
    clip::CommandOutcome onWindow(const std::function<clip::CommandOutcome()>& task);

    Parts m_parts;
    HWND m_main = nullptr;
};
