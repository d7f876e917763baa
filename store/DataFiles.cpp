#include "store/DataFiles.h"

#include "store/SealedFile.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace store {

namespace {

std::atomic<bool>& sealingFlag() {
    static std::atomic<bool> on{true};
    return on;
}

std::atomic<UnreadableReporter>& unreadableReporter() {
    static std::atomic<UnreadableReporter> reporter{nullptr};
    return reporter;
}

std::atomic<bool>& unreadableReported() {
    static std::atomic<bool> reported{false};
    return reported;
}

void reportUnreadable(const std::string& path) {
    const UnreadableReporter reporter = unreadableReporter().load();
    if (reporter && !unreadableReported().exchange(true))
        reporter(path);
}

}  // namespace

void setSealing(bool on) {
    sealingFlag() = on;
}

bool sealing() {
    return sealingFlag();
}

void setUnreadableReporter(UnreadableReporter reporter) {
    unreadableReporter() = reporter;
    unreadableReported() = false;
}

DataContent readDataContent(const std::string& path, std::string_view key) {
    std::optional<std::string> bytes = files::readAll(path);
    if (!bytes)
        return {};
    sealed::OpenedFile opened = sealed::open(*bytes, key);
    if (opened.how == sealed::Opened::Plain || opened.how == sealed::Opened::Unsealed)
        return {DataState::Read, std::move(opened.bytes)};
    if (opened.how == sealed::Opened::Unreadable)
        reportUnreadable(path);  // a password's seal read without its key is no user's loss
    return {DataState::Unreadable, {}};
}

std::optional<std::string> readData(const std::string& path) {
    DataContent content = readDataContent(path);
    if (content.state != DataState::Read)
        return std::nullopt;
    return std::move(content.bytes);
}

DataContent readDataStart(const std::string& path, std::size_t count) {
    std::optional<std::string> start = files::readStart(path, std::max(count, sealed::kHeaderSize));
    DataContent content = !start                          ? DataContent{}
                          : sealed::beginsLikeSeal(*start) ? readDataContent(path)
                                                           : DataContent{DataState::Read, std::move(*start)};
    if (content.bytes.size() > count)
        content.bytes.resize(count);
    return content;
}

std::optional<std::string> dataFileBytes(std::string_view plain) {
    if (sealing())
        return sealed::sealForUser(plain);
    return sealed::unsealed(plain);
}

bool writeDataFiles(const files::FileContents& contents) {
    std::vector<std::string> written;
    for (const auto& [path, plain] : contents) {
        std::optional<std::string> bytes = dataFileBytes(plain);
        if (!bytes)
            return false;
        written.push_back(std::move(*bytes));
    }
    files::FileContents toWrite;
    for (std::size_t i = 0; i < contents.size(); ++i)
        toWrite.emplace_back(contents[i].first, written[i]);
    return files::writeFiles(toWrite);
}

}  // namespace store
