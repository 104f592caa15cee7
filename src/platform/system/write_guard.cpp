#include "platform/system/write_guard.hpp"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "platform/system/message.hpp"

namespace fs = std::filesystem;

namespace {

// Where `path` leads once every symbolic link on the way is followed, also
// one whose target does not exist yet (a write through it would create it).
fs::path WhereItLeads(const std::string& path) {
    std::error_code error;
    fs::path target = fs::absolute(path, error);
    if (error) return path;
    for (int hops = 0; hops < 40; ++hops) {
        fs::path resolved = fs::weakly_canonical(target, error);
        if (error) return target.lexically_normal();
        if (!fs::is_symlink(fs::symlink_status(resolved, error))) return resolved;
        fs::path link = fs::read_symlink(resolved, error);
        if (error) return resolved;
        target = link.is_absolute() ? link : resolved.parent_path() / link;
    }
    return target.lexically_normal();
}

// The same file by any name: a hard link, a symbolic link, "..", or a path
// that leads to where one of them would be created.
bool SameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    if (::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return WhereItLeads(first) == WhereItLeads(second);
}

}  // namespace

std::uint64_t WriteLimit() { return 0; }

std::string RefusedFiles(const RequestedFiles& requested, const std::vector<std::string>& own_files) {
    for (const RequestedWrite& write : requested.writes) {
        for (const std::string& own : own_files) {
            if (!own.empty() && SameFile(write.path, own))
                return write.option + " would write over the game's own file " + Printable(own);
        }
    }
    return {};
}
