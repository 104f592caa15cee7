#include "platform/system/text_parse.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

std::string_view Trim(std::string_view text) {
    std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

std::string_view StripComment(std::string_view line) { return line.substr(0, line.find('#')); }

std::vector<std::string_view> SplitWords(std::string_view line) {
    line = StripComment(line);
    std::vector<std::string_view> words;
    std::size_t start = line.find_first_not_of(kBlanks);
    while (start != std::string_view::npos) {
        std::size_t end = line.find_first_of(kBlanks, start);
        if (end == std::string_view::npos) end = line.size();
        words.push_back(line.substr(start, end - start));
        start = line.find_first_not_of(kBlanks, end);
    }
    return words;
}

std::optional<int> ParseInt(std::string_view word) {
    int value = 0;
    auto [end, status] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (status != std::errc() || end != word.data() + word.size()) return std::nullopt;
    return value;
}

std::optional<int> ParseIntIn(std::string_view word, int low, int high) {
    std::optional<int> value = ParseInt(word);
    if (!value || *value < low || *value > high) return std::nullopt;
    return value;
}

// strtod, as the browser build's library has no from_chars for reals, minus
// the forms strtod adds (leading blanks or plus, hexadecimal, infinities).
std::optional<double> ParseReal(std::string_view word) {
    if (word.empty() || word.find_first_not_of("0123456789.-+eE") != std::string_view::npos) return std::nullopt;
    for (std::size_t at = word.find('+'); at != std::string_view::npos; at = word.find('+', at + 1))
        if (at == 0 || (word[at - 1] != 'e' && word[at - 1] != 'E')) return std::nullopt;
    std::string text(word);
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno == ERANGE || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string FormatReal(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}
