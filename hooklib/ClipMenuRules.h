// The decisions of the clip menu as plain functions (no <windows.h>): which row of the main
// window's list becomes which item, what a screen reader says for it, and which clip a chosen
// command stands for.
#pragma once

#include "store/TextTransforms.h"

#include <optional>
#include <string>
#include <string_view>

namespace hooklib {

inline constexpr unsigned kSlotCommandBase = 998000;     // + slot digit
inline constexpr unsigned kHistoryCommandBase = 999000;  // + history number
// The content of a row is shown with at most this many UTF-16 units.
inline constexpr std::size_t kContentUnits = 40;

// A row's image in the main window's list: its kind.
enum class RowImage { Text = 0, Picture = 1, FileList = 2 };

struct Item {
    unsigned command = 0;
    std::string clip;      // the clip it pastes
    std::u16string text;   // "N. content", drawn
    std::u16string name;   // what a screen reader speaks (the item's MSAA name)
};

// The item of a list row from its number text (column 2) and content (column 0): "17. text" with
// every CR LF removed and leading white space trimmed, the content cut to 40 units. Nothing for a
// row whose number text names no clip.
// Its name is said, not seen: "3. 报告全文…" for a text ("…" where the content reaches the cut:
// the main window hands over no more than 40 units), "4. 图片 1920×1080" for a picture and
// "5. 文件 report.txt" for a file list (the first file's name without its folder; `content` may
// be the whole "File:Path" text, uncut).
std::optional<Item> itemForRow(std::u16string_view numberText, std::u16string_view content,
                               RowImage image = RowImage::Text);

// The text of a plain string item standing for an owner-drawn one (a screen reader runs): its
// name, each '&' doubled so that none becomes an access key.
std::u16string plainItemText(std::u16string_view name);

// "粘贴为(&A)" under the clips holds each text clip again, each with a submenu of the transforms.
// Such an item's command: the base, plus kPasteAsTransformStep for each step of the transform's
// number, plus the clip's history number (or kPasteAsSlotOffset + the slot digit). 0 for a
// command that names no clip.
inline constexpr unsigned kPasteAsCommandBase = 900000;
inline constexpr unsigned kPasteAsTransformStep = 2000;
inline constexpr unsigned kPasteAsSlotOffset = 1000;
unsigned pasteAsCommand(unsigned clipCommand, store::Transform transform);

// The clip a chosen command pastes, the history number it carries (0 for a slot) and, from
// "粘贴为", the transform of its text; nothing for any other command (a dismissed menu gives 0).
struct Choice {
    std::string clip;
    int historyNumber = 0;
    std::optional<store::Transform> transform;
};
std::optional<Choice> choiceForCommand(unsigned command);

// What the mouse hook does with a right-button message (client or non-client area) while the
// pointer's chord is held (Ctrl by default, options::opensPointerMenu): every press, double click
// included, is taken from the application (it would activate it or open its own menu), and the
// release opens the clip menu. Without the chord everything passes.
enum class MouseAction { PassOn, Take, TakeAndOpen };
MouseAction mouseAction(unsigned message, bool chordHeld);

// Where the menu opened from the keyboard goes: at the caret's point (or the focused window's
// top left), moved inside the work area of its monitor so that the menu opens on screen.
struct Point {
    int x = 0, y = 0;
};
struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom lie outside
};
Point keepInArea(Point at, const Area& area);

// The one item of a menu whose rows the main window did not hand over in time: disabled.
inline constexpr unsigned kBusyCommand = 997999;
inline constexpr std::u16string_view kBusyText = u"Dravix 正忙，请稍后再试";

}  // namespace hooklib
