// dravix.exe: the application object runs everything from its instance initialisation.
#include "app/ClipApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    app::CClipApp app;
    return app.Run();
}
