#include "StoreFixtures.h"

#include "TestFiles.h"

#include "store/ArchivePaths.h"
#include "store/BmpLayout.h"
#include "store/ClipNames.h"
#include "store/FileSystem.h"
#include "store/StoreDocument.h"
#include "store/StorePaths.h"
#include "xml/FileUtf8.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <cstdio>

using xml::XmlDocument;

namespace {

// Walks the children of the current parent of both documents in step.
std::string compareLevel(XmlDocument& a, XmlDocument& b, const std::string& where) {
    for (;;) {
        const bool foundA = a.findElement();
        const bool foundB = b.findElement();
        if (foundA != foundB)
            return where + ": element count differs";
        if (!foundA)
            return {};
        const std::string at = where + "/" + a.tagName();
        if (a.tagName() != b.tagName())
            return at + ": name differs from " + b.tagName();
        if (a.elementText() != b.elementText())
            return at + ": text differs";
        if (!a.enterElement() || !b.enterElement())
            return at + ": cannot enter";
        std::string inner = compareLevel(a, b, at);
        if (!inner.empty())
            return inner;
        if (!a.leaveElement() || !b.leaveElement())
            return at + ": cannot leave";
    }
}

}  // namespace

std::string indexMismatch(XmlDocument& edited) {
    XmlDocument fresh;
    fresh.setDocument(edited.documentText());
    edited.resetPosition();
    std::string result = compareLevel(edited, fresh, "");
    edited.resetPosition();
    return result;
}

std::string makeStoreText(int clips, int formats, int slots, int categories) {
    XmlDocument doc;
    store::startEmptyStore(doc);
    const std::string stamp = "2012-05-07 09:03:41";
    auto addClip = [&](const std::string& clip) {
        store::appendRootChild(doc, store::timeElementName(clip), stamp);
        store::appendRootChild(doc, store::useTimeElementName(clip), stamp);
        for (int i = 0; i < formats; ++i)
            store::appendRootChild(doc, store::formatElementName(clip, i), std::to_string(i == 0 ? 13 : i));
    };
    for (int s = 0; s < slots; ++s)
        addClip(store::slotClipName(static_cast<char>('0' + s)));
    for (int n = 1; n <= clips; ++n) {
        addClip(store::historyClipName(n));
        if (categories > 0 && n % 5 == 0)
            store::appendRootChild(doc, store::categoryElementName(store::historyBaseName(n)),
                                   "分类" + std::to_string(n / 5 % categories));
    }
    for (int c = 0; c < categories; ++c)
        store::appendRootChild(doc, store::kCategoryListName, "分类" + std::to_string(c));
    return doc.documentText();
}

namespace {

// The format and data file of a clip's one part: UTF-16 text, the bitmap's headers, or a wide
// DROPFILES block of one file.
std::pair<int, std::string> partData(const ArchiveClip& clip) {
    if (clip.kind == 1) {
        const std::string size = xml::utf16ToUtf8(clip.text);
        store::BmpLayout layout;
        store::computeBmpLayout(std::stoi(size), std::stoi(size.substr(size.find('*') + 1)), 24, layout);
        const auto headers = store::bmpHeaders(layout);
        return {2, std::string(headers.begin(), headers.end())};
    }
    if (clip.kind == 2) {
        std::string block = {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};  // pFiles 20, wide
        return {15, block + utf16Bytes(clip.text) + std::string(2, '\0')};
    }
    return {13, utf16Bytes(clip.text)};
}

// Written without waiting for the disk: fixtures make thousands of files.
bool writeQuickly(const std::string& path, const std::string& bytes) {
    const xml::FileHandle file = xml::openFileUtf8(path, "wb");
    return file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

}  // namespace

bool writeArchive(const std::string& path, const std::vector<ArchiveClip>& clips) {
    const std::string folder = store::archiveDataFolder(path);
    bool written = store::files::createFolder(folder);
    XmlDocument doc;
    store::startEmptyStore(doc);
    for (const ArchiveClip& clip : clips) {
        const std::string name = store::historyClipName(clip.number);
        store::appendRootChild(doc, store::timeElementName(name), clip.copyTime);
        if (!clip.category.empty())
            store::appendRootChild(doc, store::categoryElementName(store::historyBaseName(clip.number)), clip.category);
        store::appendRootChild(doc, store::useTimeElementName(name), clip.copyTime);
        if (!clip.source.empty())
            store::appendRootChild(doc, store::sourceElementName(name), clip.source);
        const auto [format, data] = partData(clip);
        const std::string element = store::formatElementName(name, 0);
        store::appendRootChild(doc, element, std::to_string(format));
        const std::string file = format == 2 ? store::bitmapFileName(name) : element;
        written = writeQuickly(store::joinPath(folder, file), data) && written;
    }
    return writeQuickly(path, xml::textFileBytes(doc.documentText())) && written;
}
