// The screen capture with the real dravix.exe and real mouse and keys: a drag and Enter put the
// selected part of the frozen screen on the clipboard (and the main window records it), the
// arrow keys move and resize the selection a pixel at a time, the right button and Esc close it
// without touching the clipboard.
#include "DravixAppTest.h"
#include "DravixProcess.h"
#include "WinTestSupport.h"
#include "base/Handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The colour of every screen pixel of the pattern window, from its screen position.
COLORREF patternAt(int x, int y) {
    return RGB((x * 7) & 0xFF, (y * 5) & 0xFF, 120);
}

// A window of the test that paints the pattern, or black once it is told to change.
class PatternWindow {
public:
    PatternWindow() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"DravixCapturePattern";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"pattern", WS_POPUP | WS_VISIBLE, 60, 60,
                                   420, 320, nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        UpdateWindow(m_window);
        // On screen once the screen shows its pattern.
        base::WindowDc screen(nullptr);
        pumpUntil([&] { return GetPixel(screen.get(), 200, 150) == patternAt(200, 150); }, 5s);
    }
    ~PatternWindow() { DestroyWindow(m_window); }
    void turnBlack() {
        m_black = true;
        InvalidateRect(m_window, nullptr, TRUE);
        UpdateWindow(m_window);
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<PatternWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_PAINT && self) {
            base::PaintScope paint(window);
            RECT area;
            GetClientRect(window, &area);
            POINT origin = {0, 0};
            ClientToScreen(window, &origin);
            for (int y = area.top; y < area.bottom; ++y)
                for (int x = area.left; x < area.right; ++x)
                    SetPixel(paint.get(), x, y, self->m_black ? RGB(0, 0, 0) : patternAt(origin.x + x, origin.y + y));
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND m_window = nullptr;
    bool m_black = false;
};

// The rest of a person's drag with the button down: moved in steps from `from`, released at `to`.
void finishDrag(POINT from, POINT to) {
    for (int step = 1; step <= 8; ++step) {
        SetCursorPos(from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8);
        letTimePass(40ms);  // a person's drag
    }
    sendMouseButton(MOUSEEVENTF_LEFTUP);
}

// A person's drag: pressed at `from`, moved in steps, released at `to`.
void drag(POINT from, POINT to) {
    movePointer(from);
    sendMouseButton(MOUSEEVENTF_LEFTDOWN);
    finishDrag(from, to);
}

// The bitmap on the clipboard as 32-bit pixels, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
};
bool clipboardPicture(Picture& picture) {
    int& width = picture.width;
    int& height = picture.height;
    std::vector<COLORREF>& pixels = picture.pixels;
    base::ClipboardScope clipboard(nullptr);
    HBITMAP bitmap = clipboard.isOpen() ? static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)) : nullptr;
    BITMAP description = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof description, &description))
        return false;
    width = description.bmWidth;
    height = description.bmHeight;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> raw(static_cast<std::size_t>(width) * height);
    base::WindowDc screen(nullptr);
    GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), raw.data(), &info, DIB_RGB_COLORS);
    pixels.clear();
    for (DWORD value : raw)
        pixels.push_back(RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF));
    return true;
}

