#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/video/renderer.hpp"

// Draws through OpenGL 1.x fixed-function calls with a one-unit-per-pixel
// projection and y growing downwards, into a framebuffer object of the
// display's size that each flip scales to the window; on drivers without
// framebuffer objects, straight into the window's back buffer, centred.
//
// Primitives are queued with the state they need and drawn from vertex
// arrays, one glDrawArrays for each run that shares texture, blend mode and
// clip, in the order they were asked for. A frame whose queue is the same as
// the last one, and that covers the whole picture, is not drawn again: the
// framebuffer object still holds it.
class GlRenderer final : public Renderer {
public:
    GlRenderer(int width, int height);
    ~GlRenderer() override;

    // Opens the display on the context just made current, for a window of
    // the given drawable size.
    void Attach(int window_width, int window_height);
    // Frees what Attach made; call while the context is still current.
    void Detach();
    // Draws what is queued, puts the picture in the window (scaled, with the
    // aspect kept, black bars round it), calls `swap`, and gets ready for the
    // next frame in a window of the given size.
    void Present(int window_width, int window_height, const std::function<void()>& swap);
    // Draws everything queued so far.
    void Flush();
    // Off: every primitive is drawn at once between glBegin and glEnd. The
    // pictures must not differ; tests compare the two.
    void SetBatching(bool on);
    // True when there are no framebuffer objects and the picture is drawn in
    // the window itself.
    bool draws_to_window() const { return to_window_; }
    // Frames drawn again and frames found unchanged (for tests and benchmarks).
    int frames_drawn() const { return frames_drawn_; }
    int frames_kept() const { return frames_kept_; }

    // A texture of this renderer is being freed: nothing queued may use it.
    void ForgetTexture(unsigned name);

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
    struct QueuedVertex {
        float x, y, u, v;
        std::uint8_t rgba[4];
    };
    // What a run of primitives needs from the GL; a run ends where this
    // changes.
    struct DrawSettings {
        unsigned primitive = 0;  // GL_QUADS, GL_POINTS, GL_LINES, or kClearRun
        int blend = 0;
        bool textured = false;
        unsigned texture = 0;
        std::uint64_t texture_id = 0;  // names are reused, ids never
        bool scissor = false;
        int scissor_rect[4] = {0, 0, 0, 0};  // in the target's own pixels
        float line_width = 1;
        std::uint8_t clear[3] = {0, 0, 0};
        bool operator==(const DrawSettings&) const = default;
    };
    struct Run {
        DrawSettings settings;
        int first = 0;
        int count = 0;
        bool operator==(const Run&) const = default;
    };

    void SetUpContext();
    void Queue(unsigned primitive, const QueuedVertex* vertices, int count);
    void Execute(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices);
    void Apply(const DrawSettings& settings);
    void ForgetAppliedState();
    bool CoversPicture(const Run& run) const;
    bool SameAsLastFrame() const;
    void PlaceInWindow(int window_width, int window_height);

    // Wanted for the next primitive.
    DrawSettings wanted_;
    // Sent to the GL; -1 and unset flags mean "unknown, send again".
    int applied_blend_ = -1;
    int applied_texturing_ = -1;
    unsigned applied_texture_ = 0;
    bool applied_texture_known_ = false;
    int applied_scissor_ = -1;
    int applied_scissor_rect_[4] = {0, 0, 0, 0};
    float applied_line_width_ = -1;
    int applied_clear_[3] = {-1, -1, -1};

    std::vector<QueuedVertex> vertices_;
    std::vector<Run> runs_;
    std::vector<QueuedVertex> last_vertices_;
    std::vector<Run> last_runs_;
    bool last_frame_known_ = false;
    bool drawn_since_present_ = false;
    bool batching_ = true;

    // Where the picture lives.
    bool attached_ = false;
    bool to_window_ = false;
    unsigned framebuffer_ = 0;
    unsigned colour_texture_ = 0;
    int left_ = 0, bottom_ = 0;  // the picture's corner in the window, when drawn there
    int frames_drawn_ = 0;
    int frames_kept_ = 0;
    // Viewport as the draw state asked for it, in picture pixels.
    int viewport_[4] = {0, 0, 0, 0};
    bool viewport_clips_ = false;
};
