// The 同步 page ("在多台电脑间同步"): on or off, the folder the user's sync engine keeps in step
// (OneDrive, Syncthing...), the passphrase shared by the user's machines (typed twice, masked,
// never shown again: an empty pair keeps the one kept), this machine's name, the largest picture
// that goes, and whether a clip that arrives goes on the clipboard too. It holds data and does not
// decide: the settings and the passphrase typed are read after OK. It joins the options dialog as
// one more page, or stands alone in a sheet of its own (editSyncSettings).
#pragma once

#include "options/SyncSettings.h"
#include "fw/PropertySheet.h"

#include <string>

namespace ui {

class COptionsSyncPage : public fw::CPropertyPage {
public:
    COptionsSyncPage(options::SyncSettings& settings, std::string& passphrase);
    bool OnKillActive() override;

private:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void enableControls() const;

    options::SyncSettings& m_settings;
    std::string& m_passphrase;  // typed on the page; empty: the kept one stays
};

// The page alone in a sheet ("同步"); on OK the settings and a passphrase typed are kept for the
// user. True when they were kept.
bool editSyncSettings(HWND owner, options::SyncSettings& settings);

}  // namespace ui
