#pragma once

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

// What main returns. In the browser a main that has waited (and so handed the
// thread back to the page) returns to no one, so the page is told here.
inline int ProgramExit(int status) {
#ifdef __EMSCRIPTEN__
    emscripten_force_exit(status);
#endif
    return status;
}
