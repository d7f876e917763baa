// An index file sealed in blocks, so that a search opens the parts it reads and no others: the
// index's head is one block, the rest goes in blocks of kIndexBlockBytes, each sealed on its own
// (IndexAccess::seal). Sealed whole, every key typed had to open every index whole.
//
// The file, little-endian:
//   magic "\x89" "DravixBlocks" "\r\n\x1a" (16 bytes), the block count (4 bytes), then for each
//   block its plain and its sealed size (4 bytes each), then the sealed blocks in order.
// The sizes tell no more than the file's size does. The magic is not a seal's (store/SealedFile.h):
// a reader of sealed files leaves the file as it is. Portable: no <windows.h>.
#pragma once

#include "store/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace search {

inline constexpr std::string_view kBlocksMagic = "\x89" "DravixBlocks" "\r\n\x1a";
inline constexpr std::size_t kIndexBlockBytes = 64u << 10;

using SealBytes = std::function<std::string(std::string_view plain)>;
using UnsealBytes = std::function<std::optional<std::string>(std::string_view sealed)>;

// `plain` sealed in blocks: its first `headBytes` as one, the rest `blockBytes` at a time. Nothing
// when a block could not be sealed (`seal` gave nothing).
std::optional<std::string> sealInBlocks(std::string_view plain, std::size_t headBytes, const SealBytes& seal,
                                        std::size_t blockBytes = kIndexBlockBytes);

// A file sealed in blocks, read in parts: a block is opened when a part needs it, and the last
// ones opened are kept for the parts after.
class SealedBlocks {
public:
    // False when the file is not one (another format, a table that does not fit the file).
    bool open(const std::string& path, UnsealBytes unseal);
    std::uint64_t size() const { return m_plainSize; }
    // `count` plain bytes at `offset`, copied into `buffer` (what the view shows); nothing when
    // they are out of the file or a block does not open.
    std::optional<std::string_view> part(std::uint64_t offset, std::size_t count, std::string& buffer);

private:
    struct Block {
        std::uint64_t plainAt = 0, sealedAt = 0;
        std::uint32_t plainSize = 0, sealedSize = 0;
    };
    struct Opened {
        std::size_t block = 0;
        std::string bytes;
    };
    const std::string* opened(std::size_t block);

    std::optional<store::files::PartReader> m_file;
    UnsealBytes m_unseal;
    std::vector<Block> m_blocks;
    std::uint64_t m_plainSize = 0;
    std::vector<Opened> m_opened;  // the newest used last
};

}  // namespace search
