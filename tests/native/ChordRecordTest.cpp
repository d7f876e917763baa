// The chords' record in the hook library's shared section: packed and read back, and what a
// reader makes of a record of another layout or one caught during a write.
#include "options/ChordRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>

namespace {

using options::ChordAction;
using options::ChordOptions;

ChordOptions someOptions() {
    ChordOptions chords;
    chords.chords[ChordAction::CopyToSlot] = {options::kCtrl | options::kShift, 0, false};
    chords.chords[ChordAction::ClipMenuAtPointer] = {options::kAlt, 0, true};
    chords.chords[ChordAction::PasteQueueHead] = {options::kCtrl | options::kWin, 0x7B, false};
    chords.noChordPrograms = {"mstsc.exe", "远程桌面.exe", std::string(options::kMaxProgramNameBytes, 'x')};
    return chords;
}

TEST(ChordRecord, OptionsComeBackFromTheRecord) {
    EXPECT_EQ(options::unpackChords(options::packChords(someOptions())), someOptions());
    EXPECT_EQ(options::unpackChords(options::packChords(ChordOptions{})), ChordOptions{});
}

TEST(ChordRecord, WhatTheRecordCannotHoldIsLeftOut) {
    ChordOptions many;
    for (int i = 0; i < 40; ++i)
        many.noChordPrograms.push_back("p" + std::to_string(i) + ".exe");
    many.noChordPrograms.insert(many.noChordPrograms.begin(), std::string(options::kMaxProgramNameBytes + 1, 'y'));
    const ChordOptions read = options::unpackChords(options::packChords(many));
    ASSERT_EQ(read.noChordPrograms.size(), options::kMaxNoChordPrograms);
    EXPECT_EQ(read.noChordPrograms.front(), "p0.exe");
}

TEST(ChordRecord, AnUnreadableRecordIsTheDefaults) {
    const auto spoilt = [](void (*spoil)(options::ChordRecord&)) {
        options::ChordRecord record = options::packChords(someOptions());
        spoil(record);
        return options::unpackChords(record);
    };
    EXPECT_EQ(spoilt([](options::ChordRecord& r) { r.layout = options::kChordRecordLayout + 1; }), ChordOptions{});
    EXPECT_EQ(spoilt([](options::ChordRecord& r) { r.layout = 0; }), ChordOptions{});  // never published
    EXPECT_EQ(spoilt([](options::ChordRecord& r) { r.chordCount = 3; }), ChordOptions{});
    EXPECT_EQ(spoilt([](options::ChordRecord& r) { r.chords[0] |= 0x10000; }), ChordOptions{});
    EXPECT_EQ(spoilt([](options::ChordRecord& r) { r.programCount = options::kMaxNoChordPrograms + 1; }), ChordOptions{});
    EXPECT_EQ(spoilt([](options::ChordRecord& r) { std::memset(r.programs[1], 'z', sizeof r.programs[1]); }), ChordOptions{});
}

TEST(ChordRecord, AReaderSeesAWholeRecordOrNone) {
    auto shared = std::make_unique<options::SharedChordRecord>();
    options::ChordOptionsCache cache;
    EXPECT_EQ(cache.current(*shared), ChordOptions{});
    options::publishChords(*shared, someOptions());
    EXPECT_EQ(cache.current(*shared), someOptions());
    // The record as the main program hands it to the library's export.
    options::publishChordRecord(*shared, options::packChords(ChordOptions{}));
    EXPECT_EQ(cache.current(*shared), ChordOptions{});
    options::publishChordRecord(*shared, options::packChords(someOptions()));
    EXPECT_EQ(cache.current(*shared), someOptions());

    // A write under way: the reader takes nothing of it, the cache keeps what it had.
    shared->sequence.fetch_add(1);
    const options::ChordRecordRead torn = options::readChords(*shared);
    EXPECT_FALSE(torn.complete);
    EXPECT_EQ(torn.options, ChordOptions{});
    options::ChordOptionsCache fresh;
    EXPECT_EQ(fresh.current(*shared), ChordOptions{});
    EXPECT_EQ(cache.current(*shared), someOptions());
    // The next write takes over from one cut off.
    options::publishChords(*shared, ChordOptions{});
    EXPECT_EQ(cache.current(*shared), ChordOptions{});
    EXPECT_EQ(fresh.current(*shared), ChordOptions{});
}

TEST(ChordRecord, ReadsDuringWritesAreWholeOrRefused) {
    auto shared = std::make_unique<options::SharedChordRecord>();
    const ChordOptions first = someOptions();
    ChordOptions second = someOptions();
    second.noChordPrograms = {"other.exe"};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i)
            options::publishChords(*shared, i % 2 ? first : second);
    });
    for (int i = 0; i < 2000; ++i) {
        const options::ChordRecordRead read = options::readChords(*shared);
        if (read.complete && read.sequence != 0) {
            EXPECT_TRUE(read.options == first || read.options == second);
        }
    }
    writer.join();
    EXPECT_EQ(options::readChords(*shared).options, first);
}

}  // namespace
