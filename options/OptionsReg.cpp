// The options as a .reg file, as the registry editor writes one: the header line, then each key in
// brackets with its values ("name"=dword:00000001, "name"="text", backslashes and quotes escaped).
// The lists' keys are deleted first ([-...]), so that merging the file leaves exactly its lists.
#include "options/OptionsReader.h"

#include "store/Protocol.h"
#include "xml/XmlText.h"

#include <cstdio>

namespace options {

namespace {

std::string dwordText(std::uint32_t number) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "dword:%08lx", static_cast<unsigned long>(number));
    return text;
}

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER\\";

enum class Section { None, Switches, Chords, NoChordPrograms, PasteKeys, ExcludedPrograms };

struct SectionKey {
    Section section;
    const wchar_t* key;
    bool isList;
};
constexpr SectionKey kSections[] = {
    {Section::Switches, store::kSettingsKey, false},
    {Section::Chords, store::kChordsKey, false},
    {Section::NoChordPrograms, store::kNoChordProgramsKey, true},
    {Section::PasteKeys, store::kPasteKeysKey, true},
    {Section::ExcludedPrograms, store::kExcludedProgramsKey, true},
};

std::string keyPath(const SectionKey& section) {
    std::string path(kRoot);
    for (const wchar_t* c = section.key; *c; ++c)
        path += static_cast<char>(*c);
    return path;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// A quoted text at the start of `line`, its escapes undone; the rest of the line after it.
std::optional<std::string> unquoted(std::string_view& line) {
    if (line.empty() || line.front() != '"')
        return std::nullopt;
    std::string text;
    for (std::size_t i = 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            line.remove_prefix(i + 1);
            return text;
        }
        if (c == '\\') {
            if (++i == line.size() || (line[i] != '\\' && line[i] != '"'))
                return std::nullopt;
            c = line[i];
        }
        text += c;
    }
    return std::nullopt;
}

struct RegValue {
    std::string name;
    std::optional<std::string> text;      // "name"="text"
    std::optional<unsigned long> number;  // "name"=dword:0000000n
};

std::optional<RegValue> valueOfLine(std::string_view line) {
    RegValue value;
    std::optional<std::string> name = unquoted(line);
    if (!name || line.empty() || line.front() != '=')
        return std::nullopt;
    value.name = std::move(*name);
    line.remove_prefix(1);
    constexpr std::string_view kDword = "dword:";
    if (line.substr(0, kDword.size()) == kDword) {
        line.remove_prefix(kDword.size());
        if (line.size() != 8 || line.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
            return std::nullopt;
        value.number = std::stoul(std::string(line), nullptr, 16);
        return value;
    }
    value.text = unquoted(line);
    if (!value.text || !line.empty())
        return std::nullopt;
    return value;
}

std::optional<std::string> takeValue(COptionsReader& reader, Section section, const RegValue& value) {
    if (section == Section::Switches) {
        if (numberInfo(value.name))
            return value.number ? reader.setSwitch(value.name, std::to_string(*value.number))
                                : "“" + xml::normalizeUtf8(value.name) + "”应当是 dword 值。";
        if (!value.number || *value.number > 1)
            return "开关“" + xml::normalizeUtf8(value.name) + "”应当是 dword:00000000 或 dword:00000001。";
        return reader.setSwitch(value.name, *value.number ? "1" : "0");
    }
    if (!value.text)
        return "“" + xml::normalizeUtf8(value.name) + "”应当是文本值。";
    switch (section) {
    case Section::Chords: return reader.setChord(value.name, *value.text);
    case Section::NoChordPrograms: reader.addNoChordProgram(value.name); break;
    case Section::PasteKeys: reader.addPasteKeyRule(value.name, *value.text); break;
    case Section::ExcludedPrograms: reader.addExcludedProgram(value.name, *value.text); break;
    default: break;
    }
    return std::nullopt;
}

class RegLines {
public:
    explicit RegLines(COptionsReader& reader) : m_reader(reader) {}

    std::optional<std::string> take(std::string_view line) {
        if (!m_headerSeen) {
            m_headerSeen = line == kHeader;
            return m_headerSeen ? std::nullopt : std::optional<std::string>("这不是注册表文件（第一行应当是“" + std::string(kHeader) + "”）。");
        }
        if (line.empty() || line.front() == ';')
            return std::nullopt;
        if (line.front() == '[')
            return takeKey(line);
        const std::optional<RegValue> value = valueOfLine(line);
        if (!value)
            return std::string("无法识别这一行。");
        if (m_section == Section::None)
            return std::string("这个值不在任何注册表项之下。");
        return takeValue(m_reader, m_section, *value);
    }
    bool headerSeen() const { return m_headerSeen; }

private:
    std::optional<std::string> takeKey(std::string_view line) {
        if (line.back() != ']')
            return std::string("无法识别这一行。");
        std::string_view key = line.substr(1, line.size() - 2);
        const bool deletion = !key.empty() && key.front() == '-';
        if (deletion)
            key.remove_prefix(1);
        for (const SectionKey& section : kSections) {
            if (!xml::equalsIgnoringAsciiCase(key, keyPath(section)))
                continue;
            if (deletion && !section.isList)
                return "不能删除注册表项 " + std::string(key) + "。";
            m_section = deletion ? Section::None : section.section;
            return std::nullopt;
        }
        return "不认识的注册表项 " + xml::normalizeUtf8(key) + "。";
    }

    COptionsReader& m_reader;
    bool m_headerSeen = false;
    Section m_section = Section::None;
};

}  // namespace

std::u16string optionsRegText(const Options& options) {
    std::string text = std::string(kHeader) + "\r\n";
    for (const SectionKey& section : kSections) {
        if (section.isList)
            text += "\r\n[-" + keyPath(section) + "]\r\n";
        text += "\r\n[" + keyPath(section) + "]\r\n";
        const auto line = [&](std::string_view name, const std::string& value) {
            text += quoted(name) + "=" + value + "\r\n";
        };
        switch (section.section) {
        case Section::Switches:
            for (const SwitchInfo& info : allSwitches())
                line(info.setting, options.switches.*info.member ? "dword:00000001" : "dword:00000000");
            for (const NumberInfo& info : allNumbers())
                line(info.setting, dwordText(options.runs.*info.member));
            break;
        case Section::Chords:
            for (const ChordAction action : allChordActions())
                line(actionSettingName(action), quoted(chordSetting(action, options.chords.chords[action])));
            break;
        case Section::NoChordPrograms:
            for (const std::string& program : options.chords.noChordPrograms)
                line(program, quoted(""));
            break;
        case Section::PasteKeys:
            for (const PasteKeyRule& rule : options.pasteKeyRules)
                line(rule.match, quoted(rule.keys));
            break;
        case Section::ExcludedPrograms:
            for (const ExcludedProgram& program : options.excludedPrograms)
                line(program.path, quoted(program.added));
            break;
        case Section::None:
            break;
        }
    }
    return xml::utf8ToUtf16(text);
}

OptionsFileRead readOptionsReg(std::u16string_view text16) {
    const std::string text = xml::utf16ToUtf8(text16);
    COptionsReader reader;
    RegLines lines(reader);
    std::size_t number = 0;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = std::string_view(text).substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++number;
        if (std::optional<std::string> problem = lines.take(line))
            return finishReading(reader, "第 " + std::to_string(number) + " 行：" + *problem);
        start = end + 1;
    }
    return finishReading(reader, lines.headerSeen() ? std::nullopt : std::optional<std::string>("文件是空的。"));
}

}  // namespace options
