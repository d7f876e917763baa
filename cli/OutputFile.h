// The file of `get --out`: the data goes to a temporary file beside it, which replaces the file
// named only once the whole answer is in, so a failed or partial answer leaves that file as it
// was.
#pragma once

#include "base/Handle.h"

#include <string>
#include <string_view>

namespace cli {

class COutputFile {
public:
    explicit COutputFile(std::string path);  // UTF-8, relative to the current folder or whole
    ~COutputFile();                            // the temporary file goes unless it was kept
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    bool isOpen() const { return static_cast<bool>(m_file); }
    bool write(std::string_view bytes);
    // Flushed, closed, and put in the place of the file named; false when it could not be.
    bool keep();

private:
    std::string m_path;
    std::string m_temporary;
    base::UniqueFile m_file;
};

}  // namespace cli
