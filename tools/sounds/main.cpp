// Writes the game's sound effects and music into the data folder:
//   make_sounds [output folder]
// Every run produces byte-identical files: fixed seeds, fixed stream serials, no clock.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "effects.hpp"
#include "music.hpp"
#include "ogg_file.hpp"

namespace {

constexpr float kEffectQuality = 0.5f;
constexpr float kMusicQuality = 0.45f;
// The game's mixer adds voices at unity gain and saturates, so the files carry the headroom: the music
// peaks well under full scale and the effects sit a few decibels above it, with their peaks held
// close to their loudness, so that the music and three or four effects at once stay clear of clipping.
constexpr double kMusicPeakDb = -16.5;
constexpr double kEffectLoudnessDb = -22.0;
constexpr double kEffectCrestDb = 6.0;
constexpr double kEffectPeakDb = -10.5;
constexpr double kCeilingDb = -1.2;

std::vector<Samples> Scaled(const std::vector<Samples>& channels, double gain) {
    std::vector<Samples> scaled = channels;
    for (Samples& channel : scaled) {
        ScaleSamples(channel, gain);
    }
    return scaled;
}

// The encoder may overshoot the peaks it was given, so the written file is decoded
// and the gain lowered until the decoded peak stays under the ceiling.
bool Encode(const std::filesystem::path& path, const std::vector<Samples>& channels, double gain, float quality,
            int serial) {
    SoundStats stats;
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (!WriteOggVorbis(path.string(), Scaled(channels, gain), quality, serial)) {
            std::fprintf(stderr, "make_sounds: cannot write %s\n", path.string().c_str());
            return false;
        }
        stats = MeasureOggVorbis(path.string());
        if (!stats.ok) {
            std::fprintf(stderr, "make_sounds: %s does not decode\n", path.string().c_str());
            return false;
        }
        if (stats.peak_db <= kCeilingDb) {
            break;
        }
        gain *= DecibelsToGain(kCeilingDb - 0.3 - stats.peak_db);
    }
    std::printf("%-16s %2d ch %7.2f s  peak %6.2f dBFS  rms %6.2f dBFS  %8ju bytes\n", path.filename().string().c_str(),
                stats.channels, stats.seconds, stats.peak_db, stats.rms_db,
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
    return stats.peak_db <= kCeilingDb;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "data";
    std::filesystem::create_directories(folder);
    int serial = 0x52455a00;
    bool ok = true;

    for (Effect& effect : RenderEffects()) {
        const std::size_t window = SecondsToFrames(0.2);
        LimitPeaks(effect.samples, LoudestWindowRms(effect.samples, window) * DecibelsToGain(kEffectCrestDb), 0.05);
        const double loudness = LoudestWindowRms(effect.samples, window);
        double gain = DecibelsToGain(kEffectLoudnessDb + effect.level_db) / std::max(loudness, 1e-9);
        gain = std::min(gain, DecibelsToGain(kEffectPeakDb) / std::max(PeakOf(effect.samples), 1e-9));
        ok = Encode(folder / effect.file, {effect.samples}, gain, kEffectQuality, ++serial) && ok;
    }
    for (const Track& track : RenderMusic()) {
        const double peak = std::max(PeakOf(track.samples.left), PeakOf(track.samples.right));
        const double gain = DecibelsToGain(kMusicPeakDb) / std::max(peak, 1e-9);
        ok =
            Encode(folder / track.file, {track.samples.left, track.samples.right}, gain, kMusicQuality, ++serial) && ok;
    }

    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".ogg") {
            total += entry.file_size();
        }
    }
    std::printf("total %ju bytes of OGG in %s\n", total, folder.string().c_str());
    return ok ? 0 : 1;
}
