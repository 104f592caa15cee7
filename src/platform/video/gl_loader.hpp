#pragma once

// Desktop OpenGL only: what the driver of the current context offers, and
// the entry points that must be looked up by name.

// Framebuffer objects are not in OpenGL 1.x: they come from GL 3.0 or an
// extension whose names carry a suffix.
struct FramebufferApi {
    void (*GenFramebuffers)(int count, unsigned* names) = nullptr;
    void (*DeleteFramebuffers)(int count, const unsigned* names) = nullptr;
    void (*BindFramebuffer)(unsigned target, unsigned name) = nullptr;
    void (*FramebufferTexture2D)(unsigned target, unsigned attachment, unsigned texture_target, unsigned texture,
                                 int level) = nullptr;
    unsigned (*CheckFramebufferStatus)(unsigned target) = nullptr;
    void (*BlitFramebuffer)(int x0, int y0, int x1, int y1, int to_x0, int to_y0, int to_x1, int to_y1, unsigned mask,
                            unsigned filter) = nullptr;
};
// False when the driver has no framebuffer objects that can be blitted.
bool LoadFramebufferApi(FramebufferApi& api);

// The current context's OpenGL version as major * 10 + minor (15 for 1.5).
int MajorMinorVersion();

// The back ends a desktop driver can draw with.
enum class RendererKind { kGl1, kGles2 };
// OpenGL 2.0 or later with framebuffer objects under their core names, on
// the current context: what the OpenGL ES 2.0 back end needs.
bool OffersGles2();
// The back end for the current context: REZARUDEV_RENDERER=gl1 or gles2
// when set (a value the driver cannot honour, or an unknown one, is said on
// standard error), otherwise the ES 2.0 one wherever the driver offers it.
RendererKind ChooseRenderer();
