#pragma once

#include <string>

// The browser build's ties to its page.

// The page draws, plays sound and takes input only while the game waits.
// A game that has not waited for a while (--fast, or frames that run late)
// waits here for a moment, so the page is never shut out for long.
void LetThePageIn();

// Whether the page was asked to end the game (Esc) since the last call: it
// ends a replay too, whose input is not the devices'.
bool PageAsksToClose();
