// Reading and writing the text of XML files: UTF-8 with a byte-order mark on disk.
#include "FileUtf8.h"
#include "XmlDocument.h"
#include "XmlTokenizer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Offsets in the element index are 32-bit.
constexpr long long kMaxFileSize = INT_MAX - 16;

std::string systemErrorText(int error) {
    std::string text = std::strerror(error);
    const std::size_t lineEnd = text.find_first_of("\r\n");
    if (lineEnd != std::string::npos)
        text.resize(lineEnd);
    return text;
}

std::string byteCountText(long long bytes) {
    return std::to_string(bytes) + " bytes";
}

// Files that declare UTF-8, or nothing, are converted; others are kept as they are.
bool isUtf8Document(std::string_view text) {
    const std::string encoding = declaredEncoding(text);
    if (encoding.empty())
        return true;
    if (encoding.size() < 5)
        return false;
    static const char kUtf8[] = "utf-8";
    for (int i = 0; i < 5; ++i) {
        char c = encoding[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kUtf8[i])
            return false;
    }
    return true;
}

}  // namespace

std::string declaredEncoding(std::string_view text) {
    const std::size_t lt = text.find('<');
    if (lt == std::string_view::npos || lt + 1 >= text.size() || text[lt + 1] != '?')
        return {};
    const std::size_t close = text.find("?>", lt);
    if (close == std::string_view::npos)
        return {};
    const std::string_view instruction = text.substr(lt, close + 2 - lt);
    XmlToken token;
    nextToken(instruction, 0, token);
    std::string value;
    if (token.kind != kNodeProcessingInstruction || !findAttribute(instruction, "encoding", value))
        return {};
    return value;
}

bool readTextFile(const std::string& path, std::string& text, std::string& result, int /*flags*/) {
    FileHandle file = openFileUtf8(path, "rb");
    if (!file) {
        result = systemErrorText(errno);
        return false;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got == 0)
            break;
        if (static_cast<long long>(bytes.size() + got) > kMaxFileSize) {
            result = systemErrorText(EFBIG);
            return false;
        }
        bytes.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        result = systemErrorText(errno ? errno : EIO);
        return false;
    }
    const long long fileSize = static_cast<long long>(bytes.size());
    if (isUtf8Document(bytes)) {
        // Our own files always carry the mark; a file without one is taken as it stands.
        std::string_view body = bytes;
        if (body.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            body.remove_prefix(kByteOrderMark.size());
        text = normalizeUtf8(body);
    } else {
        text = std::move(bytes);
    }
    result = byteCountText(fileSize);
    return true;
}

bool writeTextFile(const std::string& path, std::string_view text, std::string& result, int /*flags*/) {
    FileHandle file = openFileUtf8(path, "wb");
    if (!file) {
        result = systemErrorText(errno);
        return false;
    }
    std::string converted;
    std::string_view bytes = text;
    if (!text.empty() && isUtf8Document(text)) {
        converted.reserve(text.size() + kByteOrderMark.size());
        converted = kByteOrderMark;
        converted += normalizeUtf8(text);
        bytes = converted;
    }
    const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    const bool closed = std::fclose(file.release()) == 0;
    if (written != bytes.size() || !closed) {
        result = systemErrorText(errno ? errno : EIO);
        return false;
    }
    result = byteCountText(static_cast<long long>(written));
    return true;
}
