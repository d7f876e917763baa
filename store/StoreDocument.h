// The store's documents (the index and the status file): the shape of an empty one, its root's
// children read, found, added and set, and a clip's elements taken out. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xml { class XmlDocument; }

namespace store {

inline constexpr std::string_view kRootName = "UserInfo";

// Status keys of label.xml.
inline constexpr std::string_view kSysClipKey = "SysClip";
inline constexpr std::string_view kPressNumKey = "PressNum";
inline constexpr std::string_view kSysClipValue = "TRUE";

// The document of a new store: the declaration line and an empty root; room is made for
// `expectedSize` bytes of text when the caller knows how large it will grow.
void startEmptyStore(xml::XmlDocument& doc, std::size_t expectedSize = 0);
// The root's child elements in order, as far as the document could be read.
struct RootElement {
    std::string name;
    std::string text;
};
std::vector<RootElement> rootElements(xml::XmlDocument& doc);

// Whether a store holds anything of the user's: a history or slot clip, or a category. (The kept
// clipboard of a paste and the status keys are the program's own.)
bool holdsUserClips(const std::vector<RootElement>& elements);

// Makes `name` the current child of the root, searching the root's children from the first.
bool findRootChild(xml::XmlDocument& doc, std::string_view name);
// Appends `name` with `text` as the root's last child.
void appendRootChild(xml::XmlDocument& doc, std::string_view name, std::string_view text);
// Sets the text of the root's child `name`, or appends it when there is none.
void setRootChild(xml::XmlDocument& doc, std::string_view name, std::string_view text);

// Inside an edit of the index: every element of `clip` (and `alsoElement`, when given) goes; the
// data files they name are returned, for the caller to delete.
std::vector<std::string> removeClipElements(xml::XmlDocument& doc, std::string_view clip, std::string_view alsoElement = {});

}  // namespace store
