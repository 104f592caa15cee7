#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include <vorbis/vorbisfile.h>

// An OGG Vorbis stream read through vorbisfile from bytes held in memory.
// Opening reads only the headers; DecodeAll does the slow part, on whichever
// thread calls it.
class SoundDecoder {
public:
    // Null when the bytes are not an OGG Vorbis stream.
    static std::unique_ptr<SoundDecoder> Open(std::vector<unsigned char> bytes);
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    int channels() const { return channels_; }
    int hertz() const { return hertz_; }

    // 16-bit interleaved frames and their count. A stream that breaks off
    // keeps what was decoded before the damage.
    std::pair<std::vector<std::int16_t>, int> DecodeAll();

private:
    SoundDecoder() = default;

    static std::size_t Read(void* destination, std::size_t size, std::size_t count, void* source);
    static int Seek(void* source, ogg_int64_t offset, int whence);
    static int Close(void* source);
    static long Tell(void* source);

    std::vector<unsigned char> bytes_;
    std::size_t position_ = 0;
    OggVorbis_File file_{};
    bool open_ = false;
    int channels_ = 1;
    int hertz_ = 44100;
};
