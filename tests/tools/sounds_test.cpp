#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

const std::filesystem::path kDataFolder = std::filesystem::path(REZARUDEV_SOURCE_DIR) / "data";

const std::vector<std::string> kEffects = {
    "thrust.ogg",      "burghit.ogg",    "newlvl.ogg", "smartbomb.ogg", "hyperspc.ogg", "death.ogg", "shootmine.ogg",
    "shootrocket.ogg", "armageddon.ogg", "hscore.ogg", "shield.ogg",    "ufoloop.ogg",  "shoot.ogg", "powerup.ogg",
};
const std::vector<std::string> kMusic = {"panic.ogg", "bunstorm.ogg", "horizon.ogg", "title.ogg"};

constexpr int kBlockFrames = 4410;  // 100 ms
constexpr std::size_t kEdgeFrames = 32;
constexpr int kStepBins = 16384;
constexpr double kStepBinWidth = 2.0 / kStepBins;

// What the checks need from one decoded file, gathered in one streaming pass
// so the four minute-long tracks are never held in memory at once.
struct SoundSummary {
    bool ok = false;
    int rate = 0;
    int channels = 0;
    long long frames = 0;
    double peak = 0.0;
    // Per channel, the first and the last kEdgeFrames samples.
    std::vector<std::vector<float>> head;
    std::vector<std::vector<float>> tail;
    std::vector<float> last_frame;
    std::vector<long long> step_histogram = std::vector<long long>(kStepBins, 0);
    std::vector<double> block_rms;
    std::uintmax_t bytes = 0;

    double Seconds() const { return rate > 0 ? static_cast<double>(frames) / rate : 0.0; }

    double StepPercentile(double fraction) const {
        long long total = 0;
        for (const long long count : step_histogram) {
            total += count;
        }
        long long seen = 0;
        for (int bin = 0; bin < kStepBins; ++bin) {
            seen += step_histogram[bin];
            if (static_cast<double>(seen) >= fraction * static_cast<double>(total)) {
                return (bin + 1) * kStepBinWidth;
            }
        }
        return 2.0;
    }

    // How far the wrap from the last frame to the first exceeds the steps just
    // before and after it; a continuous waveform gives a ratio near 1.
    double WrapJumpOverLocalSteps() const {
        double worst = 0.0;
        for (int channel = 0; channel < channels; ++channel) {
            std::vector<float> joined = tail[channel];
            joined.insert(joined.end(), head[channel].begin(), head[channel].end());
            double largest_local = 1e-4;
            for (std::size_t i = 1; i < joined.size(); ++i) {
                if (i != kEdgeFrames) {
                    largest_local = std::max(largest_local, static_cast<double>(std::fabs(joined[i] - joined[i - 1])));
                }
            }
            const double jump = std::fabs(joined[kEdgeFrames] - joined[kEdgeFrames - 1]);
            worst = std::max(worst, jump / largest_local);
        }
        return worst;
    }

    double WrapJump() const {
        double jump = 0.0;
        for (int channel = 0; channel < channels; ++channel) {
            jump = std::max(jump, static_cast<double>(std::fabs(tail[channel].back() - head[channel].front())));
        }
        return jump;
    }
};

double ToDecibels(double gain) { return 20.0 * std::log10(std::max(gain, 1e-12)); }

SoundSummary Summarise(const std::filesystem::path& path) {
    SoundSummary summary;
    OggVorbis_File file;
    if (ov_fopen(path.string().c_str(), &file) != 0) {
        return summary;
    }
    const vorbis_info* info = ov_info(&file, -1);
    summary.rate = static_cast<int>(info->rate);
    summary.channels = info->channels;
    summary.head.assign(summary.channels, {});
    summary.tail.assign(summary.channels, {});
    summary.last_frame.assign(summary.channels, 0.0f);
    double block_sum = 0.0;
    int block_fill = 0;
    int section = 0;
    bool failed = false;
    for (;;) {
        float** pcm = nullptr;
        const long count = ov_read_float(&file, &pcm, 4096, &section);
        if (count <= 0) {
            failed = count < 0;
            break;
        }
        for (long i = 0; i < count; ++i) {
            for (int channel = 0; channel < summary.channels; ++channel) {
                const float sample = pcm[channel][i];
                if (summary.head[channel].size() < kEdgeFrames) {
                    summary.head[channel].push_back(sample);
                }
                std::vector<float>& tail = summary.tail[channel];
                if (tail.size() == kEdgeFrames) {
                    tail.erase(tail.begin());
                }
                tail.push_back(sample);
                if (summary.frames > 0) {
                    const double step = std::fabs(sample - summary.last_frame[channel]);
                    ++summary.step_histogram[std::min(kStepBins - 1, static_cast<int>(step / kStepBinWidth))];
                }
                summary.last_frame[channel] = sample;
                summary.peak = std::max(summary.peak, static_cast<double>(std::fabs(sample)));
                block_sum += static_cast<double>(sample) * sample;
            }
            ++summary.frames;
            if (++block_fill == kBlockFrames) {
                summary.block_rms.push_back(std::sqrt(block_sum / (kBlockFrames * summary.channels)));
                block_sum = 0.0;
                block_fill = 0;
            }
        }
    }
    ov_clear(&file);
    summary.ok = !failed && summary.frames > 0;
    summary.bytes = std::filesystem::file_size(path);
    return summary;
}

