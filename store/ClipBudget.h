// How much of one copy is kept in memory: a budget over all its formats, and the order in which
// the formats are read so that the texts are kept first when not everything fits. Both
// deliverables copy the clipboard under the same budget (the recorder of the main program, the
// chords of the hook library). Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace store {

inline constexpr std::size_t kMegabyte = 1024 * 1024;
// The budget of a 64-bit program and of a 32-bit one, whose 2 GB of address space also hold the
// data the system copies for it while it reads.
inline constexpr std::size_t kClipBudgetWide = 256 * kMegabyte;
inline constexpr std::size_t kClipBudgetNarrow = 64 * kMegabyte;

// The budget in bytes: the architecture's own, or `megabytes` (the environment variable
// DRAVIX_CLIP_BUDGET_MB) when it is a whole number from 1 up to that (a budget is only ever
// lowered: a larger one could cost a 32-bit program its address space).
std::size_t clipBudgetBytes(std::string_view megabytes, bool wideAddressSpace);

// Whether `size` more bytes fit when `used` of `budget` are taken.
inline bool fitsBudget(std::size_t used, std::size_t size, std::size_t budget) {
    return used <= budget && size <= budget - used;
}

// The order in which the clipboard's formats (given in its own order) are read, so that what the
// row shows is kept first: the texts (Unicode, ANSI, OEM, then the locale that tells how to read
// the ANSI one), the bitmap, then everything else as the clipboard lists it. Positions into
// `formats`.
std::vector<std::size_t> readingOrder(const std::vector<unsigned>& formats);

}  // namespace store
