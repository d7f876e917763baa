#include "sync/PendingRecords.h"

#include "sync/ByteCodec.h"

namespace clipsync {

namespace {

constexpr std::string_view kPendingMagic = "DVXP1";
// A key, a category, a path: short texts.
constexpr std::size_t kMaxPendingText = 4096;

}  // namespace

std::string pendingBytes(const std::vector<PendingRecord>& records) {
    ByteWriter writer;
    writer.bytes() += kPendingMagic;
    writer.number(records.size(), 4);
    for (const PendingRecord& record : records) {
        writer.number(static_cast<std::uint8_t>(record.kind), 1);
        writer.text(record.localKey);
        writer.number(static_cast<std::uint64_t>(record.time), 8);
        writer.text(record.category);
        writer.text(record.place);
    }
    return std::move(writer.bytes());
}

std::optional<std::vector<PendingRecord>> parsePending(std::string_view bytes) {
    ByteReader reader(bytes);
    std::uint64_t count = 0;
    if (!reader.magic(kPendingMagic) || !reader.number(count, 4) || count > kMaxPending)
        return std::nullopt;
    std::vector<PendingRecord> records(static_cast<std::size_t>(count));
    for (PendingRecord& record : records) {
        std::uint64_t kind = 0, time = 0;
        if (!reader.number(kind, 1) || !reader.text(record.localKey, kMaxPendingText) || !reader.number(time, 8) ||
            !reader.text(record.category, kMaxPendingText) || !reader.text(record.place, kMaxPendingText) ||
            kind < static_cast<std::uint8_t>(PendingRecord::Kind::Publish) || kind > static_cast<std::uint8_t>(PendingRecord::Kind::Filed) ||
            record.localKey.empty())
            return std::nullopt;
        record.kind = static_cast<PendingRecord::Kind>(kind);
        record.time = static_cast<std::int64_t>(time);
    }
    if (!reader.atEnd())
        return std::nullopt;
    return records;
}

}  // namespace clipsync
