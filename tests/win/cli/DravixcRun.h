// dravixc.exe (or another console program) run as a script runs it: arguments, bytes on its standard input, its standard output
// and errors caught in files of a scratch folder, its exit code (0xFFFF when it did not end within
// half a minute and was ended).
#pragma once

#include "TestFiles.h"

#include <windows.h>

#include <string>

struct Ended {
    DWORD exitCode = 0xFFFF;
    std::string output, errors;
};

Ended runDravixc(const ScratchDir& files, const std::wstring& arguments, const std::string& input = {},
                 const std::wstring& program = L"dravixc.exe");
