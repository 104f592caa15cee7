#pragma once

#include <cstdint>
#include <memory>

#include "platform/video/pixmap.hpp"
#include "platform/video/renderer.hpp"

// Draws into an RGBA buffer in memory with the rules of the fixed-function GL
// renderer (pixel-centre coverage, nearest or bilinear texels, modulation by
// the colour, alpha test, blending), so the game can run, grab its sprites and
// be checked with no window and no GPU.
class SoftRenderer final : public Renderer {
public:
    explicit SoftRenderer(int width = 640, int height = 480);

    // Rows top to bottom. Alpha is always 255, as on a display without an
    // alpha buffer.
    const TPixmap& back_buffer() const { return back_buffer_; }
    // With drawing off, quads, points and lines cost nothing and leave the
    // buffer alone; benchmarks use it to time the game without the picture.
    void SetDrawing(bool on) { drawing_ = on; }

    // The largest texture side the renderer accepts.
    static constexpr int kMaxTextureSize = 4096;

    // Texels of one frame, shared with the renderer while bound so a frame
    // freed while still bound cannot leave it pointing at released memory.
    struct Texture {
        TPixmap texels;
        bool filtered = false;
    };

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
    // Pixels [x0, x1) x [y0, y1) that drawing may touch.
    struct ClipRect {
        int x0, y0, x1, y1;
    };

    void FillTriangle(const Vertex& a, const Vertex& b, const Vertex& c, const Texture* texture);
    void WritePixel(int x, int y);

    TPixmap back_buffer_;
    std::shared_ptr<const Texture> texture_;
    int blend_ = BLEND_SOLID;  // blending and alpha test start off, as in a new GL context
    std::uint8_t clear_rgb_[3] = {0, 0, 0};
    ClipRect clip_;
    bool drawing_ = true;
};
