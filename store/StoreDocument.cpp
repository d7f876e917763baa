#include "store/StoreDocument.h"

#include "store/ClipNames.h"
#include "xml/XmlDocument.h"

using xml::XmlDocument;
using xml::kDeclarationLine;

namespace store {

void startEmptyStore(XmlDocument& doc, std::size_t expectedSize) {
    doc.setDocument(kDeclarationLine);
    doc.reserveText(expectedSize);
    doc.addElement(kRootName);
}

// In a document cut short the root has no end tag, and the elements read after its start tag
// stand beside it rather than in it: they are the root's children all the same.
std::vector<RootElement> rootElements(XmlDocument& doc) {
    std::vector<RootElement> elements;
    // A store's element takes some 30 bytes of its text (a thousand clips are 15,000 elements):
    // room made once rather than moved as it grows.
    elements.reserve(doc.documentText().size() / 32);
    doc.resetPosition();
    if (!doc.findElement())
        return elements;
    if (doc.enterElement()) {
        while (doc.findElement())
            elements.push_back({doc.tagName(), doc.elementText()});
        doc.leaveElement();
    }
    while (doc.findElement())
        elements.push_back({doc.tagName(), doc.elementText()});
    return elements;
}

bool holdsUserClips(const std::vector<RootElement>& elements) {
    for (const RootElement& element : elements) {
        const std::string_view name = element.name;
        if (name.rfind(kHistoryPrefix, 0) == 0 || name.rfind(kSlotPrefix, 0) == 0 || name == kCategoryListName)
            return true;
    }
    return false;
}

bool findRootChild(XmlDocument& doc, std::string_view name) {
    // With no current element the search first makes the root current, then walks its children.
    doc.resetPosition();
    return doc.findChildElement(name);
}

void appendRootChild(XmlDocument& doc, std::string_view name, std::string_view text) {
    doc.resetPosition();
    doc.findElement();
    doc.enterElement();
    doc.addElement(name, text);
    doc.leaveElement();
}

void setRootChild(XmlDocument& doc, std::string_view name, std::string_view text) {
    if (findRootChild(doc, name)) {
        doc.enterElement();
        doc.setElementText(text);
    } else {
        appendRootChild(doc, name, text);
    }
}

std::vector<std::string> removeClipElements(xml::XmlDocument& doc, std::string_view clip, std::string_view alsoElement) {
    std::vector<std::string> files;
    doc.resetPosition();
    if (!doc.findElement() || !doc.enterElement())
        return files;
    while (doc.findElement()) {
        const std::string name(doc.elementName());
        if (!belongsToClip(name, clip) && (alsoElement.empty() || name != alsoElement))
            continue;
        for (std::string& file : dataFilesOfElement(name))
            files.push_back(std::move(file));
        doc.deleteElement();
    }
    return files;
}

}  // namespace store
