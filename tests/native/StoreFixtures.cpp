#include "StoreFixtures.h"

#include "store/ClipNames.h"
#include "store/StoreDocument.h"
#include "xml/XmlDocument.h"

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
