#include "search/RunIndex.h"

#include "store/Crypto.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace search {

namespace {

constexpr std::string_view kMagic = "DRVXFIND";
constexpr std::size_t kTimeBytes = 20;

// A number where it lies in the file (little-endian, as this host is: search/Folding.cpp).
template <typename Number>
Number load(std::string_view bytes, std::size_t at) {
    Number value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
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
    const std::optional<std::string> digest = store::crypto::sha256(file.out());
    if (!digest || digest->size() != kIndexDigestBytes)
        return std::nullopt;
    file.bytes(*digest);
    return std::move(file.out());
}

std::optional<std::uint64_t> IndexHead::headSize(std::string_view header) {
    if (header.size() < kIndexHeaderBytes || header.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    const std::uint64_t rows = load<std::uint32_t>(header, 12);
    if (rows > kMaxIndexRows)
        return std::nullopt;
    return kIndexHeaderBytes + rows * (kIndexRowBytes + kSignatureBytes) + load<std::uint32_t>(header, 32);
}

IndexState IndexHead::read(std::string_view head, std::uint64_t fileSize, const ArchiveStamp& archive) {
    m_head = head;
    m_rows.clear();
    m_strings.clear();
    const std::optional<std::uint64_t> size = headSize(head);
    if (!size)
        return IndexState::Damaged;
    if (load<std::uint32_t>(head, 8) != kIndexVersion)
        return IndexState::OutOfDate;
    if (!(ArchiveStamp{load<std::uint64_t>(head, 16), load<std::int64_t>(head, 24)} == archive))
        return IndexState::OutOfDate;
    m_linesSize = load<std::uint64_t>(head, 40);
    m_textsSize = load<std::uint64_t>(head, 48);
    if (head.size() != *size || m_linesSize > fileSize || m_textsSize > fileSize ||
        fileSize != *size + m_linesSize + m_textsSize + kIndexDigestBytes)
        return IndexState::Damaged;
    const std::size_t count = load<std::uint32_t>(head, 12);
    m_signaturesAt = kIndexHeaderBytes + count * kIndexRowBytes + load<std::uint32_t>(head, 32);
    if (!readStrings(kIndexHeaderBytes + count * kIndexRowBytes, m_signaturesAt))
        return IndexState::Damaged;
    m_rows.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        if (!readRow(kIndexHeaderBytes + i * kIndexRowBytes))
            return IndexState::Damaged;
    return IndexState::Valid;
}

bool IndexHead::readStrings(std::size_t at, std::size_t end) {
    while (at < end) {
        if (at + 2 > end || at + 2 + load<std::uint16_t>(m_head, at) > end)
            return false;
        const std::size_t length = load<std::uint16_t>(m_head, at);
        m_strings.push_back(m_head.substr(at + 2, length));
        at += 2 + length;
    }
    return true;
}

// A row that names only what the file holds: a kind of ours, strings that are there, a text and
// a line inside their sections (a wide text at an even offset), a copy time of printable ASCII.
bool IndexHead::readRow(std::size_t at) {
    IndexedRow row;
    row.number = static_cast<int>(load<std::uint32_t>(m_head, at));
    row.kind = static_cast<std::uint8_t>(m_head[at + 4]);
    row.narrow = m_head[at + 5] == 1;
    row.source = load<std::uint16_t>(m_head, at + 6);
    row.category = load<std::uint16_t>(m_head, at + 8);
    const std::string_view time = m_head.substr(at + 10, kTimeBytes);
    row.copyTime = time.substr(0, time.find('\0'));
    const std::uint64_t textAt = load<std::uint32_t>(m_head, at + 30), lineAt = load<std::uint32_t>(m_head, at + 38);
    row.textBytes = load<std::uint32_t>(m_head, at + 34);
    row.lineUnits = load<std::uint16_t>(m_head, at + 42);
    row.textAt = m_head.size() + m_linesSize + textAt;
    row.lineAt = m_head.size() + lineAt;
    const auto there = [this](std::uint16_t string) { return string == kNoString || string < m_strings.size(); };
    const bool textThere = textAt + row.textBytes <= m_textsSize && row.textBytes <= 2 * kIndexedUnits &&
                           (row.narrow || (textAt % 2 == 0 && row.textBytes % 2 == 0));
    const bool timeReadable =
        std::all_of(row.copyTime.begin(), row.copyTime.end(), [](char c) { return c >= ' ' && c < 0x7F; });
    if (row.kind > 2 || !there(row.source) || !there(row.category) || !textThere || !timeReadable ||
        lineAt + 2 * row.lineUnits > m_linesSize || row.lineUnits > kLineUnits)
        return false;
    m_rows.push_back(row);
    return true;
}

std::string_view IndexHead::string(std::uint16_t number) const {
    return number < m_strings.size() ? m_strings[number] : std::string_view();
}

bool IndexHead::rowMayHold(std::size_t i, const Signature& wanted) const {
    const std::size_t at = m_signaturesAt + i * kSignatureBytes;
    for (std::size_t word = 0; word < kSignatureWords; ++word)
        if (wanted.bits[word] != 0 && (load<std::uint64_t>(m_head, at + 8 * word) & wanted.bits[word]) != wanted.bits[word])
            return false;
    return true;
}

bool digestMatches(std::string_view file) {
    if (file.size() < kIndexDigestBytes)
        return false;
    const std::size_t body = file.size() - kIndexDigestBytes;
    const std::optional<std::string> digest = store::crypto::sha256(file.substr(0, body));
    return digest && *digest == file.substr(body);
}

TextView textOf(const IndexedRow& row, std::string_view bytes) {
    return {row.narrow, bytes};
}

std::u16string lineOf(std::string_view bytes) {
    std::u16string line(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = load<char16_t>(bytes, 2 * i);
    return line;
}

}  // namespace search
