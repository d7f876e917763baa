// The kept runs the search benchmarks look through: 100 runs of 999 clips each (about 100,000
// rows, texts of 20 to 2,000 characters, Latin and Chinese mixed as people copy them), the same
// at every call. A rare word is in about 0.15% of the rows, an invoice number in about 1%.
#pragma once

#include "StoreFixtures.h"

#include <string>
#include <vector>

namespace benchruns {

inline constexpr int kRuns = 100;
inline constexpr int kClips = 999;
// The word searched for: rare, as what one looks for a week later is.
inline constexpr char16_t kWord[] = u"zeppelin";

// The clips of run `run`.
std::vector<ArchiveClip> runClips(int run);
// The archive of run `run` in the folder `runs`, named as the program names its kept runs.
std::string runArchive(const std::string& runs, int run);
// Runs 0 to count-1 written into `runs` (made if missing); false when one could not be written.
bool writeRuns(const std::string& runs, int count);

}  // namespace benchruns
