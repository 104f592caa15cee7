#include "http/site.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace fs = std::filesystem;

namespace {

bool Inside(const fs::path& folder, const fs::path& file) {
    auto [stop, unused] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return stop == folder.end();
}

}  // namespace

Site::Site(const fs::path& folder) {
    std::error_code error;
    folder_ = fs::weakly_canonical(fs::absolute(folder, error), error);
    // The folder's own name has no slash at its end, so that Inside compares
    // whole names.
    if (folder_.has_relative_path() && !folder_.has_filename()) folder_ = folder_.parent_path();
}

std::optional<fs::path> Site::Find(std::string_view request_path) const {
    if (request_path.empty() || request_path.front() != '/') return std::nullopt;
    fs::path relative;
    std::string_view rest = request_path.substr(1);
    while (!rest.empty()) {
        std::size_t slash = rest.find('/');
        std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (segment.empty() && rest.empty()) break;  // a trailing slash
        if (segment.empty() || segment.front() == '.' ||
            segment.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos) {
            return std::nullopt;
        }
        relative /= fs::path(std::string(segment));
    }
    std::error_code error;
    fs::path file = fs::weakly_canonical(folder_ / relative, error);
    if (error || !Inside(folder_, file)) return std::nullopt;
    if (fs::is_directory(file, error)) {
        file = fs::weakly_canonical(file / "index.html", error);
        if (error || !Inside(folder_, file)) return std::nullopt;
    }
    if (!fs::is_regular_file(file, error)) return std::nullopt;
    return file;
}

std::string MediaTypeOf(const fs::path& file) {
    static constexpr std::array<std::pair<const char*, const char*>, 14> kTypes = {{
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".json", "application/json"},
        {".webmanifest", "application/manifest+json"},
        {".wasm", "application/wasm"},
        {".data", "application/octet-stream"},
        {".png", "image/png"},
        {".svg", "image/svg+xml"},
        {".ico", "image/vnd.microsoft.icon"},
        {".ogg", "audio/ogg"},
        {".txt", "text/plain; charset=utf-8"},
        {".replay", "text/plain; charset=utf-8"},
    }};
    std::string extension = file.extension().string();
    for (const auto& [known, type] : kTypes) {
        if (extension == known) return type;
    }
    return "application/octet-stream";
}
