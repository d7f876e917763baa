/* The one duty of a window manager that Wine waits for. Before it hides a window it has shown,
 * Wine waits until a window manager has marked the window as shown in its WM_STATE property,
 * and gives up only after two seconds; on a bare X display nobody marks it, so every dialog,
 * message box and menu owner that closes costs two seconds. This keeps WM_STATE as a window
 * manager would: Normal when a top-level window is mapped, Withdrawn when it is unmapped. It
 * moves, decorates and focuses nothing. While the file named by its argument exists it marks
 * nothing, so that a test can see windows timed as on a bare display.
 *   window-states [pause-file]   (runs until its display closes) */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

/* Windows go while we mark them: nothing to report. */
static int ignoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0;
}

static void markState(Display* display, Atom wmState, Window window, long state) {
    const long value[2] = {state, None}; /* the state and the icon window */
    XChangeProperty(display, window, wmState, wmState, 32, PropModeReplace, (const unsigned char*)value, 2);
}

int main(int argc, char** argv) {
    const char* pauseFile = argc > 1 ? argv[1] : NULL;
    Display* display = XOpenDisplay(NULL);
    if (!display)
        return 1;
    XSetErrorHandler(ignoreErrors);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (pauseFile && access(pauseFile, F_OK) == 0)
            continue;
        if (event.type == MapNotify && !event.xmap.override_redirect)
            markState(display, wmState, event.xmap.window, NormalState);
        else if (event.type == UnmapNotify && !event.xunmap.send_event)
            markState(display, wmState, event.xunmap.window, WithdrawnState);
        XFlush(display);
    }
}
