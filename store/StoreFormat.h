// The store's file formats: names of clips, elements and files, time stamps, archive names,
// the bitmap file layout, and the shape of an empty store document. Plain functions used by
// both the main program and the hook library. Portable C++17: no <windows.h>.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xml { class XmlDocument; }

namespace store {

// Files and folders in the store folder (StorePaths.h).
inline constexpr std::string_view kIndexFileName = "clipboard.xml";
inline constexpr std::string_view kStatusFileName = "label.xml";
inline constexpr std::string_view kDataFolderName = "Brindlecote";
inline constexpr std::string_view kRootName = "UserInfo";

// Status keys of label.xml.
inline constexpr std::string_view kSysClipKey = "SysClip";
inline constexpr std::string_view kPressNumKey = "PressNum";
inline constexpr std::string_view kSysClipValue = "TRUE";

// Element names and suffixes of the index.
inline constexpr std::string_view kTimeSuffix = "-time";
inline constexpr std::string_view kUseTimeSuffix = "-usetime";
// The program a history record was copied from (its full path), when the recorder knew it.
inline constexpr std::string_view kSourceSuffix = "-source";
inline constexpr std::string_view kCategorySuffix = "category";
inline constexpr std::string_view kCategoryListName = "AddNew";
inline constexpr std::string_view kBitmapExtension = ".bmp";
inline constexpr std::string_view kThumbnailExtension = ".thumb.bmp";
inline constexpr std::string_view kTempClipName = "tempFile";
inline constexpr std::string_view kArchiveExtension = ".amc";
inline constexpr std::string_view kArchiveIndexExtension = ".xml";

// Formats are addressed by index 0 to 14 when a clip is read back.
inline constexpr int kMaxFormatsPerClip = 15;
// History clips are numbered 1 to 999.
inline constexpr int kMaxHistoryNumber = 999;

// Clipboard format numbers the store looks at.
inline constexpr int kFormatText = 1;
inline constexpr int kFormatBitmap = 2;
inline constexpr int kFormatUnicodeText = 13;
inline constexpr int kFormatFileList = 15;

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

// The number texts of the clip list's column 2: the history number, or "ctrl+alt+" + the slot
// digit. A row's clip comes from it; a text that names no clip (anything but a slot digit or a
// history number 1-999) gives an empty name, never a name that reaches other elements.
inline constexpr std::string_view kSlotNumberPrefix = "ctrl+alt+";
std::string historyNumberText(int number);
std::string slotNumberText(char digit);
std::string clipNameFromNumberText(std::string_view numberText);

std::string timeElementName(std::string_view clip);
std::string useTimeElementName(std::string_view clip);
// "his12-" gives "his12--source".
std::string sourceElementName(std::string_view clip);
// "his12-" and 3 give "his12-3": the element and data file of one clipboard format.
std::string formatElementName(std::string_view clip, int index);
// "his3" -> "his3category".
std::string categoryElementName(std::string_view historyBase);
std::string bitmapFileName(std::string_view clip);
// clip + ".thumb.bmp": the clip menu's small picture of the clip's bitmap.
std::string thumbnailFileName(std::string_view clip);

// Whether `name` is one of the elements that make up `clip`: its times, its source, or clip + a
// format index. (A history clip's category element, "his" + number + "category", is not one of them.)
bool belongsToClip(std::string_view name, std::string_view clip);
// Inside an edit of the index: every element of `clip` (and `alsoElement`, when given) goes; the
// data files they name are returned, for the caller to delete.
std::vector<std::string> removeClipElements(xml::XmlDocument& doc, std::string_view clip, std::string_view alsoElement = {});

// The data files that go with an element, in archives and when a clip is removed: a "-time"
// element gives the clip's bitmap and its thumbnail ("his3-time" -> "his3.bmp",
// "his3.thumb.bmp"), any other name is its own data file.
std::vector<std::string> dataFilesOfElement(std::string_view elementName);

// A name that may be used as a file name inside one folder: not empty, no path separators,
// no drive or stream colon, not "." or "..", no device name, no control characters.
bool isPlainFileName(std::string_view name);

// A name the store itself gives a data or bitmap file: "copy5" + index, "his12-" + index,
// "tempFile" + index, or one of those clip names + ".bmp" or ".thumb.bmp".
bool isClipFileName(std::string_view name);

// The unsigned little-endian number of `width` bytes at `at` (the caller checks the length).
std::uint32_t readLittleEndian(std::string_view bytes, std::size_t at, int width = 4);

// UTF-16 little-endian bytes (clipboard format 13) as text, up to the first zero character.
std::u16string utf16FromBytes(std::string_view bytes);

// The first file name of a DROPFILES block (clipboard format 15), checked against the block's
// size: false when the block is malformed or holds no name. Wide lists give UTF-16 in `wide`;
// others give their code-page bytes in `narrow`.
struct DroppedFileName {
    bool isWide = false;
    std::u16string wide;
    std::string narrow;
};
bool firstDroppedFile(std::string_view block, DroppedFileName& name);
// The first file of a DROPFILES block as UTF-16 (code-page lists converted), cut to the shell's
// 259 characters; false when the block holds no name.
bool firstDroppedFilePath(std::string_view block, std::u16string& path);
// The content text of a file-list clip: "File:Path\"" + its first file + "\"".
inline constexpr std::u16string_view kFileListContentPrefix = u"File:Path\"";
std::u16string fileListContent(std::u16string_view firstPath);
// The content text of a picture clip begins so: "picture:size 1920*1080".
inline constexpr std::string_view kPictureContentPrefix = "picture:size ";

// A folder that may be deleted with everything in it: an absolute path, below a drive root,
// UNC share or "/" (never the root itself), shorter than 259 characters, with no wildcard and no
// "." or ".." component.
bool isDeletableFolder(std::string_view path);

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// "2012-05-07 09:03:41": zero-padded, so that time stamps sort chronologically as text.
std::string formatTimeStamp(const LocalTime& time);
// The local time now, as a time stamp.
std::string currentTimeStamp();

// Archive names from a path ending in ".amc" (in any letter case), every ".amc" in the path
// replaced: the index is read and written under the ".xml" name, the data folder has no
// extension.
bool hasArchiveExtension(std::string_view path);
std::string archiveIndexPath(std::string_view archivePath);
std::string archiveDataFolder(std::string_view archivePath);
// Whether one folder is, contains or lies inside the other (separators and ASCII letter case
// do not count): an archive may not use the live data folder, or a folder around or inside it,
// as its own.
bool foldersOverlap(std::string_view a, std::string_view b);
// Whether `outer` is `inner` or a folder around it.
bool folderIsOrHolds(std::string_view outer, std::string_view inner);

// Runs kept at start-up, in the store folder's "Runs" folder, where the user may keep archives of
// their own too. Only names the program makes count as kept runs: the marker, the time of the start
// that kept the run and, when two starts fall in one second, " (2)", " (3)"... after it:
//   "Dravix-run 2026-12-08 14-03-22.amc" and its data folder "Dravix-run 2026-12-08 14-03-22",
//   "Dravix-run 2026-12-08 14-03-22.damaged" (a folder: a store that could not be read, kept whole).
// Pruning and "the last run" look at those names alone; the last ten runs stay, damaged ones always.
inline constexpr std::string_view kRunsFolderName = "Runs";
inline constexpr std::string_view kRunMarker = "Dravix-run ";
inline constexpr std::string_view kDamagedRunSuffix = ".damaged";
inline constexpr std::size_t kKeptRuns = 10;
struct RunName {
    std::string time;    // "2026-12-08 14-03-22": fixed width, so it orders as text
    int sameSecond = 1;  // 1, or the n of " (n)"
    bool operator<(const RunName& other) const {
        return time != other.time ? time < other.time : sameSecond < other.sameSecond;
    }
};
// The base name (no extension) of the run kept at the time stamp `stamp` ("2026-12-08 14:03:22");
// `sameSecond` > 1 adds " (n)".
std::string runName(std::string_view stamp, int sameSecond = 1);
// A base name that runName makes, read back strictly (a valid date and time, no other text);
// nothing for any other name.
std::optional<RunName> parseRunName(std::string_view base);
// The kept run whose archive is the file `name` (base + ".amc"); nothing for any other file.
std::optional<RunName> parseRunArchive(std::string_view name);
// Of the file names of a runs folder, the kept runs' archives to remove so that the newest `keep`
// stay, oldest first (by their time, then their same-second number). No other name is ever named.
std::vector<std::string> runsToRemove(const std::vector<std::string>& names, std::size_t keep = kKeptRuns);
// The newest kept run's archive among the file names, or "".
std::string newestRun(const std::vector<std::string>& names);
// What a start that was ended while it kept a run can leave in the runs folder besides it: a
// temporary file or folder beside a run's archive or data folder (its base name + ".amc" or not,
// then "." + process + "-" + counter + ".tmp", as files::temporarySibling makes them).
bool isRunLeftover(std::string_view name);

// Bit count of a saved bitmap from the display's bits per pixel times planes.
int bitCountForDisplay(int displayBits);

struct BmpLayout {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::uint32_t stride = 0;           // bytes per pixel row, a multiple of 4
    std::uint32_t colorTableSize = 0;   // bytes
    std::uint32_t pixelDataSize = 0;
    std::uint32_t pixelOffset = 0;      // 54 + colour table
    std::uint32_t fileSize = 0;
};
inline constexpr int kBmpHeadersSize = 54;  // file header 14 + information header 40

// False when the sizes cannot make a bitmap file (non-positive, or over 4 GB).
bool computeBmpLayout(int width, int height, int bitCount, BmpLayout& layout);
// The 14-byte file header followed by the 40-byte information header.
std::array<std::uint8_t, kBmpHeadersSize> bmpHeaders(const BmpLayout& layout);

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

// Clipboard formats whose data is a memory block (false for GDI handles such as bitmaps,
// palettes and enhanced metafiles, whose data files stay empty).
bool formatHoldsMemory(int format);
// Formats that can be put back on the clipboard from their stored bytes: memory formats that
// hold no handles (a metafile picture holds one, which means nothing once stored).
bool formatRestoresFromBytes(int format);
// The formats a paste "as plain text" keeps: the three texts and the locale that tells how to
// read the ANSI one.
bool isPlainTextFormat(int format);

}  // namespace store
