#include "platform/video/draw.hpp"

#include <utility>

#include "platform/system/angles.hpp"
#include "platform/system/resources.hpp"
#include "platform/video/png.hpp"

TImage::TImage(int width_, int height_, int frame_count, int flags_) : width(width_), height(height_), flags(flags_) {
    pixmaps.resize(static_cast<std::size_t>(frame_count));
    frames.resize(static_cast<std::size_t>(frame_count));
    seqs.assign(static_cast<std::size_t>(frame_count), 0);
}

void TImage::SetPixmap(int frame, TPixmap pixmap) {
    if (frame < 0 || frame >= FrameCount()) return;
    if ((flags & kImageMasked) && !FormatHasAlpha(pixmap.format)) pixmap = MaskPixmap(pixmap, mask_r, mask_g, mask_b);
    pixmaps[frame] = std::make_unique<TPixmap>(std::move(pixmap));
    frames[frame].reset();
    seqs[frame] = 0;
}

Graphics::Graphics(Renderer& renderer) : renderer_(renderer) {
    state_.viewport_w = renderer.width();
    state_.viewport_h = renderer.height();
}

void Graphics::ApplyState() {
    renderer_.ResetCaches();
    renderer_.SetColor(state_.color_red, state_.color_green, state_.color_blue);
    renderer_.SetAlpha(state_.color_alpha);
    renderer_.SetClsColor(state_.clscolor_red, state_.clscolor_green, state_.clscolor_blue);
    renderer_.SetLineWidth(state_.line_width);
    renderer_.SetViewport(state_.viewport_x, state_.viewport_y, state_.viewport_w, state_.viewport_h);
    renderer_.SetBlend(state_.blend_mode);
    UpdateTransform();
}

void Graphics::Cls() { renderer_.Cls(); }

void Graphics::SetClsColor(int red, int green, int blue) {
    state_.clscolor_red = red;
    state_.clscolor_green = green;
    state_.clscolor_blue = blue;
    renderer_.SetClsColor(red, green, blue);
}

void Graphics::SetColor(int red, int green, int blue) {
    state_.color_red = red;
    state_.color_green = green;
    state_.color_blue = blue;
    renderer_.SetColor(red, green, blue);
}

void Graphics::SetAlpha(float alpha) {
    state_.color_alpha = alpha;
    renderer_.SetAlpha(alpha);
}

void Graphics::SetBlend(int mode) {
    state_.blend_mode = mode;
    renderer_.SetBlend(mode);
}

void Graphics::SetRotation(float degrees) {
    state_.tform_rot = degrees;
    UpdateTransform();
}

void Graphics::SetScale(float scale_x, float scale_y) {
    state_.tform_scale_x = scale_x;
    state_.tform_scale_y = scale_y;
    UpdateTransform();
}

void Graphics::SetTransform(float degrees, float scale_x, float scale_y) {
    state_.tform_rot = degrees;
    state_.tform_scale_x = scale_x;
    state_.tform_scale_y = scale_y;
    UpdateTransform();
}

void Graphics::GetScale(float& scale_x, float& scale_y) const {
    scale_x = state_.tform_scale_x;
    scale_y = state_.tform_scale_y;
}

void Graphics::UpdateTransform() {
    double s = SinDeg(state_.tform_rot);
    double c = CosDeg(state_.tform_rot);
    state_.tform_ix = static_cast<float>(c * state_.tform_scale_x);
    state_.tform_iy = static_cast<float>(-s * state_.tform_scale_y);
    state_.tform_jx = static_cast<float>(s * state_.tform_scale_x);
    state_.tform_jy = static_cast<float>(c * state_.tform_scale_y);
    renderer_.SetTransform(state_.tform_ix, state_.tform_iy, state_.tform_jx, state_.tform_jy);
}

void Graphics::SetViewport(int x, int y, int width, int height) {
    state_.viewport_x = x;
    state_.viewport_y = y;
    state_.viewport_w = width;
    state_.viewport_h = height;
    renderer_.SetViewport(x, y, width, height);
}

void Graphics::SetOrigin(float x, float y) {
    state_.origin_x = x;
    state_.origin_y = y;
}

void Graphics::SetHandle(float x, float y) {
    state_.handle_x = -x;
    state_.handle_y = -y;
}

void Graphics::SetLineWidth(float width) {
    state_.line_width = width;
    renderer_.SetLineWidth(width);
}

