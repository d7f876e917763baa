// What the real dravix.exe says about its writes to the store: a store that cannot be written
// fails a copy, a slot's filing and a Save visibly (a balloon, a message), reports none of them as
// done and leaves the user's clipboard as it was; and the contents found at a start are recorded
// without marking the store as holding unsaved changes.
#include "DravixAppTest.h"

#include "store/ClipFormats.h"
#include "store/ClipSnapshot.h"
#include "store/Protocol.h"
#include "store/StoreFile.h"
#include "store/SysClipBoard.h"
#include "store/TimeStamp.h"
#include "WinTestSupport.h"
#include "xml/XmlDocument.h"
#include "base/Text.h"

#include <filesystem>

using xml::XmlDocument;

namespace {

namespace fs = std::filesystem;

const std::wstring kRoot = L"我的剪贴板";
const std::wstring kRootChanged = L"我的剪贴板 *";

bool holdsRow(const std::vector<ListRow>& rows, const std::wstring& text) {
    for (const ListRow& row : rows)
        if (row.content == text)
            return true;
    return false;
}

class StoreWritesTest : public DravixAppTest {
protected:
    StoreWritesTest() : DravixAppTest(Start::ByTheTest), m_store(store::userStoreFolder()) {}

    HWND waitForMessage() const {
        HWND box = nullptr;
        pumpUntil([&] {
            return (box = findProcessWindow(m_app->processId(), base::toWide(store::kMainWindowTitle), m_app->mainWindow())) != nullptr;
        }, 8s);
        return box;
    }

    store::CSysClipBoard m_store;
};

// The data folder replaced by a file while the program runs (a store folder that cannot be
// written): a copy, a slot's filing and a Save each fail as failures, and the clipboard keeps
// what the user copied.
TEST_F(StoreWritesTest, AStoreThatCannotBeWrittenFailsVisiblyAndLeavesTheClipboardAlone) {
    start();
    record(L"recorded before");
    record(L"the user's clipboard");
    // Slot 5 as the hook library stores it, before the store breaks.
    store::ClipSnapshot slot;
    slot.formats = {{0, store::kFormatUnicodeText, std::string("s\0l\0o\0t\0\0\0", 10)}};
    {
        store::StagedClip staged(m_store.paths(), slot);
        ASSERT_TRUE(store::updateStoreFile(m_store.paths().indexFile(), store::IfMissing::Create,
                                           [&](XmlDocument& doc) { return staged.commit(doc, "copy5", store::currentTimeStamp()); }));
    }
    const std::string dataFolder = m_store.paths().dataFolder();
    fs::remove_all(fs::u8path(dataFolder));
    writeBytes(dataFolder, "a file where the data folder should be");

    // A slot's filing: reported in the tray, no row, the clipboard as it was.
    std::size_t mark = m_log.mark();
    PostMessageW(m_app->mainWindow(), store::kMsgSlotCopied, '5', 0);
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("slot 5 not filed", mark); }, 5s)) << m_log.text();
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("tray balloon: store not written", mark); }, 5s));
    EXPECT_TRUE(expectNothingFor(300ms, [&] { return holdsRow(m_app->rows(), L"slot"); }));
    EXPECT_TRUE(clipboardHoldsText(L"the user's clipboard"));

    // A copy: not recorded, said so, and still on the clipboard.
    mark = m_log.mark();
    ASSERT_TRUE(putClipboardText(L"copied while the store is broken"));
    EXPECT_TRUE(pumpUntil([&] { return m_log.has("copy not recorded: store not written", mark); }, 8s)) << m_log.text();
    EXPECT_FALSE(holdsRow(m_app->rows(), L"copied while the store is broken"));
    EXPECT_TRUE(clipboardHoldsText(L"copied while the store is broken"));
    EXPECT_EQ(m_app->rows().size(), 2u);

    // A Save: the message, no archive written, the store still marked as unsaved.
    const std::string archive = m_dir.path("broken.amc");
    PostMessageW(m_app->mainWindow(), WM_COMMAND, 32795, 0);  // Save as
    ASSERT_TRUE(typeIntoFileDialog(base::toWide(archive)));
    HWND message = waitForMessage();
    ASSERT_TRUE(message);
    wchar_t text[400] = {};
    GetDlgItemTextW(message, 0xFFFF, text, 400);
    EXPECT_NE(std::wstring(text).find(L"存档没有保存"), std::wstring::npos) << base::toUtf8(text);
    PostMessageW(message, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(fileExists(archive));
    EXPECT_FALSE(fileExists(m_dir.path("broken")));
    EXPECT_EQ(m_app->treeText(0), kRootChanged);
    EXPECT_TRUE(clipboardHoldsText(L"copied while the store is broken"));

    // Once the folder is back, copies are recorded again.
    fs::remove(fs::u8path(dataFolder));
    record(L"recorded after");
}

// What the clipboard holds when the program starts is the run's first record, and it leaves the
// store unmarked (nothing the user did needs saving yet); the next copy marks it.
TEST_F(StoreWritesTest, TheContentsFoundAtTheStartLeaveNoUnsavedMark) {
    ASSERT_TRUE(putClipboardText(L"there at the start"));
    start();
    ASSERT_TRUE(m_app->waitForRows([](const auto& rows) { return holdsRow(rows, L"there at the start"); }));
    EXPECT_EQ(m_app->treeText(0), kRoot);
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return m_app->treeText(0) != kRoot; }));
    record(L"copied afterwards");
    EXPECT_TRUE(pumpUntil([&] { return m_app->treeText(0) == kRootChanged; }, 5s));
}

}  // namespace
