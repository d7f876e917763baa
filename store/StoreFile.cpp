#include "store/StoreFile.h"

#include "store/FileSystem.h"
#include "store/StoreDocument.h"
#include "store/StoreLock.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <chrono>
#include <optional>
#include <thread>

using xml::XmlDocument;
using xml::textFileBytes;

namespace store {

namespace {

constexpr int kReadAttempts = 4;
constexpr std::chrono::milliseconds kReadPause{25};

DamageReporter& damageReporter() {
    static DamageReporter reporter = nullptr;
    return reporter;
}

// "clipboard.xml.damaged", or with a number when that name is taken by an earlier one.
std::string keepAside(const std::string& path) {
    for (int n = 1; n < 100; ++n) {
        const std::string name = path + ".damaged" + (n > 1 ? std::to_string(n) : std::string());
        if (!files::exists(name) && files::rename(path, name))
            return name;
    }
    return {};
}

// A fresh store holding the elements that the damaged document still let us read.
void salvage(XmlDocument& doc) {
    const std::vector<RootElement> readable = rootElements(doc);
    startEmptyStore(doc, doc.documentText().size());
    for (const RootElement& element : readable)
        appendRootChild(doc, element.name, element.text);
}

}  // namespace

void setDamageReporter(DamageReporter reporter) {
    damageReporter() = reporter;
}

FileState readStoreFile(const std::string& path, XmlDocument& doc, std::string* loadedBytes) {
    StoreLock lock;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        std::optional<std::string> bytes = files::readAll(path);
        if (bytes && loadedBytes)
            *loadedBytes = *bytes;
        if (bytes && doc.loadFileBytes(std::move(*bytes)))
            return FileState::Loaded;
        if (!files::isReadable(path))
            return FileState::Missing;
        if (attempt + 1 < kReadAttempts)
            std::this_thread::sleep_for(kReadPause);
    }
    return FileState::Unreadable;
}

bool writeStoreFile(const XmlDocument& doc, const std::string& path) {
    return files::writeAtomically(path, textFileBytes(doc.documentText()));
}

bool updateStoreFile(const std::string& path, IfMissing ifMissing, const std::function<bool(XmlDocument&)>& edit) {
    StoreLock lock;
    if (!lock.held())
        return false;
    XmlDocument doc;
    switch (readStoreFile(path, doc)) {
    case FileState::Loaded:
        break;
    case FileState::Missing:
        if (ifMissing == IfMissing::Skip)
            return false;
        startEmptyStore(doc);
        break;
    case FileState::Unreadable: {
        const std::string keptAs = keepAside(path);
        if (keptAs.empty())
            return false;  // it cannot even be moved: leave it be rather than write over it
        salvage(doc);
        if (damageReporter())
            damageReporter()(keptAs);
        edit(doc);
        return writeStoreFile(doc, path);  // the salvaged store goes back in any case
    }
    }
    return edit(doc) && writeStoreFile(doc, path);
}

}  // namespace store
