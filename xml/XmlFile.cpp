// Reading and writing the text of XML files: UTF-8 with a byte-order mark on disk.
#include "xml/FileUtf8.h"
#include "xml/XmlText.h"
#include "xml/XmlTokenizer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace xml {

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
    return encoding.size() >= 5 && equalsIgnoringAsciiCase(std::string_view(encoding).substr(0, 5), "utf-8");
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
    if (token.kind != NodeKind::ProcessingInstruction || !findAttribute(instruction, "encoding", value))
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

bool readTextFile(const std::string& path, std::string& text, std::string& result) {
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
    textFromFileBytes(text);
    result = byteCountText(fileSize);
    return true;
}

void textFromFileBytes(std::string& text) {
    if (!isUtf8Document(text))
        return;
    // Our own files always carry the mark; a file without one is taken as it stands.
    if (std::string_view(text).substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.erase(0, kByteOrderMark.size());
    if (!isCanonicalUtf8(text))
        text = normalizeUtf8(text);
}

std::string textFileBytes(std::string_view text) {
    if (text.empty() || !isUtf8Document(text))
        return std::string(text);
    std::string bytes(kByteOrderMark);
    if (isCanonicalUtf8(text))
        bytes.append(text);
    else
        bytes += normalizeUtf8(text);
    return bytes;
}

bool writeTextFile(const std::string& path, std::string_view text, std::string& result) {
    FileHandle file = openFileUtf8(path, "wb");
    if (!file) {
        result = systemErrorText(errno);
        return false;
    }
    const std::string bytes = textFileBytes(text);
    const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    const bool closed = std::fclose(file.release()) == 0;
    if (written != bytes.size() || !closed) {
        result = systemErrorText(errno ? errno : EIO);
        return false;
    }
    result = byteCountText(static_cast<long long>(written));
    return true;
}

}  // namespace xml
