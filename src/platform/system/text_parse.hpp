#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The pieces of the game's small text files (settings, replays): lines,
// words between blanks, '#' comments and whole decimal integers.

inline constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view text);
// The line without its '#' comment.
std::string_view StripComment(std::string_view line);
// The words of a line between blanks, its comment left out.
std::vector<std::string_view> SplitWords(std::string_view line);

// Calls `visit`(line, number) for each line, numbered from 1, without its
// line end: "\n", "\r\n" or a lone "\r", as editors of other systems leave
// them. A byte-order mark before the first line is no part of it. Stops
// early when `visit` returns false.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    if (text.substr(0, 3) == "\xef\xbb\xbf") text.remove_prefix(3);
    int number = 0;
    while (!text.empty()) {
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (next < text.size() && text[end] == '\r' && text[next] == '\n') ++next;
        text.remove_prefix(next);
        if (!visit(line, ++number)) return;
    }
}

// The whole word as a 32-bit integer, nothing before or after it.
std::optional<int> ParseInt(std::string_view word);
std::optional<int> ParseIntIn(std::string_view word, int low, int high);
// A finite decimal real, plain or with an exponent ("-1.0", "0.5e-3",
// "1.5e+09"), nothing before or after it.
std::optional<double> ParseReal(std::string_view word);
// A float as ParseReal reads it back exactly: nine significant digits.
std::string FormatReal(float value);
