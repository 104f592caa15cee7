#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/system/write_guard.hpp"

struct Screenshot {
    int frame;
    std::string path;
};

// What the command line asks for.
struct RunOptions {
    bool windowed = false;
    bool fast = false;
    std::optional<int> seed;
    int frames = -1;  // -1: no limit
    std::string record;
    std::string replay;
    std::string trace;
    std::vector<Screenshot> screenshots;
    std::string data_dir;  // empty: not given
    // --watch N and --export N FILE: entry N of the table, from 1; 0: not given.
    int watch = 0;
    int export_entry = 0;
    std::string export_path;
    // --board URL: empty when not given.
    std::string board;
    bool help = false;
    bool version = false;
};

std::string UsageText();
// Parses argv; on a bad option or value returns nothing and sets `error` to a
// one-line message naming it.
std::optional<RunOptions> ParseOptions(const std::vector<std::string>& args, std::string& error);

// Every file the command line asks to write, with its option, and the data
// folder it names: what the platform checks before the game starts.
RequestedFiles FilesRequested(const RunOptions& options);
