#include "platform/video/display_platform.hpp"

#include <emscripten.h>

#include "platform/video/gles2_renderer.hpp"

namespace {

constexpr double kLongestShutOutMs = 50.0;

// The last moment the browser had its thread: web/page.js stamps every
// animation frame it gets to run.
EM_JS(double, LastAnimationFrame, (), { return Module.lastAnimationFrame || 0; });

double last_let_in = 0.0;

}  // namespace

std::unique_ptr<QueuedRenderer> AttachRenderer(int width, int height, int drawable_width, int drawable_height) {
    auto renderer = std::make_unique<Gles2Renderer>(width, height);
    if (!renderer->Attach(drawable_width, drawable_height)) return nullptr;
    return renderer;
}

bool MayOpenFullscreen() { return false; }

void AfterPresent() {
    double now = emscripten_get_now();
    double last = LastAnimationFrame();
    if (last_let_in > last) last = last_let_in;
    if (now - last < kLongestShutOutMs) return;
    emscripten_sleep(0);
    last_let_in = emscripten_get_now();
}
