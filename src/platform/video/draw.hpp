#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/video/pixmap.hpp"
#include "platform/video/renderer.hpp"

class TImageFont;

// Everything that decides how the next thing is drawn. It persists across
// frames: nothing resets it, so every drawing routine sets what it needs.
struct TDrawState {
    int color_red = 255, color_green = 255, color_blue = 255;  // stored unclamped
    float color_alpha = 1.0f;                                  // stored unclamped
    int clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
    float line_width = 1.0f;
    float tform_rot = 0;
    float tform_scale_x = 1.0f, tform_scale_y = 1.0f;
    float tform_ix = 1, tform_iy = 0, tform_jx = 0, tform_jy = 1;
    int viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
    float origin_x = 0, origin_y = 0;
    float handle_x = 0, handle_y = 0;  // kept negated
    TImageFont* image_font = nullptr;  // null: the built-in font
    int blend_mode = BLEND_MASK;
};

// An image of one or more equal-sized frames. Each frame keeps its pixels
// (which collisions read) and, once drawn, a texture made from them.
class TImage {
public:
    TImage(int width, int height, int frame_count, int flags);

    int width;
    int height;
    int flags;
    int mask_r = 0, mask_g = 0, mask_b = 0;
    float handle_x = 0, handle_y = 0;  // from the top-left corner, not negated
    std::vector<std::unique_ptr<TPixmap>> pixmaps;
    std::vector<std::unique_ptr<TRenderFrame>> frames;
    std::vector<int> seqs;  // display sequence each texture was made for; 0 = stale

    int FrameCount() const { return static_cast<int>(pixmaps.size()); }
    // Stores pixels into a frame and drops its texture. Buffers without alpha
    // are masked first when the image is masked.
    void SetPixmap(int frame, TPixmap pixmap);
};

// The 2D drawing layer: the draw state plus images, drawn through a renderer.
class Graphics {
public:
    explicit Graphics(Renderer& renderer);

    Renderer& renderer() { return renderer_; }
    const TDrawState& state() const { return state_; }
    int width() const { return renderer_.width(); }
    int height() const { return renderer_.height(); }

    // Sends the whole draw state to the renderer, as when a display is made
    // current.
    void ApplyState();

    void Cls();
    void SetClsColor(int red, int green, int blue);
    void SetColor(int red, int green, int blue);
    void SetAlpha(float alpha);
    void SetBlend(int mode);
    void SetRotation(float degrees);
    void SetScale(float scale_x, float scale_y);
    void SetTransform(float degrees, float scale_x, float scale_y);
    float GetRotation() const { return state_.tform_rot; }
    void GetScale(float& scale_x, float& scale_y) const;
    void SetViewport(int x, int y, int width, int height);
    void SetOrigin(float x, float y);
    void SetHandle(float x, float y);
    void SetLineWidth(float width);
    void SetFont(TImageFont* font) { state_.image_font = font; }

    void Plot(float x, float y);
    void DrawLine(float x0, float y0, float x1, float y1);
    void DrawRect(float x, float y, float width, float height);
    void DrawImage(TImage& image, float x, float y, int frame);
    // One frame with explicit local corners, translated to (tx, ty) and put
    // through the current transform (the text layer draws glyphs this way).
    void DrawImageFrame(TImage& image, int frame, float x0, float y0, float x1, float y1, float tx, float ty);

    // `source` is a path or "incbin::NAME". Null when it cannot be decoded.
    std::unique_ptr<TImage> LoadImage(const std::string& source, int flags = -1);
    std::unique_ptr<TImage> LoadImage(TPixmap pixmap, int flags = -1);
    std::unique_ptr<TImage> CreateImage(int width, int height, int frame_count = 1, int flags = -1);
    void GrabImage(TImage& image, int x, int y, int frame = 0);
    void SetImageMidHandle(TImage& image);
    void SetImageHandle(TImage& image, float x, float y);
    void SetAutoMidHandle(bool on) { auto_mid_handle_ = on; }
    void SetAutoImageFlags(int flags);
    int AutoImageFlags() const { return auto_image_flags_; }
    void SetMaskColor(int red, int green, int blue);

    // The texture for a frame, made on first use and again after the display
    // changed. Null when the frame does not exist.
    TRenderFrame* RenderFrame(TImage& image, int frame);

    // The whole back buffer, for screenshots.
    TPixmap GrabBackBuffer();

private:
    void UpdateTransform();

    Renderer& renderer_;
    TDrawState state_;
    int auto_image_flags_ = kImageMasked | kImageFiltered;
    bool auto_mid_handle_ = false;
    int mask_red_ = 0, mask_green_ = 0, mask_blue_ = 0;
};
