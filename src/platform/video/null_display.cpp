#include "platform/video/null_display.hpp"

#include "platform/video/soft_renderer.hpp"

NullDisplay::NullDisplay(Clock& clock)
    : Display(clock, false, 60, true), renderer_(std::make_unique<SoftRenderer>(640, 480)) {}

NullDisplay::~NullDisplay() = default;

Renderer& NullDisplay::renderer() { return *renderer_; }

void NullDisplay::Present(int) { renderer_->SetDrawing(false); }
