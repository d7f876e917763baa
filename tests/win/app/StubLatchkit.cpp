// A hook library missing one export (ResumeClipData): the main program must refuse it.
#include <windows.h>

extern "C" {
int WINAPI installhook(HWND) { return 1; }
int WINAPI UnHook() { return 1; }
int WINAPI SaveClipData(const char*) { return 0; }
UINT_PTR WINAPI Paste2Window(int) { return 0; }
void WINAPI PasteData2Window(const char*) {}
HANDLE WINAPI SetCurrentClipData(const char*) { return nullptr; }
int WINAPI GetOperXmlStatus() { return 0; }
int WINAPI SetOperXmlStatus(int status) { return status; }
}
