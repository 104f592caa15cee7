#include "platform/input/page_controls.hpp"

// The desktop has no page; the browser build has its own (platform/web).
void TellPageTheControls(const Bindings&, ControlMode) {}
