#include "platform/input/input_platform.hpp"

#include <emscripten.h>

namespace {

// web/controls.js sets it when the player presses Esc.
EM_JS(int, TakeCloseRequest, (), {
    var asked = Module.rezarudevCloseAsked;
    Module.rezarudevCloseAsked = false;
    return asked ? 1 : 0;
});

}  // namespace

int DesktopAxisReading(int raw) { return raw == -32767 ? -32768 : raw; }

bool GameTogglesFullscreen() { return false; }

bool HiddenWindowLosesFocus() { return true; }

bool PageAsksToClose() { return TakeCloseRequest() != 0; }
