// The framework stand-in: the dialog base, the application's message filter and the RAII
// classes, tested where they can break.
#include "fw/App.h"
#include "fw/Dialog.h"
#include "fw/Handle.h"
#include "fw/Text.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <stdexcept>

namespace {

// A dialog whose handlers are set by each test; it ends itself from a posted message.
class ProbeDialog : public fw::CDialog {
public:
    ProbeDialog() : fw::CDialog(100) {}
    std::function<void(ProbeDialog&)> onInit;
    std::function<bool(const NMHDR&, LRESULT&)> onNotify;
    bool boundAtInit = false;
    int commands = 0;

protected:
    bool OnInitDialog() override {
        boundAtInit = hwnd() != nullptr && item(IDOK) != nullptr;
        if (onInit)
            onInit(*this);
        return true;
    }
    bool OnNotify(const NMHDR& header, LRESULT& result) override {
        return onNotify && onNotify(header, result);
    }
    bool OnCommand(int id, int code, HWND control) override {
        if (id == 4242)
            throw std::runtime_error("a handler failed");
        if (id == IDOK)
            ++commands;
        return fw::CDialog::OnCommand(id, code, control);
    }
};

TEST(FwDialog, ThisIsBoundBeforeTheFirstHandlerAndOkEndsTheLoop) {
    ProbeDialog dialog;
    dialog.onInit = [](ProbeDialog& self) { PostMessageW(self.hwnd(), WM_COMMAND, IDOK, 0); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(dialog.boundAtInit);
    EXPECT_EQ(dialog.hwnd(), nullptr);  // unbound once destroyed
}

TEST(FwDialog, CancelEndsTheLoopWithItsCode) {
    ProbeDialog dialog;
    dialog.onInit = [](ProbeDialog& self) { PostMessageW(self.hwnd(), WM_COMMAND, IDCANCEL, 0); };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(FwDialog, AnExceptionInAHandlerIsContained) {
    ProbeDialog dialog;
    dialog.onInit = [](ProbeDialog& self) {
        PostMessageW(self.hwnd(), WM_COMMAND, 4242, 0);
        PostMessageW(self.hwnd(), WM_COMMAND, IDOK, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.commands, 1);
}

TEST(FwDialog, NotificationResultsReachTheDialogManager) {
    ProbeDialog dialog;
    LRESULT returned = 0, kept = 0;
    dialog.onNotify = [](const NMHDR& header, LRESULT& result) {
        if (header.code != NM_CUSTOMDRAW)
            return false;
        result = 0x1234;
        return true;
    };
    dialog.onInit = [&](ProbeDialog& self) {
        NMHDR header = {};
        header.hwndFrom = self.item(1001);
        header.idFrom = 1001;
        header.code = NM_CUSTOMDRAW;
        returned = SendMessageW(self.hwnd(), WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&header));
        kept = GetWindowLongPtrW(self.hwnd(), DWLP_MSGRESULT);
        PostMessageW(self.hwnd(), WM_COMMAND, IDOK, 0);
    };
    dialog.DoModal();
    EXPECT_EQ(returned, 0x1234);  // what the sender gets
    EXPECT_EQ(kept, 0x1234);      // where the dialog manager takes it from
}

class FilterApp : public fw::CApp {
public:
    int escapes = 0;
    bool ProcessMessageFilter(int code, MSG* message) override {
        if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
            ++escapes;
            return true;  // swallowed: the dialog does not see Escape
        }
        return false;
    }
    bool InitInstance() override {
        ProbeDialog dialog;
        dialog.onInit = [](ProbeDialog& self) {
            PostMessageW(self.item(1000), WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(self.hwnd(), WM_COMMAND, IDOK, 0);
        };
        result = dialog.DoModal();
        return false;
    }
    INT_PTR result = 0;
};

TEST(FwApp, TheFilterSeesKeysInsideAModalLoop) {
    FilterApp app;
    app.Run();
    EXPECT_EQ(app.escapes, 1);
    EXPECT_EQ(app.result, IDOK);  // Escape would have cancelled
}

TEST(FwHandles, OwnersFreeAndScopesRestore) {
    HGDIOBJ brush = nullptr;
    {
        fw::UniqueGdiObject owned(CreateSolidBrush(RGB(1, 2, 3)));
        brush = owned.get();
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
        fw::UniqueGdiObject moved(std::move(owned));
        EXPECT_FALSE(owned);
        EXPECT_EQ(moved.get(), brush);
    }
    EXPECT_EQ(GetObjectType(brush), 0u);

    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
    {
        fw::GlobalLockScope lock(memory);
        ASSERT_TRUE(lock.data());
        EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 1u);
    }
    EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 0u);
    GlobalFree(memory);

    {
        fw::ClipboardScope clipboard(nullptr);
        ASSERT_TRUE(clipboard.isOpen());
        EXPECT_TRUE(clipboard.close());
        EXPECT_FALSE(clipboard.isOpen());
    }
    fw::ClipboardScope again(nullptr, 1);
    EXPECT_TRUE(again.isOpen());  // the first scope closed it

    // A DC gets its first object back, from a select scope and from a memory DC before it goes.
    // A bitmap is selected in one DC at a time, so another DC can take it only once it is back.
    fw::UniqueGdiObject picture(CreateBitmap(8, 8, 1, 1, nullptr));
    const auto selectableElsewhere = [&] {
        fw::MemoryDc elsewhere(nullptr);
        const HGDIOBJ previous = SelectObject(elsewhere.get(), picture.get());
        if (previous)
            SelectObject(elsewhere.get(), previous);
        return previous != nullptr;
    };
    {
        fw::MemoryDc dc(nullptr);
        const HGDIOBJ first = GetCurrentObject(dc.get(), OBJ_BITMAP);
        {
            fw::SelectScope selected(dc.get(), picture.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), picture.get());
            EXPECT_FALSE(selectableElsewhere());
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), first);
        dc.select(picture.get());
        EXPECT_FALSE(selectableElsewhere());
    }
    EXPECT_TRUE(selectableElsewhere());
}

TEST(FwText, Utf8AndUtf16RoundTrip) {
    EXPECT_EQ(fw::toWide("剪贴板 clip"), L"剪贴板 clip");
    EXPECT_EQ(fw::toUtf8(L"剪贴板 clip"), "剪贴板 clip");
    EXPECT_EQ(fw::toWide(""), L"");
}

}  // namespace
