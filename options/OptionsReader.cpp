#include "options/OptionsReader.h"

#include "xml/XmlText.h"

namespace options {

std::optional<std::string> COptionsReader::once(std::string_view kind, std::string_view name) {
    if (m_seen.insert(std::string(kind) + "/" + std::string(name)).second)
        return std::nullopt;
    return "“" + xml::normalizeUtf8(name) + "”出现了两次。";
}

std::optional<std::string> COptionsReader::setSwitch(std::string_view name, std::string_view value) {
    for (const SwitchInfo& info : allSwitches()) {
        if (info.setting != name)
            continue;
        if (value != "0" && value != "1")
            return "开关“" + std::string(name) + "”的值只能是 0 或 1。";
        m_options.switches.*info.member = value == "1";
        return once("switch", name);
    }
    if (const NumberInfo* info = numberInfo(name)) {
        if (std::optional<std::string> problem = numberProblem(*info, value))
            return problem;
        m_options.runs.*info->member = static_cast<std::uint32_t>(std::stoul(std::string(value)));
        return once("switch", name);
    }
    return "不认识的开关“" + xml::normalizeUtf8(name) + "”。";
}

std::optional<std::string> COptionsReader::setChord(std::string_view name, std::string_view text) {
    const std::optional<ChordAction> action = actionOfSettingName(name);
    if (!action)
        return "不认识的快捷键“" + xml::normalizeUtf8(name) + "”。";
    const std::optional<Chord> chord = parseChordSetting(*action, text);
    if (!chord)
        return "快捷键“" + std::string(actionName(*action)) + "”的“" + xml::normalizeUtf8(text) + "”无法识别。";
    m_options.chords.chords[*action] = *chord;
    return once("chord", name);
}

void COptionsReader::addNoChordProgram(std::string_view name) {
    m_options.chords.noChordPrograms.emplace_back(name);
}

void COptionsReader::addPasteKeyRule(std::string_view match, std::string_view keys) {
    m_options.pasteKeyRules.push_back({std::string(match), std::string(keys)});
}

void COptionsReader::addExcludedProgram(std::string_view path, std::string_view added) {
    m_options.excludedPrograms.push_back({std::string(path), std::string(added)});
}

std::optional<std::string> COptionsReader::finish() const {
    return listProblem(m_options);
}

}  // namespace options
