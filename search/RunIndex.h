// The index of one kept run or archive: a compact file of ours beside it (store::searchIndexPath)
// holding, for each of its history clips, what the search needs and nothing it must not show:
// the clip's number, kind, copy time, source program and category, its text folded as the
// search folds it, its signature (search/Signature.h), and the beginning of its text as typed,
// for the result's row. It is made once (a run never changes once kept) and trusted only while
// it reads whole (its SHA-256 at its end) and names the very archive it was made from (the
// archive index's size and time: the store replaces a file, never writes one in place).
//
// The file, little-endian throughout:
//   header (64 bytes): "DRVXFIND", version, row count, the archive's size and time, the sizes
//                      of the string table, of the lines and of the texts
//   rows:              48 bytes each (number, kind, narrow?, source and category as string
//                      numbers, copy time, where its text and its line lie)
//   strings:           the sources and categories, each once: a 16-bit length and UTF-8 bytes
//   signatures:        128 bytes a row
//   lines:             each row's first kLineUnits units as typed (UTF-16)
//   texts:             each row's folded text: a byte a unit, or UTF-16 at an even offset
//   digest:            SHA-256 of everything before it
// A search reads the head (header to signatures) and then only the texts and lines it needs.
// Portable: no <windows.h>.
#pragma once

#include "search/Folding.h"
#include "search/Signature.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace search {

inline constexpr std::uint32_t kIndexVersion = 1;
// What of a row's text is searched, and what is kept as typed for its row among the results.
inline constexpr std::size_t kIndexedUnits = 1 << 16;
inline constexpr std::size_t kLineUnits = 256;
// The most rows one index holds (a store numbers its history up to 999).
inline constexpr std::size_t kMaxIndexRows = 4096;
inline constexpr std::size_t kIndexHeaderBytes = 64;
inline constexpr std::size_t kIndexRowBytes = 48;
inline constexpr std::size_t kIndexDigestBytes = 32;
inline constexpr std::uint16_t kNoString = 0xFFFF;

// What identifies the archive an index was made from.
struct ArchiveStamp {
    std::uint64_t size = 0;
    std::int64_t writeTime = 0;
    bool operator==(const ArchiveStamp& other) const { return size == other.size && writeTime == other.writeTime; }
};

// A row as the index is made from it.
struct IndexRow {
    int number = 0;
    int kind = 0;               // ClipKind's number
    std::string copyTime;       // "YYYY-MM-DD HH:MM:SS"
    std::string source;         // the program's full path (UTF-8), or empty
    std::string category;       // UTF-8, or empty for none
    std::u16string text;        // as typed; cut to kIndexedUnits
};

// The index file's bytes; nothing when the system could not make its digest.
std::optional<std::string> encodeIndex(const ArchiveStamp& stamp, const std::vector<IndexRow>& rows);

enum class IndexState { Valid, Damaged, OutOfDate };

// What a search learns of a row from the head alone.
struct IndexedRow {
    int number = 0;
    int kind = 0;
    bool narrow = true;
    std::uint16_t source = kNoString, category = kNoString;
    std::string_view copyTime;
    std::uint64_t textAt = 0, lineAt = 0;  // offsets in the file
    std::uint32_t textBytes = 0, lineUnits = 0;
};

// The head of an index file (header to signatures), read and checked against the file's size.
class IndexHead {
public:
    IndexHead() = default;
    IndexHead(const IndexHead&) = delete;
    IndexHead& operator=(const IndexHead&) = delete;

    // The head's size as the header says, when `header` (the file's first kIndexHeaderBytes)
    // is an index's; nothing otherwise.
    static std::optional<std::uint64_t> headSize(std::string_view header);
    // Damaged when the head does not hold together with the file's size (a row's text or line
    // outside the file, a string that is not there); OutOfDate when it was made from another
    // archive or by another version. The rows and strings are views of `head`, which must
    // outlive their use.
    IndexState read(std::string_view head, std::uint64_t fileSize, const ArchiveStamp& archive);

    std::size_t rowCount() const { return m_rows.size(); }
    const IndexedRow& row(std::size_t i) const { return m_rows[i]; }
    std::string_view string(std::uint16_t number) const;
    std::size_t stringCount() const { return m_strings.size(); }
    bool rowMayHold(std::size_t i, const Signature& wanted) const;
    // Where the lines and the texts lie in the file.
    std::uint64_t linesAt() const { return m_head.size(); }
    std::uint64_t linesSize() const { return m_linesSize; }
    std::uint64_t textsAt() const { return m_head.size() + m_linesSize; }
    std::uint64_t textsSize() const { return m_textsSize; }

private:
    bool readStrings(std::size_t at, std::size_t end);
    bool readRow(std::size_t at);

    std::string_view m_head;
    std::vector<IndexedRow> m_rows;
    std::vector<std::string_view> m_strings;
    std::size_t m_signaturesAt = 0;
    std::uint64_t m_linesSize = 0, m_textsSize = 0;
};

// Whether a whole index file's digest matches its bytes.
bool digestMatches(std::string_view file);

// A row's text as kept in the file, and its line (UTF-16 bytes) as typed.
TextView textOf(const IndexedRow& row, std::string_view bytes);
std::u16string lineOf(std::string_view bytes);

}  // namespace search
