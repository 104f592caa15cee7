// The fuzz targets' properties over their committed seed inputs, in every
// build: the seeds hold the hostile files that once found faults, so a build
// without clang and libFuzzer still guards against their return. A broken
// property aborts with its message.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define LLVMFuzzerTestOneInput FuzzReplay
#include "../../fuzz/replay.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzBestScore
#include "../../fuzz/best_score.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzOggEffect
#include "../../fuzz/ogg_effect.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzPngImage
#include "../../fuzz/png_image.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzScores
#include "../../fuzz/scores.cpp"
#undef LLVMFuzzerTestOneInput

namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> Bytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void RunCorpus(const std::string& name, int (*target)(const std::uint8_t*, std::size_t)) {
    fs::path folder = fs::path(REZARUDEV_SOURCE_DIR) / "fuzz" / "corpus" / name;
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::vector<unsigned char> bytes = Bytes(entry.path());
        // libFuzzer never passes a null pointer, even for no bytes.
        bytes.reserve(1);
        target(bytes.data(), bytes.size());
        ++inputs;
    }
    EXPECT_GE(inputs, 5) << folder;
}

TEST(FuzzCorpus, EverySeedKeepsItsTargetsProperties) {
    RunCorpus("replay", FuzzReplay);
    RunCorpus("best_score", FuzzBestScore);
    RunCorpus("ogg_effect", FuzzOggEffect);
    RunCorpus("png_image", FuzzPngImage);
    RunCorpus("scores", FuzzScores);
}

TEST(FuzzCorpus, AClaimedLengthBeyondTheBytesIsNotBelieved) {
    fs::path folder = fs::path(REZARUDEV_SOURCE_DIR) / "fuzz" / "corpus" / "ogg_effect";
    // The same stream, its last page claiming 2^62 frames.
    auto honest = SoundDecoder::Open(Bytes(folder / "mono_two_pages.ogg"));
    auto claiming = SoundDecoder::Open(Bytes(folder / "huge_granule.ogg"));
    ASSERT_TRUE(honest && claiming);
    // Only the end of the last block, which the true length would cut off, differs.
    EXPECT_EQ(honest->DecodeAll().second, 30000);
    EXPECT_NEAR(claiming->DecodeAll().second, 30000, 2048);
}

TEST(FuzzCorpus, APictureLargerThanAnyTheGameDrawsIsRefused) {
    fs::path folder = fs::path(REZARUDEV_SOURCE_DIR) / "fuzz" / "corpus" / "png_image";
    for (const char* name : {"huge_header.png", "wide_header.png"}) {
        std::vector<unsigned char> bytes = Bytes(folder / name);
        EXPECT_FALSE(DecodePng(bytes)) << name;
    }
    std::vector<unsigned char> bytes = Bytes(folder / "rgb_3x2.png");
    std::optional<TPixmap> small = DecodePng(bytes);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->ReadRGBA(2, 1), PackRGBA(15, 16, 17, 255));
}

}  // namespace
