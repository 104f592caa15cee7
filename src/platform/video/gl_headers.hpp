#pragma once

// The GL both back ends draw with. A browser build has only OpenGL ES 2.0
// (WebGL), whose shaders are GLSL ES 1.00 with a precision of their own; on
// the desktop the system's library exports every entry point the driver may
// offer, the back ends call only what it does, and shaders are GLSL 1.10.
#ifdef __EMSCRIPTEN__
#include <GLES2/gl2.h>
inline constexpr const char* kShaderHeader =
    "#version 100\n#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump float;\n"
    "#endif\n";
#else
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <SDL_opengl.h>
inline constexpr const char* kShaderHeader = "#version 110\n";
#endif
