#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The site folder the board serves beside its API: the browser build's page.
class Site {
public:
    // The folder need not exist yet; then every file is missing.
    explicit Site(const std::filesystem::path& folder);

    // The file a request path names, when it is a plain file inside the
    // folder: "/" and folders mean their index.html. Segments that are empty
    // in the middle, "." or "..", or start with a dot (hidden files), and
    // anything that leads outside the folder (through a link too), name
    // nothing.
    std::optional<std::filesystem::path> Find(std::string_view request_path) const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

// The media type a browser needs for the file, by its extension.
std::string MediaTypeOf(const std::filesystem::path& file);
