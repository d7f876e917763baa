#include "hooklib/LibraryStore.h"

namespace hooklib {

const store::StorePaths& libraryStorePaths() {
    static const store::StorePaths paths(store::userStoreFolder());
    return paths;
}

}  // namespace hooklib
