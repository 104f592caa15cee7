#include "ogg_file.hpp"

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {

void AppendPage(std::vector<unsigned char>& bytes, const ogg_page& page) {
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}

}  // namespace

bool WriteOggVorbis(const std::string& path, const std::vector<Samples>& channels, float quality, int serial) {
    if (channels.empty()) {
        return false;
    }
    const int channel_count = static_cast<int>(channels.size());
    const std::size_t frames = channels[0].size();

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channel_count, kSampleRate, quality) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    std::vector<unsigned char> bytes;
    ogg_packet header;
    ogg_packet header_comment;
    ogg_packet header_code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &header_comment);
    ogg_stream_packetin(&stream, &header_code);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) {
        AppendPage(bytes, page);
    }

    constexpr std::size_t kChunk = 1024;
    std::size_t position = 0;
    bool finished = false;
    while (!finished) {
        const std::size_t count = std::min(kChunk, frames - position);
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (int channel = 0; channel < channel_count; ++channel) {
                std::copy_n(channels[channel].begin() + static_cast<std::ptrdiff_t>(position), count, buffer[channel]);
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            position += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    AppendPage(bytes, page);
                    if (ogg_page_eos(&page) != 0) {
                        finished = true;
                    }
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

SoundStats MeasureOggVorbis(const std::string& path) {
    SoundStats stats;
    OggVorbis_File vorbis_file;
    if (ov_fopen(path.c_str(), &vorbis_file) != 0) {
        return stats;
    }
    const vorbis_info* info = ov_info(&vorbis_file, -1);
    stats.rate = static_cast<int>(info->rate);
    stats.channels = info->channels;
    double peak = 0.0;
    double sum_of_squares = 0.0;
    long long frames = 0;
    int section = 0;
    bool failed = false;
    for (;;) {
        float** pcm = nullptr;
        const long count = ov_read_float(&vorbis_file, &pcm, 4096, &section);
        if (count == 0) {
            break;
        }
        if (count < 0) {
            failed = true;
            break;
        }
        for (int channel = 0; channel < stats.channels; ++channel) {
            for (long i = 0; i < count; ++i) {
                const double sample = pcm[channel][i];
                peak = std::max(peak, std::fabs(sample));
                sum_of_squares += sample * sample;
            }
        }
        frames += count;
    }
    ov_clear(&vorbis_file);
    if (failed || frames == 0) {
        return stats;
    }
    stats.ok = true;
    stats.seconds = static_cast<double>(frames) / stats.rate;
    stats.peak_db = GainToDecibels(peak);
    stats.rms_db = GainToDecibels(std::sqrt(sum_of_squares / (static_cast<double>(frames) * stats.channels)));
    return stats;
}
