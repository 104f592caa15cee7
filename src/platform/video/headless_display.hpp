#pragma once

#include <memory>

#include "platform/video/display.hpp"

// A display with no window: pictures go to the software renderer and flips
// only count. The rules are tested on it.
class HeadlessDisplay final : public Display {
public:
    HeadlessDisplay(Clock& clock, bool fast, int width = 640, int height = 480);
    ~HeadlessDisplay() override;
    Renderer& renderer() override;

protected:
    void Present(int swap_interval) override;

private:
    std::unique_ptr<Renderer> renderer_;
};
