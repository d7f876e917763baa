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

namespace {

// Reads the whole file into `bytes` in one piece (sized from the file when it can be measured).
bool readWholeFile(std::FILE* file, std::string& bytes, int& error) {
    bytes.clear();
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        std::rewind(file);
        if (size > kMaxFileSize) {
            error = EFBIG;
            return false;
        }
        if (size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        }
    }
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (static_cast<long long>(bytes.size() + got) > kMaxFileSize) {
            error = EFBIG;
            return false;
        }
        bytes.append(buffer, got);
    }
    if (std::ferror(file)) {
        error = errno ? errno : EIO;
        return false;
    }
    return true;
}

}  // namespace

bool readTextFile(const std::string& path, std::string& text, std::string& result, int /*flags*/) {
    FileHandle file = openFileUtf8(path, "rb");
    if (!file) {
        result = systemErrorText(errno);
        return false;
    }
    int error = 0;
    if (!readWholeFile(file.get(), text, error)) {
        text.clear();
        result = systemErrorText(error);
        return false;
    }
    const long long fileSize = static_cast<long long>(text.size());
    if (isUtf8Document(text)) {
        // Our own files always carry the mark; a file without one is taken as it stands.
        if (std::string_view(text).substr(0, kByteOrderMark.size()) == kByteOrderMark)
            text.erase(0, kByteOrderMark.size());
        if (!isCanonicalUtf8(text))
            text = normalizeUtf8(text);
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
    std::string normalized;
    std::string_view body = text;
    std::string_view mark;
    if (!text.empty() && isUtf8Document(text)) {
        mark = kByteOrderMark;
        if (!isCanonicalUtf8(text)) {
            normalized = normalizeUtf8(text);
            body = normalized;
        }
    }
    std::size_t written = mark.empty() ? 0 : std::fwrite(mark.data(), 1, mark.size(), file.get());
    if (!body.empty())
        written += std::fwrite(body.data(), 1, body.size(), file.get());
    const bool closed = std::fclose(file.release()) == 0;
    if (written != mark.size() + body.size() || !closed) {
        result = systemErrorText(errno ? errno : EIO);
        return false;
    }
    result = byteCountText(static_cast<long long>(written));
    return true;
}
