// The names of clips and of what makes them up: "copy5" for slot 5, "his12-" for history clip 12,
// their elements in the index ("his12--time", "his12-3", "his12category") and their data files
// ("his12-3", "his12-.bmp", "his12-.thumb.bmp"). Both deliverables make every such name here.
// Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace store {

// Element names and suffixes of the index.
inline constexpr std::string_view kTimeSuffix = "-time";
inline constexpr std::string_view kUseTimeSuffix = "-usetime";
// The program a history record was copied from (its full path), when the recorder knew it.
inline constexpr std::string_view kSourceSuffix = "-source";
// The machine a history record arrived from through the sync folder (store/ClipOrigin.h).
inline constexpr std::string_view kOriginSuffix = "-origin";
inline constexpr std::string_view kCategorySuffix = "category";
inline constexpr std::string_view kCategoryListName = "AddNew";
inline constexpr std::string_view kBitmapExtension = ".bmp";
inline constexpr std::string_view kThumbnailExtension = ".thumb.bmp";
inline constexpr std::string_view kTempClipName = "tempFile";

// Formats are addressed by index 0 to 14 when a clip is read back.
inline constexpr int kMaxFormatsPerClip = 15;
// History clips are numbered 1 to 999.
inline constexpr int kMaxHistoryNumber = 999;

// Clip names: "copy5" for slot 5, "his12-" for history clip 12 (the hyphen belongs to the
// name); also from a key as text (a slot digit or a history number read from an element name).
inline constexpr std::string_view kSlotPrefix = "copy";
inline constexpr std::string_view kHistoryPrefix = "his";
std::string slotClipName(char slotKey);
std::string slotClipName(std::string_view digit);
std::string historyClipName(int number);
std::string historyClipName(std::string_view number);
// "his" + number without the hyphen, as category elements use it.
std::string historyBaseName(int number);
std::string historyBaseName(std::string_view number);
// "his" + number + "-" for a history clip; false for any other name.
bool isHistoryClipName(std::string_view clip);
// Between a history clip name and its base ("his12-" and "his12").
std::string historyClipNameOfBase(std::string_view base);
std::string_view historyBaseOf(std::string_view historyClip);

std::string timeElementName(std::string_view clip);
std::string useTimeElementName(std::string_view clip);
// "his12-" gives "his12--source".
std::string sourceElementName(std::string_view clip);
// "his12-" gives "his12--origin".
std::string originElementName(std::string_view clip);
// "his12-" and 3 give "his12-3": the element and data file of one clipboard format.
std::string formatElementName(std::string_view clip, int index);
// "his3" -> "his3category".
std::string categoryElementName(std::string_view historyBase);
std::string bitmapFileName(std::string_view clip);
// clip + ".thumb.bmp": the clip menu's small picture of the clip's bitmap.
std::string thumbnailFileName(std::string_view clip);

// Whether `name` is one of the elements that make up `clip`: its times, its source, its origin, or clip + a
// format index. (A history clip's category element, "his" + number + "category", is not one of them.)
bool belongsToClip(std::string_view name, std::string_view clip);

// The data files that go with an element, in archives and when a clip is removed: a "-time"
// element gives the clip's bitmap and its thumbnail ("his3-time" -> "his3.bmp",
// "his3.thumb.bmp"), any other name is its own data file.
std::vector<std::string> dataFilesOfElement(std::string_view elementName);
// The same into `files`, whose strings are reused (a walk over a store's 15,000 elements).
void dataFilesOfElement(std::string_view elementName, std::vector<std::string>& files);

// A name the store itself gives a data or bitmap file: "copy5" + index, "his12-" + index,
// "tempFile" + index, or one of those clip names + ".bmp" or ".thumb.bmp".
bool isClipFileName(std::string_view name);

}  // namespace store
