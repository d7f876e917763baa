// Internal to options/: the entries of an options file, as either format reads them, gathered
// into options with the checks both formats share (each name once, values of the right kind),
// and the two formats.
#pragma once

#include "options/OptionsFile.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace options {

class COptionsReader {
public:
    // A message when the entry cannot be taken.
    std::optional<std::string> setSwitch(std::string_view name, std::string_view value);
    std::optional<std::string> setChord(std::string_view name, std::string_view text);
    // List entries are checked together by finish().
    void addNoChordProgram(std::string_view name);
    void addPasteKeyRule(std::string_view match, std::string_view keys);
    void addExcludedProgram(std::string_view path, std::string_view added);
    // The problem of the lists read, if any.
    std::optional<std::string> finish() const;
    const Options& options() const { return m_options; }

private:
    std::optional<std::string> once(std::string_view kind, std::string_view name);

    Options m_options;
    std::set<std::string> m_seen;
};

// The two formats, each read into a COptionsReader.
std::string optionsXmlText(const Options& options);
OptionsFileRead readOptionsXml(std::string_view text);
std::u16string optionsRegText(const Options& options);
OptionsFileRead readOptionsReg(std::u16string_view text);
// The options of a reader that took every entry, or its first problem.
OptionsFileRead finishReading(const COptionsReader& reader, const std::optional<std::string>& problem);

}  // namespace options
