#include "app/StoreView.h"

#include "store/ClipNames.h"
#include "store/ClipOrigin.h"
#include "app/ClipRules.h"
#include "store/NumberText.h"
#include "store/PasteQueue.h"
#include "store/Text.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"

#include <algorithm>
#include <cstdlib>

using xml::XmlDocument;
using xml::utf8ToUtf16;

namespace app {

namespace {

// The walk over the index's elements: a record starts at its copy-time element; its use time and
// category follow; its first part that can be shown becomes its row.
class ViewBuilder {
public:
    ViewBuilder(ViewNode node, const std::u16string& nodeText, RecordReader& reader)
        : m_node(node),
          m_nodeText(nodeText),
          m_reader(reader),
          m_prefix(node == ViewNode::Hotkeys ? store::kSlotPrefix : store::kHistoryPrefix),
          m_category(utf8ToUtf16(kCollectionText)) {}

    void element(const std::string& name, XmlDocument& index) {
        if (name.find(m_prefix) == std::string::npos)
            return;
        if (store::endsWithIgnoringCase(name, store::kSourceSuffix)) {
            m_source = index.elementText();
            return;
        }
        if (store::endsWithIgnoringCase(name, store::kOriginSuffix)) {
            m_origin = store::originName(index.elementText());
            return;
        }
        if (name.find("time") != std::string::npos) {
            if (name.find("usetime") != std::string::npos)
                m_useTime = index.elementText();
            else
                startRecord(name, index.elementText());
        } else if (name.find(store::kCategorySuffix) != std::string::npos) {
            m_category = utf8ToUtf16(index.elementText());
        } else {
            part(name, index.elementText());
        }
    }

    std::vector<ViewRow> rows() { return std::move(m_rows); }

private:
    // "his12--time" gives the key "12", "copy5-time" the key "5".
    void startRecord(const std::string& name, std::string copyTime) {
        m_copyTime = std::move(copyTime);
        m_source.clear();
        m_origin.clear();
        const std::string rest = store::replaceAll(name, m_prefix, "");
        const std::string key = rest.substr(0, rest.find('-'));
        m_record = m_node == ViewNode::Hotkeys ? store::slotClipName(key) : store::historyClipName(key);
        m_number = m_node == ViewNode::Hotkeys ? std::string(store::kSlotNumberPrefix) + key : key;
        m_category = m_node == ViewNode::Collection ? utf8ToUtf16(kCollectionText)
                     : m_node == ViewNode::Hotkeys  ? utf8ToUtf16(kHotkeysText)
                                                    : std::u16string();
    }

    void part(const std::string& name, const std::string& value) {
        if (m_nodeText != m_category || m_number == m_lastNumber || value.empty())
            return;
        std::optional<PartRow> row = partRow(std::atoi(value.c_str()), name, m_record, m_reader);
        if (!row)
            return;
        // The search's 分类 filter: the category a clip is filed in (the history and the slots are none).
        std::string category = m_node == ViewNode::Other ? xml::utf16ToUtf8(m_category) : std::string();
        m_rows.push_back({row->kind, std::move(row->content), m_copyTime, m_number, m_useTime, m_source, m_record,
                          std::move(category), m_origin});
        m_lastNumber = m_number;
    }

    const ViewNode m_node;
    const std::u16string& m_nodeText;
    RecordReader& m_reader;
    const std::string_view m_prefix;
    std::u16string m_category;
    std::string m_number, m_lastNumber, m_record, m_copyTime, m_useTime, m_source, m_origin;
    std::vector<ViewRow> m_rows;
};

}  // namespace

std::vector<ViewRow> queueView(std::vector<ViewRow> history, const std::vector<int>& queue) {
    std::vector<ViewRow> rows;
    for (int number : queue) {
        const std::string text = store::historyNumberText(number);
        const auto row = std::find_if(history.begin(), history.end(), [&](const ViewRow& r) { return r.number == text; });
        if (row != history.end())
            rows.push_back(std::move(*row));
    }
    return rows;
}

std::optional<std::u16string> newestHistoryText(const std::vector<ViewRow>& rows) {
    const ViewRow* newest = nullptr;
    int newestNumber = 0;
    for (const ViewRow& row : rows) {
        const std::optional<int> number = store::historyNumberOfClip(row.clip);
        if (row.kind != kRowText || !number)
            continue;
        if (!newest || row.copyTime > newest->copyTime || (row.copyTime == newest->copyTime && *number > newestNumber)) {
            newest = &row;
            newestNumber = *number;
        }
    }
    if (!newest)
        return std::nullopt;
    return newest->content;
}

std::vector<ViewRow> buildStoreView(XmlDocument& index, ViewNode node, const std::u16string& nodeText,
                                    RecordReader& reader) {
    ViewBuilder builder(node, nodeText, reader);
    index.resetPosition();
    if (index.findElement() && index.enterElement())
        while (index.findElement())
            builder.element(index.tagName(), index);
    return builder.rows();
}

}  // namespace app
