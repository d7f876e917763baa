// CPasswordDlg: asks for the password of an archive, masked. A new one (Save As with a password)
// is typed twice; an existing one (Open) once. The password is read back as UTF-8 after IDOK and
// lives nowhere else: the fields are emptied when the dialog ends.
#pragma once

#include "fw/Dialog.h"

#include <optional>
#include <string>

namespace ui {

class CPasswordDlg : public fw::CDialog {
public:
    enum class Kind { New, Existing };
    explicit CPasswordDlg(Kind kind);
    ~CPasswordDlg() override;

    // The password typed (UTF-8), or nothing when the user cancelled.
    static std::optional<std::string> Ask(HWND parent, Kind kind);

private:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void clearFields();

    Kind m_kind;
    std::string m_password;
};

}  // namespace ui
