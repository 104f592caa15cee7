#include "platform/audio/audio_stream.hpp"

#include <algorithm>
#include <cstdio>

#include "platform/system/message.hpp"
#include "platform/system/resources.hpp"

StreamWorker::StreamWorker(bool own_thread) : own_thread_(own_thread) {
    if (own_thread_) thread_ = std::thread([this] { Run(); });
}

StreamWorker::~StreamWorker() {
    if (!own_thread_) return;
    quit_.store(true, std::memory_order_release);
    Wake();
    thread_.join();
}

void StreamWorker::Add(std::unique_ptr<SoundStream> stream) {
    std::lock_guard lock(new_streams_mutex_);
    new_streams_.push_back(std::move(stream));
}

void StreamWorker::Wake() {
    wake_.fetch_add(1, std::memory_order_release);
    if (own_thread_) wake_.notify_one();
}

void StreamWorker::PumpHere() {
    std::unique_lock lock(pump_mutex_, std::try_to_lock);
    // Whoever holds it is doing the work already.
    if (!lock) return;
    std::uint32_t seen = wake_.load(std::memory_order_acquire);
    if (seen != idle_.load(std::memory_order_acquire) && !Pass()) idle_.store(seen, std::memory_order_release);
}

void StreamWorker::Run() {
    while (!quit_.load(std::memory_order_acquire)) {
        std::uint32_t seen = wake_.load(std::memory_order_acquire);
        if (Pass()) continue;
        idle_.store(seen, std::memory_order_release);
        idle_.notify_all();
        wake_.wait(seen, std::memory_order_acquire);
    }
    idle_.store(wake_.load(std::memory_order_acquire), std::memory_order_release);
    idle_.notify_all();
}

// Takes in new streams, frees released ones and decodes a block of each that
// has room; whether it did any work.
bool StreamWorker::Pass() {
    bool busy = false;
    {
        std::lock_guard lock(new_streams_mutex_);
        for (auto& stream : new_streams_) streams_.push_back(std::move(stream));
        busy = !new_streams_.empty();
        new_streams_.clear();
    }
    // A replaced track goes before the next one opens, so two are never
    // held for longer than a moment.
    busy |= std::erase_if(streams_,
                          [](const auto& stream) { return stream->released.load(std::memory_order_acquire); }) > 0;
    count_.store(static_cast<int>(streams_.size()), std::memory_order_release);
    // A stream just started gets its first block before anyone gets more.
    for (auto& stream : streams_) {
        if (!stream->ready()) busy |= Feed(*stream);
    }
    for (auto& stream : streams_) busy |= Feed(*stream);
    return busy;
}

// Decodes one block of the stream if the ring has room; whether it did any work.
bool StreamWorker::Feed(SoundStream& stream) {
    if (stream.finished.load(std::memory_order_relaxed) || stream.released.load(std::memory_order_acquire))
        return false;
    if (!stream.opened) {
        stream.opened = true;
        if (stream.source.starts_with(kIncbinPrefix)) {
            auto bytes = ReadSource(stream.source);
            if (bytes) stream.decoder = SoundDecoder::Open(std::move(*bytes));
        } else {
            stream.decoder = SoundDecoder::OpenFile(stream.source);
        }
        if (!stream.decoder) {
            Fail(stream, "not an OGG Vorbis file");
            return true;
        }
        stream.channels = stream.decoder->channels();
        stream.hertz = stream.decoder->hertz();
        stream.samples.assign(
            Audio::kStreamBlocks * SoundStream::kBlockSpan * static_cast<std::size_t>(stream.channels), 0);
    }
    std::uint32_t written = stream.written.load(std::memory_order_relaxed);
    if (written - stream.read.load(std::memory_order_acquire) >= static_cast<std::uint32_t>(Audio::kStreamBlocks))
        return false;

    const int channels = stream.channels;
    std::int16_t* block = stream.block(written);
    if (stream.filled == 0 && stream.has_carry) {
        std::copy_n(stream.carry.begin(), channels, block);
        stream.filled = 1;
        stream.has_carry = false;
    }
    constexpr int kSpan = static_cast<int>(SoundStream::kBlockSpan);
    while (stream.filled < kSpan) {
        long got = stream.decoder->ReadFrames(block + stream.filled * channels, kSpan - stream.filled);
        if (got > 0) {
            stream.filled += static_cast<int>(got);
            stream.frames_since_rewind = true;
            continue;
        }
        if (got < 0 || !stream.decoder->Complete()) {
            Fail(stream, got < 0 ? "damaged data" : "the file broke off");
            return true;
        }
        if (stream.loop && stream.frames_since_rewind) {
            if (!stream.decoder->Rewind()) {
                Fail(stream, "cannot go back to its start");
                return true;
            }
            stream.frames_since_rewind = false;
            continue;
        }
        // The end of a one-shot (or of a looping file with nothing in it).
        Fail(stream, nullptr);
        return true;
    }
    stream.lengths[written % Audio::kStreamBlocks] = Audio::kStreamBlockFrames;
    std::copy_n(block + Audio::kStreamBlockFrames * channels, channels, stream.carry.begin());
    stream.has_carry = true;
    stream.filled = 0;
    stream.written.store(written + 1, std::memory_order_release);
    return true;
}

// Publishes what the block being filled holds as the last one, its guard
// repeating its last frame; `why` is null at a plain end of data.
void StreamWorker::Fail(SoundStream& stream, const char* why) {
    if (why && warned_.insert(stream.source).second) {
        std::fprintf(stderr, "rezarudev: cannot decode sound %s: %s\n", Printable(stream.source).c_str(), why);
    }
    std::uint32_t written = stream.written.load(std::memory_order_relaxed);
    if (stream.filled > 0) {
        std::int16_t* block = stream.block(written);
        const int channels = stream.channels;
        std::copy_n(block + (stream.filled - 1) * channels, channels, block + stream.filled * channels);
        stream.lengths[written % Audio::kStreamBlocks] = stream.filled;
        stream.filled = 0;
        stream.written.store(written + 1, std::memory_order_release);
    }
    stream.decoder.reset();
    stream.finished.store(true, std::memory_order_release);
}

void StreamWorker::Finish() {
    if (!own_thread_) {
        std::lock_guard lock(pump_mutex_);
        for (;;) {
            std::uint32_t seen = wake_.load(std::memory_order_acquire);
            if (seen == idle_.load(std::memory_order_acquire)) return;
            if (!Pass()) idle_.store(seen, std::memory_order_release);
        }
    }
    for (;;) {
        std::uint32_t idle = idle_.load(std::memory_order_acquire);
        if (idle == wake_.load(std::memory_order_acquire)) return;
        idle_.wait(idle, std::memory_order_acquire);
    }
}
