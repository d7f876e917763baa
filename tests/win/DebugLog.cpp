#include "DebugLog.h"

#include "WinTestSupport.h"
#include "base/Text.h"

#include <windows.h>

DebugLog::DebugLog() : m_path(m_dir.path("dravix.log")) {
    SetEnvironmentVariableW(L"DRAVIX_LOG", base::toWide(m_path).c_str());
}

DebugLog::~DebugLog() {
    SetEnvironmentVariableW(L"DRAVIX_LOG", nullptr);
}

std::vector<std::string> DebugLog::lines() const {
    return fileLines(m_path);
}

std::string DebugLog::text() const {
    return readBytes(m_path);
}

std::size_t DebugLog::mark() const {
    return lines().size();
}

bool DebugLog::has(const std::string& piece, std::size_t from) const {
    return firstLineWith(piece, from) != std::string::npos;
}

std::size_t DebugLog::firstLineWith(const std::string& piece, std::size_t from) const {
    const std::vector<std::string> all = lines();
    for (std::size_t i = from; i < all.size(); ++i)
        if (all[i].find(piece) != std::string::npos)
            return i;
    return std::string::npos;
}

std::string DebugLog::lastLineWith(const std::string& piece) const {
    std::string found;
    for (const std::string& line : lines())
        if (line.find(piece) != std::string::npos)
            found = line;
    return found;
}
