#include "options/PasteKeys.h"

namespace options {

const std::vector<PasteKeyRule>& builtInPasteKeyRules() {
    static const std::vector<PasteKeyRule> rules = {
        {"ConsoleWindowClass", "Shift+Insert"},
        {"PuTTY", "Shift+Insert"},
        {"mintty", "Shift+Insert"},
        {"KiTTY", "Shift+Insert"},
        {"CASCADIA_HOSTING_WINDOW_CLASS", "Ctrl+Shift+V"},
    };
    return rules;
}

std::optional<KeyCombo> parsePasteKeys(std::string_view text) {
    const std::optional<KeyCombo> combo = parseKeyCombo(text);
    if (!combo || (combo->modifiers & kWin))
        return std::nullopt;
    const unsigned key = combo->key;
    const bool letterOrDigit = (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
    if (!letterOrDigit && key != vk::kInsert)
        return std::nullopt;
    return combo;
}

}  // namespace options
