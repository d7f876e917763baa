// The binary layouts of the sync folder's files, written and read field by field: numbers little
// endian, texts as a 32-bit length and their bytes. The reader never reads past its input and
// refuses a text longer than the bound its caller gives. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace clipsync {

class ByteWriter {
public:
    void number(std::uint64_t value, int width);
    void text(std::string_view bytes);
    std::string& bytes() { return m_bytes; }

private:
    std::string m_bytes;
};

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_rest(bytes) {}

    // False (and nothing read) when fewer than `width` bytes are left.
    bool number(std::uint64_t& value, int width);
    // False when the text's length is over `bound` or past the end.
    bool text(std::string& bytes, std::size_t bound);
    // `count` bytes as they are.
    bool raw(std::string_view& bytes, std::size_t count);
    // The file's magic: these bytes exactly.
    bool magic(std::string_view expected);
    bool atEnd() const { return m_rest.empty(); }

private:
    std::string_view m_rest;
};

}  // namespace clipsync
