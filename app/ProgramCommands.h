// CProgramCommands: what the running program does for the command line (app::CommandActions),
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

namespace app {

class CProgramCommands : public app::CommandActions {
public:
    // How long a step on the window's thread may wait to begin.
    static constexpr DWORD kWindowTaskMs = 5000;

    struct Parts {
        store::CSysClipBoard& store;
        HookLibrary& hook;
        CHistoryView& view;
        CWindowTasks& window;
        std::function<app::recorder::LastText&()> lastText;  // the recorder's: an added text files by its rule
        std::function<void(bool paused)> setPaused;  // the tray's pause and resume
    };
    explicit CProgramCommands(Parts parts) : m_parts(std::move(parts)) {}

    // The main window, shown by `show`.
    void Attach(HWND mainWindow) { m_main = mainWindow; }

    std::vector<app::CommandRow> historyRows() override;
    std::optional<std::string> clipData(int number, store::command::DataFormat format) override;
    app::CommandOutcome addText(const std::u16string& text, int& added) override;
    app::CommandOutcome copyClip(int number) override;
    app::CommandOutcome pasteClip(int number, std::optional<store::Transform> transform,
                                   std::uint64_t targetWindow) override;
    std::optional<app::CommandRow> slotRow(int slot) override;
    app::CommandOutcome setSlot(int slot, int number) override;
    app::CommandOutcome deleteClip(int number) override;
    app::CommandOutcome setRecording(bool on) override;
    app::CommandOutcome showWindow() override;

private:
    // The rows of a node of the store's view, read now.
    std::vector<app::ViewRow> viewRows(bool slots);
    bool exists(const std::string& clip) const;
    // `task` on the window's thread; Failed when it could not begin in time.
    app::CommandOutcome onWindow(const std::function<app::CommandOutcome()>& task);

    Parts m_parts;
    HWND m_main = nullptr;
};

}  // namespace app
