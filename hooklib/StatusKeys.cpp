#include "StatusKeys.h"

#include "StoreFormat.h"
#include "XmlDocument.h"

void SetStatusKey(const std::string& path, std::string_view key, std::string_view value) {
    XmlDocument doc;
    if (!doc.loadFile(path))
        store::startEmptyStore(doc);
    store::setRootChild(doc, key, value);
    doc.saveFile(path);
}

void RemoveKey(const std::string& path, std::string_view key) {
    XmlDocument doc;
    if (!doc.loadFile(path))
        return;
    // Unchanged files are not rewritten: the other process may be writing them.
    if (store::findRootChild(doc, key) && doc.enterElement() && doc.deleteElement())
        doc.saveFile(path);
}
