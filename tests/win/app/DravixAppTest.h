// The fixture of tests with dravix.exe running: the clipboard empty at start (nothing to record),
// the program's debug log in a scratch folder, and waiting for what the program did.
#pragma once

#include "DebugLog.h"
#include "DravixProcess.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class DravixAppTest : public ::testing::Test {
protected:
    void SetUp() override;
    // A test that failed shows the end of the programs' debug log.
    void TearDown() override;

    // `text` copied by another program, waited for as a row of the list.
    void record(const std::wstring& text);

    ScratchDir m_dir;
    DebugLog m_log;
    std::unique_ptr<DravixProcess> m_app;
};
