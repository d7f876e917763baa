// Reads what a list row shows of a clip from the store's data and bitmap files.
#pragma once

#include "store/StorePaths.h"
#include "app/StoreView.h"
#include "base/Handle.h"

#include <windows.h>

class FileRecordReader : public clip::RecordReader {
public:
    explicit FileRecordReader(const store::StorePaths& paths) : m_paths(paths) {}
    std::optional<std::u16string> text(const std::string& element, int format) override;
    std::optional<std::pair<int, int>> pictureSize(const std::string& recordName) override;
    std::optional<std::u16string> firstFile(const std::string& element) override;

    // The record's bitmap file as a bitmap at its own size; null when it cannot be loaded.
    base::UniqueBitmap loadBitmap(const std::string& recordName) const;

private:
    const store::StorePaths& m_paths;
};
