// Kept apart from the rest of the input code: the X11 headers define names
// such as None and Status that clash with ordinary code.

#include "platform/input/input_sdl.hpp"

#include <SDL.h>
#include <SDL_syswm.h>

bool KeyboardTakenByAnotherClient(const SDL_Event& event) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (event.type != SDL_SYSWMEVENT || event.syswm.msg == nullptr) return false;
    const SDL_SysWMmsg& message = *event.syswm.msg;
    if (message.subsystem != SDL_SYSWM_X11) return false;
    const XEvent& x11 = message.msg.x11.event;
    return x11.type == FocusOut && x11.xfocus.mode == NotifyGrab;
#else
    (void)event;
    return false;
#endif
}
