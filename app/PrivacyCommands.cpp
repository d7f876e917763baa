#include "app/PrivacyCommands.h"

#include "app/PrivacyRules.h"
#include "store/DataFiles.h"
#include "store/Protocol.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Settings.h"

#include <atomic>

namespace app {

namespace {

// Where the store's reporter of unreadable files posts, from any thread.
std::atomic<HWND> g_unreadableWindow{nullptr};
std::atomic<UINT> g_unreadableMessage{0};

// The path is the user's own file name, no content of a clip: it may go into the log.
void postUnreadable(const std::string& path) {
    base::Trace("sealed data file not readable by this user: %s", path.c_str());
    if (HWND window = g_unreadableWindow.load())
        PostMessageW(window, g_unreadableMessage.load(), 0, 0);
}

int ask(HWND window, std::string_view text, UINT type) {
    return MessageBoxW(window, base::toWide(text).c_str(), base::toWide(store::kMainWindowTitle).c_str(), type);
}

}  // namespace

options::Switches readPrivacySwitches() {
    options::Switches switches;
    switches.sealStore = fw::ReadUserDword(store::kSettingsKey, store::kSealStoreSetting).value_or(1) != 0;
    switches.skipSecrets = fw::ReadUserDword(store::kSettingsKey, store::kSkipSecretsSetting).value_or(1) != 0;
    return switches;
}

void applyStoreSealing(bool on, const HookLibrary& hook) {
    store::setSealing(on);
    if (hook.SetSealStore)
        hook.SetSealStore(on ? TRUE : FALSE);
}

CPrivacyCommands::~CPrivacyCommands() {
    store::setUnreadableReporter(nullptr);
    g_unreadableWindow = nullptr;
}

void CPrivacyCommands::Start(HWND window, UINT unreadableMessage) {
    m_window = window;
    g_unreadableMessage = unreadableMessage;
    g_unreadableWindow = window;
    store::setUnreadableReporter(postUnreadable);
    apply(readPrivacySwitches());
}

void CPrivacyCommands::ApplyPrivacyOptions(const options::Options& options) {
    apply(options.switches);
}

void CPrivacyCommands::apply(const options::Switches& switches) {
    base::Trace("privacy: data files %s, secrets %s", switches.sealStore ? "sealed" : "in the clear",
                switches.skipSecrets ? "kept out" : "recorded");
    applyStoreSealing(switches.sealStore, m_parts.hook);
    m_parts.monitor.SkipSecrets(switches.skipSecrets);
}

bool CPrivacyCommands::busy() const {
    return m_parts.archive.Busy() ||
           (m_parts.hook.GetOperXmlStatus && m_parts.hook.GetOperXmlStatus() != store::kBusyFree);
}

// Asked first, then checked again: a command may have started while the question was open.
void CPrivacyCommands::OnWipe() {
    if (busy()) {
        base::Trace("wipe refused: an archive command or a slot copy is under way");
        ask(m_window, app::kWipeBusyText, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (ask(m_window, app::kWipeQuestion, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    if (busy()) {
        ask(m_window, app::kWipeBusyText, MB_OK | MB_ICONINFORMATION);
        return;
    }
    showWiped(m_parts.store.wipeAll());
}

// The window as after a first start: an empty list, no last text to compare with, the tooltip's
// counts gone; what could not be removed is named.
void CPrivacyCommands::showWiped(const store::WipeOutcome& outcome) {
    base::Trace("wipe: %s, %u files not removed", outcome.storeBusy ? "store busy" : "done",
                static_cast<unsigned>(outcome.notRemoved.size()));
    if (!outcome.storeBusy) {
        m_parts.monitor.lastText().set(u"");
        m_parts.view.ShowOpenedStore();
        m_parts.view.queue().Changed();
        m_parts.view.SetRootText(false);
        m_parts.tray.ResetCounts();
    }
    const std::string text = app::wipeOutcomeText(outcome.storeBusy, outcome.notRemoved);
    if (!text.empty())
        ask(m_window, text, MB_OK | MB_ICONWARNING);
}

}  // namespace app
