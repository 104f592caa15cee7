#include "platform/video/display_platform.hpp"

#include "platform/video/gl_loader.hpp"
#include "platform/video/gl_renderer.hpp"
#include "platform/video/gles2_renderer.hpp"

std::unique_ptr<QueuedRenderer> AttachRenderer(int width, int height, int drawable_width, int drawable_height) {
    if (ChooseRenderer() == RendererKind::kGles2) {
        auto renderer = std::make_unique<Gles2Renderer>(width, height);
        if (renderer->Attach(drawable_width, drawable_height)) return renderer;
    }
    auto renderer = std::make_unique<GlRenderer>(width, height);
    renderer->Attach(drawable_width, drawable_height);
    return renderer;
}

bool MayOpenFullscreen() { return true; }

void AfterPresent() {}
