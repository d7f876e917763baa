#include "hooklib/ClipMenuRules.h"

#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/DropFiles.h"
#include "store/NumberText.h"
#include "store/Text.h"
#include "xml/XmlText.h"

#include <algorithm>

using xml::utf16ToUtf8;
using xml::utf8ToUtf16;

namespace hooklib {

namespace {

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\u3000';
}

bool startsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// "picture:size 1920*1080" gives "图片 1920×1080"; nothing for any other text.
std::optional<std::u16string> pictureName(std::u16string_view content) {
    const std::u16string prefix = utf8ToUtf16(store::kPictureContentPrefix);
    if (!startsWith(content, prefix))
        return std::nullopt;
    std::u16string size(content.substr(prefix.size()));
    const std::size_t times = size.find(u'*');
    if (times == std::u16string::npos)
        return std::nullopt;
    size[times] = u'×';
    return u"图片 " + size;
}

// "File:Path\"C:\\dir\\report.txt\"" gives "文件 report.txt"; nothing for any other text.
std::optional<std::u16string> fileListName(std::u16string_view content) {
    if (!startsWith(content, store::kFileListContentPrefix))
        return std::nullopt;
    std::u16string_view path = content.substr(store::kFileListContentPrefix.size());
    path = path.substr(0, path.find(u'"'));
    const std::size_t folder = path.find_last_of(u"\\/");
    if (folder != std::u16string_view::npos)
        path.remove_prefix(folder + 1);
    return u"文件 " + std::u16string(path);
}

std::u16string nameOf(const std::u16string& text, std::u16string_view key, std::u16string_view content, RowImage image) {
    const std::u16string number = std::u16string(key) + u". ";
    if (image == RowImage::Picture)
        if (const auto name = pictureName(content))
            return number + *name;
    if (image == RowImage::FileList)
        if (const auto name = fileListName(content))
            return number + *name;
    return content.size() >= kContentUnits ? text + u"…" : text;
}

}  // namespace

std::optional<Item> itemForRow(std::u16string_view numberText, std::u16string_view content, RowImage image) {
    const std::string number = utf16ToUtf8(numberText);
    Item item;
    item.clip = store::clipNameFromNumberText(number);
    if (item.clip.empty())
        return std::nullopt;
    const bool slot = item.clip.compare(0, store::kSlotPrefix.size(), store::kSlotPrefix) == 0;
    const std::string key = slot ? number.substr(store::kSlotNumberPrefix.size()) : number;
    item.command = (slot ? kSlotCommandBase : kHistoryCommandBase) + static_cast<unsigned>(std::stoi(key));
    std::u16string text = utf8ToUtf16(key) + u". " + std::u16string(content.substr(0, kContentUnits));
    text = store::replaceAll(text, u"\r\n", u"");
    std::size_t start = 0;
    while (start < text.size() && isSpace(text[start]))
        ++start;
    item.text = text.substr(start);
    item.name = nameOf(item.text, utf8ToUtf16(key), content, image);
    return item;
}

std::u16string plainItemText(std::u16string_view name) {
    return store::replaceAll(name, u"&", u"&&");
}

unsigned pasteAsCommand(unsigned clipCommand, store::Transform transform) {
    const unsigned base = kPasteAsCommandBase + kPasteAsTransformStep * static_cast<unsigned>(transform);
    if (clipCommand > kHistoryCommandBase && clipCommand <= kHistoryCommandBase + store::kMaxHistoryNumber)
        return base + (clipCommand - kHistoryCommandBase);
    if (clipCommand >= kSlotCommandBase && clipCommand <= kSlotCommandBase + 9)
        return base + kPasteAsSlotOffset + (clipCommand - kSlotCommandBase);
    return 0;
}

std::optional<Choice> choiceForCommand(unsigned command) {
    if (command >= kPasteAsCommandBase && command < kPasteAsCommandBase + kPasteAsTransformStep * store::kTransformCount) {
        const unsigned clip = (command - kPasteAsCommandBase) % kPasteAsTransformStep;
        std::optional<Choice> choice = choiceForCommand(
            clip >= kPasteAsSlotOffset ? kSlotCommandBase + (clip - kPasteAsSlotOffset) : kHistoryCommandBase + clip);
        if (choice)
            choice->transform = store::transformFromNumber((command - kPasteAsCommandBase) / kPasteAsTransformStep);
        return choice;
    }
    if (command >= kHistoryCommandBase && command <= kHistoryCommandBase + store::kMaxHistoryNumber &&
        command > kHistoryCommandBase)
        return Choice{store::historyClipName(static_cast<int>(command - kHistoryCommandBase)),
                      static_cast<int>(command - kHistoryCommandBase), std::nullopt};
    if (command >= kSlotCommandBase && command <= kSlotCommandBase + 9)
        return Choice{store::slotClipName(static_cast<char>('0' + (command - kSlotCommandBase))), 0, std::nullopt};
    return std::nullopt;
}

MouseAction mouseAction(unsigned message, bool chordHeld) {
    constexpr unsigned kRightDown = 0x0204, kRightUp = 0x0205, kRightDoubleClick = 0x0206;
    constexpr unsigned kNonClientRightDown = 0x00A4, kNonClientRightUp = 0x00A5, kNonClientRightDoubleClick = 0x00A6;
    if (!chordHeld)
        return MouseAction::PassOn;
    switch (message) {
    case kRightDown:
    case kRightDoubleClick:
    case kNonClientRightDown:
    case kNonClientRightDoubleClick:
        return MouseAction::Take;
    case kRightUp:
    case kNonClientRightUp:
        return MouseAction::TakeAndOpen;
    default:
        return MouseAction::PassOn;
    }
}

Point keepInArea(Point at, const Area& area) {
    if (area.right <= area.left || area.bottom <= area.top)
        return at;
    at.x = std::clamp(at.x, area.left, area.right - 1);
    at.y = std::clamp(at.y, area.top, area.bottom - 1);
    return at;
}

}  // namespace hooklib
