// Stand-ins for the hook library: one missing an export (ResumeClipData), which the main
// program must refuse, and (STUB_ALL_EXPORTS) one with every export but no menu pictures.
#include <windows.h>

extern "C" {
int WINAPI installhook(HWND) { return 1; }
int WINAPI UnHook() { return 1; }
int WINAPI SaveClipData(const char*) { return 0; }
UINT_PTR WINAPI Paste2Window(int) { return 0; }
void WINAPI PasteData2Window(const char*) {}
void WINAPI PastePlainText2Window(const char*) {}
HANDLE WINAPI SetCurrentClipData(const char*) { return nullptr; }
int WINAPI GetOperXmlStatus() { return 0; }
int WINAPI SetOperXmlStatus(int status) { return status; }
BOOL WINAPI IsOwnClipboardChange(DWORD, DWORD) { return FALSE; }
#ifdef STUB_ALL_EXPORTS
UINT_PTR WINAPI ResumeClipData() { return 0; }
BOOL WINAPI PublishChordOptions(const void*) { return TRUE; }
void WINAPI SetSealStore(BOOL) {}
#endif
}
