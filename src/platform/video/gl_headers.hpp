#pragma once

// The GL declarations both back ends draw with. A browser build has only
// OpenGL ES 2.0; on the desktop the system's library exports every entry
// point the driver may offer, and the back ends call only what it does.
#ifdef __EMSCRIPTEN__
#include <GLES2/gl2.h>
#else
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <SDL_opengl.h>
#endif
