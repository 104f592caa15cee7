#include "platform/input/page_controls.hpp"

#include <SDL.h>
#include <emscripten.h>

#include <string>

#include "platform/input/bindings.hpp"

namespace {

// The KeyboardEvent.code of a key: both number keys by their USB usage.
std::string DomCode(int key) {
    static const char* const kNamed[] = {
        "Enter",     "Escape",      "Backspace", "Tab",       "Space",     "Minus",       "Equal",
        "BracketLeft", "BracketRight", "Backslash", "Backslash", "Semicolon", "Quote",     "Backquote",
        "Comma",     "Period",      "Slash",     "CapsLock"};
    static const char* const kNavigation[] = {
        "PrintScreen", "ScrollLock",    "Pause",          "Insert",         "Home",       "PageUp",
        "Delete",      "End",           "PageDown",       "ArrowRight",     "ArrowLeft",  "ArrowDown",
        "ArrowUp",     "NumLock",       "NumpadDivide",   "NumpadMultiply", "NumpadSubtract", "NumpadAdd",
        "NumpadEnter"};
    static const char* const kModifiers[] = {"ControlLeft",  "ShiftLeft",  "AltLeft",  "MetaLeft",
                                             "ControlRight", "ShiftRight", "AltRight", "MetaRight"};
    if (key >= SDL_SCANCODE_A && key <= SDL_SCANCODE_Z) return std::string("Key") + char('A' + key - SDL_SCANCODE_A);
    if (key >= SDL_SCANCODE_1 && key <= SDL_SCANCODE_9) return std::string("Digit") + char('1' + key - SDL_SCANCODE_1);
    if (key == SDL_SCANCODE_0) return "Digit0";
    if (key >= SDL_SCANCODE_RETURN && key <= SDL_SCANCODE_CAPSLOCK) return kNamed[key - SDL_SCANCODE_RETURN];
    if (key >= SDL_SCANCODE_F1 && key <= SDL_SCANCODE_F12) return "F" + std::to_string(key - SDL_SCANCODE_F1 + 1);
    if (key >= SDL_SCANCODE_PRINTSCREEN && key <= SDL_SCANCODE_KP_ENTER)
        return kNavigation[key - SDL_SCANCODE_PRINTSCREEN];
    if (key >= SDL_SCANCODE_KP_1 && key <= SDL_SCANCODE_KP_9)
        return std::string("Numpad") + char('1' + key - SDL_SCANCODE_KP_1);
    if (key == SDL_SCANCODE_KP_0) return "Numpad0";
    if (key == SDL_SCANCODE_KP_PERIOD) return "NumpadDecimal";
    if (key == SDL_SCANCODE_NONUSBACKSLASH) return "IntlBackslash";
    if (key == SDL_SCANCODE_APPLICATION) return "ContextMenu";
    if (key >= SDL_SCANCODE_LCTRL && key <= SDL_SCANCODE_RGUI) return kModifiers[key - SDL_SCANCODE_LCTRL];
    return {};
}

// web/controls.js's key handler reads the two; the help line is the page's.
EM_JS(void, ShowControls, (const char* help, const char* codes, int awaiting_key), {
    Module.rezarudevGameKeys = UTF8ToString(codes).split(' ').filter(function(code) { return code.length > 0; });
    Module.rezarudevAwaitingKey = awaiting_key !== 0;
    var line = document.getElementById('keys');
    if (line) line.textContent = UTF8ToString(help);
});

}  // namespace

void TellPageTheControls(const Bindings& bindings, ControlMode mode) {
    std::string codes;
    for (const auto& keys : bindings.keys)
        for (int key : keys) codes += DomCode(key) + " ";
    ShowControls(ControlsHelpLine(bindings).c_str(), codes.c_str(), mode == ControlMode::AwaitingKey ? 1 : 0);
}
