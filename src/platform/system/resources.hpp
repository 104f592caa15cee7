#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A file compiled into the program. The table ends with a null name.
struct EmbeddedResource {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

extern const EmbeddedResource kEmbeddedResources[];

// Sources that contain "::" name a stream; "incbin::NAME" is a file compiled
// into the program. Anything else is a path on disk.
constexpr std::string_view kIncbinPrefix = "incbin::";

bool IsStreamName(std::string_view source);

// The bytes of an embedded resource, or an empty span when there is none.
std::span<const unsigned char> FindResource(std::string_view name);

// Reads a whole source (embedded or on disk). Empty when it cannot be read.
std::optional<std::vector<unsigned char>> ReadSource(const std::string& source);
