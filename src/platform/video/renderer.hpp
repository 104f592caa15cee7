#pragma once

#include <cstdint>
#include <memory>

#include "platform/video/blend.hpp"
#include "platform/video/image_flags.hpp"
#include "platform/video/pixmap.hpp"

// A texture made for one image frame; u1, v1 say how much of it the image
// covers. `seq` is the display sequence it was made for.
struct TRenderFrame {
    virtual ~TRenderFrame() = default;
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
    int seq = 0;
    // Unique for the renderer's lifetime, so the bound-texture cache can
    // never mistake a new texture for a freed one.
    std::uint64_t id = 0;
};

struct Vertex {
    float x, y, u, v;
};

// The drawing back end. This base class holds what every back end shares:
// colour and alpha clamping, the blend-mode, bound-texture and texturing
// caches that keep redundant state changes away from the device, and the
// vertex rule. Back ends implement the protected primitives.
class Renderer {
public:
    Renderer(int width, int height) : width_(width), height_(height) {}
    // Closing the display makes every texture made for it stale.
    virtual ~Renderer();

    int width() const { return width_; }
    int height() const { return height_; }
    // The display sequence this renderer's display was opened with. The count
    // is kept for the whole process and moves on whenever any display opens
    // or closes, so a texture made for a closed display never passes for one
    // of the next display's; textures made for another value are rebuilt.
    int sequence() const { return sequence_; }

    // Builds a texture holding the pixmap; the flags choose filtering.
    std::unique_ptr<TRenderFrame> CreateFrameFromPixmap(const TPixmap& pixmap, int flags);

    void SetBlend(int mode);
    void SetAlpha(float alpha);
    void SetColor(int red, int green, int blue);
    void SetClsColor(int red, int green, int blue);
    void SetViewport(int x, int y, int width, int height);
    void SetTransform(float ix, float iy, float jx, float jy);
    void SetLineWidth(float width);
    void Cls();
    void Plot(float x, float y);
    void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty);
    // Local corners (x0, y0) and (x1, y1), transformed, then moved by (tx, ty).
    void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty);
    void DrawFrame(TRenderFrame& frame, float x0, float y0, float x1, float y1, float tx, float ty);
    // The back-buffer rectangle as RGBA with row 0 at the top and full alpha.
    // What lies outside the picture is opaque black (a grab may hang over its
    // edges: the pause picture is bigger than the screen).
    TPixmap GrabPixmap(int x, int y, int width, int height);

    // Forgets the caches; the next state change is always sent.
    void ResetCaches();
    // Counts how many state changes reached the back end (for tests).
    int blend_changes() const { return blend_changes_; }
    // What was last sent: clamped colour and alpha bytes.
    std::uint8_t red() const { return rgba_[0]; }
    std::uint8_t green() const { return rgba_[1]; }
    std::uint8_t blue() const { return rgba_[2]; }
    std::uint8_t alpha() const { return rgba_[3]; }

protected:
    // Opens the display: takes the next value of the process-wide count.
    void AdvanceSequence();
    // For back ends that bind textures behind the cache's back.
    void ForgetBoundTexture() { bound_ = 0; }

    virtual std::unique_ptr<TRenderFrame> BuildFrame(const TPixmap& pixmap, int flags) = 0;
    virtual void ApplyBlend(int mode) = 0;
    virtual void ApplyClsColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    // Scissoring is off when the viewport covers the whole display.
    virtual void ApplyViewport(int x, int y, int width, int height, bool scissor) = 0;
    virtual void ApplyLineWidth(float width) = 0;
    virtual void EnableTexturing(bool on) = 0;
    virtual void BindTexture(TRenderFrame& frame) = 0;
    virtual void Clear() = 0;
    // Corners top-left, top-right, bottom-right, bottom-left; colour rgba_.
    virtual void DrawQuad(const Vertex (&corners)[4], bool textured) = 0;
    virtual void DrawPoint(float x, float y) = 0;
    virtual void DrawSegment(float x0, float y0, float x1, float y1) = 0;
    // A rectangle inside the picture, never empty.
    virtual TPixmap ReadPixels(int x, int y, int width, int height) = 0;

    std::uint8_t rgba_[4] = {255, 255, 255, 255};
    float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1;
    int blend_mode_ = BLEND_MASK;

private:
    void Texturing(bool on);

    int width_;
    int height_;
    int sequence_ = 0;
    int sent_blend_ = 0;  // 0: nothing sent since the caches were reset
    std::uint64_t bound_ = 0;
    std::uint64_t next_frame_id_ = 1;
    int texturing_ = -1;  // -1 unknown, else 0 or 1
    int blend_changes_ = 0;
};

// Texture size for a width x height image: each side rounded up to a power
// of two, then halved while the device refuses it. Zero sizes when even 1x1
// is refused.
struct TextureSize {
    int width = 0;
    int height = 0;
};
template <typename Accepts>
TextureSize ChooseTextureSize(int width, int height, Accepts&& accepts) {
    TextureSize size{1, 1};
    while (size.width < width) size.width *= 2;
    while (size.height < height) size.height *= 2;
    while (!accepts(size.width, size.height)) {
        if (size.width == 1 && size.height == 1) return {};
        if (size.width > 1) size.width /= 2;
        if (size.height > 1) size.height /= 2;
    }
    return size;
}

// The texture's pixels: the image (shrunk when the texture is smaller), with
// its last column and row repeated once beside and below it so filtering at
// the edge does not pull in unrelated texels.
TPixmap BuildTexturePixmap(const TPixmap& image, TextureSize size);
