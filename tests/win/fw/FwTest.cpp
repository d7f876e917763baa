// The framework stand-in: the dialog base and the application's message filter, tested where
// they can break.
#include "fw/App.h"
#include "fw/Dialog.h"
#include "fw/MessageWindow.h"
#include "fw/Subclass.h"

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
    bool OnNotify(NMHDR& header, LRESULT& result) override {
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

constexpr UINT kProbe = WM_APP + 7;

// Counts the probe; when told to, fails on every request for the text's length.
class CountingSubclass : public fw::CSubclassedWindow {
public:
    int seen = 0;
    bool fail = false;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen += message == kProbe;
        if (fail && message == WM_GETTEXTLENGTH)
            throw std::runtime_error("a subclass handler failed");
        return CallOriginal(message, wParam, lParam);
    }
};

LRESULT CALLBACK countingForeignSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR count) {
    *reinterpret_cast<int*>(count) += message == kProbe;
    return DefSubclassProc(window, message, wParam, lParam);
}

// Another program's hook or a common control may subclass a window after us: when ours goes,
// theirs stays in the chain. A handler that throws leaves the answer to the next procedure.
TEST(FwSubclass, ALaterSubclassStaysWhenOursGoesAndAThrowIsContained) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"abc", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
    ASSERT_TRUE(edit);
    int foreign = 0;
    {
        CountingSubclass ours;
        ASSERT_TRUE(ours.Subclass(edit));
        ASSERT_TRUE(SetWindowSubclass(edit, countingForeignSubclass, 1, reinterpret_cast<DWORD_PTR>(&foreign)));
        SendMessageW(edit, kProbe, 0, 0);
        EXPECT_EQ(ours.seen, 1);
        EXPECT_EQ(foreign, 1);
        ours.fail = true;
        EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 3);
    }
    SendMessageW(edit, kProbe, 0, 0);
    EXPECT_EQ(foreign, 2);
    RemoveWindowSubclass(edit, countingForeignSubclass, 1);
    // Two of ours on one window: each sees every message whichever goes first, and both let go
    // when the window is destroyed under them.
    CountingSubclass older, newer;
    ASSERT_TRUE(older.Subclass(edit) && newer.Subclass(edit));
    SendMessageW(edit, kProbe, 0, 0);
    older.Unsubclass();
    SendMessageW(edit, kProbe, 0, 0);
    EXPECT_EQ(older.seen, 1);
    EXPECT_EQ(newer.seen, 2);
    ASSERT_TRUE(older.Subclass(edit));
    DestroyWindow(edit);
    EXPECT_EQ(older.hwnd(), nullptr);
    EXPECT_EQ(newer.hwnd(), nullptr);
}

// Notes which messages found the object bound; fails on the probe when told to; deletes itself
// after its last message when it belongs to its window.
class ProbeWindow : public fw::CMessageWindow {
public:
    ProbeWindow(bool* finalSeen = nullptr) : m_finalSeen(finalSeen) {}
    bool boundAtCreate = false;
    int probes = 0;
    bool fail = false;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE)
            boundAtCreate = hwnd() != nullptr;
        if (message == kProbe && fail)
            throw std::runtime_error("a window handler failed");
        probes += message == kProbe;
        return fw::CMessageWindow::WindowProc(message, wParam, lParam);
    }
    void OnFinalMessage() override {
        if (!m_finalSeen)
            return;
        *m_finalSeen = true;
        delete this;
    }

private:
    bool* m_finalSeen;
};

const wchar_t kProbeClass[] = L"FwTestProbeWindow";

TEST(FwMessageWindow, BoundBeforeTheFirstHandlerAndGoneWithTheObject) {
    HWND window = nullptr;
    {
        ProbeWindow probe;
        ASSERT_TRUE(probe.Create({kProbeClass}));
        window = probe.hwnd();
        EXPECT_TRUE(probe.boundAtCreate);
        SendMessageW(window, kProbe, 0, 0);
        EXPECT_EQ(probe.probes, 1);
        probe.fail = true;
        EXPECT_EQ(SendMessageW(window, kProbe, 0, 0), 0);  // contained: the default answer
        ProbeWindow second;  // the class is there already
        EXPECT_TRUE(second.Create({kProbeClass}));
    }
    EXPECT_FALSE(IsWindow(window));
}

TEST(FwMessageWindow, UnboundAtItsEndAndAWindowOwnedObjectGoesWithIt) {
    ProbeWindow probe;
    ASSERT_TRUE(probe.Create({kProbeClass, nullptr, nullptr, WS_POPUP}));
    HWND window = probe.hwnd();
    DestroyWindow(window);  // not by the object
    EXPECT_EQ(probe.hwnd(), nullptr);
    bool finalSeen = false;
    auto* owned = new ProbeWindow(&finalSeen);
    ASSERT_TRUE(owned->Create({kProbeClass}));
    DestroyWindow(owned->hwnd());
    EXPECT_TRUE(finalSeen);
}

TEST(FwMessageWindow, AClassOfThatNameThatIsNotOursIsRefused) {
    WNDCLASSW foreign = {};
    foreign.lpfnWndProc = DefWindowProcW;
    foreign.hInstance = GetModuleHandleW(nullptr);
    foreign.lpszClassName = L"FwTestForeignClass";
    ASSERT_TRUE(RegisterClassW(&foreign));
    ProbeWindow probe;
    EXPECT_FALSE(probe.Create({L"FwTestForeignClass"}));
    EXPECT_EQ(probe.hwnd(), nullptr);
}

}  // namespace
