// What the search box around the list decides: the status line while a search is on, the items
// of the filter menu beside the box (the fixed ones of search/Query.h, then the programs and the
// categories the user can pick, each numbered in the menu's range of ids) and the programs the
// rows came from. Portable: no <windows.h>.
#pragma once

#include "search/Query.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace app::searchbox {

// What the status line says of a search: "2 / 999" and what is on ("2 / 999　筛选：正则表达式，
// 类型：图片"), then what the earlier runs gave; why the query cannot be run instead, when it
// cannot; a search cut short by its time bound says so.
// TooShort: the words are too short to search every run as the user types (Enter searches anyway).
enum class EarlierState { Off, TooShort, Searching, Done };
struct SearchState {
    std::size_t shown = 0, total = 0;
    bool pattern = false;
    std::u16string filters;  // search::filtersStatus
    std::u16string error;
    bool cutShort = false;
    // "在以前的记录中查找": how far, how many rows of the shown came from there, whether more
    // matched than are shown (or the search ended at its time bound), how many runs wait for
    // their index.
    EarlierState earlier = EarlierState::Off;
    std::size_t earlierHits = 0;
    bool earlierMore = false;
    std::size_t earlierUnprepared = 0;  // runs and archives whose index is being made or checked
};
std::u16string searchStatus(const SearchState& state);

// The most programs and the most categories the menu offers (its ids are counted).
inline constexpr std::size_t kMaxOfferedPerKind = 9;

struct MenuItem {
    unsigned id = 0;
    search::FilterKind kind = search::FilterKind::Type;
    std::u16string value;  // what the filter says; empty for the pattern toggle
    std::u16string label;  // with its access key
    bool patternToggle = false;
};
// The menu, its ids from `firstId` on: the pattern toggle, the fixed filters, then under their own
// kind the programs and the categories (at most kMaxOfferedPerKind of each, access keys 1-9).
std::vector<MenuItem> filterMenu(const std::vector<std::u16string>& programs, const std::vector<std::u16string>& categories,
                                 unsigned firstId);
// The ids the menu may use from `firstId` on.
std::size_t filterMenuIdCount();

// The file names of the programs the rows came from (full paths, UTF-8), each once in any case,
// the most frequent first (ties by name), at most `most`.
std::vector<std::u16string> programsOfRows(const std::vector<std::string>& sources, std::size_t most = kMaxOfferedPerKind);

}  // namespace app::searchbox
