// Reads what a list row shows of a clip from the store's data and bitmap files (store/DataFiles.h:
// sealed ones are opened).
#pragma once

#include "store/StorePaths.h"
#include "app/StoreView.h"
#include "base/Handle.h"

#include <windows.h>

#include <set>

namespace app {

class FileRecordReader : public app::RecordReader {
public:
    explicit FileRecordReader(const store::StorePaths& paths) : m_paths(paths) {}
    std::optional<std::u16string> text(const std::string& element, int format) override;
    std::optional<std::pair<int, int>> pictureSize(const std::string& recordName) override;
    std::optional<std::u16string> firstFile(const std::string& element) override;
    bool unreadable(const std::string& name) const override { return m_unreadable.count(name) > 0; }

    // The record's bitmap file as a bitmap at its own size; null when it cannot be loaded.
    base::UniqueBitmap loadBitmap(const std::string& recordName) const;

private:
    // The content of a data file, noting a file sealed out of this user's reach under `name`.
    std::optional<std::string> content(const std::string& path, const std::string& name, std::size_t count = 0);

    const store::StorePaths& m_paths;
    std::set<std::string> m_unreadable;
};

}  // namespace app
