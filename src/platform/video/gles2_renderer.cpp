#include "platform/video/gles2_renderer.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/video/gl_headers.hpp"
#include "platform/video/gl_textures.hpp"

namespace {

// Quads become two triangles each, split so that Mesa's software driver
// draws them as it draws the GL 1.x back end's GL_QUADS: masked upright
// quads showing their texels one to a pixel along the other diagonal. Pixels
// on half-texel boundaries then take the same texels in both.
constexpr int kIndexedVertices = 65536;
constexpr int kQuadsPerDraw = kIndexedVertices / 4;
constexpr GLushort kTurnedQuad[6] = {0, 1, 3, 1, 2, 3};
constexpr GLushort kUprightQuad[6] = {0, 1, 2, 0, 2, 3};

// A whole power of two: the texture's size, when the quad shows its texels
// one to a pixel.
bool TexelSized(float pixels, float texels) {
    if (texels == 0) return false;
    float size = pixels / texels;
    if (size < 1 || size != std::floor(size)) return false;
    auto whole = static_cast<unsigned>(size);
    return (whole & (whole - 1)) == 0;
}

// An upright quad showing its texels one to a pixel.
bool Unscaled(const QueuedRenderer::QueuedVertex* corner) {
    return corner[0].y == corner[1].y && corner[1].x == corner[2].x && corner[2].y == corner[3].y &&
           corner[3].x == corner[0].x && TexelSized(corner[1].x - corner[0].x, corner[1].u - corner[0].u) &&
           TexelSized(corner[3].y - corner[0].y, corner[3].v - corner[0].v);
}

constexpr GLuint kPosition = 0, kTexel = 1, kColour = 2;

// Where the attributes point for a draw of the vertices [first, end): where
// they pointed before, while 16-bit indices counted from there reach them.
// Pointing them costs more than drawing in a browser, so a frame of fewer
// vertices than the indices reach points them once.
int DrawBase(int base, int first, int end) {
    return first >= base && end - base <= kIndexedVertices ? base : first;
}

constexpr const char* kVertexShader = R"(
uniform mat4 projection;
attribute vec2 position;
attribute vec2 texel;
attribute vec4 colour;
varying vec2 texel_at;
varying vec4 tint;
void main() {
    texel_at = texel;
    tint = colour;
    gl_Position = projection * vec4(position, 0.0, 1.0);
    gl_PointSize = 1.0;
}
)";

// The mask mode draws only what has alpha 0.5 or more. The other modes get
// a program without the test: Mesa's software driver has a faster path for
// programs that never discard, and the GL 1.x back end takes it too.
constexpr const char* kFragmentShader = R"(
#ifdef TEXTURED
uniform sampler2D image;
varying vec2 texel_at;
#endif
varying vec4 tint;
void main() {
#ifdef TEXTURED
    vec4 colour = texture2D(image, texel_at) * tint;
#else
    vec4 colour = tint;
#endif
#ifdef MASKED
    if (colour.a < 0.5) discard;
#endif
    gl_FragColor = colour;
}
)";

GLuint Compile(GLenum kind, const char* defines, const char* body) {
    GLuint shader = glCreateShader(kind);
    const char* sources[3] = {kShaderHeader, defines, body};
    glShaderSource(shader, 3, sources, nullptr);
    glCompileShader(shader);
    GLint compiled = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[512] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "rezarudev: a shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool TextureAccepted(int width, int height) {
    static GLint largest = 0;
    if (largest == 0) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return width <= largest && height <= largest;
}

// One unit a pixel, y growing downwards, as glOrtho(0, width, height, 0, -1, 1).
void Orthographic(float (&matrix)[16], int width, int height) {
    for (float& entry : matrix) entry = 0;
    matrix[0] = 2.0f / static_cast<float>(width);
    matrix[5] = -2.0f / static_cast<float>(height);
    matrix[10] = -1;
    matrix[12] = -1;
    matrix[13] = 1;
    matrix[15] = 1;
}

}  // namespace

Gles2Renderer::Gles2Renderer(int width, int height) : QueuedRenderer(width, height) {}

Gles2Renderer::~Gles2Renderer() { LeaveLiveRenderer(this); }

