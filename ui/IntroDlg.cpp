#include "ui/IntroDlg.h"

#include "store/FileSystem.h"
#include "store/Text.h"
#include "base/Text.h"

namespace ui {

namespace {

constexpr UINT kDialog = 152;
constexpr int kTextEdit = 1014;
constexpr int kDoNotShowBox = 1013;
constexpr int kProgramIcon = 128;
const wchar_t kTitle[] = L"\u201cTavenlow剪贴复制工具\u201dV4.7\u2014软件介绍";
const wchar_t kDoNotShowText[] = L"下次启动时不再显示";

// An edit control breaks lines only at CR LF; a text written with bare LF still reads in lines.
std::wstring withCrLf(const std::u16string& text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            out += L'\r';
        out += static_cast<wchar_t>(text[i]);
    }
    return out;
}

}  // namespace

CIntroDlg::CIntroDlg(std::wstring introFile, std::wstring offMarker)
    : fw::CDialog(kDialog), m_introFile(std::move(introFile)), m_offMarker(std::move(offMarker)) {}

bool CIntroDlg::LoadText() {
    if (store::files::exists(base::toUtf8(m_offMarker)))
        return false;
    const std::optional<std::string> bytes = store::files::readAll(base::toUtf8(m_introFile));
    if (!bytes)
        return false;
    m_strText = withCrLf(store::codePageToUtf16(std::string_view(bytes->c_str())));
    return true;
}

bool CIntroDlg::OnInitDialog() {
    SetDlgItemTextW(hwnd(), kTextEdit, m_strText.c_str());
    CheckDlgButton(hwnd(), kDoNotShowBox, m_bDoNotShowAgain ? BST_CHECKED : BST_UNCHECKED);
    SetWindowTextW(hwnd(), kTitle);
    SetDlgItemTextW(hwnd(), kDoNotShowBox, kDoNotShowText);
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIcon))));
    return true;
}

void CIntroDlg::OnDestroy() {
    m_bDoNotShowAgain = IsDlgButtonChecked(hwnd(), kDoNotShowBox) == BST_CHECKED;
    if (!m_bDoNotShowAgain)
        return;
    if (!DeleteFileW(m_introFile.c_str()) && GetFileAttributesW(m_introFile.c_str()) != INVALID_FILE_ATTRIBUTES)
        store::files::writeAtomically(base::toUtf8(m_offMarker), "off");
}

}  // namespace ui
