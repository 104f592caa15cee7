// Apart from the tests themselves: the X11 headers define None, Status, Bool...

#include "support/x11_window.hpp"

#include <SDL_syswm.h>

bool X11WindowGeometry(SDL_Window* window, SDL_Rect& geometry) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    XSync(display, False);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, info.info.x11.window, &attributes)) return false;
    Window child;
    int x = 0, y = 0;
    XTranslateCoordinates(display, info.info.x11.window, attributes.root, 0, 0, &x, &y, &child);
    geometry = {x, y, attributes.width, attributes.height};
    return true;
#else
    (void)window;
    (void)geometry;
    return false;
#endif
}
