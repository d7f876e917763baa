// Puts a few sample clips on the clipboard one after another (a text, a Chinese text, a
// picture, a file list), so that a running dravix.exe records them. Used by scripts/run. Between
// two clips it takes its messages, as a program with a window does: under Wine every other
// program's opening of the clipboard first asks its owner (the X11 driver's update, answered or
// after five seconds), so a program that only sleeps would hold each reader until it ends.
#include "WinTestSupport.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

void put(UINT format, HANDLE data) {
    putClipboard({{format, data}});
    letTimePass(std::chrono::milliseconds(600));  // a person copies no faster
}

void putText(const std::wstring& text) {
    put(CF_UNICODETEXT, globalFrom(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
}

HBITMAP picture() {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 240, 120);
    HGDIOBJ old = SelectObject(memory, bitmap);
    for (int x = 0; x < 240; ++x) {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(58 + x / 4, 123, 213 - x / 3));
        HGDIOBJ previous = SelectObject(memory, pen);
        MoveToEx(memory, x, 0, nullptr);
        LineTo(memory, x, 120);
        SelectObject(memory, previous);
        DeleteObject(pen);
    }
    HBRUSH sun = CreateSolidBrush(RGB(242, 177, 52));
    HGDIOBJ previous = SelectObject(memory, sun);
    Ellipse(memory, 170, 20, 210, 60);
    SelectObject(memory, previous);
    DeleteObject(sun);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    putText(L"Hello from the clipboard");
    putText(L"多重剪贴板：复制的每一段文字都在这里");
    put(CF_BITMAP, picture());
    const std::wstring files = L"C:\\users\\Public\\Documents\\report.txt";
    const std::string drop = dropFilesBlock(files + L'\0' + L"C:\\users\\Public\\Documents\\notes.txt" + L'\0');
    put(CF_HDROP, globalFrom(drop.data(), drop.size()));
    putText(L"Ctrl+Alt+数字键 粘贴快捷键里的内容");
    return 0;
}
