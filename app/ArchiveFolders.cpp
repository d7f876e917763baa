#include "app/ArchiveFolders.h"

#include "store/Protocol.h"
#include "store/Text.h"
#include "store/TimeStamp.h"
#include "base/Text.h"
#include "fw/Settings.h"

#include <set>

namespace app::archivefolders {

std::vector<std::string> added() {
    std::vector<std::string> folders;
    for (const auto& [folder, when] : fw::ReadUserStrings(store::kArchiveFoldersKey))
        folders.push_back(base::toUtf8(folder));
    return folders;
}

bool add(const std::string& folder) {
    return !folder.empty() &&
           fw::WriteUserString(store::kArchiveFoldersKey, base::toWide(folder).c_str(), base::toWide(store::currentTimeStamp()));
}

bool remove(const std::string& folder) {
    return fw::DeleteUserValue(store::kArchiveFoldersKey, base::toWide(folder).c_str());
}

std::string lastArchiveFolder() {
    for (const auto& [name, folder] : fw::ReadUserStrings(store::kSettingsKey))
        if (base::toUtf8(name) == base::toUtf8(store::kLastArchiveFolderSetting))
            return base::toUtf8(folder);
    return {};
}

void rememberArchiveFolder(const std::string& folder) {
    fw::WriteUserString(store::kSettingsKey, store::kLastArchiveFolderSetting, base::toWide(folder));
}

std::vector<std::string> searched(const std::string& runsFolder) {
    std::vector<std::string> folders = added();
    folders.push_back(runsFolder);
    folders.push_back(lastArchiveFolder());
    std::vector<std::string> once;
    std::set<std::string> seen;
    for (std::string& folder : folders)
        if (!folder.empty() && seen.insert(store::asciiLower(folder)).second)
            once.push_back(std::move(folder));
    return once;
}

}  // namespace app::archivefolders
