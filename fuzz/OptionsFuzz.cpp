// libFuzzer target: any bytes as an options file. A hostile file never crashes the reader; a file
// it takes gives the same options again after being written in either format.
#include "options/OptionsFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const options::OptionsFileRead read = options::readOptionsFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.options)
        return 0;
    for (const options::OptionsFileKind kind : {options::OptionsFileKind::Xml, options::OptionsFileKind::Reg}) {
        const options::OptionsFileRead again = options::readOptionsFile(options::optionsFileBytes(*read.options, kind));
        if (!again.options || !(*again.options == *read.options)) {
            std::fprintf(stderr, "options do not come back: %s\n", again.error.c_str());
            std::abort();
        }
    }
    return 0;
}
