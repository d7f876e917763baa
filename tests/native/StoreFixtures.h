// Fixtures shared by the tests, the fuzz target and the benchmarks (no test framework here).
#pragma once

#include <string>

namespace xml { class XmlDocument; }

// Compares the index of an edited document with a fresh parse of its text: names, texts and
// shape. Returns an empty string when they agree, else where they first differ.
std::string indexMismatch(xml::XmlDocument& edited);

// A store index of `clips` history clips with `formats` format elements each, written the way the
// hook library writes them, after `slots` slot clips; with `categories` > 0 every 5th clip is
// filed in a category and the AddNew elements follow.
std::string makeStoreText(int clips, int formats, int slots = 0, int categories = 0);
