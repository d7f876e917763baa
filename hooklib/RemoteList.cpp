#include "hooklib/RemoteList.h"

#include "store/Protocol.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace hooklib {

namespace {

// A message to the main window or its list, answered in time or not at all.
bool ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer) {
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG, kRemoteAnswerMs, &answer) != 0;
}

constexpr int kContentUnits = 40;  // read of column 0
constexpr int kNumberUnits = 24;   // read of column 2
constexpr int kTextCapacity = 100;  // characters the list may write per text

// LVITEMW as a process of the given pointer size lays it out.
template <typename Pointer>
struct RemoteItem {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    Pointer pszText;
    int cchTextMax;
    int iImage;
    Pointer lParam;
    int iIndent;
    int iGroupId;
    UINT cColumns;
    Pointer puColumns;
    Pointer piColFmt;
    int iGroup;
};

bool isThirtyTwoBit(HANDLE process) {
#ifdef _WIN64
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
#else
    (void)process;
    return true;  // a 32-bit process reads only lists it can reach: 32-bit ones
#endif
}

// Memory in another process, released on every path out.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, std::size_t size)
        : m_process(process),
          m_address(CHECK_WIN32(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
    ~RemoteBlock() { release(); }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* address() const { return static_cast<char*>(m_address); }
    bool release() {
        if (!m_address)
            return true;
        return CHECK_WIN32(VirtualFreeEx(m_process, std::exchange(m_address, nullptr), 0, MEM_RELEASE)) != 0;
    }

private:
    HANDLE m_process;
    void* m_address;
};

// Each row takes two records (column 0 with its image, column 2) and two text areas; all of them
// are written in one go, the list is asked row by row, and everything is read back in one go.
template <typename Pointer>
bool readRows(HWND list, HANDLE process, int count, RemoteBlock& records, RemoteBlock& texts,
              std::vector<RemoteRow>& rows) {
    using Item = RemoteItem<Pointer>;
    const std::size_t textBytes = kTextCapacity * sizeof(wchar_t);
    std::vector<Item> local(static_cast<std::size_t>(count) * 2);
    for (int row = 0; row < count; ++row)
        for (int column = 0; column < 2; ++column) {
            Item& item = local[static_cast<std::size_t>(row * 2 + column)];
            std::memset(&item, 0, sizeof item);
            item.mask = column == 0 ? (LVIF_TEXT | LVIF_IMAGE) : LVIF_TEXT;
            item.iItem = row;
            item.iSubItem = column == 0 ? 0 : 2;
            item.pszText = static_cast<Pointer>(reinterpret_cast<std::uintptr_t>(texts.address()) +
                                                static_cast<std::uintptr_t>(row * 2 + column) * textBytes);
            item.cchTextMax = kTextCapacity;
        }
    if (!WriteProcessMemory(process, records.address(), local.data(), local.size() * sizeof(Item), nullptr))
        return false;
    for (int row = 0; row < count; ++row) {
        char* record = records.address() + static_cast<std::size_t>(row * 2) * sizeof(Item);
        DWORD_PTR answer = 0;
        if (!ask(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(record), answer) ||
            !ask(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(record + sizeof(Item)), answer))
            return false;
    }
    std::vector<char16_t> text(static_cast<std::size_t>(count) * 2 * kTextCapacity);
    if (!ReadProcessMemory(process, texts.address(), text.data(), text.size() * sizeof(char16_t), nullptr) ||
        !ReadProcessMemory(process, records.address(), local.data(), local.size() * sizeof(Item), nullptr))
        return false;
    auto textOf = [&](int row, int column, int units) {
        const char16_t* at = text.data() + static_cast<std::size_t>(row * 2 + column) * kTextCapacity;
        std::size_t length = 0;
        while (length < static_cast<std::size_t>(units) && at[length])
            ++length;
        return std::u16string(at, length);
    };
    for (int row = count - 1; row >= 0; --row)
        rows.push_back({textOf(row, 0, kContentUnits), textOf(row, 1, kNumberUnits),
                        local[static_cast<std::size_t>(row * 2)].iImage});
    return true;
}

}  // namespace

