#include "options/ChordOptions.h"

#include "store/StorePaths.h"
#include "xml/XmlText.h"

#include <algorithm>

namespace options {

std::optional<std::string> noChordProgramName(std::string_view typed) {
    const std::string_view name = trimSpaces(store::fileNameOfPath(trimSpaces(typed)));
    if (name.empty() || name.size() > kMaxProgramNameBytes || !xml::isCanonicalUtf8(name))
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
