#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/video/letterbox.hpp"
#include "platform/video/renderer.hpp"

// A texture of one of the GL back ends.
struct TextureFrame : TRenderFrame {
    unsigned name = 0;
};

// What the GL back ends share: primitives are queued with the state they
// need and handed to the back end in runs that share texture, blend mode and
// clip, in the order they were asked for. A frame whose queue is the same as
// the last one, and that covers the whole picture, is not drawn again: the
// back end's framebuffer object still holds it.
class QueuedRenderer : public Renderer {
public:
    enum class Primitive : std::uint8_t { kQuads, kPoints, kLines, kClear };
    struct QueuedVertex {
        float x, y, u, v;
        std::uint8_t rgba[4];
    };
    // What a run of primitives needs from the GL; a run ends where this
    // changes.
    struct DrawSettings {
        Primitive primitive = Primitive::kQuads;
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

    QueuedRenderer(int width, int height);

    // Frees what the back end made on its context; call while the context is
    // still current.
    virtual void Detach() = 0;

    // Draws what is queued, puts the picture in the window (scaled, with the
    // aspect kept, black bars round it), calls `swap`, and gets ready for the
    // next frame in a window of the given size. A picture the window already
    // shows at that size is shown again only if `show_unchanged`.
    void Present(int window_width, int window_height, bool show_unchanged, const std::function<void()>& swap);
    // Draws everything queued so far.
    void Flush();
    // Off: every primitive is drawn on its own as soon as it is asked for.
    // The pictures must not differ; tests compare the two.
    void SetBatching(bool on);
    bool batching() const { return batching_; }
    // Frames drawn again and frames found unchanged (for tests and benchmarks).
    int frames_drawn() const { return frames_drawn_; }
    int frames_kept() const { return frames_kept_; }
    int frames_shown() const { return frames_shown_; }

    // Where the picture is shown in a window of that drawable size.
    virtual Letterbox PictureIn(int drawable_width, int drawable_height) const {
        return FitPicture(drawable_width, drawable_height, width(), height());
    }

    // A texture of this renderer is being freed: nothing queued may use it.
    void ForgetTexture(unsigned name);

protected:
    // Draws the runs, whose vertices start at `vertices`.
    virtual void Execute(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices) = 0;
    // Whether a frame drawn earlier can still be shown as it is.
    virtual bool KeepsPicture() const = 0;
    // Shows the finished picture in the window and swaps.
    virtual void ShowPicture(int window_width, int window_height, const std::function<void()>& swap) = 0;
    // The texture that Execute should take as bound is unknown.
    virtual void ForgetBoundTextureName(unsigned name) = 0;

    // Where the picture's bottom-left corner lies in the target, when that is
    // not the target's own corner; the clip follows it.
    void PlacePicture(int left, int bottom, bool clip_to_picture);
    int picture_left() const { return left_; }
    int picture_bottom() const { return bottom_; }

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

    // Drops the queue and the kept frame (the display closes).
    void DropQueue();

private:
    void Queue(Primitive primitive, const QueuedVertex* vertices, int count);
    // Keeping a frame that need not be drawn again (kept_frames.cpp).
    bool CoversPicture(const Run& run) const;
    bool Keepable() const;
    bool SameAsKeptFrame() const;
    // After the queue was drawn: it becomes the frame the next is compared
    // with, when it is keepable; otherwise none is.
    void KeepFrame(bool keepable);

    // Wanted for the next primitive.
    DrawSettings wanted_;
    std::vector<QueuedVertex> vertices_;
    std::vector<Run> runs_;
    std::vector<QueuedVertex> last_vertices_;
    std::vector<Run> last_runs_;
    bool last_frame_known_ = false;
    bool drawn_since_present_ = false;
    bool batching_ = true;
    int frames_drawn_ = 0;
    int frames_kept_ = 0;
    int frames_shown_ = 0;
    // The window size of the picture last shown; 0 when none is known.
    int shown_width_ = 0, shown_height_ = 0;

    int left_ = 0, bottom_ = 0;
    bool clip_to_picture_ = false;
    // Viewport as the draw state asked for it, in picture pixels.
    int viewport_[4] = {0, 0, 0, 0};
    bool viewport_clips_ = false;
};