namespace {

// One request of the main window: the rows copied into a block shared for the occasion.
bool askMainWindow(HWND main, int count, std::vector<RemoteRow>& rows) {
    static LONG requests = 0;
    const unsigned long request = static_cast<unsigned long>(InterlockedIncrement(&requests));
    const std::size_t size = sizeof(store::ListRowsHeader) + static_cast<std::size_t>(count) * sizeof(store::ListRowRecord);
    const std::string name = store::listRowsBlockName(GetCurrentProcessId(), request);
    const base::UniqueKernelObject mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                            static_cast<DWORD>(size), base::toWide(name).c_str()));
    if (!mapping)
        return false;
    const base::MappedView view(mapping.get());
    if (!view.data())
        return false;
    auto* header = static_cast<store::ListRowsHeader*>(view.data());
    header->capacity = static_cast<std::uint32_t>(count);
    header->count = 0;
    DWORD_PTR answer = 0;
    if (!ask(main, store::kMsgCopyListRows, GetCurrentProcessId(), static_cast<LPARAM>(request), answer) || answer == 0)
        return false;
    const auto* records = reinterpret_cast<const store::ListRowRecord*>(header + 1);
    const std::uint32_t written = std::min<std::uint32_t>(header->count, static_cast<std::uint32_t>(count));
    auto text = [](const char16_t* at, std::size_t units) {
        std::size_t length = 0;
        while (length < units && at[length])
            ++length;
        return std::u16string(at, length);
    };
    for (std::uint32_t row = written; row-- > 0;)
        rows.push_back({text(records[row].content, kContentUnits), text(records[row].number, kNumberUnits),
                        records[row].image});
    return true;
}

}  // namespace

RemoteReadResult readListRowsReversed(HWND main, HWND list, std::vector<RemoteRow>& rows) {
    DWORD_PTR count = 0;
    if (!ask(list, LVM_GETITEMCOUNT, 0, 0, count))
        return RemoteReadResult::Busy;
    if (count == 0)
        return RemoteReadResult::Read;
    if (askMainWindow(main, static_cast<int>(count), rows))
        return RemoteReadResult::Read;
    rows.clear();
    return readListRowsByMessages(list, rows);
}

RemoteReadResult readListRowsByMessages(HWND list, std::vector<RemoteRow>& rows) {
    DWORD_PTR answer = 0;
    if (!ask(list, LVM_GETITEMCOUNT, 0, 0, answer))
        return RemoteReadResult::Busy;
    const int count = static_cast<int>(answer);
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    base::UniqueKernelObject process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                                   PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process)
        return RemoteReadResult::NoMemory;
    if (count <= 0)
        return RemoteReadResult::Read;
    const bool small = isThirtyTwoBit(process.get());
    const std::size_t recordSize = small ? sizeof(RemoteItem<std::uint32_t>) : sizeof(RemoteItem<std::uint64_t>);
    RemoteBlock texts(process.get(), static_cast<std::size_t>(count) * 2 * kTextCapacity * sizeof(wchar_t));
    RemoteBlock records(process.get(), static_cast<std::size_t>(count) * 2 * recordSize);
    if (!texts.address() || !records.address()) {
        texts.release();
        records.release();
        return RemoteReadResult::NoMemory;
    }
    const bool read = small ? readRows<std::uint32_t>(list, process.get(), count, records, texts, rows)
                            : readRows<std::uint64_t>(list, process.get(), count, records, texts, rows);
    const bool released = texts.release() & records.release();
    if (!read)
        return RemoteReadResult::Busy;
    return released ? RemoteReadResult::Read : RemoteReadResult::NotReleased;
}

}  // namespace hooklib
