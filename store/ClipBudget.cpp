#include "store/ClipBudget.h"

#include <algorithm>
#include <iterator>

namespace store {

std::size_t clipBudgetBytes(std::string_view megabytes, bool wideAddressSpace) {
    const std::size_t ceiling = wideAddressSpace ? kClipBudgetWide : kClipBudgetNarrow;
    if (megabytes.empty() || megabytes.size() > 6)
        return ceiling;
    std::size_t value = 0;
    for (char c : megabytes) {
        if (c < '0' || c > '9')
            return ceiling;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value >= 1 && value < ceiling / kMegabyte ? value * kMegabyte : ceiling;
}

std::vector<std::size_t> readingOrder(const std::vector<unsigned>& formats) {
    // CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT, CF_LOCALE, CF_BITMAP
    static constexpr unsigned kFirst[] = {13, 1, 7, 16, 2};
    std::vector<std::size_t> order;
    order.reserve(formats.size());
    for (unsigned first : kFirst)
        for (std::size_t i = 0; i < formats.size(); ++i)
            if (formats[i] == first)
                order.push_back(i);
    for (std::size_t i = 0; i < formats.size(); ++i)
        if (std::find(std::begin(kFirst), std::end(kFirst), formats[i]) == std::end(kFirst))
            order.push_back(i);
    return order;
}

}  // namespace store
