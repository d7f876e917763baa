#include "base/FailureText.h"

namespace base {

std::string_view sourceName(std::string_view file) {
    const std::size_t last = file.find_last_of("\\/");
    if (last == std::string_view::npos || last == 0)
        return file;
    const std::size_t folder = file.find_last_of("\\/", last - 1);
    return folder == std::string_view::npos ? file : file.substr(folder + 1);
}

std::string failureText(std::string_view file, int line, std::string_view call, unsigned long error,
                        std::string_view systemText) {
    while (!systemText.empty() && (systemText.back() == '\r' || systemText.back() == '\n' || systemText.back() == ' '))
        systemText.remove_suffix(1);
    std::string text(sourceName(file));
    text += "(" + std::to_string(line) + "): ";
    text += call;
    text += " failed: " + std::to_string(error);
    if (!systemText.empty()) {
        text += ' ';
        text += systemText;
    }
    return text;
}

}  // namespace base
