#include "platform/audio/audio_decoder.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

std::size_t SoundDecoder::Read(void* destination, std::size_t size, std::size_t count, void* source) {
    auto& self = *static_cast<SoundDecoder*>(source);
    // vorbisfile takes a short read with errno set for a failed one, so a
    // plain end of data must not leave an old errno behind.
    errno = 0;
    if (size == 0) return 0;
    if (self.file_handle_) {
        std::size_t items = std::fread(destination, size, count, self.file_handle_);
        if (items < count && !std::ferror(self.file_handle_)) errno = 0;
        else if (items < count && errno == 0) errno = EIO;
        return items;
    }
    std::size_t left = self.bytes_.size() - self.position_;
    std::size_t items = std::min(count, left / size);
    if (items == 0) return 0;
    std::memcpy(destination, self.bytes_.data() + self.position_, items * size);
    self.position_ += items * size;
    return items;
}

int SoundDecoder::Seek(void* source, ogg_int64_t offset, int whence) {
    auto& self = *static_cast<SoundDecoder*>(source);
    if (self.file_handle_) {
        if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
        return fseeko(self.file_handle_, static_cast<off_t>(offset), whence) == 0 ? 0 : -1;
    }
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(self.position_);
    else if (whence == SEEK_END) base = static_cast<ogg_int64_t>(self.bytes_.size());
    else if (whence != SEEK_SET) return -1;
    ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(self.bytes_.size())) return -1;
    self.position_ = static_cast<std::size_t>(target);
    return 0;
}

int SoundDecoder::Close(void*) { return 0; }

long SoundDecoder::Tell(void* source) {
    auto& self = *static_cast<SoundDecoder*>(source);
    if (self.file_handle_) return static_cast<long>(ftello(self.file_handle_));
    return static_cast<long>(self.position_);
}

std::unique_ptr<SoundDecoder> SoundDecoder::Open(std::vector<unsigned char> bytes) {
    std::unique_ptr<SoundDecoder> decoder(new SoundDecoder());
    decoder->bytes_ = std::move(bytes);
    return Start(std::move(decoder));
}

std::unique_ptr<SoundDecoder> SoundDecoder::OpenFile(const std::string& path) {
    // A folder opens and then fails to read; a FIFO may never end.
    std::error_code problem;
    if (!std::filesystem::is_regular_file(path, problem)) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    std::unique_ptr<SoundDecoder> decoder(new SoundDecoder());
    decoder->file_handle_ = file;
    return Start(std::move(decoder));
}

std::unique_ptr<SoundDecoder> SoundDecoder::Start(std::unique_ptr<SoundDecoder> decoder) {
    ov_callbacks callbacks{&SoundDecoder::Read, &SoundDecoder::Seek, &SoundDecoder::Close, &SoundDecoder::Tell};
    if (ov_open_callbacks(decoder.get(), &decoder->file_, nullptr, 0, callbacks) != 0) return nullptr;
    decoder->open_ = true;
    const vorbis_info* info = ov_info(&decoder->file_, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0) return nullptr;
    decoder->channels_ = info->channels;
    decoder->hertz_ = static_cast<int>(info->rate);
    return decoder;
}

SoundDecoder::~SoundDecoder() {
    if (open_) ov_clear(&file_);
    if (file_handle_) std::fclose(file_handle_);
}

std::pair<std::vector<std::int16_t>, int> SoundDecoder::DecodeAll() {
    std::vector<std::int16_t> samples;
    const std::size_t channels = static_cast<std::size_t>(channels_);
    ogg_int64_t total = ov_pcm_total(&file_, -1);
    // The length is the last page's own claim. A Vorbis packet of a byte or
    // two holds at most 4096 frames, so a claim the bytes could not hold is a
    // damaged or hostile file (2^62 frames, say): the buffer then grows with
    // what actually decodes.
    constexpr ogg_int64_t kMostFramesPerByte = 4096;
    if (total > static_cast<ogg_int64_t>(bytes_.size()) * kMostFramesPerByte) total = -1;
    // Room for the guard frame too, so finishing the sound does not copy it.
    if (total > 0) samples.resize((static_cast<std::size_t>(total) + 1) * channels);
    else samples.resize(65536 * channels);
    std::size_t filled = 0;
    const int big_endian = std::endian::native == std::endian::big ? 1 : 0;
    for (;;) {
        if (samples.size() - filled < 4096 * channels) samples.resize(samples.size() * 2);
        std::size_t room = (samples.size() - filled) * sizeof(std::int16_t);
        int link = 0;
        long got = ov_read(&file_, reinterpret_cast<char*>(samples.data() + filled),
                           static_cast<int>(std::min<std::size_t>(room, 1 << 20)), big_endian, 2, 1, &link);
        if (got == OV_HOLE) continue;
        if (got <= 0) break;
        const vorbis_info* info = ov_info(&file_, link);
        // A chained stream that changes its layout cannot be held in one sound.
        if (!info || info->channels != channels_) break;
        filled += static_cast<std::size_t>(got) / sizeof(std::int16_t);
    }
    int frames = static_cast<int>(filled / channels);
    samples.resize(static_cast<std::size_t>(frames) * channels);
    return {std::move(samples), frames};
}

long SoundDecoder::ReadFrames(std::int16_t* out, int max_frames) {
    const int big_endian = std::endian::native == std::endian::big ? 1 : 0;
    const int frame_bytes = channels_ * static_cast<int>(sizeof(std::int16_t));
    for (;;) {
        int link = 0;
        long got = ov_read(&file_, reinterpret_cast<char*>(out), max_frames * frame_bytes, big_endian, 2, 1, &link);
        // A lost page leaves a gap in time, nothing to stop for.
        if (got == OV_HOLE) continue;
        if (got <= 0) return got < 0 ? -1 : 0;
        const vorbis_info* info = ov_info(&file_, link);
        if (!info || info->channels != channels_ || info->rate != hertz_) return -1;
        return got / frame_bytes;
    }
}

bool SoundDecoder::Complete() {
    ogg_int64_t total = ov_pcm_total(&file_, -1);
    return total < 0 || ov_pcm_tell(&file_) >= total;
}

bool SoundDecoder::Rewind() { return ov_pcm_seek(&file_, 0) == 0; }
