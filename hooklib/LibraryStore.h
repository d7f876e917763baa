// The store the library works on in this process: the per-user store folder.
#pragma once

#include "store/StorePaths.h"

namespace hooklib {

// Read on first use (never from DllMain: it may need the shell).
const store::StorePaths& libraryStorePaths();

}  // namespace hooklib
