// The user's other machine in the two-machine tests, run in a Wine session of its own
// (tests/win/other-machine). It sets sync up as machine.txt in the state folder says (the sync
// folder, the passphrase and the machine's name, one per line, UTF-8), with arrived clips put on
// the clipboard; starts dravix.exe with its debug log in the state folder (log.txt); writes
// "started" once the program's window is there; and from then on keeps two files current for the
// test: rows.txt (each history clip of this machine: its name, formats, origin and text, tab
// separated) and clipboard.txt (the clipboard's text, picture and file list, as format and hex).
#include "app/DravixProcess.h"
#include "base/Text.h"
#include "options/SyncSettingsRegistry.h"
#include "store/ClipNames.h"
#include "store/ClipOrigin.h"
#include "TestFiles.h"
#include "WinTestSupport.h"

#include <windows.h>

#include <sstream>

namespace {

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return text;
}

std::string historyRows() {
    const std::string index = storeIndexPath();
    std::ostringstream rows;
    for (const auto& [name, value] : storeElements(index)) {
        const std::string suffix(store::kTimeSuffix);
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string clip = name.substr(0, name.size() - suffix.size());
        if (!store::isHistoryClipName(clip))
            continue;
        std::string formats;
        for (int i = 0; i < store::kMaxFormatsPerClip; ++i)
            if (const std::string format = storeValue(index, store::formatElementName(clip, i)); !format.empty())
                formats += (formats.empty() ? "" : ",") + format;
        rows << clip << '\t' << formats << '\t' << store::originName(storeValue(index, store::originElementName(clip))) << '\t'
             << oneLine(base::toUtf8(storedClipText(clip))) << '\n';
    }
    return rows.str();
}

std::string clipboardLines() {
    std::ostringstream lines;
    for (const auto& [format, bytes] : clipboardContents())
        if (format == CF_UNICODETEXT || format == CF_DIB || format == CF_HDROP)
            lines << format << '\t' << hexOf(bytes) << '\n';
    return lines.str();
}

// Written whole under another name first: the test never reads half a file.
void replaceFile(const std::string& path, const std::string& bytes) {
    writeBytes(path + ".part", bytes);
    MoveFileExW(base::toWide(path + ".part").c_str(), base::toWide(path).c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    const std::string state = base::toUtf8(arguments);
    const std::vector<std::string> machine = fileLines(state + "\\machine.txt");
    if (machine.size() < 3)
        return 2;
    options::SyncSettings settings;
    settings.enabled = true;
    settings.folder = machine[0];
    settings.machineName = machine[2];
    settings.putArrivedOnClipboard = true;
    if (!options::writeSyncSettings(settings, machine[1]))
        return 3;

    SetEnvironmentVariableW(L"DRAVIX_LOG", base::toWide(state + "\\log.txt").c_str());
    DravixProcess dravix;
    if (!dravix.started() || !dravix.waitForMainWindow(60s))
        return 4;
    writeBytes(state + "\\started", "");
    std::string index, rows, clipboard;
    DWORD sequence = 0;
    int triesOfThisChange = 0;
    for (;;) {  // until the session ends
        // The clips are read again only when the index changed: hundreds of sealed files each time
        // would keep this machine busy.
        if (std::string now = readBytes(storeIndexPath()); now != index) {
            index = std::move(now);
            if (std::string nowRows = historyRows(); nowRows != rows)
                replaceFile(state + "\\rows.txt", rows = std::move(nowRows));
        }
        // Read once a change, again only while it could not be opened (the program may hold it as
        // it puts a clip there): an empty clipboard is not opened again and again.
        if (const DWORD now = GetClipboardSequenceNumber(); now != sequence) {
            std::string lines = clipboardLines();
            if (!lines.empty() || CountClipboardFormats() == 0 || ++triesOfThisChange >= 10) {
                sequence = now;
                triesOfThisChange = 0;
                if (lines != clipboard)
                    replaceFile(state + "\\clipboard.txt", clipboard = std::move(lines));
            }
        }
        letTimePass(100ms);
    }
}
