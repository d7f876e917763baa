// libFuzzer target: any bytes as a document, then navigation and edits driven by the input.
// After edits on a well-formed document the index must still agree with a fresh parse of the
// text, and escaping must read back.
#include "StoreFixtures.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using xml::NodeKind;
using xml::TextFlags;
using xml::XmlDocument;

namespace {

const char* const kNames[] = {"his1-0", "UserInfo", "AddNew", "a", ""};
const char* const kTexts[] = {"", "13", "A&B <x> \"q\" '", "中文", "]]>x", "&#65;&bad;"};

void check(bool condition, const char* what, const std::string& detail = {}) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s %s\n", what, detail.c_str());
        std::abort();
    }
}

void drive(XmlDocument& doc, const std::uint8_t* ops, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t op = ops[i];
        const char* name = kNames[(op >> 4) % 5];
        const char* text = kTexts[(op >> 4) % 6];
        const TextFlags flags = (op & 0x80) ? TextFlags::WriteCdata : TextFlags::None;
        switch (op % 18) {
        case 0: doc.findElement(); break;
        case 1: doc.findElement(name); break;
        case 2: doc.findChildElement(); break;
        case 3: doc.findChildElement(name); break;
        case 4: doc.enterElement(); break;
        case 5: doc.leaveElement(); break;
        case 6: doc.resetPosition(); break;
        case 7: doc.resetChildPosition(); break;
        case 8: doc.findNode(static_cast<NodeKind>(op >> 4)); break;
        case 9: doc.addElement(name, text, flags); break;
        case 10: doc.addChildElement(name, text, flags | ((op & 0x40) ? TextFlags::InsertBefore : TextFlags::None)); break;
        case 11: doc.setElementText(text, flags); break;
        case 12: doc.setChildElementText(text, flags); break;
        case 13: doc.deleteElement(); break;
        case 14: (void)doc.elementText(); (void)doc.childElementText(); break;
        case 15: (void)doc.attribute("encoding"); (void)doc.tagName(); break;
        case 16: (void)doc.childTagName(); break;
        case 17: doc.addElement(name, {}, TextFlags::SpaceBeforeSlash); break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // First byte: how many operation bytes follow; the rest is the document.
    const std::size_t opCount = data[0] < size - 1 ? data[0] : size - 1;
    const std::uint8_t* ops = data + 1;
    const std::string_view text(reinterpret_cast<const char*>(data + 1 + opCount), size - 1 - opCount);

    XmlDocument doc;
    doc.setDocument(text);
    const bool editable = doc.isEditable();
    if (std::getenv("XML_FUZZ_TRACE") && editable) {
        // Replays growing prefixes of the operations to find the first one that breaks the index.
        for (std::size_t n = 1; n <= opCount; ++n) {
            XmlDocument replay;
            replay.setDocument(text);
            drive(replay, ops, n - 1);
            const std::string before = replay.documentText();
            drive(replay, ops + n - 1, 1);
            const std::string mismatch = indexMismatch(replay);
            if (!mismatch.empty()) {
                std::fprintf(stderr, "op %d (byte %d) breaks the index: %s\nbefore: [%s]\nafter: [%s]\n",
                             ops[n - 1] % 18, ops[n - 1], mismatch.c_str(), before.c_str(), replay.documentText().c_str());
                break;
            }
        }
    }
    drive(doc, ops, opCount);
    if (editable) {
        const std::string mismatch = indexMismatch(doc);
        check(mismatch.empty(), "index after edits", mismatch + "\n" + doc.documentText());
    }
    check(xml::unescapeText(xml::escapeText(text)) == std::string(text), "escape round trip");
    (void)xml::normalizeUtf8(text);
    (void)xml::declaredEncoding(text);
    (void)xml::utf16ToUtf8(xml::utf8ToUtf16(text));
    return 0;
}
