// What of a recorded clip goes to the other machines, and the bytes its file seals. Texts go as
// UTF-16 (format 13, with the locale when known): the other machine's system makes its own code
// page texts from them. File lists go as they are. Pictures go up to a size the user sets. Formats
// other programs registered go nowhere: their numbers mean nothing on another machine. Whether a
// clip may leave the machine at all (private content, secrets, excluded programs) is the caller's
// decision, made before. Portable: no <windows.h>.
#pragma once

#include "store/ClipSnapshot.h"
#include "sync/Journal.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace clipsync {

inline constexpr std::size_t kDefaultMaxPictureBytes = std::size_t{8} << 20;
// No clip larger than this goes, pictures or texts: every machine reads it into memory whole.
inline constexpr std::size_t kMaxClipBytes = std::size_t{64} << 20;

struct Outgoing {
    ClipKind kind = ClipKind::Text;
    store::ClipSnapshot snapshot;  // the formats that go, indexed from 0; the source as a file name
};
// The part of `recorded` that goes; nothing when no text, file list or picture of it does.
std::optional<Outgoing> selectForSync(const store::ClipSnapshot& recorded, std::size_t maxPictureBytes);

// The kind of row a clip shows: its first text, picture or file list.
std::optional<ClipKind> kindOf(const store::ClipSnapshot& snapshot);

// A clip ready to be written: its file's plain bytes and its content's SHA-256 digest, which is
// the same for the same content on every machine.
struct PreparedClip {
    ClipKind kind = ClipKind::Text;
    std::string payload;
    std::string digest;
    std::string source;
};
// Nothing when the system's SHA-256 failed.
std::optional<PreparedClip> prepareClip(const Outgoing& clip);

// The plain bytes of a clip's file, and a clip read back from them (at most kMaxClipBytes of
// content, 15 formats); nothing for bytes that are not a whole clip of this layout.
std::string payloadBytes(const store::ClipSnapshot& snapshot);
std::optional<store::ClipSnapshot> parsePayload(std::string_view bytes);

}  // namespace clipsync
