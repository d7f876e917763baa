#include "options/ChordOptions.h"

#include "store/StorePaths.h"
#include "xml/XmlText.h"

#include <algorithm>

namespace options {

bool isPlainText(std::string_view text) {
    return xml::isCanonicalUtf8(text) &&
           std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::optional<std::string> noChordProgramName(std::string_view typed) {
    const std::string_view name = trimSpaces(store::fileNameOfPath(trimSpaces(typed)));
    if (name.empty() || name.size() > kMaxProgramNameBytes || !isPlainText(name))
        return std::nullopt;
    return std::string(name);
}

bool isNoChordProgram(const std::vector<std::string>& programs, std::string_view programPath) {
    const std::string_view name = store::fileNameOfPath(programPath);
    return !name.empty() && std::any_of(programs.begin(), programs.end(), [&](const std::string& program) {
        return xml::equalsIgnoringAsciiCase(program, name);
    });
}

}  // namespace options
