#include "hooklib/LibraryStore.h"

const store::StorePaths& libraryStorePaths() {
    static const store::StorePaths paths(store::userStoreFolder());
    return paths;
}
