#include "search/RunIndex.h"

#include "search/Digest.h"
#include "store/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace search {

namespace {

constexpr std::string_view kMagic = "DRVXFIND";
constexpr std::size_t kTimeBytes = 20;

std::uint64_t read64(std::string_view bytes, std::size_t at) {
    return store::readLittleEndian(bytes, at) | std::uint64_t{store::readLittleEndian(bytes, at + 4)} << 32;
}

// Appends little-endian numbers and bytes.
class Writer {
public:
    void number(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            m_out += static_cast<char>(value >> (8 * i));
    }
    void bytes(std::string_view bytes) { m_out.append(bytes); }
    void padTo(std::size_t size) { m_out.resize(size, '\0'); }
    std::size_t size() const { return m_out.size(); }
    std::string& out() { return m_out; }

private:
    std::string m_out;
};

// A text cut to `units`, never between the halves of a surrogate pair.
std::u16string_view cut(std::u16string_view text, std::size_t units) {
    if (text.size() <= units)
        return text;
    const bool pairCut = text[units - 1] >= 0xD800 && text[units - 1] <= 0xDBFF;
    return text.substr(0, pairCut ? units - 1 : units);
}

void appendUtf16(Writer& out, std::u16string_view text) {
    for (char16_t unit : text)
        out.number(unit, 2);
}

// The numbers of the distinct sources and categories, each string once.
class StringTable {
public:
    std::uint16_t numberOf(const std::string& text) {
        if (text.empty())
            return kNoString;
        const auto [at, added] = m_numbers.emplace(text, static_cast<std::uint16_t>(m_order.size()));
        if (added)
            m_order.push_back(text.substr(0, 0xFFFF));
        return at->second;
    }
    std::string bytes() const {
        Writer out;
        for (const std::string& text : m_order) {
            out.number(text.size(), 2);
            out.bytes(text);
        }
        return std::move(out.out());
    }

private:
    std::map<std::string, std::uint16_t> m_numbers;
    std::vector<std::string> m_order;
};

struct Sections {
    Writer rows, signatures, lines, texts;
};

void addRow(const IndexRow& row, StringTable& strings, Sections& sections) {
    const FoldedText folded = foldedText(cut(row.text, kIndexedUnits));
    const TextView text = viewOf(folded);
    if (!text.narrow)
        sections.texts.padTo(sections.texts.size() + sections.texts.size() % 2);
    const std::u16string_view line = cut(row.text, kLineUnits);
    Writer& record = sections.rows;
    record.number(static_cast<std::uint32_t>(row.number), 4);
    record.number(static_cast<std::uint8_t>(row.kind), 1);
    record.number(text.narrow ? 1 : 0, 1);
    record.number(strings.numberOf(row.source), 2);
    record.number(strings.numberOf(row.category), 2);
    const std::size_t timeAt = record.size();
    record.bytes(std::string_view(row.copyTime).substr(0, kTimeBytes - 1));
    record.padTo(timeAt + kTimeBytes);
    record.number(sections.texts.size(), 4);
    record.number(text.bytes.size(), 4);
    record.number(sections.lines.size(), 4);
    record.number(line.size(), 2);
    record.number(0, 4);
    sections.texts.bytes(text.bytes);
    appendUtf16(sections.lines, line);
    for (std::uint64_t word : signatureOf(text).bits)
        sections.signatures.number(word, 8);
}

}  // namespace

std::optional<std::string> encodeIndex(const ArchiveStamp& stamp, const std::vector<IndexRow>& rows) {
    const std::size_t count = std::min(rows.size(), kMaxIndexRows);
    StringTable strings;
    Sections sections;
    for (std::size_t i = 0; i < count; ++i)
        addRow(rows[i], strings, sections);
    const std::string stringBytes = strings.bytes();
    Writer file;
    file.bytes(kMagic);
    file.number(kIndexVersion, 4);
    file.number(count, 4);
    file.number(stamp.size, 8);
    file.number(static_cast<std::uint64_t>(stamp.writeTime), 8);
    file.number(stringBytes.size(), 4);
    file.number(0, 4);
    file.number(sections.lines.size(), 8);
    file.number(sections.texts.size(), 8);
    file.padTo(kIndexHeaderBytes);
    for (std::string_view part : {std::string_view(sections.rows.out()), std::string_view(stringBytes),
                                  std::string_view(sections.signatures.out()), std::string_view(sections.lines.out()),
                                  std::string_view(sections.texts.out())})
        file.bytes(part);
    const std::optional<Digest> digest = sha256(file.out());
    if (!digest)
        return std::nullopt;
    file.bytes(std::string_view(reinterpret_cast<const char*>(digest->data()), digest->size()));
    return std::move(file.out());
}

