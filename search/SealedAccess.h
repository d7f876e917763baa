// How the search reaches a store whose data files may be sealed (store/DataFiles.h): each file
// read opened whatever it holds, and the search's own index files, which hold the rows' texts,
// sealed for the user while the store seals its files. Portable: no <windows.h>.
#pragma once

#include "search/IndexBuilder.h"

namespace search {

IndexAccess sealedStoreAccess();

}  // namespace search
