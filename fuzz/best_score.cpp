// The best-score file: exactly four bytes read as a little-endian score; any
// other length reads as 0 and is not to be written over. The value read is
// written and read back intact.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_check.hpp"
#include "game/hiscore.hpp"

namespace {

// In memory where possible: replacing a file by renaming on a disk file
// system flushes it, which costs more than everything else here. Never freed,
// so the clean-up at exit still finds it.
const std::string& Folder() {
    static const std::string* folder = [] {
        std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        pattern += "/rezarudev-fuzz-XXXXXX";
        char* name = pattern.data();
        FUZZ_CHECK(mkdtemp(name) != nullptr, "no temporary folder");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Folder(), ignored);
        });
        return new std::string(name);
    }();
    return *folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Folder() + "/hiscore.dat";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr, "cannot write %s", path.c_str());
    FUZZ_CHECK((size == 0 || std::fwrite(data, 1, size, file) == size) && std::fclose(file) == 0, "cannot write %s",
               path.c_str());

    int expected = 0;
    if (size == 4) {
        expected =
            static_cast<int>(static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                             static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24);
    }
    BestScoreRead read = ReadBestScore(path);
    int best = read.best;
    FUZZ_CHECK(best == expected, "read %d, expected %d from %zu bytes", best, expected, size);
    FUZZ_CHECK(read.may_save == (size == 4), "a plain file of %zu bytes %s be saved over", size,
               read.may_save ? "may" : "may not");
    FUZZ_CHECK(WriteBestScore(path, best), "cannot save %d", best);
    FUZZ_CHECK(std::filesystem::file_size(path) == 4, "the saved file is not 4 bytes");
    int again = ReadBestScore(path).best;
    FUZZ_CHECK(again == best, "saved %d, read back %d", best, again);
    return 0;
}
