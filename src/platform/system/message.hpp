#pragma once

#include <string>
#include <string_view>

// Input quoted in an error message (a word of a replay, an option's value, a
// path): longer than 60 characters, it keeps its start and its end around
// "...", and bytes other than printable ASCII are written as \xNN, so that a
// huge word stays one short line and a NUL or a newline cannot cut or split it.
std::string Printable(std::string_view text);
