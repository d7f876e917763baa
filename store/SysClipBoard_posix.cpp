// CSysClipBoard on a POSIX host (native tests and benchmarks): messages go to stderr, and there
// are no windows to fill.
#include "SysClipBoard.h"

#include <cstdio>

void CSysClipBoard::defaultMessage(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

void CSysClipBoard::fillCategoryTree(NativeHandle, NativeHandle) const {}

bool CSysClipBoard::fillCategoryMenu(NativeHandle) const {
    return false;
}
