#include "sync/ClipPayload.h"

#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/Crypto.h"
#include "store/StorePaths.h"
#include "store/Text.h"
#include "sync/ByteCodec.h"

namespace clipsync {

namespace {

constexpr std::string_view kPayloadMagic = "DVXC1";
constexpr unsigned kFormatDib = 8;
constexpr unsigned kFormatLocale = 16;
constexpr unsigned kFormatDibV5 = 17;
constexpr std::size_t kMaxSourceName = 1024;

bool isPictureFormat(unsigned format) {
    return format == store::kFormatBitmap || format == kFormatDib || format == kFormatDibV5;
}

const store::ClipSnapshot::Format* findFormat(const store::ClipSnapshot& snapshot, unsigned format) {
    for (const store::ClipSnapshot::Format& kept : snapshot.formats)
        if (kept.format == format)
            return &kept;
    return nullptr;
}

// UTF-16 bytes, with the terminating zero the clipboard's texts carry.
std::string utf16Bytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(2 * text.size() + 2);
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    bytes.append(2, '\0');
    return bytes;
}

// The system code page text of format 1 as UTF-16, up to its first zero.
std::string unicodeOfCodePageText(std::string_view bytes) {
    return utf16Bytes(store::codePageToUtf16(bytes.substr(0, bytes.find('\0'))));
}

}  // namespace

std::optional<ClipKind> kindOf(const store::ClipSnapshot& snapshot) {
    for (const store::ClipSnapshot::Format& format : snapshot.formats) {
        if (format.format == store::kFormatText || format.format == store::kFormatUnicodeText)
            return ClipKind::Text;
        if (format.format == store::kFormatFileList)
            return ClipKind::FileList;
        if (format.format == store::kFormatBitmap && !snapshot.bitmapFile.empty())
            return ClipKind::Picture;
    }
    return std::nullopt;
}

std::optional<Outgoing> selectForSync(const store::ClipSnapshot& recorded, std::size_t maxPictureBytes) {
    std::size_t pictureBytes = recorded.bitmapFile.size();
    for (const store::ClipSnapshot::Format& format : recorded.formats)
        if (isPictureFormat(format.format))
            pictureBytes += format.bytes.size();
    const bool pictureGoes = !recorded.bitmapFile.empty() && pictureBytes <= maxPictureBytes;
    const bool hasUnicode = findFormat(recorded, store::kFormatUnicodeText) != nullptr;

    Outgoing outgoing;
    store::ClipSnapshot& kept = outgoing.snapshot;
    for (const store::ClipSnapshot::Format& format : recorded.formats) {
        std::string bytes;
        if (format.format == store::kFormatUnicodeText || format.format == kFormatLocale ||
            format.format == store::kFormatFileList || (pictureGoes && isPictureFormat(format.format)))
            bytes = format.bytes;
        else if (format.format == store::kFormatText && !hasUnicode)
            bytes = unicodeOfCodePageText(format.bytes);
        else
            continue;
        const unsigned number = format.format == store::kFormatText ? store::kFormatUnicodeText : format.format;
        kept.formats.push_back({static_cast<int>(kept.formats.size()), number, std::move(bytes)});
    }
    if (pictureGoes)
        kept.bitmapFile = recorded.bitmapFile;
    kept.source = std::string(store::fileNameOfPath(recorded.source)).substr(0, kMaxSourceName);
    const std::optional<ClipKind> kind = kindOf(kept);
    if (!kind || kept.byteCount() > kMaxClipBytes)
        return std::nullopt;
    outgoing.kind = *kind;
    return outgoing;
}

std::optional<PreparedClip> prepareClip(const Outgoing& clip) {
    PreparedClip prepared{clip.kind, payloadBytes(clip.snapshot), {}, clip.snapshot.source};
    std::optional<std::string> digest = store::crypto::sha256(prepared.payload);
    if (!digest)
        return std::nullopt;
    prepared.digest = std::move(*digest);
    return prepared;
}

std::string payloadBytes(const store::ClipSnapshot& snapshot) {
    ByteWriter writer;
    writer.bytes().reserve(snapshot.byteCount() + 64);
    writer.bytes() += kPayloadMagic;
    writer.number(snapshot.formats.size(), 4);
    for (const store::ClipSnapshot::Format& format : snapshot.formats) {
        writer.number(format.format, 4);
        writer.text(format.bytes);
    }
    writer.text(snapshot.bitmapFile);
    writer.text(snapshot.source);
    return std::move(writer.bytes());
}

std::optional<store::ClipSnapshot> parsePayload(std::string_view bytes) {
    ByteReader reader(bytes);
    std::string_view magic;
    std::uint64_t count = 0;
    if (!reader.raw(magic, kPayloadMagic.size()) || magic != kPayloadMagic || !reader.number(count, 4) ||
        count > static_cast<std::uint64_t>(store::kMaxFormatsPerClip))
        return std::nullopt;
    store::ClipSnapshot snapshot;
    std::size_t total = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        store::ClipSnapshot::Format format;
        std::uint64_t number = 0;
        if (!reader.number(number, 4) || number == 0 || !reader.text(format.bytes, kMaxClipBytes - total))
            return std::nullopt;
        total += format.bytes.size();
        format.index = static_cast<int>(i);
        format.format = static_cast<unsigned>(number);
        snapshot.formats.push_back(std::move(format));
    }
    if (!reader.text(snapshot.bitmapFile, kMaxClipBytes - total) || !reader.text(snapshot.source, kMaxSourceName) ||
        !reader.atEnd())
        return std::nullopt;
    return snapshot;
}

}  // namespace clipsync
