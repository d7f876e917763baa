#include "app/ExcludedPrograms.h"

#include "app/ClipRules.h"
#include "store/Protocol.h"
#include "store/TimeStamp.h"
#include "base/Text.h"
#include "fw/Settings.h"

namespace app::excluded {

std::vector<Program> programs() {
    std::vector<Program> list;
    for (const auto& [path, added] : fw::ReadUserStrings(store::kExcludedProgramsKey))
        list.push_back({base::toUtf8(path), base::toUtf8(added)});
    return list;
}

bool isExcluded(const std::string& source) {
    if (source.empty())
        return false;
    std::vector<std::string> paths;
    for (Program& program : programs())
        paths.push_back(std::move(program.path));
    return app::isExcludedProgram(paths, source);
}

bool add(const std::string& path) {
    return !path.empty() && fw::WriteUserString(store::kExcludedProgramsKey, base::toWide(path).c_str(),
                                                base::toWide(store::currentTimeStamp()));
}

}  // namespace app::excluded
