#include "app/OptionsCommands.h"

#include "options/ChordProblems.h"
#include "options/ChordRecord.h"
#include "options/KeyboardProbe.h"
#include "options/OptionsRegistry.h"
#include "options/SyncSettingsRegistry.h"
#include "base/Barrier.h"
#include "base/ScopeExit.h"
#include "base/Trace.h"

#include <memory>
#include <utility>

namespace app {

namespace {

std::string chordsText(const options::ChordSettings& chords) {
    std::string text;
    for (const options::ChordAction action : options::allChordActions())
        text += (text.empty() ? "" : ", ") + options::chordSetting(action, chords[action]);
    return text;
}

}  // namespace

COptionsCommands::COptionsCommands(const HookLibrary& hook, CClipTrayIcon& tray, Pause pause, ApplyMore applyMore)
    : m_hook(hook), m_tray(tray), m_pause(std::move(pause)), m_applyMore(std::move(applyMore)) {}

COptionsCommands::~COptionsCommands() {
    if (m_probe.joinable())
        m_probe.join();
}

// Asking the layout for every character it could type takes a quarter of a second and more: the
// window shows its rows meanwhile. The layout is this thread's, the one the user types with.
void COptionsCommands::ApplyAtStart(HWND window, UINT probed) {
    const options::ChordOptions chords = options::readChordOptions();
    publishChords(chords);
    m_probedMessage = probed;
    if (m_probe.joinable())
        m_probe.join();
    m_probe = std::thread([this, chords = chords.chords, layout = options::currentKeyboardLayout(), window, probed] {
        base::Guarded("keyboard probe", [&] {
            const options::KeyboardFacts facts = options::probeKeyboard(chords, layout);
            std::string notice = options::unavailableChordsNotice(chords, options::unavailableChords(chords, facts));
            if (notice.empty())
                return;
            std::lock_guard<std::mutex> hold(m_noticeLock);
            m_unavailableNotice = std::move(notice);
            PostMessageW(window, probed, 0, 0);
        });
    });
}

bool COptionsCommands::HandleMessage(UINT message) {
    if (!m_probedMessage || message != m_probedMessage)
        return false;
    std::string notice;
    {
        std::lock_guard<std::mutex> hold(m_noticeLock);
        notice.swap(m_unavailableNotice);
    }
    if (!notice.empty())
        m_tray.ReportChordsUnavailable(notice);
    return true;
}

void COptionsCommands::Open(HWND main, ui::COptionsDlg::Page page) {
    if (m_pOpen) {
        if (m_pOpen->hwnd()) {
            ShowWindow(m_pOpen->hwnd(), SW_SHOW);
            SetForegroundWindow(m_pOpen->hwnd());
        }
        return;
    }
    auto dialog = std::make_unique<ui::COptionsDlg>();
    dialog->m_options = options::readOptions();
    dialog->m_bPaused = m_pause.on();
    dialog->m_nStartPage = page;
    m_pOpen = dialog.get();
    const base::ScopeExit closed([this] { m_pOpen = nullptr; });
    base::Trace("options dialog opened");
    dialog->m_sync = options::readSyncSettings();
    const options::Options before = dialog->m_options;
    const options::SyncSettings syncBefore = dialog->m_sync;
    if (dialog->DoModal(main) != IDOK)
        return;
    apply(before, dialog->m_options, dialog->m_bPaused);
    if (!(dialog->m_sync == syncBefore) || !dialog->m_syncPassphrase.empty()) {
        if (!options::writeSyncSettings(dialog->m_sync, dialog->m_syncPassphrase))
            m_tray.ShowNotice(L"同步设置无法保存到注册表，请再试一次。");
        SecureZeroMemory(dialog->m_syncPassphrase.data(), dialog->m_syncPassphrase.size());
        dialog->m_syncPassphrase.clear();
        if (m_syncSaved)
            m_syncSaved();
    }
}

// Saved first, so that what reads the settings where it acts reads the new ones.
void COptionsCommands::apply(const options::Options& before, const options::Options& after, bool paused) {
    if (!options::writeOptions(after)) {
        base::Trace("options not all saved");
        m_tray.ShowNotice(L"有些选项无法保存到注册表，请再试一次。");
    }
    m_tray.ApplySwitches(after.switches);
    m_pause.set(paused);
    if (after.chords != before.chords)
        publishChords(after.chords);
    if (m_applyMore)
        m_applyMore(after);
    base::Trace("options applied: %u changes", static_cast<unsigned>(options::describeChanges(before, after).size()));
}

bool COptionsCommands::publishChords(const options::ChordOptions& chords) const {
    if (!m_hook.PublishChordOptions) {
        base::Trace("chords not published: no hook library");
        return false;
    }
    const auto record = std::make_unique<options::ChordRecord>(options::packChords(chords));
    const bool published = m_hook.PublishChordOptions(record.get()) != FALSE;
    base::Trace("chords %s: %s; %u programs without chords", published ? "published" : "not published",
                chordsText(chords.chords).c_str(), static_cast<unsigned>(chords.noChordPrograms.size()));
    return published;
}

}  // namespace app
