// The debug log of a test's programs: DRAVIX_LOG points into a scratch folder while this lives, so
// dravix.exe and the hook library in every program started meanwhile (targets included) append
// their traces to one file, with one clock for all processes.
#pragma once

#include "TestFiles.h"

#include <cstddef>
#include <string>
#include <vector>

class DebugLog {
public:
    DebugLog();
    ~DebugLog();
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    const std::string& path() const { return m_path; }
    std::vector<std::string> lines() const;
    std::string text() const;
    // The line count: later lines are what happened after this moment.
    std::size_t mark() const;
    // Whether a line from line `from` on holds `piece`.
    bool has(const std::string& piece, std::size_t from = 0) const;
    // The number of the first line from line `from` on that holds `piece`; npos for none.
    std::size_t firstLineWith(const std::string& piece, std::size_t from = 0) const;
    // The last line holding `piece`, or "".
    std::string lastLineWith(const std::string& piece) const;

private:
    ScratchDir m_dir;
    std::string m_path;
};
