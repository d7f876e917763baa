#include "store/WipeNames.h"

#include "store/ClipNames.h"
#include "store/ArchivePaths.h"
#include "store/RunNames.h"
#include "store/StorePaths.h"

#include <initializer_list>

namespace store {

namespace {

constexpr std::string_view kDamagedSuffix = ".damaged";  // StoreFile's keepAside

// `name` is `base` + ".damaged", or + ".damaged" and a number from 2.
bool isDamagedCopyOf(std::string_view name, std::string_view base) {
    if (name.substr(0, base.size()) != base || name.substr(base.size(), kDamagedSuffix.size()) != kDamagedSuffix)
        return false;
    const std::string_view number = name.substr(base.size() + kDamagedSuffix.size());
    return number.empty() ||
           (number[0] >= '1' && number[0] <= '9' && number.size() <= 2 && number.find_first_not_of("0123456789") == std::string_view::npos);
}

// `name` is `base` + "." + a run's name: set aside by a start that could not keep it in the runs folder.
bool isSetAsideOf(std::string_view name, std::string_view base) {
    return name.size() > base.size() + 1 && name.substr(0, base.size()) == base && name[base.size()] == '.' &&
           parseRunName(name.substr(base.size() + 1));
}

}  // namespace

bool isWipedFromStoreFolder(std::string_view name) {
    if (name == kIndexFileName || name == kStatusFileName)
        return true;
    const std::optional<std::string_view> temporary = temporarySiblingBase(name);
    for (std::string_view base : {kIndexFileName, kStatusFileName, kDataFolderName})
        if ((temporary && *temporary == base) || isSetAsideOf(name, base) ||
            (base != kDataFolderName && isDamagedCopyOf(name, base)))
            return true;
    return false;
}

bool isWipedFromDataFolder(std::string_view name) {
    const std::optional<std::string_view> temporary = temporarySiblingBase(name);
    return isClipFileName(name) || (temporary && *temporary == kStagedFileBase);
}

bool isWipedFromRunsFolder(std::string_view name) {
    if (parseRunArchive(name) || parseRunName(name) || isRunLeftover(name))
        return true;
    // A kept run's search index goes with its run.
    if (name.size() > kSearchIndexExtension.size() &&
        name.substr(name.size() - kSearchIndexExtension.size()) == kSearchIndexExtension &&
        parseRunArchive(name.substr(0, name.size() - kSearchIndexExtension.size())))
        return true;
    return name.size() > kDamagedRunSuffix.size() &&
           name.substr(name.size() - kDamagedRunSuffix.size()) == kDamagedRunSuffix &&
           parseRunName(name.substr(0, name.size() - kDamagedRunSuffix.size()));
}

}  // namespace store
