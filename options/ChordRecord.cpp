#include "options/ChordRecord.h"

#include <algorithm>
#include <cstring>

namespace options {

namespace {

constexpr std::uint32_t kOffBit = 1u << 4;

std::uint32_t chordWord(const Chord& chord) {
    return (chord.modifiers & kAllModifiers) | (chord.off ? kOffBit : 0) | ((chord.key & 0xFF) << 8);
}

std::optional<Chord> chordOfWord(std::uint32_t word) {
    if (word & ~(kAllModifiers | kOffBit | 0xFF00u))
        return std::nullopt;
    return Chord{word & kAllModifiers, (word >> 8) & 0xFF, (word & kOffBit) != 0};
}

std::optional<ChordOptions> unpackStrictly(const ChordRecord& record) {
    if (record.layout != kChordRecordLayout || record.chordCount != kChordActions ||
        record.programCount > kMaxNoChordPrograms)
        return std::nullopt;
    ChordOptions options;
    for (std::size_t i = 0; i < kChordActions; ++i) {
        const std::optional<Chord> chord = chordOfWord(record.chords[i]);
        if (!chord)
            return std::nullopt;
        options.chords.chords[i] = *chord;
    }
    for (std::size_t i = 0; i < record.programCount; ++i) {
        const char* name = record.programs[i];
        const std::size_t length = static_cast<std::size_t>(std::find(name, name + sizeof record.programs[i], '\0') - name);
        if (length == sizeof record.programs[i])
            return std::nullopt;
        options.noChordPrograms.emplace_back(name, length);
    }
    return options;
}

}  // namespace

ChordRecord packChords(const ChordOptions& options) {
    ChordRecord record = {};
    record.layout = kChordRecordLayout;
    record.chordCount = kChordActions;
    for (std::size_t i = 0; i < kChordActions; ++i)
        record.chords[i] = chordWord(options.chords.chords[i]);
    for (const std::string& program : options.noChordPrograms) {
        if (record.programCount == kMaxNoChordPrograms)
            break;
        if (program.empty() || program.size() > kMaxProgramNameBytes)
            continue;
        std::memcpy(record.programs[record.programCount++], program.data(), program.size());
    }
    return record;
}

ChordOptions unpackChords(const ChordRecord& record) {
    return unpackStrictly(record).value_or(ChordOptions{});
}

void publishChords(SharedChordRecord& shared, const ChordOptions& options) {
    publishChordRecord(shared, packChords(options));
}

void publishChordRecord(SharedChordRecord& shared, const ChordRecord& record) {
    std::uint32_t words[kChordRecordWords];
    std::memcpy(words, &record, sizeof record);
    // Odd from here until the last word is written; a write cut off before (its writer ended)
    // left it odd, and this one takes over.
    const std::uint32_t writing = shared.sequence.load(std::memory_order_relaxed) | 1;
    shared.sequence.store(writing, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    for (std::size_t i = 0; i < kChordRecordWords; ++i)
        shared.words[i].store(words[i], std::memory_order_relaxed);
    shared.sequence.store(writing + 1, std::memory_order_release);
}

ChordRecordRead readChords(const SharedChordRecord& shared) {
    ChordRecordRead read;
    std::uint32_t words[kChordRecordWords];
    read.sequence = shared.sequence.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < kChordRecordWords; ++i)
        words[i] = shared.words[i].load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    read.complete = !(read.sequence & 1) && shared.sequence.load(std::memory_order_relaxed) == read.sequence;
    if (!read.complete)
        return read;
    ChordRecord record;
    std::memcpy(&record, words, sizeof record);
    read.options = unpackChords(record);
    return read;
}

const ChordOptions& ChordOptionsCache::current(const SharedChordRecord& shared) {
    if (shared.sequence.load(std::memory_order_acquire) == m_sequence)
        return m_options;
    ChordRecordRead read = readChords(shared);
    if (read.complete) {
        m_options = std::move(read.options);
        m_sequence = read.sequence;
    }
    return m_options;
}

}  // namespace options
