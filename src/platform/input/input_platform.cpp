#include "platform/input/input_platform.hpp"

int DesktopAxisReading(int raw) { return raw; }

bool GameTogglesFullscreen() { return true; }

bool HiddenWindowLosesFocus() { return false; }

bool PageAsksToClose() { return false; }

unsigned PageHeldActions() { return 0; }

std::string PageTyped() { return {}; }

void PageTextEntry(bool, const std::string&) {}