bool Gles2Renderer::MakeProgram(Program& program, bool textured, bool masked) {
    GLuint vertex = Compile(GL_VERTEX_SHADER, "", kVertexShader);
    std::string defines = std::string(textured ? "#define TEXTURED\n" : "") + (masked ? "#define MASKED\n" : "");
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, defines.c_str(), kFragmentShader);
    if (!vertex || !fragment) {
        if (vertex) glDeleteShader(vertex);
        if (fragment) glDeleteShader(fragment);
        return false;
    }
    program.name = glCreateProgram();
    glAttachShader(program.name, vertex);
    glAttachShader(program.name, fragment);
    glBindAttribLocation(program.name, kPosition, "position");
    glBindAttribLocation(program.name, kTexel, "texel");
    glBindAttribLocation(program.name, kColour, "colour");
    glLinkProgram(program.name);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = 0;
    glGetProgramiv(program.name, GL_LINK_STATUS, &linked);
    if (!linked) {
        std::fprintf(stderr, "rezarudev: the drawing program does not link\n");
        return false;
    }
    program.projection = glGetUniformLocation(program.name, "projection");
    glUseProgram(program.name);
    float projection[16];
    Orthographic(projection, width(), height());
    glUniformMatrix4fv(program.projection, 1, GL_FALSE, projection);
    if (textured) glUniform1i(glGetUniformLocation(program.name, "image"), 0);
    used_program_ = program.name;
    return true;
}

bool Gles2Renderer::Attach(int window_width, int window_height) {
    AdvanceSequence();
    SetLiveRenderer(this);
    attached_ = true;
    bool made = true;
    for (int textured = 0; textured < 2; ++textured)
        for (int masked = 0; masked < 2; ++masked)
            made = made && MakeProgram(programs_[textured][masked], textured, masked);
    if (!made) {
        Detach();
        return false;
    }
    glGenTextures(1, &colour_texture_);
    glBindTexture(GL_TEXTURE_2D, colour_texture_);
    // Textures of any size must clamp and have no mipmaps in OpenGL ES 2.0.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    colour_filter_ = GL_LINEAR;
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    // No alpha, as in the window: what is drawn never leaves holes in it.
    // Not every browser draws into RGB, every one into RGBA.
    for (GLenum format : {GL_RGB, GL_RGBA}) {
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width(), height(), 0, format, GL_UNSIGNED_BYTE,
                     nullptr);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_texture_, 0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) break;
        if (format == GL_RGBA) {
            std::fprintf(stderr, "rezarudev: the GL cannot draw into a framebuffer object\n");
            Detach();
            return false;
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenBuffers(1, &quad_indices_);
    index_capacity_ = 0;
    // The whole window in clip coordinates, with the picture's texture on it.
    const QueuedVertex window_quad[4] = {{-1, -1, 0, 0, {255, 255, 255, 255}},
                                         {1, -1, 1, 0, {255, 255, 255, 255}},
                                         {1, 1, 1, 1, {255, 255, 255, 255}},
                                         {-1, 1, 0, 1, {255, 255, 255, 255}}};
    glGenBuffers(1, &window_quad_);
    glBindBuffer(GL_ARRAY_BUFFER, window_quad_);
    glBufferData(GL_ARRAY_BUFFER, sizeof window_quad, window_quad, GL_STATIC_DRAW);
    glGenBuffers(1, &vertex_buffer_);
    vertex_capacity_ = 0;
    pointed_buffer_ = 0;
    glEnableVertexAttribArray(kPosition);
    glEnableVertexAttribArray(kTexel);
    glEnableVertexAttribArray(kColour);

    ResetCaches();
    state_.Forget();
    glViewport(0, 0, width(), height());
    PlacePicture(0, 0, false);
    static_cast<void>(window_width);
    static_cast<void>(window_height);
    return true;
}

void Gles2Renderer::Detach() {
    if (!attached_) return;
    DropQueue();
    for (auto& row : programs_) {
        for (Program& program : row) {
            if (program.name) glDeleteProgram(program.name);
            program.name = 0;
        }
    }
    for (unsigned* buffer : {&vertex_buffer_, &quad_indices_, &window_quad_}) {
        if (*buffer) glDeleteBuffers(1, buffer);
        *buffer = 0;
    }
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colour_texture_) glDeleteTextures(1, &colour_texture_);
    framebuffer_ = colour_texture_ = 0;
    used_program_ = 0;
    attached_ = false;
    LeaveLiveRenderer(this);
}

std::unique_ptr<TRenderFrame> Gles2Renderer::BuildFrame(const TPixmap& pixmap, int flags) {
    std::unique_ptr<TRenderFrame> frame = MakeTexture(pixmap, flags, TextureAccepted, GL_RGBA);
    // The new texture is bound now; the caches must not believe otherwise.
    state_.ForgetTexture();
    ForgetBoundTexture();
    return frame;
}

void Gles2Renderer::Use(const Program& program) {
    if (used_program_ == program.name) return;
    glUseProgram(program.name);
    used_program_ = program.name;
}

void Gles2Renderer::PointAttributes(unsigned buffer, int first_vertex) {
    if (pointed_buffer_ == buffer && pointed_first_ == first_vertex) return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    GLsizei stride = sizeof(QueuedVertex);
    std::size_t base = static_cast<std::size_t>(first_vertex) * sizeof(QueuedVertex);
    auto at = [base](std::size_t offset) { return reinterpret_cast<const void*>(base + offset); };
    glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, stride, at(offsetof(QueuedVertex, x)));
    glVertexAttribPointer(kTexel, 2, GL_FLOAT, GL_FALSE, stride, at(offsetof(QueuedVertex, u)));
    glVertexAttribPointer(kColour, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(offsetof(QueuedVertex, rgba)));
    pointed_buffer_ = buffer;
    pointed_first_ = first_vertex;
}

