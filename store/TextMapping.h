// The character mappings the text transforms take from the system (store/TextTransforms.h): on
// Windows LCMapStringEx with the invariant locale (TextTransforms_win.cpp), on a POSIX host a
// stand-in over the same ranges (TextTransforms_posix.cpp), so that one table of cases holds on
// both. Internal to the store. Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>

namespace store::textmap {

enum class Case { Upper, Lower };
enum class Width { Half, Full };

// Each character in the case asked for (the system's simple case mapping: the text keeps its
// length; no character outside ASCII becomes one inside it, as with the Turkish dotless i).
std::u16string mapCase(std::u16string_view text, Case to);
// Each character in the width asked for, where it has a form of that width (full-width Latin,
// the ideographic space, Japanese kana with their sound marks, Korean letters); the length can
// change (ガ is ｶﾞ in half width).
std::u16string mapWidth(std::u16string_view text, Width to);

}  // namespace store::textmap
