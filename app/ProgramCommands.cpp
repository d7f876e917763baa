#include "app/ProgramCommands.h"

#include "app/ClipRules.h"
#include "app/FileRecordReader.h"
#include "app/StoreView.h"
#include "app/recorder/Filing.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/RestorableFormats.h"
#include "store/StoreFile.h"
#include "store/TimeStamp.h"
#include "xml/FileUtf8.h"
#include "xml/XmlDocument.h"
#include "xml/XmlText.h"
#include "base/Trace.h"

#include <algorithm>

namespace app {

using Result = CommandOutcome::Result;
using store::command::DataFormat;

namespace {

CommandOutcome failed(std::string message) {
    return {Result::Failed, std::move(message)};
}

CommandRow commandRow(const app::ViewRow& row, int number) {
    return {number, row.copyTime, static_cast<store::command::RowKind>(std::clamp(row.kind, 0, 2)), row.source, row.content};
}

// The clipboard's bytes of a text: UTF-16 (little-endian) ending in a null.
std::string unicodeTextBytes(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(2 * text.size() + 2);
    for (const char16_t unit : text + u'\0') {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::optional<std::string> formatBytes(const store::StorePaths& paths, const std::string& clip, unsigned format) {
    const std::optional<store::RestorableFormats> formats = store::storedFormats(paths, clip, false);
    if (!formats)
        return std::nullopt;
    for (const auto& [stored, bytes] : *formats)
        if (stored == format)
            return bytes.substr(0, bytes.find('\0'));  // the block's text, without the null after it
    return std::nullopt;
}

}  // namespace

std::vector<app::ViewRow> CProgramCommands::viewRows(bool slots) {
    const store::StorePaths& paths = m_parts.store.paths();
    xml::XmlDocument index;
    if (store::readStoreFile(paths.indexFile(), index) != store::FileState::Loaded)
        return {};
    FileRecordReader reader(paths);
    // The node's text is the tree's, as the window shows the node.
    return slots ? app::buildStoreView(index, app::ViewNode::Hotkeys, xml::utf8ToUtf16(app::kHotkeysText), reader)
                 : app::buildStoreView(index, app::ViewNode::Collection, xml::utf8ToUtf16(app::kCollectionText), reader);
}

bool CProgramCommands::exists(const std::string& clip) const {
    return !m_parts.store.clipElements(clip).formats.empty();
}

CommandOutcome CProgramCommands::onWindow(const std::function<CommandOutcome()>& task) {
    CommandOutcome outcome = failed("Dravix 的窗口正忙，请稍后再试。");
    m_parts.window.Run([&] { outcome = task(); }, kWindowTaskMs);
    return outcome;
}

std::vector<CommandRow> CProgramCommands::historyRows() {
    std::vector<CommandRow> rows;
    for (const app::ViewRow& row : viewRows(false))
        if (store::isHistoryClipName(row.clip))
            rows.push_back(commandRow(row, std::atoi(row.number.c_str())));
    return rows;
}

std::optional<std::string> CProgramCommands::clipData(int number, DataFormat format) {
    const std::string clip = store::historyClipName(number);
    if (!exists(clip))
        return std::nullopt;
    switch (format) {
    case DataFormat::Text: {
        const std::u16string text = m_parts.store.getTextFromName(clip);
        return text.empty() ? std::nullopt : std::optional(xml::utf16ToUtf8(text));
    }
    case DataFormat::Html:
        return formatBytes(m_parts.store.paths(), clip, RegisterClipboardFormatW(L"HTML Format"));
    case DataFormat::Bitmap:
        return xml::readFileBytes(m_parts.store.paths().bitmapFile(clip));
    }
    return std::nullopt;
}

// Filed as the recorder files a copy (the repeat rule, a full history, the room made), and shown.
CommandOutcome CProgramCommands::addText(const std::u16string& text, int& added) {
    store::ClipSnapshot copy;
    copy.formats.push_back({0, static_cast<unsigned>(store::kFormatUnicodeText), unicodeTextBytes(text)});
    const app::recorder::Filing filing =
        app::recorder::fileCopy(m_parts.store.paths(), copy, store::currentTimeStamp(), m_parts.lastText());
    switch (filing.outcome) {
    case app::recorder::Filing::Outcome::Filed:
        break;
    case app::recorder::Filing::Outcome::Repeat:
        return failed("这段文本与上一条记录相同，没有再添加。");
    case app::recorder::Filing::Outcome::NothingToShow:
        return failed("没有可添加的文本。");
    case app::recorder::Filing::Outcome::HistoryFull:
        return failed("历史记录已满，没有添加。");
    case app::recorder::Filing::Outcome::Failed:
        return failed("无法写入 Dravix 的存储。");
    }
    added = filing.number;
    onWindow([&] {
        if (m_parts.view.ShowsHistory())
            m_parts.view.ShowRecordedRows({filing.row});
        return CommandOutcome{};
    });
    return {};
}

// The hook library puts it there (keeping what the clipboard held as "tempFile"), as its own
// change: the recorder does not file it again.
CommandOutcome CProgramCommands::copyClip(int number) {
    const std::string clip = store::historyClipName(number);
    if (!exists(clip))
        return {Result::NotFound, {}};
    return onWindow([&] {
        const DWORD before = GetClipboardSequenceNumber();
        if (m_parts.hook.SetCurrentClipData)
            m_parts.hook.SetCurrentClipData(clip.c_str());
        return GetClipboardSequenceNumber() != before ? CommandOutcome{} : failed("无法把这条记录放到剪贴板上。");
    });
}

// The command line ran in the window that was in front: it gets the foreground back first.
CommandOutcome CProgramCommands::pasteClip(int number, std::optional<store::Transform> transform,
                                           std::uint64_t targetWindow) {
    const std::string clip = store::historyClipName(number);
    if (!exists(clip))
        return {Result::NotFound, {}};
    if (transform) {
        const std::optional<store::RestorableFormats> stored = store::storedFormats(m_parts.store.paths(), clip, false);
        if (!stored || store::transformedPaste(*stored, *transform).empty())
            return {Result::NotFound, {}};
    }
    const auto target = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(targetWindow));
    return onWindow([&] {
        if (IsWindow(target) && target != m_main && GetForegroundWindow() != target)
            SetForegroundWindow(target);
        if (transform && m_parts.hook.PasteTransformed2Window)
            m_parts.hook.PasteTransformed2Window(clip.c_str(), static_cast<int>(*transform));
        else if (!transform && m_parts.hook.PasteData2Window)
            m_parts.hook.PasteData2Window(clip.c_str());
        else
            return failed("Dravix 的钩子库不能粘贴。");
        return CommandOutcome{};
    });
}

std::optional<CommandRow> CProgramCommands::slotRow(int slot) {
    const std::string clip = store::slotClipName(static_cast<char>('0' + slot));
    for (const app::ViewRow& row : viewRows(true))
        if (row.clip == clip)
            return commandRow(row, slot);
    return std::nullopt;
}

// The history clip's formats become the slot's, as a slot copy of them would.
CommandOutcome CProgramCommands::setSlot(int slot, int number) {
    const std::optional<store::StoredClip> contents = m_parts.store.readClip(store::historyClipName(number));
    if (!contents || contents->snapshot.empty())
        return {Result::NotFound, {}};
    if (!store::writeClip(m_parts.store.paths(), store::slotClipName(static_cast<char>('0' + slot)), contents->snapshot))
        return failed("无法写入 Dravix 的存储。");
    onWindow([&] {
        m_parts.view.RefreshShown();
        return CommandOutcome{};
    });
    return {};
}

CommandOutcome CProgramCommands::deleteClip(int number) {
    const std::string clip = store::historyClipName(number);
    if (!exists(clip))
        return {Result::NotFound, {}};
    return onWindow([&] {
        m_parts.store.removeClip(clip);
        m_parts.view.RefreshShown();
        m_parts.view.queue().Changed();  // a deleted clip leaves the paste queue
        return CommandOutcome{};
    });
}

CommandOutcome CProgramCommands::setRecording(bool on) {
    return onWindow([&] {
        m_parts.setPaused(!on);
        return CommandOutcome{};
    });
}

// As a second start shows the first one's window.
CommandOutcome CProgramCommands::showWindow() {
    return onWindow([&] {
        ShowWindow(m_main, SW_SHOW);
        ShowWindow(m_main, SW_SHOWNORMAL);
        SetForegroundWindow(m_main);
        return CommandOutcome{};
    });
}

}  // namespace app
