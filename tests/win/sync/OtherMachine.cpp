#include "OtherMachine.h"

#include "base/Text.h"
#include "TestFiles.h"
#include "WinTestSupport.h"

#include <filesystem>
#include <sstream>

namespace {

const char* treeOfThisTest() {
    return sizeof(void*) == 4 ? "x86" : "x64";
}

std::string bytesOfHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

}  // namespace

OtherMachine::OtherMachine(const std::wstring& stateFolder, const std::string& syncFolder, const std::string& passphrase,
                           const std::string& name)
    : m_script("tests/win/other-machine", stateFolder) {
    if (!m_script.startAfresh())
        return;
    // Its folder as that session's programs reach this session's path.
    writeBytes(base::toUtf8(file("machine.txt")),
               base::toUtf8(windowsPathOfUnix(unixPathOf(base::toWide(syncFolder)))) + "\n" + passphrase + "\n" + name + "\n");
    m_started = m_script.run(std::string("start ") + treeOfThisTest() + " " + shellQuoted(m_script.stateFolder())) &&
                pumpUntil([&] { return std::filesystem::exists(file("started")); }, 120s);
}

OtherMachine::~OtherMachine() {
    m_script.stop();
}

std::wstring OtherMachine::file(const char* name) const {
    return windowsPathOfUnix(m_script.stateFolder() + "/" + name);
}

std::vector<OtherMachine::Row> OtherMachine::rows() const {
    std::vector<Row> rows;
    for (const std::string& line : fileLines(base::toUtf8(file("rows.txt")))) {
        std::istringstream fields(line);
        Row row;
        std::string text;
        std::getline(fields, row.clip, '\t');
        std::getline(fields, row.formats, '\t');
        std::getline(fields, row.origin, '\t');
        std::getline(fields, text);
        row.text = base::toWide(text);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::map<UINT, std::string> OtherMachine::clipboard() const {
    std::map<UINT, std::string> formats;
    for (const std::string& line : fileLines(base::toUtf8(file("clipboard.txt")))) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos)
            formats[static_cast<UINT>(std::stoul(line.substr(0, tab)))] = bytesOfHex(line.substr(tab + 1));
    }
    return formats;
}

bool OtherMachine::waitFor(const std::function<bool(const OtherMachine&)>& done, std::chrono::milliseconds bound) const {
    return pumpUntil([&] { return done(*this); }, bound);
}

std::string OtherMachine::log() const {
    return readBytes(base::toUtf8(file("log.txt")));
}
