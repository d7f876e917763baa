#include "store/ArchiveKey.h"

#include "store/Crypto.h"

#include <cstdlib>
#include <vector>

namespace store {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
// What the check seals, under this as its associated data: opened, it must give these bytes back.
constexpr std::string_view kCheckPurpose = "Dravix archive key check";
constexpr std::string_view kCheckText = "the key of this archive";
constexpr char kHexDigits[] = "0123456789abcdef";

std::string hexOf(std::string_view bytes) {
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 15];
    }
    return hex;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> bytesOfHex(std::string_view hex) {
    if (hex.empty() || hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexValue(hex[i]), low = hexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> found;
    while (!text.empty()) {
        const std::size_t end = text.find(' ');
        found.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return found;
}

std::optional<std::uint32_t> iterationsOf(std::string_view digits) {
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const unsigned long count = std::strtoul(std::string(digits).c_str(), nullptr, 10);
    if (count == 0 || count > kMaxArchiveIterations)
        return std::nullopt;
    return static_cast<std::uint32_t>(count);
}

}  // namespace

std::string archiveKeyText(const ArchiveKey& key) {
    return std::string(kScheme) + ' ' + std::to_string(key.iterations) + ' ' + hexOf(key.salt) + ' ' + hexOf(key.check);
}

std::optional<ArchiveKey> parseArchiveKey(std::string_view text) {
    const std::vector<std::string_view> parts = words(text);
    if (parts.size() != 4 || parts[0] != kScheme)
        return std::nullopt;
    const std::optional<std::uint32_t> iterations = iterationsOf(parts[1]);
    std::optional<std::string> salt = bytesOfHex(parts[2]);
    std::optional<std::string> check = bytesOfHex(parts[3]);
    if (!iterations || !salt || !check)
        return std::nullopt;
    return ArchiveKey{*iterations, std::move(*salt), std::move(*check)};
}

std::optional<MadeArchiveKey> makeArchiveKey(std::string_view password, std::uint32_t iterations) {
    std::optional<std::string> salt = crypto::randomBytes(kArchiveSaltSize);
    std::optional<std::string> key = salt ? crypto::deriveKey(password, *salt, iterations) : std::nullopt;
    std::optional<std::string> check = key ? crypto::sealAesGcm(*key, kCheckPurpose, kCheckText) : std::nullopt;
    if (!check)
        return std::nullopt;
    return MadeArchiveKey{{iterations, std::move(*salt), std::move(*check)}, std::move(*key)};
}

std::optional<std::string> openArchiveKey(const ArchiveKey& element, std::string_view password) {
    std::optional<std::string> key = crypto::deriveKey(password, element.salt, element.iterations);
    if (!key || crypto::openAesGcm(*key, kCheckPurpose, element.check) != kCheckText)
        return std::nullopt;
    return key;
}

}  // namespace store
