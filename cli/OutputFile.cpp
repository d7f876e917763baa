#include "cli/OutputFile.h"

#include "store/FileSystem.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <algorithm>

namespace cli {

COutputFile::COutputFile(std::string path) : m_path(std::move(path)), m_temporary(store::files::temporarySibling(m_path)) {
    m_file.reset(CHECK_WIN32_HANDLE(CreateFileW(base::toWide(m_temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
}

COutputFile::~COutputFile() {
    if (m_file) {
        m_file.reset();
        store::files::remove(m_temporary);
    }
}

bool COutputFile::write(std::string_view bytes) {
    while (m_file && !bytes.empty()) {
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!CHECK_WIN32(WriteFile(m_file.get(), bytes.data(), size, &written, nullptr)) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return static_cast<bool>(m_file);
}

bool COutputFile::keep() {
    if (!m_file || !CHECK_WIN32(FlushFileBuffers(m_file.get())))
        return false;
    m_file.reset();
    if (store::files::replace(m_temporary, m_path))
        return true;
    store::files::remove(m_temporary);
    return false;
}

}  // namespace cli