class CaptureTest : public DravixAppTest {
protected:
    void SetUp() override {
        DravixAppTest::SetUp();
        SetWindowPos(m_app->mainWindow(), nullptr, 600, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Enter in the capture: it closes, and the clipboard holds the selection's picture.
    static bool enterCopies(HWND capture, Picture& picture) {
        pressKeys({VK_RETURN}, false, 80ms);
        // The recorder may be reading the clipboard just then, as any viewer may.
        return pumpUntil([&] { return !IsWindow(capture); }, 5s) && pumpUntil([&] { return clipboardPicture(picture); }, 5s);
    }
    HWND openCapture() {
        const std::size_t mark = m_log.mark();
        PostMessageW(m_app->mainWindow(), WM_COMMAND, 32783, 0);
        HWND capture = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
        return capture && pumpUntil([&] { return m_log.has("capture: on screen", mark); }, 5s) ? capture : nullptr;
    }
};

TEST_F(CaptureTest, ADragAndEnterCopyTheFrozenPictureAndTheListRecordsIt) {
    PatternWindow pattern;
    HWND capture = openCapture();
    ASSERT_TRUE(capture);
    pattern.turnBlack();  // the live screen changes; the capture does not
    drag({100, 100}, {300, 200});
    screenshot(L"capture.png");
    Picture picture;
    ASSERT_TRUE(enterCopies(capture, picture));
    EXPECT_EQ(picture.width, 196);
    EXPECT_EQ(picture.height, 96);
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            wrong += picture.pixels[static_cast<std::size_t>(y * picture.width + x)] != patternAt(104 + x, 104 + y);
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(m_app->waitForRows([](const auto& rows) {
        for (const ListRow& row : rows)
            if (row.content == L"picture:size 196*96" && row.image == 1)
                return true;
        return false;
    }));
}

// Timed as Wine times a bare display (the capture's window, the clipboard's owner, takes two
// seconds to hide, and the main window's thread with it): the picture is a row every time.
TEST_F(CaptureTest, ThePictureIsRecordedEveryTimeWhateverTheWindowIsDoing) {
    PatternWindow pattern;
    const BareDisplayTiming bareDisplay;
    const std::size_t mark = m_log.mark();
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        HWND capture = openCapture();
        ASSERT_TRUE(capture);
        drag({100, 100}, {300 + 10 * round, 200});
        const auto entered = std::chrono::steady_clock::now();
        Picture picture;
        ASSERT_TRUE(enterCopies(capture, picture));
        // The two seconds a window manager would have spared: the check is made as users make it.
        EXPECT_GE(std::chrono::steady_clock::now() - entered, 1500ms);
        const std::wstring content = L"picture:size " + std::to_wstring(196 + 10 * round) + L"*96";
        EXPECT_TRUE(m_app->waitForRows([&](const auto& rows) {
            return std::count_if(rows.begin(), rows.end(), [&](const ListRow& row) { return row.content == content; }) == 1;
        }, 15s));
    }
    EXPECT_EQ(m_app->rowCount(), kRounds);
    EXPECT_FALSE(m_log.has("copy not recorded", mark));
}

TEST_F(CaptureTest, ArrowKeysMoveAndShiftArrowsResizeByOnePixel) {
    PatternWindow pattern;
    HWND capture = openCapture();
    ASSERT_TRUE(capture);
    drag({100, 100}, {300, 200});
    pressKeys({VK_RIGHT}, true, 80ms);
    pressKeys({VK_RIGHT}, true, 80ms);
    pressKeys({VK_RIGHT}, false, 80ms);
    pressKeys({VK_DOWN}, false, 80ms);
    pressKeys({VK_UP}, true, 80ms);
    Picture picture;
    ASSERT_TRUE(enterCopies(capture, picture));
    EXPECT_EQ(picture.width, 198);   // 196, two wider
    EXPECT_EQ(picture.height, 95);   // 96, one shorter
    EXPECT_EQ(picture.pixels.front(), patternAt(105, 105));  // moved right and down by one
}

// With nothing selected neither a double click nor Enter copies anything; the tray's command
// opens the capture too. A drag the user begins while the window is being prepared is not lost:
// the selection is taken from where the pointer was when the window showed.
TEST_F(CaptureTest, NothingSelectedCopiesNothingAndADragBegunEarlyIsKept) {
    const DWORD before = GetClipboardSequenceNumber();
    PostMessageW(m_app->trayWindow(), WM_COMMAND, 32796, 0);
    HWND capture = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
    ASSERT_TRUE(capture);
    pressKeys({VK_RETURN}, false, 80ms);
    // A double click starts a 4 x 4 selection and lands on its corner: nothing is copied either.
    clickAt({200, 200}, true);
    EXPECT_TRUE(expectNothingFor(500ms, [&] { return !IsWindow(capture) || GetClipboardSequenceNumber() != before; }));
    pressKeys({VK_ESCAPE}, false, 80ms);
    pressKeys({VK_ESCAPE}, false, 80ms);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(capture); }, 5s));
    EXPECT_EQ(GetClipboardSequenceNumber(), before);

    PatternWindow pattern;
    movePointer({100, 100});
    sendMouseButton(MOUSEEVENTF_LEFTDOWN);
    PostMessageW(m_app->mainWindow(), WM_COMMAND, 32783, 0);
    capture = waitForProcessDialog(m_app->processId(), m_app->mainWindow());
    ASSERT_TRUE(capture);
    ASSERT_TRUE(pumpUntil([&] { return m_log.has("capture: a drag begun before the window showed is taken over"); }, 5s));
    finishDrag({100, 100}, {300, 200});
    Picture picture;
    ASSERT_TRUE(enterCopies(capture, picture));
    EXPECT_EQ(picture.width, 196);
    EXPECT_EQ(picture.height, 96);
}

TEST_F(CaptureTest, RightButtonTwiceAndEscCloseWithoutTouchingTheClipboard) {
    const DWORD before = GetClipboardSequenceNumber();
    HWND capture = openCapture();
    ASSERT_TRUE(capture);
    drag({100, 100}, {300, 200});
    for (int i = 0; i < 2; ++i) {
        sendMouseButton(MOUSEEVENTF_RIGHTDOWN);
        sendMouseButton(MOUSEEVENTF_RIGHTUP);
        letTimePass(200ms);  // two clicks, the first handled before the second
    }
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(capture); }, 5s));

    capture = openCapture();
    ASSERT_TRUE(capture);
    drag({120, 120}, {220, 220});
    pressKeys({VK_ESCAPE}, false, 80ms);
    EXPECT_TRUE(IsWindow(capture));  // the selection went; the window stays
    pressKeys({VK_ESCAPE}, false, 80ms);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(capture); }, 5s));
    EXPECT_EQ(GetClipboardSequenceNumber(), before);
}

}  // namespace
