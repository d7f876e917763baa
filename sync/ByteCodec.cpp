#include "sync/ByteCodec.h"

namespace clipsync {

void ByteWriter::number(std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        m_bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void ByteWriter::text(std::string_view bytes) {
    number(bytes.size(), 4);
    m_bytes.append(bytes);
}

bool ByteReader::number(std::uint64_t& value, int width) {
    if (m_rest.size() < static_cast<std::size_t>(width))
        return false;
    value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(m_rest[static_cast<std::size_t>(i)]);
    m_rest.remove_prefix(static_cast<std::size_t>(width));
    return true;
}

bool ByteReader::text(std::string& bytes, std::size_t bound) {
    std::uint64_t length = 0;
    std::string_view view;
    if (!number(length, 4) || length > bound || !raw(view, static_cast<std::size_t>(length)))
        return false;
    bytes.assign(view);
    return true;
}

bool ByteReader::raw(std::string_view& bytes, std::size_t count) {
    if (m_rest.size() < count)
        return false;
    bytes = m_rest.substr(0, count);
    m_rest.remove_prefix(count);
    return true;
}

bool ByteReader::magic(std::string_view expected) {
    std::string_view got;
    return raw(got, expected.size()) && got == expected;
}

}  // namespace clipsync
