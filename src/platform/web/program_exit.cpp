#include "platform/system/program_exit.hpp"

#include <emscripten.h>

int ProgramExit(int status) {
    emscripten_force_exit(status);
    return status;
}
