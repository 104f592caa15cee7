#pragma once

#include <optional>
#include <string>
#include <vector>

#include "board.hpp"

// What the board's command line asks for.
struct BoardOptions {
    std::string address = "127.0.0.1";
    int port = 8080;
    std::string database = "sqlite:rezarudev-board.db";
    // The browser build's site, as tools/web/build.sh leaves it.
    std::string site = "build-web/site";
    int workers = 0;  // 0: one a core
    int threads = 32;
    BoardSettings board;
    bool help = false;
    bool version = false;
};

std::string BoardUsageText();
// Parses argv; on a bad option or value returns nothing and sets `error` to a
// one-line message naming it.
std::optional<BoardOptions> ParseBoardOptions(const std::vector<std::string>& args, std::string& error);
