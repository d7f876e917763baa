#include "search/IndexBuilder.h"

#include "search/SealedBlocks.h"
#include "store/ArchivePaths.h"
#include "store/BmpLayout.h"
#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/ClipSnapshot.h"
#include "store/DropFiles.h"
#include "store/FileSystem.h"
#include "store/PartRows.h"
#include "store/StorePaths.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace search {

namespace {

// The most of a file list's data that is read: its header and first names.
constexpr std::size_t kFileListBytes = 64 * 1024;

// A history clip's element: "his12--time", "his12--source", "his12category" or a part "his12-3".
struct HistoryElement {
    enum class What { Time, Source, Category, Part, Other } what = What::Other;
    int number = 0;
};

std::optional<HistoryElement> historyElement(std::string_view name) {
    if (name.substr(0, store::kHistoryPrefix.size()) != store::kHistoryPrefix)
        return std::nullopt;
    std::size_t at = store::kHistoryPrefix.size();
    HistoryElement element;
    for (; at < name.size() && name[at] >= '0' && name[at] <= '9' && element.number < 1000000; ++at)
        element.number = element.number * 10 + (name[at] - '0');
    std::string_view rest = name.substr(at);
    if (at == store::kHistoryPrefix.size())
        return std::nullopt;
    if (rest == store::kCategorySuffix) {
        element.what = HistoryElement::What::Category;
    } else if (!rest.empty() && rest.front() == '-') {
        rest.remove_prefix(1);
        if (rest == store::kTimeSuffix)
            element.what = HistoryElement::What::Time;
        else if (rest == store::kSourceSuffix)
            element.what = HistoryElement::What::Source;
        else if (!rest.empty() && std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; }))
            element.what = HistoryElement::What::Part;
    } else {
        return std::nullopt;
    }
    return element;
}

// A history clip as its elements tell it, in their order.
struct Record {
    IndexRow row;
    std::vector<std::pair<std::string, int>> parts;  // element, clipboard format
};

// The data of an archive's clips, from its data folder through the caller's reader.
class ArchiveReader : public store::RecordReader {
public:
    ArchiveReader(const std::string& folder, const FileBytes& read) : m_folder(folder), m_read(read) {}

    std::optional<std::u16string> text(const std::string& element, int format) override {
        const std::optional<std::string> bytes = dataFile(element, 2 * kIndexedUnits + 2);
        return bytes ? std::optional<std::u16string>(store::clipboardText(*bytes, format)) : std::nullopt;
    }
    std::optional<std::pair<int, int>> pictureSize(const std::string& recordName) override {
        const std::optional<std::string> headers = dataFile(store::bitmapFileName(recordName), store::kBmpHeadersSize);
        return headers ? store::bitmapFileSize(*headers) : std::nullopt;
    }
    std::optional<std::u16string> firstFile(const std::string& element) override {
        const std::optional<std::string> bytes = dataFile(element, kFileListBytes);
        std::u16string path;
        return bytes && store::firstDroppedFilePath(*bytes, path) ? std::optional<std::u16string>(path) : std::nullopt;
    }

private:
    // A name the index gives is a file of the data folder only when it is a plain file name.
    std::optional<std::string> dataFile(const std::string& name, std::size_t limit) const {
        if (!store::isPlainFileName(name))
            return std::nullopt;
        return m_read(store::joinPath(m_folder, name), limit);
    }

    const std::string& m_folder;
    const FileBytes& m_read;
};

std::vector<Record> historyRecords(const std::vector<store::RootElement>& elements) {
    std::vector<Record> records;
    std::map<int, std::size_t> byNumber;
    for (const store::RootElement& element : elements) {
        const std::optional<HistoryElement> history = historyElement(element.name);
        if (!history || history->what == HistoryElement::What::Other)
            continue;
        const auto [at, added] = byNumber.emplace(history->number, records.size());
        if (added) {
            records.emplace_back();
            records.back().row.number = history->number;
        }
        Record& record = records[at->second];
        switch (history->what) {
        case HistoryElement::What::Time:
            record.row.copyTime = element.text;
            break;
        case HistoryElement::What::Source:
            record.row.source = element.text;
            break;
        case HistoryElement::What::Category:
            record.row.category = element.text;
            break;
        default:
            if (!element.text.empty())
                record.parts.emplace_back(element.name, std::atoi(element.text.c_str()));
        }
    }
    return records;
}

}  // namespace

FileBytes plainFileBytes() {
    return [](const std::string& path, std::size_t limit) -> std::optional<std::string> {
        store::files::PartReader file(path);
        std::string bytes;
        if (!file.isOpen() || !file.read(0, static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), limit)), bytes))
            return std::nullopt;
        return bytes;
    };
}

std::vector<IndexRow> archiveRows(const std::vector<store::RootElement>& elements, const std::string& dataFolder,
                                  const FileBytes& read) {
    ArchiveReader reader(dataFolder, read);
    std::vector<IndexRow> rows;
    for (Record& record : historyRecords(elements)) {
        const std::string clip = store::historyClipName(record.row.number);
        for (const auto& [element, format] : record.parts) {
            if (std::optional<store::PartRow> part = store::partRow(format, element, clip, reader)) {
                record.row.kind = part->kind;
                record.row.text = std::move(part->content);
                rows.push_back(std::move(record.row));
                break;
            }
        }
    }
    return rows;
}

std::optional<ArchiveStamp> archiveStamp(const std::string& path) {
    const std::optional<store::files::FileEntry> entry = store::files::entryOf(path);
    return entry ? std::optional<ArchiveStamp>(ArchiveStamp{entry->size, entry->writeTime}) : std::nullopt;
}

BuiltIndex buildIndex(const std::string& archivePath, const IndexAccess& access) {
    BuiltIndex built;
    const std::optional<ArchiveStamp> stamp = archiveStamp(archivePath);
    std::optional<std::string> bytes = stamp ? access.read(archivePath, kMaxArchiveIndexBytes) : std::nullopt;
    xml::XmlDocument archive;
    if (!bytes || !archive.loadFileBytes(std::move(*bytes)))
        return built;
    const std::vector<IndexRow> rows =
        archiveRows(store::rootElements(archive), store::archiveDataFolder(archivePath), access.read);
    std::optional<std::string> index = encodeIndex(*stamp, rows);
    if (!index)
        return built;
    built.bytes = std::move(*index);
    // Sealed, in blocks that a search opens one at a time. What cannot be sealed is not written
    // in the clear: the caller keeps it in memory, as one whose folder cannot be written.
    const std::optional<std::string> file =
        !access.seal ? std::optional<std::string>(built.bytes)
                     : sealInBlocks(built.bytes, static_cast<std::size_t>(IndexHead::headSize(built.bytes).value_or(0)), access.seal);
    const bool written = file && store::files::writeAtomically(store::searchIndexPath(archivePath), *file);
    built.outcome = written ? BuiltIndex::Outcome::Written : BuiltIndex::Outcome::NotWritten;
    return built;
}

}  // namespace search
