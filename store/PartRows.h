// What one part of a clip shows as a row, wherever the row is shown: the clip list, the clip
// menu, and the search's indexes of kept runs and archives. Its data is read through a reader the
// caller gives (the live store's files, a copy in memory, an archive's files). No <windows.h>.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace store {

// A row's kind (its image in the list).
enum PartKind { kPartText = 0, kPartPicture = 1, kPartFileList = 2 };

// What a row needs of a clip's data files.
class RecordReader {
public:
    virtual ~RecordReader() = default;
    // The text of a data file of format 1 or 13 (an empty file is an empty text); nothing when
    // it cannot be read.
    virtual std::optional<std::u16string> text(const std::string& element, int format) = 0;
    // The size of a record's bitmap file; nothing when it cannot be loaded.
    virtual std::optional<std::pair<int, int>> pictureSize(const std::string& recordName) = 0;
    // The first path of a file-list data file; nothing when it cannot be read.
    virtual std::optional<std::u16string> firstFile(const std::string& element) = 0;
    // Whether a call for `name` (an element, or a record's bitmap) gave nothing because its file is
    // sealed where this user cannot open it (never, for a reader of data in memory).
    virtual bool unreadable(const std::string& /*name*/) const { return false; }
};

// What one part of a clip shows as its row: its kind and its content text.
struct PartRow {
    int kind = kPartText;
    std::u16string content;
};

// The row of a clip whose data files are sealed where this user cannot open them (another user's,
// a copied profile's): shown, never pasted, never removed for it.
inline constexpr std::string_view kUnreadableClipText = "无法读取的记录";

// The row of a clip's part `element` holding `format`: text (1, 13), a picture (2, from the
// clip's bitmap file) or a file list (15); nothing for other formats or data that cannot be
// read, but a text row saying so (kUnreadableClipText) for data sealed where this user cannot
// open it. Every view of a clip shows it this way.
std::optional<PartRow> partRow(int format, const std::string& element, const std::string& clip, RecordReader& reader);

}  // namespace store
