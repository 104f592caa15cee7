#pragma once

#include <string>

// The browser page's part in watching and sharing recordings: its "Save
// replay" (a download of the chosen entry's recording) and "Open replay"
// (a file picker) buttons. The desktop has neither, and these do nothing
// there.

// The recording at `path` is the one "Save replay" saves, under the name
// `file_name`; an empty path: none, and the button is off.
void OfferReplay(const std::string& path, const std::string& file_name);
// The path of a recording "Open replay" put among the game's files since
// the last call; empty: none.
std::string TakeOpenedReplay();
// The page says why a recording it gave cannot be watched.
void RefuseOpenedReplay(const std::string& why);
