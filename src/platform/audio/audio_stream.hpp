#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/audio.hpp"
#include "platform/audio/audio_decoder.hpp"

// One voice's way through a streamed sound. The worker decodes the file into
// a ring of blocks and the mixer plays them in order. A block holds its
// frames and a guard frame that is the first frame of the block after it (or
// its own last frame at the end of a one-shot), so interpolation reads the
// blocks as one run of frames and a looping track wraps without a seam.
struct SoundStream {
    static constexpr std::size_t kBlockSpan = Audio::kStreamBlockFrames + 1;

    // Set by the game thread before anyone else sees the stream.
    std::string source;
    bool loop = false;

    // Written by the worker before the first block is published (or before
    // finished is set), read by the mixer after it sees either.
    int channels = 1;
    int hertz = 44100;
    std::vector<std::int16_t> samples;  // kStreamBlocks blocks of kBlockSpan frames
    std::array<int, Audio::kStreamBlocks> lengths{};

    // Blocks [read, written) are the mixer's to play; the worker fills block
    // `written` once the mixer has moved read past it.
    std::atomic<std::uint32_t> written{0};
    std::atomic<std::uint32_t> read{0};
    // No block after `written` will come: a one-shot's end, or a failure.
    std::atomic<bool> finished{false};
    // The mixer has let go of the voice; the worker frees the stream.
    std::atomic<bool> released{false};

    // Worker (or pump) only.
    std::unique_ptr<SoundDecoder> decoder;
    bool opened = false;
    int filled = 0;  // frames in block `written` so far
    std::array<std::int16_t, 2> carry{};
    bool has_carry = false;
    bool frames_since_rewind = false;

    bool ready() const {
        return written.load(std::memory_order_acquire) != 0 || finished.load(std::memory_order_acquire);
    }
    std::int16_t* block(std::uint32_t index) {
        return samples.data() + (index % Audio::kStreamBlocks) * kBlockSpan * static_cast<std::size_t>(channels);
    }
};

// Decodes the streamed sounds ahead of the mixer, on a thread of its own or,
// where there are no threads, in the mixer's own calls to Pump.
class StreamWorker {
public:
    explicit StreamWorker(bool own_thread);
    ~StreamWorker();
    StreamWorker(const StreamWorker&) = delete;
    StreamWorker& operator=(const StreamWorker&) = delete;

    // Game thread. The worker owns the stream from now on and frees it once
    // the mixer has let go of it; Wake it when the stream's voice is queued.
    void Add(std::unique_ptr<SoundStream> stream);
    // Any thread: there is something new to do.
    void Wake();
    // Without a thread of its own: does the work asked for since the last
    // call, a block or two for each stream. Called by the mixer before each
    // block, so it never starves while it mixes.
    void Pump() {
        if (!own_thread_) PumpHere();
    }
    // Waits (or, without a thread, works) until every stream is as full as
    // it may be.
    void Finish();
    // Streams whose decoder and buffer are still alive.
    int count() const { return count_.load(std::memory_order_acquire); }

private:
    void Run();
    void PumpHere();
    bool Pass();
    bool Feed(SoundStream& stream);
    void Fail(SoundStream& stream, const char* why);

    // Game thread → worker: streams just started.
    std::mutex new_streams_mutex_;
    std::vector<std::unique_ptr<SoundStream>> new_streams_;
    // Raised by whoever gives the worker something to do; the worker sleeps
    // on it. It copies the value it last found nothing to do at into idle_.
    std::atomic<std::uint32_t> wake_{0};
    std::atomic<std::uint32_t> idle_{~0u};
    std::atomic<bool> quit_{false};
    std::atomic<int> count_{0};
    const bool own_thread_;
    // Without a thread, whoever pumps holds it, so the game thread's Finish
    // and an output's mixing never pump at once.
    std::mutex pump_mutex_;
    // Worker (or pump) only.
    std::vector<std::unique_ptr<SoundStream>> streams_;
    // Files already warned about, so a broken track picked again does not
    // warn again.
    std::set<std::string> warned_;
    // Last, so it starts once everything above is made.
    std::thread thread_;
};
