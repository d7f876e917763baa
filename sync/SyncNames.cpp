#include "sync/SyncNames.h"

#include <cstdio>

namespace clipsync {

namespace {

constexpr std::string_view kExtension = ".dvx";
constexpr std::string_view kSegmentPrefix = "journal-";
constexpr std::string_view kClipPrefix = "clip-";
constexpr std::size_t kSegmentDigits = 10;
constexpr std::size_t kClipNameDigits = 64;

bool isLowerHex(std::string_view text, std::size_t digits) {
    if (text.size() != digits)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

}  // namespace

bool isMachineId(std::string_view text) {
    return isLowerHex(text, 2 * kMachineIdRandomBytes);
}

std::string machineIdFrom(std::string_view randomBytes) {
    return randomBytes.size() == kMachineIdRandomBytes ? hexOf(randomBytes) : std::string();
}

std::string hexOf(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size());
    for (unsigned char byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

bool isClipName(std::string_view text) {
    return isLowerHex(text, kClipNameDigits);
}

std::optional<SyncFile> parseSyncFileName(std::string_view name) {
    if (name.size() <= kExtension.size() || name.substr(name.size() - kExtension.size()) != kExtension)
        return std::nullopt;
    const std::string_view base = name.substr(0, name.size() - kExtension.size());
    SyncFile file;
    if (base == "salt" || base == "name" || base == "seen") {
        file.role = base == "salt" ? Role::Salt : base == "name" ? Role::Name : Role::Seen;
        return file;
    }
    if (startsWith(base, kSegmentPrefix)) {
        const std::string_view digits = base.substr(kSegmentPrefix.size());
        if (digits.size() != kSegmentDigits)
            return std::nullopt;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            file.segment = file.segment * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (file.segment == 0)
            return std::nullopt;
        file.role = Role::Journal;
        return file;
    }
    if (startsWith(base, kClipPrefix) && isClipName(base.substr(kClipPrefix.size()))) {
        file.role = Role::Clip;
        file.clipName = std::string(base.substr(kClipPrefix.size()));
        return file;
    }
    return std::nullopt;
}

std::string saltFileName() {
    return "salt.dvx";
}

std::string nameFileName() {
    return "name.dvx";
}

std::string seenFileName() {
    return "seen.dvx";
}

std::string segmentFileName(std::uint64_t segment) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%010llu", static_cast<unsigned long long>(segment));
    return std::string(kSegmentPrefix) + digits + std::string(kExtension);
}

std::string clipFileName(std::string_view clipName) {
    return isClipName(clipName) ? std::string(kClipPrefix) + std::string(clipName) + std::string(kExtension) : std::string();
}

}  // namespace clipsync