const std::map<std::string, SoundSummary>& AllSounds() {
    static const std::map<std::string, SoundSummary> sounds = [] {
        std::map<std::string, SoundSummary> decoded;
        for (const auto* names : {&kEffects, &kMusic}) {
            for (const std::string& name : *names) {
                if (std::filesystem::exists(kDataFolder / name)) {
                    decoded[name] = Summarise(kDataFolder / name);
                }
            }
        }
        return decoded;
    }();
    return sounds;
}

std::vector<std::string> AllNames() {
    std::vector<std::string> names = kEffects;
    names.insert(names.end(), kMusic.begin(), kMusic.end());
    return names;
}

TEST(SoundFiles, EveryFileIsPresentAndDecodesAt44100Hz) {
    for (const std::string& name : AllNames()) {
        SCOPED_TRACE(name);
        const auto found = AllSounds().find(name);
        ASSERT_NE(found, AllSounds().end()) << "missing from data/";
        EXPECT_TRUE(found->second.ok);
        EXPECT_EQ(found->second.rate, 44100);
        EXPECT_GT(found->second.Seconds(), 0.05);
    }
}

TEST(SoundFiles, DecodedPeaksStayAtOrBelowMinusOneDbfs) {
    for (const auto& [name, sound] : AllSounds()) {
        SCOPED_TRACE(name);
        EXPECT_LE(ToDecibels(sound.peak), -1.0);
    }
}

TEST(SoundFiles, AllEighteenFilesTogetherStayUnderSixMegabytes) {
    std::uintmax_t total = 0;
    for (const auto& [name, sound] : AllSounds()) {
        total += sound.bytes;
    }
    EXPECT_EQ(AllSounds().size(), 18u);
    EXPECT_LT(total, 6u * 1024u * 1024u);
}

TEST(SoundFiles, MusicTracksAreStereoAndAtLeastAMinuteLong) {
    for (const std::string& name : kMusic) {
        SCOPED_TRACE(name);
        const SoundSummary& track = AllSounds().at(name);
        EXPECT_EQ(track.channels, 2);
        EXPECT_GE(track.Seconds(), 60.0);
    }
}

// A loop clicks when the jump from its last frame back to its first is larger
// than the steps the waveform takes anywhere else.
TEST(SoundFiles, LoopingSoundsWrapWithoutAClick) {
    std::vector<std::string> loops = kMusic;
    loops.push_back("ufoloop.ogg");
    for (const std::string& name : loops) {
        SCOPED_TRACE(name);
        const SoundSummary& sound = AllSounds().at(name);
        ASSERT_GE(sound.frames, static_cast<long long>(2 * kEdgeFrames));
        EXPECT_LE(sound.WrapJump(), sound.StepPercentile(0.99));
        EXPECT_LE(sound.WrapJumpOverLocalSteps(), 1.5);
    }
}

// A fade at either end would leave a dip in level every time the track comes round.
TEST(SoundFiles, MusicDoesNotFadeAtTheLoopPoint) {
    for (const std::string& name : kMusic) {
        SCOPED_TRACE(name);
        const SoundSummary& track = AllSounds().at(name);
        ASSERT_GE(track.block_rms.size(), 20u);
        double mean_square = 0.0;
        for (const double rms : track.block_rms) {
            mean_square += rms * rms;
        }
        const double overall = std::sqrt(mean_square / static_cast<double>(track.block_rms.size()));
        EXPECT_GT(ToDecibels(track.block_rms.front()), ToDecibels(overall) - 12.0);
        EXPECT_GT(ToDecibels(track.block_rms.back()), ToDecibels(overall) - 12.0);
    }
}

TEST(SoundFiles, OneShotEffectsEndInSilence) {
    for (const std::string& name : kEffects) {
        if (name == "ufoloop.ogg") {
            continue;
        }
        SCOPED_TRACE(name);
        const SoundSummary& effect = AllSounds().at(name);
        EXPECT_LT(effect.Seconds(), 4.0);
        for (const float sample : effect.last_frame) {
            EXPECT_LT(std::fabs(sample), 0.01f);
        }
    }
}

// Loudness is judged on the loudest 100 ms, so a long tail does not make an effect look quiet.
TEST(SoundFiles, EffectsAreOfSimilarLoudness) {
    std::vector<double> loudness;
    for (const std::string& name : kEffects) {
        const SoundSummary& effect = AllSounds().at(name);
        const double loudest =
            effect.block_rms.empty() ? 0.0 : *std::max_element(effect.block_rms.begin(), effect.block_rms.end());
        loudness.push_back(ToDecibels(loudest));
    }
    std::vector<double> sorted = loudness;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    for (std::size_t i = 0; i < kEffects.size(); ++i) {
        SCOPED_TRACE(kEffects[i]);
        EXPECT_NEAR(loudness[i], median, 6.0);
    }
}

}  // namespace
