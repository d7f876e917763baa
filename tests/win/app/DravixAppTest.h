// The fixture of tests with dravix.exe running: the clipboard empty at start (nothing to record),
// the program's debug log in a scratch folder, and waiting for what the program did.
#pragma once

#include "DravixProcess.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class DravixAppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // `text` copied by another program, waited for as a row of the list.
    void record(const std::wstring& text);
    // Whether a line of the debug log from line `from` on holds `piece`.
    bool logHas(const std::string& piece, std::size_t from = 0) const;
    // The log's line count: later lines are what happened after this moment.
    std::size_t logMark() const;
    std::string logText() const;

    ScratchDir m_dir;
    std::string m_log;
    std::unique_ptr<DravixProcess> m_app;
};
