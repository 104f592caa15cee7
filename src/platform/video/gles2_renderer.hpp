#pragma once

#include <functional>
#include <vector>

#include "platform/video/gl_state.hpp"
#include "platform/video/queued_renderer.hpp"

// Draws through OpenGL ES 2.0 (GLSL ES 1.00; on the desktop through any GL
// 2.0 context with framebuffer objects) into a framebuffer object of the
// display's size that each flip scales to the window. Two programs: one
// tints a texture, one draws plain colour; each also comes in a variant
// that drops what the mask blend mode's alpha test would drop. Its pictures
// are the GL 1.x back end's.
class Gles2Renderer final : public QueuedRenderer {
public:
    Gles2Renderer(int width, int height);
    ~Gles2Renderer() override;

    // Opens the display on the context just made current, for a window of
    // the given drawable size. False, with nothing left made, when the GL
    // refuses a program or the framebuffer.
    bool Attach(int window_width, int window_height);
    void Detach() override;

protected:
    std::unique_ptr<TRenderFrame> BuildFrame(const TPixmap& pixmap, int flags) override;
    TPixmap ReadPixels(int x, int y, int width, int height) override;
    void Execute(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices) override;
    bool KeepsPicture() const override { return true; }
    void ShowPicture(int window_width, int window_height, const std::function<void()>& swap) override;
    void ForgetBoundTextureName(unsigned name) override { state_.ForgetTexture(name); }

private:
    struct Program {
        unsigned name = 0;
        int projection = -1;
    };

    bool MakeProgram(Program& program, bool textured, bool masked);
    void Use(const Program& program);
    void PointAttributes(unsigned buffer, int first_vertex);
    void UploadVertices(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices);
    // Draws the quads of one run whose triangles' corners start at `index`
    // in the index buffer, and moves `index` past them.
    void DrawQuads(int first, int count, std::size_t& index);

    GlStateCache state_;
    // By texturing, then by the mask mode's alpha test.
    Program programs_[2][2];
    unsigned used_program_ = 0;
    // The buffer and first vertex the attributes point at; 0: unknown.
    unsigned pointed_buffer_ = 0;
    int pointed_first_ = -1;

    bool attached_ = false;
    unsigned framebuffer_ = 0;
    unsigned colour_texture_ = 0;
    int colour_filter_ = 0;
    unsigned vertex_buffer_ = 0;
    std::size_t vertex_capacity_ = 0;
    unsigned quad_indices_ = 0;
    std::size_t index_capacity_ = 0;
    std::vector<unsigned short> indices_;
    unsigned window_quad_ = 0;
};
