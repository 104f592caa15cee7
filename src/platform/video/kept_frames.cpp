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

// A frame drawn in one go, with a run that paints the whole picture: the
// next one may be shown from it.
bool QueuedRenderer::Keepable() const {
    if (!batching_ || drawn_since_present_) return false;
    for (const Run& run : runs_)
        if (CoversPicture(run)) return true;
    return false;
}

bool QueuedRenderer::SameAsKeptFrame() const {
    if (!last_frame_known_ || !KeepsPicture()) return false;
    // memcmp must not see the null data of an empty queue.
    return runs_ == last_runs_ && vertices_.size() == last_vertices_.size() &&
           (vertices_.empty() ||
            std::memcmp(vertices_.data(), last_vertices_.data(), vertices_.size() * sizeof(QueuedVertex)) == 0);
}

void QueuedRenderer::KeepFrame(bool keepable) {
    last_frame_known_ = keepable;
    if (!keepable) return;
    runs_.swap(last_runs_);
    vertices_.swap(last_vertices_);
}