std::optional<std::uint64_t> IndexHead::headSize(std::string_view header) {
    if (header.size() < kIndexHeaderBytes || header.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    const std::uint64_t rows = store::readLittleEndian(header, 12);
    if (rows > kMaxIndexRows)
        return std::nullopt;
    return kIndexHeaderBytes + rows * (kIndexRowBytes + kSignatureBytes) + store::readLittleEndian(header, 32);
}

IndexState IndexHead::read(std::string head, std::uint64_t fileSize, const ArchiveStamp& archive) {
    m_head = std::move(head);
    m_rows.clear();
    m_strings.clear();
    const std::string_view bytes = m_head;
    const std::optional<std::uint64_t> size = headSize(bytes);
    if (!size)
        return IndexState::Damaged;
    if (store::readLittleEndian(bytes, 8) != kIndexVersion)
        return IndexState::OutOfDate;
    if (!(ArchiveStamp{read64(bytes, 16), static_cast<std::int64_t>(read64(bytes, 24))} == archive))
        return IndexState::OutOfDate;
    const std::uint64_t linesSize = read64(bytes, 40), textsSize = read64(bytes, 48);
    if (bytes.size() != *size || linesSize > fileSize || textsSize > fileSize ||
        fileSize != *size + linesSize + textsSize + kIndexDigestBytes)
        return IndexState::Damaged;
    const std::size_t count = store::readLittleEndian(bytes, 12);
    const std::size_t stringsAt = kIndexHeaderBytes + count * kIndexRowBytes;
    const std::size_t stringsEnd = stringsAt + store::readLittleEndian(bytes, 32);
    for (std::size_t at = stringsAt; at < stringsEnd;) {
        const std::size_t length = at + 2 <= stringsEnd ? store::readLittleEndian(bytes, at, 2) : stringsEnd;
        if (at + 2 + length > stringsEnd)
            return IndexState::Damaged;
        m_strings.push_back(bytes.substr(at + 2, length));
        at += 2 + length;
    }
    m_signaturesAt = stringsEnd;
    m_linesSize = linesSize;
    m_textsSize = textsSize;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kIndexHeaderBytes + i * kIndexRowBytes;
        IndexedRow row;
        row.number = static_cast<int>(store::readLittleEndian(bytes, at));
        row.kind = static_cast<int>(store::readLittleEndian(bytes, at + 4, 1));
        row.narrow = store::readLittleEndian(bytes, at + 5, 1) == 1;
        row.source = static_cast<std::uint16_t>(store::readLittleEndian(bytes, at + 6, 2));
        row.category = static_cast<std::uint16_t>(store::readLittleEndian(bytes, at + 8, 2));
        const std::string_view time = bytes.substr(at + 10, kTimeBytes);
        row.copyTime = time.substr(0, time.find('\0'));
        const std::uint64_t textAt = store::readLittleEndian(bytes, at + 30), lineAt = store::readLittleEndian(bytes, at + 38);
        row.textBytes = store::readLittleEndian(bytes, at + 34);
        row.lineUnits = store::readLittleEndian(bytes, at + 42, 2);
        row.textAt = *size + linesSize + textAt;
        row.lineAt = *size + lineAt;
        const bool stringsThere = (row.source == kNoString || row.source < m_strings.size()) &&
                                  (row.category == kNoString || row.category < m_strings.size());
        const bool textThere = textAt + row.textBytes <= textsSize && row.textBytes <= 2 * kIndexedUnits &&
                               (row.narrow || (textAt % 2 == 0 && row.textBytes % 2 == 0));
        const bool timeReadable = std::all_of(row.copyTime.begin(), row.copyTime.end(),
                                              [](char c) { return c >= ' ' && c < 0x7F; });
        if (row.kind > 2 || !stringsThere || !textThere || !timeReadable || lineAt + 2 * row.lineUnits > linesSize ||
            row.lineUnits > kLineUnits)
            return IndexState::Damaged;
        m_rows.push_back(row);
    }
    return IndexState::Valid;
}

std::string_view IndexHead::string(std::uint16_t number) const {
    return number < m_strings.size() ? m_strings[number] : std::string_view();
}

bool IndexHead::rowMayHold(std::size_t i, const Signature& wanted) const {
    const std::size_t at = m_signaturesAt + i * kSignatureBytes;
    for (std::size_t word = 0; word < kSignatureWords; ++word) {
        const std::uint64_t bits = read64(m_head, at + 8 * word);
        if ((bits & wanted.bits[word]) != wanted.bits[word])
            return false;
    }
    return true;
}

bool digestMatches(std::string_view file) {
    if (file.size() < kIndexDigestBytes)
        return false;
    const std::size_t body = file.size() - kIndexDigestBytes;
    const std::optional<Digest> digest = sha256(file.substr(0, body));
    return digest && std::memcmp(digest->data(), file.data() + body, kIndexDigestBytes) == 0;
}

TextView textOf(const IndexedRow& row, std::string_view bytes) {
    return {row.narrow, bytes};
}

std::u16string lineOf(std::string_view bytes) {
    std::u16string line(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<char16_t>(store::readLittleEndian(bytes, 2 * i, 2));
    return line;
}

}  // namespace search
