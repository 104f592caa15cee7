#pragma once

#include <memory>

#include "platform/video/display.hpp"

class SoftRenderer;

// A display with no window that stops drawing once its first frame is shown.
// Start-up draws the sprite atlas and cuts the sprites out of the back buffer
// before any frame is shown, and it does so through the software renderer,
// which draws by the same rules as the GL back ends: the sprites, and so the
// collision masks made from them, are the desktop game's pixels. After that
// nothing drawn can change the course of a game, so a frame costs only the
// game's own work. The score board plays submitted games on it.
class NullDisplay final : public Display {
public:
    explicit NullDisplay(Clock& clock);
    ~NullDisplay() override;
    Renderer& renderer() override;

protected:
    void Present(int swap_interval) override;

private:
    std::unique_ptr<SoftRenderer> renderer_;
};
