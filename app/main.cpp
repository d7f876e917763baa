// dravix.exe: the application object runs everything from its instance initialisation.
#include "ClipApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CClipApp app;
    return app.Run();
}
