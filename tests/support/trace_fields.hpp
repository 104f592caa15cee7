#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "game/game.hpp"

// The trace line of every frame drawn while it is the game's observer.
class TraceLog final : public FrameObserver {
public:
    void FrameDrawn(Game& game) override;

    std::vector<std::string> lines;
};

// Where the value of a field starts in a trace line; `path` names nested
// fields with dots ("ship.rotation"), each looked up after the one before.
// A missing field fails the test.
std::size_t ValueStart(const std::string& line, std::string_view path);
// For the pointer, the x of its [x, y].
double NumberIn(const std::string& line, std::string_view path);
std::string TextIn(const std::string& line, std::string_view path);
// Whether the frame's sounds name `stem`.
bool PlayedIn(const std::string& line, const std::string& stem);
