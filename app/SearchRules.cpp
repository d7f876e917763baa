#include "app/SearchRules.h"

#include "store/StorePaths.h"
#include "xml/XmlText.h"

#include <algorithm>
#include <map>

namespace app::searchbox {

std::u16string searchStatus(const SearchState& state) {
    if (!state.error.empty())
        return state.error;
    std::u16string status = xml::utf8ToUtf16(std::to_string(state.shown) + " / " + std::to_string(state.total));
    std::u16string on = state.pattern ? u"正则表达式" : u"";
    if (!state.filters.empty())
        on += (on.empty() ? u"" : u"，") + state.filters;
    if (!on.empty())
        status += u"\u3000筛选：" + on;
    if (state.cutShort)
        status += u"\u3000（搜索超时，只显示了部分结果）";
    if (state.earlier == EarlierState::TooShort)
        status += u"\u3000以前的记录：输入至少 3 个字母或 2 个汉字，或按 Enter 查找";
    else if (state.earlier == EarlierState::Searching)
        status += u"\u3000正在查找以前的记录…";
    else if (state.earlier == EarlierState::Done)
        status += u"\u3000以前的记录：" + xml::utf8ToUtf16(std::to_string(state.earlierHits)) + u" 条" +
                  (state.earlierMore ? u"（还有更多，请缩小范围）" : u"") +
                  (state.earlierUnprepared > 0
                       ? u"（另有 " + xml::utf8ToUtf16(std::to_string(state.earlierUnprepared)) + u" 个记录正在准备）"
                       : u"");
    return status;
}

namespace {

void addOffered(std::vector<MenuItem>& menu, search::FilterKind kind, const std::vector<std::u16string>& values,
                unsigned& id) {
    for (std::size_t i = 0; i < values.size() && i < kMaxOfferedPerKind; ++i) {
        const std::u16string key = u"&" + std::u16string(1, static_cast<char16_t>(u'1' + i)) + u" ";
        menu.push_back({id++, kind, values[i], key + values[i]});
    }
    id += static_cast<unsigned>(kMaxOfferedPerKind - std::min(values.size(), kMaxOfferedPerKind));
}

}  // namespace

std::vector<MenuItem> filterMenu(const std::vector<std::u16string>& programs, const std::vector<std::u16string>& categories,
                                 unsigned firstId) {
    std::vector<MenuItem> menu;
    unsigned id = firstId;
    MenuItem toggle;
    toggle.id = id++;
    toggle.label = u"正则表达式(&R)";
    toggle.patternToggle = true;
    menu.push_back(toggle);
    for (const search::FilterMenuItem& item : search::filterMenuItems())
        menu.push_back({id++, item.kind, std::u16string(item.value), std::u16string(item.label)});
    addOffered(menu, search::FilterKind::Program, programs, id);
    addOffered(menu, search::FilterKind::Category, categories, id);
    return menu;
}

std::size_t filterMenuIdCount() {
    return 1 + search::filterMenuItems().size() + 2 * kMaxOfferedPerKind;
}

std::vector<std::u16string> programsOfRows(const std::vector<std::string>& sources, std::size_t most) {
    std::map<std::u16string, std::pair<std::size_t, std::u16string>> counted;  // folded name: count, name as seen first
    for (const std::string& source : sources) {
        const std::u16string name = xml::utf8ToUtf16(store::fileNameOfPath(source));
        if (name.empty())
            continue;
        auto& [count, shown] = counted[search::foldedForSearch(name)];
        if (count++ == 0)
            shown = name;
    }
    std::vector<std::pair<std::size_t, std::u16string>> ranked;
    for (auto& [folded, entry] : counted)
        ranked.push_back(std::move(entry));
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::u16string> names;
    for (std::size_t i = 0; i < ranked.size() && i < most; ++i)
        names.push_back(std::move(ranked[i].second));
    return names;
}

}  // namespace app::searchbox
