#include "ui/OptionsDlg.h"

#include "options/ChordProblems.h"
#include "options/KeyboardProbe.h"
#include "options/OptionsFile.h"
#include "store/FileSystem.h"
#include "base/Text.h"
#include "fw/FileDialog.h"

#include <commctrl.h>

namespace ui {

namespace {

constexpr wchar_t kCaption[] = L"选项";
constexpr std::size_t kLinesShown = 25;

// The two kinds of options file, for the file dialogs ("name\0pattern\0" pairs).
constexpr wchar_t kFilter[] = L"Dravix 选项文件 (*.xml)\0*.xml\0注册表文件 (*.reg)\0*.reg\0";

fw::FileDialogRequest fileRequest(bool save) {
    fw::FileDialogRequest request;
    request.save = save;
    request.title = save ? L"导出选项" : L"导入选项";
    request.filter = std::wstring(kFilter, sizeof kFilter / sizeof kFilter[0] - 1);
    request.defaultExtension = L"xml";
    return request;
}

}  // namespace

COptionsDlg::COptionsDlg()
    : fw::CPropertySheet(kCaption), m_general(*this), m_chords(*this), m_paste(*this), m_privacy(*this) {
    AddPage(m_general);
    AddPage(m_chords);
    AddPage(m_paste);
    AddPage(m_privacy);
    AddPage(m_syncPage);
}

INT_PTR COptionsDlg::DoModal(HWND parent) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_HOTKEY_CLASS | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    m_saved = m_options;
    const bool paused = m_bPaused;
    const INT_PTR result = fw::CPropertySheet::DoModal(parent, m_nStartPage);
    if (result != IDOK) {
        m_options = m_saved;
        m_bPaused = paused;
    }
    return result;
}

int COptionsDlg::Tell(HWND owner, const std::string& text, UINT flags) const {
    return MessageBoxW(owner, base::toWide(text).c_str(), kCaption, flags);
}

// The pages left before took their values then; the one on show takes them now.
bool COptionsDlg::OnOK() {
    if (const std::optional<std::string> problem = options::listProblem(m_options)) {
        Tell(hwnd(), *problem, MB_OK | MB_ICONWARNING);
        return false;
    }
    return chordsAccepted();
}

bool COptionsDlg::chordsAccepted() {
    const options::ChordSettings& chords = m_options.chords.chords;
    std::vector<std::string> refused, warned;
    for (const options::ChordProblem& problem :
         options::chordProblems(chords, m_saved.chords.chords, options::probeKeyboard(chords, options::currentKeyboardLayout())))
        (problem.refused ? refused : warned).push_back(problem.message);
    if (!refused.empty()) {
        SetActivePage(Chords);
        Tell(hwnd(), "这些快捷键不能使用：\n\n" + options::bulletedLines(refused, kLinesShown), MB_OK | MB_ICONWARNING);
        return false;
    }
    if (!warned.empty() &&
        Tell(hwnd(), "请注意这些快捷键：\n\n" + options::bulletedLines(warned, kLinesShown) + "\n仍然保存吗？",
             MB_YESNO | MB_ICONQUESTION) != IDYES) {
        SetActivePage(Chords);
        return false;
    }
    return true;
}

// The file the user picks, once the page on show took its values (the file is to hold them, or is
// compared with them); empty when either was refused.
std::string COptionsDlg::chooseFile(HWND owner, bool save) {
    fw::CPropertyPage* shown = ActivePage();
    if (shown && !shown->OnKillActive())
        return {};
    return base::toUtf8(fw::ChooseFile(owner, fileRequest(save)));
}

void COptionsDlg::ExportOptions(HWND owner) {
    const std::string file = chooseFile(owner, true);
    if (file.empty())
        return;
    if (!store::files::writeAtomically(file, options::optionsFileBytes(m_options, options::optionsFileKindOf(file))))
        Tell(owner, "无法写入“" + file + "”，选项没有导出。", MB_OK | MB_ICONERROR);
}

// Nothing changes unless the file reads whole and the user agrees to what it changes; the pages
// then show the options read, which OK keeps.
void COptionsDlg::ImportOptions(HWND owner) {
    const std::string file = chooseFile(owner, false);
    if (file.empty())
        return;
    const std::optional<std::string> bytes = store::files::readStart(file, options::kMaxOptionsFileBytes + 1);
    const options::OptionsFileRead read =
        bytes ? options::readOptionsFile(*bytes) : options::OptionsFileRead{std::nullopt, "文件无法读取。"};
    if (!read.options) {
        Tell(owner, "无法导入“" + file + "”：\n\n" + read.error + "\n\n选项没有改变。", MB_OK | MB_ICONWARNING);
        return;
    }
    const std::vector<std::string> changes = options::describeChanges(m_options, *read.options);
    if (changes.empty()) {
        Tell(owner, "“" + file + "”中的选项与现在的相同。", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (Tell(owner, "导入“" + file + "”将更改：\n\n" + options::bulletedLines(changes, kLinesShown) + "\n单击“确定”后保存。要导入吗？",
             MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_options = *read.options;
    reloadPages();
}

void COptionsDlg::reloadPages() {
    COptionsPage* const pages[] = {&m_general, &m_chords, &m_paste, &m_privacy};
    for (COptionsPage* page : pages)
        if (page->hwnd())
            page->Load();
}

}  // namespace ui
