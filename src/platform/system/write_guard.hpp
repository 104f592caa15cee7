#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A file the command line asks the game to write, with the option that asks.
struct RequestedWrite {
    std::string option;
    std::string path;
};

// What a command line asks of the file system before the game starts.
struct RequestedFiles {
    std::vector<RequestedWrite> writes;
    std::string data_dir;  // empty: not given
};

// Whether the files asked for may be written: never one of the game's own
// files (`own_files`: the best score, the table, the settings; empty names
// are skipped), however it is named. In the browser the command line comes
// from a link, which anyone can send: there it may write only to the page's
// scratch space, never into the folders the page keeps, and may not choose
// the data folder. Empty when all is well, else one line saying why not.
std::string RefusedFiles(const RequestedFiles& requested, const std::vector<std::string>& own_files);

// How many bytes the files a command line asks for may take in all; 0 for no
// limit. In the browser they live in the page's memory.
std::uint64_t WriteLimit();
