#pragma once

#include <string>

// Where the input layer differs in a browser, whose page has a say in what
// the game gets (desktop: input_platform.cpp, browser:
// platform/web/input_platform.cpp).

// A raw stick reading as the desktop's SDL gives it: a browser's SDL scales
// the browser's -1..1 by 32767, so there a stick pushed fully left or up
// stops at -32767 instead of -32768.
int DesktopAxisReading(int raw);

// Whether F11 and Alt+Enter switch full screen through the game; a page goes
// full screen itself, inside the key press as browsers demand.
bool GameTogglesFullscreen();

// Whether a hidden window stops the game as a lost focus does: a hidden
// browser tab may keep the focus.
bool HiddenWindowLosesFocus();

// Whether the page asked the game to end (its Esc) since the last call; it
// stands for the signals a browser does not have. Never on the desktop.
bool PageAsksToClose();

// The actions the page's on-screen controls hold, a bit for each action in
// the order of Bindings; a touch that began and ended since the last call
// counts as held, so that a tap shorter than a frame still does its action.
// None on the desktop.
unsigned PageHeldActions();

// What was typed into the page's own text field (the one that brings up a
// phone's keyboard) since the last call: text, with '\b' for a letter taken
// back and '\r' for Enter. Nothing on the desktop.
std::string PageTyped();

// The game's text entry opened, on `editing`, or closed: a page on a touch
// screen offers its text field meanwhile.
void PageTextEntry(bool on, const std::string& editing);