void Gles2Renderer::UploadVertices(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices) {
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
    StreamToBuffer(GL_ARRAY_BUFFER, vertices.data(), vertices.size() * sizeof(QueuedVertex), vertex_capacity_);
    // The same offsets now hold other vertices.
    pointed_buffer_ = 0;
    // Each quad's corners counted from where the attributes will point for
    // its draw, as Execute moves them.
    indices_.clear();
    int base = 0;
    for (const Run& run : runs) {
        if (run.settings.primitive == Primitive::kClear) continue;
        if (run.settings.primitive != Primitive::kQuads) {
            base = DrawBase(base, run.first, run.first + run.count);
            continue;
        }
        bool masked = run.settings.blend == BLEND_MASK;
        for (int quad = 0; quad < run.count / 4; ++quad) {
            int first = run.first + 4 * quad;
            if (quad % kQuadsPerDraw == 0)
                base = DrawBase(base, first, first + 4 * std::min(kQuadsPerDraw, run.count / 4 - quad));
            const QueuedVertex* corners = &vertices[static_cast<std::size_t>(first)];
            const GLushort* order = masked && Unscaled(corners) ? kUprightQuad : kTurnedQuad;
            auto from = static_cast<GLushort>(first - base);
            for (int corner = 0; corner < 6; ++corner) indices_.push_back(static_cast<GLushort>(from + order[corner]));
        }
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quad_indices_);
    StreamToBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_.data(), indices_.size() * sizeof(GLushort), index_capacity_);
}

void Gles2Renderer::DrawQuads(int first, int count, std::size_t& index) {
    for (int quad = 0; quad < count / 4; quad += kQuadsPerDraw) {
        int quads = std::min(kQuadsPerDraw, count / 4 - quad);
        int start = first + 4 * quad;
        PointAttributes(vertex_buffer_, DrawBase(pointed_first_, start, start + 4 * quads));
        glDrawElements(GL_TRIANGLES, 6 * quads, GL_UNSIGNED_SHORT,
                       reinterpret_cast<const void*>(index * sizeof(GLushort)));
        index += static_cast<std::size_t>(6 * quads);
    }
}

void Gles2Renderer::Execute(const std::vector<Run>& runs, const std::vector<QueuedVertex>& vertices) {
    if (!vertices.empty()) UploadVertices(runs, vertices);
    PointAttributes(vertex_buffer_, 0);
    std::size_t index = 0;
    for (const Run& run : runs) {
        const DrawSettings& settings = run.settings;
        state_.Apply(settings);
        if (settings.primitive == Primitive::kClear) {
            glClear(GL_COLOR_BUFFER_BIT);
            continue;
        }
        Use(programs_[settings.textured][settings.blend == BLEND_MASK]);
        if (settings.primitive == Primitive::kQuads) {
            DrawQuads(run.first, run.count, index);
        } else {
            PointAttributes(vertex_buffer_, DrawBase(pointed_first_, run.first, run.first + run.count));
            glDrawArrays(settings.primitive == Primitive::kPoints ? GL_POINTS : GL_LINES, run.first - pointed_first_,
                         run.count);
        }
    }
}

void Gles2Renderer::ShowPicture(int window_width, int window_height, const std::function<void()>& swap) {
    int width = this->width(), height = this->height();
    Letterbox box = FitPicture(window_width, window_height, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, window_width, window_height);
    ClearAroundPicture(box, window_width, window_height);
    glDisable(GL_SCISSOR_TEST);
    // Whole multiples stay sharp, other sizes are filtered.
    bool whole = box.width % width == 0 && box.width / width == box.height / height;
    GLint filter = whole ? GL_NEAREST : GL_LINEAR;
    glBindTexture(GL_TEXTURE_2D, colour_texture_);
    if (filter != colour_filter_) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        colour_filter_ = filter;
    }
    glDisable(GL_BLEND);
    glViewport(box.left, window_height - box.top - box.height, box.width, box.height);
    const Program& copy = programs_[1][0];
    Use(copy);
    static const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    glUniformMatrix4fv(copy.projection, 1, GL_FALSE, kIdentity);
    PointAttributes(window_quad_, 0);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    float projection[16];
    Orthographic(projection, width, height);
    glUniformMatrix4fv(copy.projection, 1, GL_FALSE, projection);
    state_.Forget();
    swap();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width, height);
}

TPixmap Gles2Renderer::ReadPixels(int x, int y, int width, int height) {
    Flush();
    return ReadFramebuffer(x, this->height() - height - y, width, height);
}
