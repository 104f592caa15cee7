#pragma once

#include <functional>
#include <vector>

#include "platform/video/gl_loader.hpp"
#include "platform/video/gl_state.hpp"
#include "platform/video/queued_renderer.hpp"

// Draws through OpenGL 1.x fixed-function calls with a one-unit-per-pixel
// projection and y growing downwards, into a framebuffer object of the
// display's size that each flip scales to the window; on drivers without
// framebuffer objects, straight into the window's back buffer, centred.
// Runs are drawn from vertex arrays, one glDrawArrays each.
class GlRenderer final : public QueuedRenderer {
public:
    GlRenderer(int width, int height);
    ~GlRenderer() override;

    // Opens the display on the context just made current, for a window of
    // the given drawable size.
    void Attach(int window_width, int window_height);
    void Detach() override;
    // True when there are no framebuffer objects and the picture is drawn in
    // the window itself.
    bool draws_to_window() const { return to_window_; }

protected:
    std::unique_ptr<TRenderFrame> BuildFrame(const TPixmap& pixmap, int flags) override;
    TPixmap ReadPixels(int x, int y, int width, int height) override;
    void Execute(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices) override;
    bool KeepsPicture() const override { return !to_window_; }
    void ShowPicture(int window_width, int window_height, const std::function<void()>& swap) override;
    void ForgetBoundTextureName(unsigned name) override { state_.ForgetTexture(name); }

private:
    void SetUpContext();
    void ForgetAppliedState();
    void Apply(const DrawSettings& settings);
    void PlaceInWindow(int window_width, int window_height);

    GlStateCache state_;
    // Sent to the GL; -1 means "unknown, send again".
    int applied_alpha_test_ = -1;
    int applied_texturing_ = -1;

    FramebufferApi framebuffer_api_;
    bool attached_ = false;
    bool to_window_ = false;
    unsigned framebuffer_ = 0;
    unsigned colour_texture_ = 0;
};