void Graphics::Plot(float x, float y) { renderer_.Plot(x + state_.origin_x + 0.5f, y + state_.origin_y + 0.5f); }

void Graphics::DrawLine(float x0, float y0, float x1, float y1) {
    renderer_.DrawLine(state_.handle_x, state_.handle_y, x1 - x0 + state_.handle_x, y1 - y0 + state_.handle_y,
                       x0 + state_.origin_x, y0 + state_.origin_y);
}

void Graphics::DrawRect(float x, float y, float width, float height) {
    renderer_.DrawRect(state_.handle_x, state_.handle_y, state_.handle_x + width, state_.handle_y + height,
                       x + state_.origin_x, y + state_.origin_y);
}

void Graphics::DrawImage(TImage& image, float x, float y, int frame) {
    float x0 = -image.handle_x;
    float y0 = -image.handle_y;
    DrawImageFrame(image, frame, x0, y0, x0 + static_cast<float>(image.width), y0 + static_cast<float>(image.height),
                   x + state_.origin_x, y + state_.origin_y);
}

void Graphics::DrawImageFrame(TImage& image, int frame, float x0, float y0, float x1, float y1, float tx, float ty) {
    TRenderFrame* render_frame = RenderFrame(image, frame);
    if (!render_frame) return;
    renderer_.DrawFrame(*render_frame, x0, y0, x1, y1, tx, ty);
}

TRenderFrame* Graphics::RenderFrame(TImage& image, int frame) {
    if (frame < 0 || frame >= image.FrameCount()) return nullptr;
    std::size_t index = static_cast<std::size_t>(frame);
    if (image.frames[index] && image.seqs[index] == renderer_.sequence()) return image.frames[index].get();
    if (!image.pixmaps[index])
        image.pixmaps[index] = std::make_unique<TPixmap>(TPixmap::Create(image.width, image.height));
    image.frames[index] = renderer_.CreateFrameFromPixmap(*image.pixmaps[index], image.flags);
    image.seqs[index] = renderer_.sequence();
    return image.frames[index].get();
}

std::unique_ptr<TImage> Graphics::LoadImage(const std::string& source, int flags) {
    auto bytes = ReadSource(source);
    if (!bytes) return nullptr;
    auto pixmap = DecodePng(*bytes);
    if (!pixmap) return nullptr;
    return LoadImage(std::move(*pixmap), flags);
}

std::unique_ptr<TImage> Graphics::LoadImage(TPixmap pixmap, int flags) {
    if (flags == -1) flags = auto_image_flags_;
    auto image = std::make_unique<TImage>(pixmap.width, pixmap.height, 1, flags);
    image->mask_r = mask_red_;
    image->mask_g = mask_green_;
    image->mask_b = mask_blue_;
    image->SetPixmap(0, std::move(pixmap));
    if (auto_mid_handle_) SetImageMidHandle(*image);
    return image;
}

std::unique_ptr<TImage> Graphics::CreateImage(int width, int height, int frame_count, int flags) {
    if (flags == -1) flags = auto_image_flags_;
    auto image = std::make_unique<TImage>(width, height, frame_count, flags | kImageDynamic);
    image->mask_r = mask_red_;
    image->mask_g = mask_green_;
    image->mask_b = mask_blue_;
    if (auto_mid_handle_) SetImageMidHandle(*image);
    return image;
}

void Graphics::GrabImage(TImage& image, int x, int y, int frame) {
    if (frame < 0 || frame >= image.FrameCount()) return;
    TPixmap pixmap = renderer_.GrabPixmap(x, y, image.width, image.height);
    if (image.flags & kImageMasked) pixmap = MaskPixmap(pixmap, mask_red_, mask_green_, mask_blue_);
    image.SetPixmap(frame, std::move(pixmap));
}

void Graphics::SetImageMidHandle(TImage& image) {
    image.handle_x = static_cast<float>(image.width) * 0.5f;
    image.handle_y = static_cast<float>(image.height) * 0.5f;
}

void Graphics::SetImageHandle(TImage& image, float x, float y) {
    image.handle_x = x;
    image.handle_y = y;
}

void Graphics::SetAutoImageFlags(int flags) {
    if (flags != -1) auto_image_flags_ = flags;
}

void Graphics::SetMaskColor(int red, int green, int blue) {
    mask_red_ = red;
    mask_green_ = green;
    mask_blue_ = blue;
}

TPixmap Graphics::GrabBackBuffer() { return renderer_.GrabPixmap(0, 0, width(), height()); }
