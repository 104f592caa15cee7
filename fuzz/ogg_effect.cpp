// Sound files are user-replaceable data: any bytes either open as an OGG
// Vorbis stream or are refused, and an opened stream decodes to whole frames
// of a sound the mixer can hold.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz_check.hpp"
#include "platform/audio/audio_decoder.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<SoundDecoder> decoder = SoundDecoder::Open(std::vector<unsigned char>(data, data + size));
    if (!decoder) return 0;
    FUZZ_CHECK(decoder->channels() == 1 || decoder->channels() == 2, "%d channels", decoder->channels());
    FUZZ_CHECK(decoder->hertz() > 0, "%d Hz", decoder->hertz());
    auto [samples, frames] = decoder->DecodeAll();
    FUZZ_CHECK(frames >= 0, "%d frames", frames);
    FUZZ_CHECK(samples.size() == static_cast<std::size_t>(frames) * static_cast<std::size_t>(decoder->channels()),
               "%zu samples for %d frames", samples.size(), frames);
    return 0;
}
