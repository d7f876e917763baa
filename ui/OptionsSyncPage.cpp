#include "ui/OptionsSyncPage.h"

#include "options/SyncSettingsRegistry.h"
#include "base/Text.h"
#include "fw/FileDialog.h"
#include "fw/Window.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

namespace ui {

namespace {

// Ids of res/resource.h.
constexpr UINT kPage = 1499;
constexpr int kEnabled = 1450;
constexpr int kFolder = 1451;
constexpr int kBrowse = 1452;
constexpr int kPassphrase = 1453;
constexpr int kRepeated = 1454;
constexpr int kMachine = 1455;
constexpr int kPictures = 1456;
constexpr int kToClipboard = 1457;
constexpr int kPassphraseKept = 1458;
constexpr int kFolderSize = 1459;

constexpr wchar_t kCaption[] = L"同步";

std::string itemText(HWND page, int id) {
    return base::toUtf8(fw::windowText(GetDlgItem(page, id)));
}

// The passphrase's text leaves no copy behind in the control.
std::string takePassphrase(HWND page, int id) {
    std::string text = itemText(page, id);
    SetDlgItemTextW(page, id, L"");
    return text;
}

}  // namespace

COptionsSyncPage::COptionsSyncPage(options::SyncSettings& settings, std::string& passphrase)
    : fw::CPropertyPage(kPage), m_settings(settings), m_passphrase(passphrase) {}

bool COptionsSyncPage::OnInitDialog() {
    CheckDlgButton(hwnd(), kEnabled, m_settings.enabled ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(hwnd(), kFolder, base::toWide(m_settings.folder).c_str());
    SetDlgItemTextW(hwnd(), kMachine, base::toWide(m_settings.machineName).c_str());
    SetDlgItemInt(hwnd(), kPictures, static_cast<UINT>(m_settings.pictureMegabytes), FALSE);
    SetDlgItemInt(hwnd(), kFolderSize, static_cast<UINT>(m_settings.folderMegabytes), FALSE);
    CheckDlgButton(hwnd(), kToClipboard, m_settings.putArrivedOnClipboard ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(hwnd(), kPassphrase, EM_LIMITTEXT, 256, 0);
    SendDlgItemMessageW(hwnd(), kRepeated, EM_LIMITTEXT, 256, 0);
    SendDlgItemMessageW(hwnd(), kFolder, EM_LIMITTEXT, MAX_PATH, 0);
    SendDlgItemMessageW(hwnd(), kMachine, EM_LIMITTEXT, options::kMaxSyncMachineName, 0);
    ShowWindow(item(kPassphraseKept), m_settings.hasPassphrase ? SW_SHOW : SW_HIDE);
    enableControls();
    return true;
}

void COptionsSyncPage::enableControls() const {
    const bool on = IsDlgButtonChecked(hwnd(), kEnabled) == BST_CHECKED;
    for (const int id : {kFolder, kBrowse, kPassphrase, kRepeated, kMachine, kPictures, kFolderSize, kToClipboard})
        EnableWindow(item(id), on);
}

bool COptionsSyncPage::OnCommand(int id, int code, HWND control) {
    if (id == kEnabled && code == BN_CLICKED) {
        enableControls();
        return true;
    }
    if (id == kBrowse && code == BN_CLICKED) {
        const std::wstring folder = fw::PickFolder(hwnd(), L"选择同步服务（OneDrive、Syncthing 等）同步的文件夹：");
        if (!folder.empty())
            SetDlgItemTextW(hwnd(), kFolder, folder.c_str());
        return true;
    }
    return fw::CPropertyPage::OnCommand(id, code, control);
}

bool COptionsSyncPage::OnKillActive() {
    options::SyncEntry entry;
    entry.settings = m_settings;
    entry.settings.enabled = IsDlgButtonChecked(hwnd(), kEnabled) == BST_CHECKED;
    entry.settings.folder = itemText(hwnd(), kFolder);
    entry.settings.machineName = itemText(hwnd(), kMachine);
    BOOL number = FALSE;
    const UINT megabytes = GetDlgItemInt(hwnd(), kPictures, &number, FALSE);
    entry.settings.pictureMegabytes = number ? megabytes : options::kMaxSyncPictureMegabytes + 1;
    const UINT folderMegabytes = GetDlgItemInt(hwnd(), kFolderSize, &number, FALSE);
    entry.settings.folderMegabytes = number ? folderMegabytes : 0;
    entry.settings.putArrivedOnClipboard = IsDlgButtonChecked(hwnd(), kToClipboard) == BST_CHECKED;
    entry.passphrase = itemText(hwnd(), kPassphrase);
    entry.repeated = itemText(hwnd(), kRepeated);
    if (const std::optional<std::string> problem = options::syncEntryProblem(entry)) {
        MessageBoxW(hwnd(), base::toWide(*problem).c_str(), kCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    m_settings = entry.settings;
    if (!entry.passphrase.empty()) {
        m_passphrase = takePassphrase(hwnd(), kPassphrase);
        takePassphrase(hwnd(), kRepeated);
        m_settings.hasPassphrase = true;  // the page is left and come back to: the one typed stays
    }
    std::fill(entry.passphrase.begin(), entry.passphrase.end(), '\0');
    std::fill(entry.repeated.begin(), entry.repeated.end(), '\0');
    return true;
}

bool editSyncSettings(HWND owner, options::SyncSettings& settings) {
    std::string passphrase;
    COptionsSyncPage page(settings, passphrase);
    fw::CPropertySheet sheet(kCaption);
    sheet.AddPage(page);
    if (sheet.DoModal(owner) != IDOK)
        return false;
    const bool kept = options::writeSyncSettings(settings, passphrase);
    std::fill(passphrase.begin(), passphrase.end(), '\0');
    if (!kept)
        MessageBoxW(owner, L"无法保存同步设置。", kCaption, MB_OK | MB_ICONERROR);
    return kept;
}

}  // namespace ui
