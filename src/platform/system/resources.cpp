#include "platform/system/resources.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

bool IsStreamName(std::string_view source) { return source.find("::") != std::string_view::npos; }

std::span<const unsigned char> FindResource(std::string_view name) {
    for (const EmbeddedResource* resource = kEmbeddedResources; resource->name; ++resource) {
        if (name == resource->name) return {resource->data, resource->size};
    }
    return {};
}

std::optional<std::vector<unsigned char>> ReadSource(const std::string& source) {
    if (source.starts_with(kIncbinPrefix)) {
        auto bytes = FindResource(std::string_view(source).substr(kIncbinPrefix.size()));
        if (bytes.empty()) return std::nullopt;
        return std::vector<unsigned char>(bytes.begin(), bytes.end());
    }
    if (IsStreamName(source)) return std::nullopt;
    // A folder opens and then throws in the middle of reading; a FIFO may never end.
    std::error_code problem;
    if (!std::filesystem::is_regular_file(source, problem)) return std::nullopt;
    std::ifstream file(source, std::ios::binary);
    if (!file) return std::nullopt;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return bytes;
}
