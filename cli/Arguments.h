// The command line of dravixc.exe read into a request for the running program, and the text of
// its help. Portable: no <windows.h>.
#pragma once

#include "store/CommandProtocol.h"

#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct Invocation {
    enum class Kind {
        Help,     // --help, -h, /? or help: the usage on the standard output
        Command,  // `request` for the running program
        Bad,      // `problem` (and the usage) on the standard error, exit code 2
    };
    Kind kind = Kind::Bad;
    store::command::Request request;  // its id and windows are the client's to fill in
    std::string outFile;               // get --out: the file the data goes to
    bool textFromInput = false;        // add without a text: the standard input's
    std::string problem;
};

// The arguments after the program's name, as UTF-8. Options begin with "--" (a value after a
// space or "="), anywhere after the command; after "--" every argument is a plain one.
Invocation parseArguments(const std::vector<std::string>& arguments);

// What the standard input gave `add` as UTF-8: UTF-8 (a byte-order mark skipped), UTF-16 with
// its byte-order mark, or else text in the system code page (a batch file's `type`); up to a zero
// character, and without the one line end a shell puts after the last line.
std::string textFromInput(std::string_view bytes);

// The help: every command with its arguments, the transforms and the exit codes.
std::string usageText();

}  // namespace cli
