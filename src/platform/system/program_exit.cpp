#include "platform/system/program_exit.hpp"

int ProgramExit(int status) { return status; }
