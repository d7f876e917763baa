#include "options/OptionsRegistry.h"

#include "store/Protocol.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "fw/Settings.h"

#include <windows.h>

#include <algorithm>
#include <map>

namespace options {

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"pellimor";

std::wstring executablePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH - 1);
    return path;
}

base::UniqueRegistryKey openRunKey(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, access, &key) != ERROR_SUCCESS)
        return base::UniqueRegistryKey();
    return base::UniqueRegistryKey(key);
}

std::vector<std::pair<std::string, std::string>> readStrings(const wchar_t* key) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& [name, text] : fw::ReadUserStrings(key))
        values.emplace_back(base::toUtf8(name), base::toUtf8(text));
    return values;
}

// The key holds exactly `values` afterwards: the names not among them are deleted.
bool replaceStrings(const wchar_t* key, const std::vector<std::pair<std::string, std::string>>& values) {
    bool written = true;
    for (const auto& [name, text] : fw::ReadUserStrings(key)) {
        const bool stays = std::any_of(values.begin(), values.end(), [&](const auto& value) {
            return CompareStringOrdinal(base::toWide(value.first).c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL;
        });
        if (!stays)
            written = fw::DeleteUserValue(key, name.c_str()) && written;
    }
    for (const auto& [name, text] : values)
        written = fw::WriteUserString(key, base::toWide(name).c_str(), base::toWide(text)) && written;
    return written;
}

}  // namespace

ChordOptions readChordOptions() {
    ChordOptions chords;
    std::map<std::string, std::string> texts;
    for (auto& [name, text] : readStrings(store::kChordsKey))
        texts[name] = std::move(text);
    for (const ChordAction action : allChordActions()) {
        const auto found = texts.find(std::string(actionSettingName(action)));
        chords.chords[action] = chordFromSetting(action, found == texts.end() ? std::nullopt : std::optional(found->second));
    }
    for (const auto& [name, unused] : readStrings(store::kNoChordProgramsKey))
        if (const std::optional<std::string> program = noChordProgramName(name))
            if (chords.noChordPrograms.size() < kMaxNoChordPrograms && *program == name)
                chords.noChordPrograms.push_back(*program);
    return chords;
}

Options readOptions() {
    Options options;
    for (const SwitchInfo& info : allSwitches())
        options.switches.*info.member =
            fw::ReadUserDword(store::kSettingsKey, base::toWide(info.setting).c_str()).value_or(info.whenMissing ? 1 : 0) != 0;
    options.switches.startWithWindows = startsWithWindows();
    for (const NumberInfo& info : allNumbers())
        options.runs.*info.member = numberWithin(info, fw::ReadUserDword(store::kSettingsKey, base::toWide(info.setting).c_str()));
    options.chords = readChordOptions();
    for (auto& [match, keys] : readStrings(store::kPasteKeysKey))
        options.pasteKeyRules.push_back({std::move(match), std::move(keys)});
    for (auto& [path, added] : readStrings(store::kExcludedProgramsKey))
        options.excludedPrograms.push_back({std::move(path), std::move(added)});
    return options;
}

bool writeOptions(const Options& options) {
    bool written = true;

    for (const SwitchInfo& info : allSwitches()) {
        const bool on = options.switches.*info.member;
        if (info.member == &Switches::startWithWindows)
            written = (startsWithWindows() == on || setStartWithWindows(on)) && written;
        else
            written = fw::WriteUserDword(store::kSettingsKey, base::toWide(info.setting).c_str(), on ? 1 : 0) && written;
    }
    for (const NumberInfo& info : allNumbers())
        written = fw::WriteUserDword(store::kSettingsKey, base::toWide(info.setting).c_str(), options.runs.*info.member) && written;
    std::vector<std::pair<std::string, std::string>> chords;
    for (const ChordAction action : allChordActions())
        chords.emplace_back(actionSettingName(action), chordSetting(action, options.chords.chords[action]));
    written = replaceStrings(store::kChordsKey, chords) && written;
    std::vector<std::pair<std::string, std::string>> programs;
    for (const std::string& program : options.chords.noChordPrograms)
        programs.emplace_back(program, std::string());
    written = replaceStrings(store::kNoChordProgramsKey, programs) && written;
    std::vector<std::pair<std::string, std::string>> rules;
    for (const PasteKeyRule& rule : options.pasteKeyRules)
        rules.emplace_back(rule.match, rule.keys);
    written = replaceStrings(store::kPasteKeysKey, rules) && written;
    std::vector<std::pair<std::string, std::string>> excluded;
    for (const ExcludedProgram& program : options.excludedPrograms)
        excluded.emplace_back(program.path, program.added);
    return replaceStrings(store::kExcludedProgramsKey, excluded) && written;
}

// Yes only when the value names this executable, in any letter case.
bool startsWithWindows() {
    const base::UniqueRegistryKey key = openRunKey(KEY_READ);
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    if (!key || RegQueryValueExW(key.get(), kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    return CompareStringOrdinal(value, -1, executablePath().c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool setStartWithWindows(bool on) {
    const base::UniqueRegistryKey key = openRunKey(KEY_WRITE);
    if (!key)
        return false;
    if (!on)
        return RegDeleteValueW(key.get(), kRunValue) == ERROR_SUCCESS;
    const std::wstring path = executablePath();
    return RegSetValueExW(key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                          static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace options
