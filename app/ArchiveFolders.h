// The folders "在以前的记录中查找" looks for archives in: those the user added (HKCU, one value per
// folder), the runs folder (archives of the user's own kept there), and the folder of the archive
// last saved or opened, remembered across starts.
#pragma once

#include <string>
#include <vector>

namespace app::archivefolders {

// The folders the user added, as added (UTF-8).
std::vector<std::string> added();
// False when the setting could not be written; a folder added before is added once.
bool add(const std::string& folder);
bool remove(const std::string& folder);
// The folder of the archive saved or opened last, kept for the next start; empty when none was.
std::string lastArchiveFolder();
void rememberArchiveFolder(const std::string& folder);
// Every folder searched for archives: the user's, then `runsFolder`, then the last archive's;
// each once (ASCII case ignored, as Windows compares names).
std::vector<std::string> searched(const std::string& runsFolder);

}  // namespace app::archivefolders
