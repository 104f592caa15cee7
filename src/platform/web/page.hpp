#pragma once

#include <string>

// The browser build's ties to its page.

// The page draws, plays sound and takes input only while the game waits.
// A game that has not waited for a while (--fast, or frames that run late)
// waits here for a moment, so the page is never shut out for long.
void LetThePageIn();

// Copies the file just written at `path` into the browser's storage, when it
// lies in one of the folders kept there; the copy ends after the call returns.
void KeepInStorage(const std::string& path);
