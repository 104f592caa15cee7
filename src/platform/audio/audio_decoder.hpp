#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <vorbis/vorbisfile.h>

// An OGG Vorbis stream read through vorbisfile, from bytes held in memory or
// from a file as it is decoded. Opening reads only the headers; decoding does
// the slow part, on whichever thread calls it.
class SoundDecoder {
public:
    // Null when the bytes are not an OGG Vorbis stream.
    static std::unique_ptr<SoundDecoder> Open(std::vector<unsigned char> bytes);
    // The one place a streamed sound's file is opened. Null when it cannot be
    // opened or is not an OGG Vorbis stream.
    static std::unique_ptr<SoundDecoder> OpenFile(const std::string& path);
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    int channels() const { return channels_; }
    int hertz() const { return hertz_; }

    // 16-bit interleaved frames and their count. A stream that breaks off
    // keeps what was decoded before the damage.
    std::pair<std::vector<std::int16_t>, int> DecodeAll();

    // Decodes up to max_frames 16-bit interleaved frames into out: the count,
    // 0 at the end of the data, negative when the stream is damaged.
    long ReadFrames(std::int16_t* out, int max_frames);
    // Whether decoding got as far as the length in the stream's headers; a
    // file that shrank or broke off while it was read did not.
    bool Complete();
    // Back to the first frame, for a sound that loops.
    bool Rewind();

private:
    SoundDecoder() = default;

    static std::size_t Read(void* destination, std::size_t size, std::size_t count, void* source);
    static int Seek(void* source, ogg_int64_t offset, int whence);
    static int Close(void* source);
    static long Tell(void* source);

    static std::unique_ptr<SoundDecoder> Start(std::unique_ptr<SoundDecoder> decoder);

    std::vector<unsigned char> bytes_;
    std::size_t position_ = 0;
    // Read instead of bytes_ when set.
    std::FILE* file_handle_ = nullptr;
    OggVorbis_File file_{};
    bool open_ = false;
    int channels_ = 1;
    int hertz_ = 44100;
};
