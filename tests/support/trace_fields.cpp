#include "support/trace_fields.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "game/trace.hpp"

void TraceLog::FrameDrawn(Game& game) { lines.push_back(TraceLine(game)); }

std::size_t ValueStart(const std::string& line, std::string_view path) {
    std::size_t at = 0;
    while (true) {
        std::size_t dot = path.find('.');
        // Appended in place: GCC 12 at -O3 takes "\"" + std::string for an overlapping copy (-Wrestrict).
        std::string key = "\"";
        key += path.substr(0, dot);
        key += "\":";
        at = line.find(key, at);
        if (at == std::string::npos) {
            ADD_FAILURE() << "no field " << path << " in " << line;
            return line.size();
        }
        at += key.size();
        if (dot == std::string_view::npos) return at;
        path.remove_prefix(dot + 1);
    }
}

double NumberIn(const std::string& line, std::string_view path) {
    std::size_t start = ValueStart(line, path);
    if (start < line.size() && line[start] == '[') ++start;
    return std::strtod(line.c_str() + start, nullptr);
}

std::string TextIn(const std::string& line, std::string_view path) {
    std::size_t start = ValueStart(line, path) + 1;
    return line.substr(start, line.find('"', start) - start);
}

bool PlayedIn(const std::string& line, const std::string& stem) {
    std::size_t start = ValueStart(line, "sounds");
    std::string sounds = line.substr(start, line.find(']', start) - start);
    return sounds.find("\"" + stem + "\"") != std::string::npos;
}
