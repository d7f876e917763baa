#include "store/NumberText.h"

#include "store/ClipNames.h"

namespace store {

std::string historyNumberText(int number) {
    return std::to_string(number);
}

std::string slotNumberText(char digit) {
    std::string text(kSlotNumberPrefix);
    text += digit;
    return text;
}

std::string clipNameFromNumberText(std::string_view numberText) {
    if (numberText.size() == kSlotNumberPrefix.size() + 1 && numberText.compare(0, kSlotNumberPrefix.size(), kSlotNumberPrefix) == 0) {
        const char digit = numberText.back();
        return digit >= '0' && digit <= '9' ? slotClipName(digit) : std::string();
    }
    if (numberText.empty() || numberText.size() > 3 || numberText[0] == '0' ||
        numberText.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    return historyClipName(numberText);
}

}  // namespace store
