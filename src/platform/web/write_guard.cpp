#include "platform/system/write_guard.hpp"

#include <emscripten.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/system/message.hpp"

namespace fs = std::filesystem;

namespace {

// page.js holds the list of folders it keeps in the browser's storage, and
// what it refused of the link before the game started (a --replay from
// another site); both are asked there so that the two never disagree.
EM_JS(int, PageKeeps, (const char* path), { return Module.rezarudevKeeps(UTF8ToString(path)) ? 1 : 0; });
EM_JS(char*, PageRefusal, (), {
    var refusal = Module.rezarudevRefusal;
    return refusal ? stringToNewUTF8(refusal) : 0;
});

bool ClimbsOut(const fs::path& path) {
    for (const fs::path& part : path)
        if (part == "..") return true;
    return false;
}

bool Inside(const fs::path& path, const fs::path& folder) {
    fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

// A trace grows by a kilobyte a frame, and a --fast run makes thousands of
// frames a second: unbounded, it would take all the browser's memory.
std::uint64_t WriteLimit() { return 64u << 20; }

// The page's file system lives in memory and goes with the page: all of it is
// scratch space but the folders kept in the browser's storage, which hold
// the game's own files, and the game's sounds in /data.
std::string RefusedFiles(const RequestedFiles& requested, const std::vector<std::string>& /*own_files*/) {
    if (char* refusal = PageRefusal()) {
        std::string said = refusal;
        std::free(refusal);
        return said;
    }
    if (!requested.data_dir.empty()) return "--data-dir cannot be given in a link";
    for (const RequestedWrite& write : requested.writes) {
        std::error_code error;
        fs::path where = fs::weakly_canonical(fs::absolute(write.path, error), error);
        if (error || ClimbsOut(write.path) || PageKeeps(where.c_str()) || Inside(where, "/data"))
            return write.option + " may write only to the page's scratch files, not " + Printable(write.path);
    }
    return {};
}
