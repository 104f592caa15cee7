#pragma once

#include "platform/renderer.hpp"

// Draws through OpenGL 1.x fixed-function calls into whatever framebuffer is
// bound, with a one-unit-per-pixel projection and y growing downwards.
class GlRenderer final : public Renderer {
public:
    GlRenderer(int width, int height);
    ~GlRenderer() override;

    // Puts the projection, viewport and draw state back after something else
    // (the flip's scaling pass) used the context.
    void MakeCurrent();
    // Call when a new context or back buffer replaces the old one.
    void NewDisplay() { AdvanceSequence(); }
    // The flip's scaling pass changes the clear colour and the scissor.
    void RestoreAfterPresent();

protected:
    std::unique_ptr<TRenderFrame> BuildFrame(const TPixmap& pixmap, int flags) override;
    void ApplyBlend(int mode) override;
    void ApplyClsColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void ApplyViewport(int x, int y, int width, int height, bool scissor) override;
    void ApplyLineWidth(float width) override;
    void EnableTexturing(bool on) override;
    void BindTexture(TRenderFrame& frame) override;
    void Clear() override;
    void DrawQuad(const Vertex (&corners)[4], bool textured) override;
    void DrawPoint(float x, float y) override;
    void DrawSegment(float x0, float y0, float x1, float y1) override;
    TPixmap ReadPixels(int x, int y, int width, int height) override;

private:
    float clear_[3] = {0, 0, 0};
    bool scissor_ = false;
    int scissor_rect_[4] = {0, 0, 0, 0};
};
