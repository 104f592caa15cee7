#include "platform/video/headless_display.hpp"

#include "platform/video/soft_renderer.hpp"

HeadlessDisplay::HeadlessDisplay(Clock& clock, bool fast, int width, int height)
    : Display(clock, false, 60, fast), renderer_(std::make_unique<SoftRenderer>(width, height)) {}

HeadlessDisplay::~HeadlessDisplay() = default;

Renderer& HeadlessDisplay::renderer() { return *renderer_; }

void HeadlessDisplay::Present(int) {}
