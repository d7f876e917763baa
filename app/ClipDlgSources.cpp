// CClipDlg: the programs behind the clips. A row tells where its clip came from; the user may
// have a program's copies recorded no more, and see and shorten that list.
#include "app/ClipDlg.h"

#include "app/ClipRules.h"
#include "app/ExcludedPrograms.h"
#include "ui/ExcludedProgramsDlg.h"
#include "store/Protocol.h"
#include "xml/XmlText.h"
#include "base/Text.h"
#include "base/Trace.h"

// Asked once; the rows already recorded stay until the user deletes them.
void CClipDlg::ExcludeProgram(const std::string& path) {
    const std::wstring question = base::toWide(xml::utf16ToUtf8(clip::excludeQuestion(path)));
    if (MessageBoxW(hwnd(), question.c_str(), base::toWide(store::kMainWindowTitle).c_str(), MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    if (!excluded::add(path)) {
        base::ReportFailure("RegSetValueExW");
        MessageBoxW(hwnd(), L"无法保存排除的程序。", base::toWide(store::kMainWindowTitle).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    base::Trace("copies of %s are recorded no more", path.c_str());
}

void CClipDlg::OnExcludedPrograms() {
    CExcludedProgramsDlg dialog;
    for (const excluded::Program& program : excluded::programs())
        dialog.m_programs.push_back({base::toWide(program.path), base::toWide(program.added)});
    dialog.DoModal(hwnd());
    for (const std::wstring& path : dialog.m_removed) {
        if (excluded::remove(base::toUtf8(path)))
            base::Trace("copies of %s are recorded again", base::toUtf8(path).c_str());
        else
            base::ReportFailure("RegDeleteKeyValueW");
    }
}
