#include "search/SealedBlocks.h"

#include "store/LittleEndian.h"

#include <algorithm>
#include <limits>

namespace search {

namespace {

constexpr std::size_t kCountAt = kBlocksMagic.size();
constexpr std::size_t kTableAt = kCountAt + 4;
constexpr std::size_t kTableEntryBytes = 8;
// The most blocks a file may say it has, the largest block (the head of kMaxIndexRows rows is
// under a megabyte) and the most plain bytes in all: an index of kMaxIndexRows long texts stays
// far below each; a file that says more is no index of ours.
constexpr std::uint32_t kMaxBlocks = 1u << 16;
constexpr std::uint32_t kMaxBlockBytes = 16u << 20;
constexpr std::uint64_t kMaxPlainBytes = 1u << 30;
// The blocks kept opened: a row's text and its line lie in two, each maybe across a border.
constexpr std::size_t kKeptOpen = 3;

void appendNumber(std::string& to, std::uint32_t value) {
    std::uint8_t bytes[4];
    store::putLittleEndian(bytes, value, 4);
    to.append(reinterpret_cast<const char*>(bytes), 4);
}

}  // namespace

std::optional<std::string> sealInBlocks(std::string_view plain, std::size_t headBytes, const SealBytes& seal,
                                        std::size_t blockBytes) {
    std::vector<std::string_view> pieces{plain.substr(0, std::min(headBytes, plain.size()))};
    for (std::size_t at = pieces.front().size(); at < plain.size(); at += blockBytes)
        pieces.push_back(plain.substr(at, blockBytes));
    std::string table(kBlocksMagic), blocks;
    appendNumber(table, static_cast<std::uint32_t>(pieces.size()));
    for (std::string_view piece : pieces) {
        const std::string sealed = seal(piece);
        if (sealed.empty() || sealed.size() > std::numeric_limits<std::uint32_t>::max() ||
            piece.size() > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
        appendNumber(table, static_cast<std::uint32_t>(piece.size()));
        appendNumber(table, static_cast<std::uint32_t>(sealed.size()));
        blocks += sealed;
    }
    return table + blocks;
}

bool SealedBlocks::open(const std::string& path, UnsealBytes unseal) {
    m_blocks.clear();
    m_opened.clear();
    m_plainSize = 0;
    m_unseal = std::move(unseal);
    m_file.emplace(path);
    std::string head;
    if (!m_file->isOpen() || !m_file->read(0, kTableAt, head) || head.compare(0, kCountAt, kBlocksMagic) != 0)
        return false;
    const std::uint32_t count = store::readLittleEndian(head, kCountAt);
    std::string table;
    if (count == 0 || count > kMaxBlocks || !m_file->read(kTableAt, count * kTableEntryBytes, table))
        return false;
    std::uint64_t sealedAt = kTableAt + std::uint64_t{count} * kTableEntryBytes;
    for (std::uint32_t i = 0; i < count; ++i) {
        Block block{m_plainSize, sealedAt, store::readLittleEndian(table, i * kTableEntryBytes),
                    store::readLittleEndian(table, i * kTableEntryBytes + 4)};
        if (block.plainSize > kMaxBlockBytes || block.sealedSize > kMaxBlockBytes)
            return false;
        m_plainSize += block.plainSize;
        sealedAt += block.sealedSize;
        m_blocks.push_back(block);
    }
    return sealedAt == m_file->size() && m_plainSize <= kMaxPlainBytes;
}

const std::string* SealedBlocks::opened(std::size_t block) {
    const auto kept = std::find_if(m_opened.begin(), m_opened.end(), [&](const Opened& o) { return o.block == block; });
    if (kept != m_opened.end()) {
        std::rotate(kept, kept + 1, m_opened.end());  // the newest used last
        return &m_opened.back().bytes;
    }
    const Block& where = m_blocks[block];
    std::string sealed;
    if (!m_file->read(where.sealedAt, where.sealedSize, sealed))
        return nullptr;
    std::optional<std::string> plain = m_unseal(sealed);
    if (!plain || plain->size() != where.plainSize)
        return nullptr;
    if (m_opened.size() == kKeptOpen)
        m_opened.erase(m_opened.begin());
    m_opened.push_back({block, std::move(*plain)});
    return &m_opened.back().bytes;
}

std::optional<std::string_view> SealedBlocks::part(std::uint64_t offset, std::size_t count, std::string& buffer) {
    if (offset > m_plainSize || count > m_plainSize - offset)
        return std::nullopt;
    if (count == 0)
        return std::string_view();
    // The block that holds `offset`: the last whose start is not after it.
    std::size_t block = static_cast<std::size_t>(
        std::upper_bound(m_blocks.begin(), m_blocks.end(), offset, [](std::uint64_t at, const Block& b) { return at < b.plainAt; }) -
        m_blocks.begin() - 1);
    buffer.clear();
    for (std::uint64_t at = offset; buffer.size() < count; ++block) {
        const std::string* bytes = opened(block);
        if (!bytes)
            return std::nullopt;
        const std::size_t from = static_cast<std::size_t>(at - m_blocks[block].plainAt);
        const std::size_t take = std::min(count - buffer.size(), bytes->size() - from);
        buffer.append(*bytes, from, take);
        at += take;
    }
    return std::string_view(buffer);
}

}  // namespace search
