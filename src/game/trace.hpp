#pragma once

#include <string>

class Game;

// One frame of the game as a JSON object on one line, without the line end.
std::string TraceLine(Game& game);
