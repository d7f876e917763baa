// Fixtures shared by the tests, the fuzz target and the benchmarks (no test framework here).
#pragma once

#include <string>
#include <vector>

namespace xml { class XmlDocument; }

// Compares the index of an edited document with a fresh parse of its text: names, texts and
// shape. Returns an empty string when they agree, else where they first differ.
std::string indexMismatch(xml::XmlDocument& edited);

// A store index of `clips` history clips with `formats` format elements each, written the way the
// hook library writes them, after `slots` slot clips; with `categories` > 0 every 5th clip is
// filed in a category and the AddNew elements follow.
std::string makeStoreText(int clips, int formats, int slots = 0, int categories = 0);

// A history clip of an archive as the store writes it: a text (format 13), a picture (its bitmap
// file's headers alone, `text` giving "W*H") or a file list (`text` its one file).
struct ArchiveClip {
    int number = 1;
    int kind = 0;  // 0 text, 1 picture, 2 file list
    std::string copyTime = "2026-01-01 09:00:00";
    std::string source, category;
    std::u16string text;
};
// The archive at `path` (".amc") with its data folder beside it, holding these clips. False when
// a file could not be written.
bool writeArchive(const std::string& path, const std::vector<ArchiveClip>& clips);
