// The frame that need not be drawn again: the same queue as the last frame,
// with a run that paints the whole picture, so nothing older shows through.

#include <cmath>
#include <cstring>

#include "platform/video/queued_renderer.hpp"

namespace {

bool Opaque(int blend) {
    return blend != BLEND_MASK && blend != BLEND_ALPHA && blend != BLEND_LIGHT && blend != BLEND_SHADE;
}

}  // namespace

// Whether the run paints every pixel of the picture without looking at what
// was there: then nothing drawn before it shows.
bool QueuedRenderer::CoversPicture(const Run& run) const {
    const DrawSettings& settings = run.settings;
    if (settings.scissor) return false;
    if (settings.primitive == Primitive::kClear) return true;
    if (settings.primitive != Primitive::kQuads || !Opaque(settings.blend)) return false;
    // The centres of the corner pixels; every other centre lies between them.
    const double corners[4][2] = {
        {0.5, 0.5}, {width() - 0.5, 0.5}, {width() - 0.5, height() - 0.5}, {0.5, height() - 0.5}};
    for (int quad = run.first; quad + 4 <= run.first + run.count; quad += 4) {
        const QueuedVertex* v = &vertices_[static_cast<std::size_t>(quad)];
        double area = 0;
        for (int i = 0; i < 4; ++i) area += double(v[i].x) * v[(i + 1) % 4].y - double(v[(i + 1) % 4].x) * v[i].y;
        if (area == 0) continue;
        bool inside = true;
        for (int i = 0; i < 4 && inside; ++i) {
            const QueuedVertex& a = v[i];
            const QueuedVertex& b = v[(i + 1) % 4];
            double edge_x = double(b.x) - a.x, edge_y = double(b.y) - a.y;
            double length = std::sqrt(edge_x * edge_x + edge_y * edge_y);
            for (const auto& corner : corners) {
                double cross = edge_x * (corner[1] - a.y) - edge_y * (corner[0] - a.x);
                // Clear of the edge by a hundredth of a pixel at least.
                if ((area > 0 ? cross : -cross) < 0.01 * length) {
                    inside = false;
                    break;
                }
            }
        }
        if (inside) return true;
    }
    return false;
}

bool QueuedRenderer::SameAsLastFrame() const {
    // memcmp must not see the null data of an empty queue.
    return runs_ == last_runs_ && vertices_.size() == last_vertices_.size() &&
           (vertices_.empty() ||
            std::memcmp(vertices_.data(), last_vertices_.data(), vertices_.size() * sizeof(QueuedVertex)) == 0);
}

void QueuedRenderer::Present(int window_width, int window_height, bool show_unchanged,
                             const std::function<void()>& swap) {
    bool whole_frame = !drawn_since_present_;
    bool covered = false;
    for (const Run& run : runs_) covered = covered || CoversPicture(run);
    bool kept = batching_ && KeepsPicture() && whole_frame && covered && last_frame_known_ && SameAsLastFrame();
    if (kept) {
        // The framebuffer object still holds this very picture.
        ++frames_kept_;
    } else {
        Execute(runs_, vertices_);
        ++frames_drawn_;
        last_frame_known_ = batching_ && whole_frame && covered;
        if (last_frame_known_) {
            runs_.swap(last_runs_);
            vertices_.swap(last_vertices_);
        }
    }
    runs_.clear();
    vertices_.clear();
    drawn_since_present_ = false;
    // Scaling the picture into the window again and swapping is most of what
    // a still screen costs a software renderer.
    if (kept && !show_unchanged && window_width == shown_width_ && window_height == shown_height_) return;
    shown_width_ = window_width;
    shown_height_ = window_height;
    ++frames_shown_;
    ShowPicture(window_width, window_height, swap);
}
