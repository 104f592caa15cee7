#pragma once

// The virtual-key codes the game reads. In the browser web/controls.js keeps
// those a browser would act on (arrows, Space, Left Ctrl and Alt, Esc) from
// the page: a key added here belongs in its list too.
constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kKeyLeftControl = 162;
constexpr int kKeyLeftAlt = 164;
