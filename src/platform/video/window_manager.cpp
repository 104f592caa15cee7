// Kept apart from the rest of the display code: the X11 headers define names
// such as None and Status that clash with ordinary code.

#include "platform/video/window_manager.hpp"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11) && defined(REZARUDEV_X11)
#include <X11/Xatom.h>

namespace {

int IgnoreError(Display*, XErrorEvent*) { return 0; }

// The window a property names, if it names exactly one.
bool WindowProperty(Display* display, Window window, Atom property, Window& value) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format, &count,
                                    &left, &data);
    bool found = status == Success && type == XA_WINDOW && format == 32 && count == 1 && data != nullptr;
    if (found) value = *reinterpret_cast<Window*>(data);
    if (data) XFree(data);
    return found;
}

}  // namespace

// A window manager that follows the freedesktop.org rules names its check
// window on the root, and the check window names itself; a manager that
// has gone leaves the root's property behind, naming a window gone with it.
bool WindowManagerRuns(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    Display* display = info.info.x11.display;
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == 0) return false;
    Window root = DefaultRootWindow(display);
    Window named = 0, self = 0;
    if (!WindowProperty(display, root, check, named)) return false;
    // Asking a window that is gone is an X error, which must not end the game.
    XSync(display, False);
    XErrorHandler earlier = XSetErrorHandler(IgnoreError);
    bool alive = WindowProperty(display, named, check, self) && self == named;
    XSync(display, False);
    XSetErrorHandler(earlier);
    return alive;
}

#else

bool WindowManagerRuns(SDL_Window*) { return true; }

#endif
