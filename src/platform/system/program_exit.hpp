#pragma once

// What main returns. In the browser a main that has waited (and so handed the
// thread back to the page) returns to no one, so the page is told here
// (platform/web/program_exit.cpp).
int ProgramExit(int status);
