#include "platform/web/page.hpp"

#include <emscripten.h>

namespace {

constexpr double kLongestShutOutMs = 50.0;

// The last moment the browser had its thread: page.js stamps every animation
// frame it gets to run.
EM_JS(double, LastAnimationFrame, (), { return Module.lastAnimationFrame || 0; });

EM_JS(int, TakeCloseRequest, (), {
    var asked = Module.rezarudevCloseAsked;
    Module.rezarudevCloseAsked = false;
    return asked ? 1 : 0;
});

double last_let_in = 0.0;

}  // namespace

void LetThePageIn() {
    double now = emscripten_get_now();
    double last = LastAnimationFrame();
    if (last_let_in > last) last = last_let_in;
    if (now - last < kLongestShutOutMs) return;
    emscripten_sleep(0);
    last_let_in = emscripten_get_now();
}

bool PageAsksToClose() { return TakeCloseRequest() != 0; }
