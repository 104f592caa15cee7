#include "platform/input/input_platform.hpp"

#include <emscripten.h>

#include <cstdlib>
#include <memory>

namespace {

// web/controls.js sets it when the player presses Esc.
EM_JS(int, TakeCloseRequest, (), {
    var asked = Module.rezarudevCloseAsked;
    Module.rezarudevCloseAsked = false;
    return asked ? 1 : 0;
});

// web/touch.js keeps both.
EM_JS(int, TakeHeldActions, (), {
    var touch = window.rezarudevTouch;
    return touch ? touch.takeHeld() : 0;
});

EM_JS(char*, TakeTypedText, (), {
    var touch = window.rezarudevTouch;
    var typed = touch ? touch.takeTyped() : "";
    return typed ? stringToNewUTF8(typed) : 0;
});

EM_JS(void, ShowTextField, (int on, const char* editing), {
    if (window.rezarudevTouch) window.rezarudevTouch.textEntry(on !== 0, UTF8ToString(editing));
});

}  // namespace

int DesktopAxisReading(int raw) { return raw == -32767 ? -32768 : raw; }

bool GameTogglesFullscreen() { return false; }

bool HiddenWindowLosesFocus() { return true; }

bool PageAsksToClose() { return TakeCloseRequest() != 0; }

unsigned PageHeldActions() { return static_cast<unsigned>(TakeHeldActions()); }

std::string PageTyped() {
    std::unique_ptr<char, decltype(&std::free)> typed(TakeTypedText(), &std::free);
    return typed ? std::string(typed.get()) : std::string();
}

void PageTextEntry(bool on, const std::string& editing) { ShowTextField(on ? 1 : 0, editing.c_str()); }
