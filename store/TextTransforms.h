// What a paste can make of a clip's text on the way ("粘贴为"): the text as it is, its case, its
// edges, its lines, its character widths. Each transform is a function over UTF-16 that keeps
// surrogate pairs and combining marks whole. Case and width go through the system (Windows:
// LCMapStringEx, TextTransforms_win.cpp); the rest is ours. Portable: no <windows.h>.
#pragma once

#include "store/RestorableFormats.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store {

// The numbers are stable: menus add them to a base command id, and the command line's requests
// carry them. A new transform takes the next number.
enum class Transform : std::uint8_t {
    Plain = 0,      // the text alone, unchanged (the Shift paste)
    Upper = 1,      // 大写
    Lower = 2,      // 小写
    Title = 3,      // 首字母大写: each word's first letter upper case, its other letters lower case
    Trim = 4,       // 去掉首尾空白: white space at both ends goes (ideographic space, NBSP too)
    OneLine = 5,    // 合并为一行: line breaks and the spaces around them become one space
    HalfWidth = 6,  // 全角转半角
    FullWidth = 7,  // 半角转全角
};
inline constexpr std::size_t kTransformCount = 8;

struct TransformName {
    Transform transform;
    std::string_view id;        // the command line's name (--as upper)
    std::string_view menuText;  // the menu item, with its access key
};
// Every transform in menu order.
inline constexpr TransformName kTransformNames[kTransformCount] = {
    {Transform::Plain, "plain", "纯文本(&P)"},
    {Transform::Upper, "upper", "大写(&U)"},
    {Transform::Lower, "lower", "小写(&L)"},
    {Transform::Title, "title", "首字母大写(&T)"},
    {Transform::Trim, "trim", "去掉首尾空白(&W)"},
    {Transform::OneLine, "oneline", "合并为一行(&J)"},
    {Transform::HalfWidth, "halfwidth", "全角转半角(&H)"},
    {Transform::FullWidth, "fullwidth", "半角转全角(&F)"},
};

const TransformName& transformName(Transform transform);
std::optional<Transform> transformFromId(std::string_view id);
// The transform of a stable number (a menu id less its base, a request's field); nothing when
// the number names none.
std::optional<Transform> transformFromNumber(unsigned number);

// The text as the transform makes it.
std::u16string transformText(Transform transform, std::u16string_view text);

// What a transformed paste of a clip puts on the clipboard, from the clip's formats: for Plain
// the plain-text formats as they are (isPlainTextFormat); for the others the clip's text
// (CF_UNICODETEXT, else CF_TEXT in the system code page) transformed as CF_UNICODETEXT, with the
// clip's CF_LOCALE (the system makes CF_TEXT and CF_OEMTEXT from these when a program asks).
// Nothing when the clip has no text.
RestorableFormats transformedPaste(const RestorableFormats& formats, Transform transform);

}  // namespace store
