#include "hooklib/StatusKeys.h"

#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "xml/XmlDocument.h"
#include "base/Barrier.h"

namespace hooklib {

using xml::XmlDocument;

void SetStatusKey(const std::string& path, std::string_view key, std::string_view value) {
    store::updateStoreFile(path, store::IfMissing::Create, [&](XmlDocument& doc) {
        store::setRootChild(doc, key, value);
        return true;
    });
}

// Unchanged files are not rewritten.
void RemoveKey(const std::string& path, std::string_view key) {
    store::updateStoreFile(path, store::IfMissing::Skip, [&](XmlDocument& doc) {
        return store::findRootChild(doc, key) && doc.enterElement() && doc.deleteElement();
    });
}

void RemoveChordStatusKeys(const std::string& path) {
    base::Guarded("status keys", [&] {
        RemoveKey(path, store::kSysClipKey);
        RemoveKey(path, store::kPressNumKey);
    });
}

}  // namespace hooklib
