#include "recording/RecordingFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace tonvale {

namespace {

constexpr double kJudgeSeconds = 60; // of a stereo recording, to find the stronger channel

SNDFILE* File(void* file) {
    return static_cast<SNDFILE*>(file);
}

} // namespace

std::unique_ptr<RecordingFile> RecordingFile::Open(const std::string& path, Channel channel,
                                                   std::string& failure) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        failure = std::string("not a recording that can be read: ") + sf_strerror(nullptr);
        return nullptr;
    }
    std::unique_ptr<RecordingFile> recording(new RecordingFile);
    recording->m_file = file;
    recording->m_rate = info.samplerate;
    recording->m_channels = info.channels;
    recording->m_frames = info.frames > 0 ? static_cast<std::uint64_t>(info.frames) : 0;
    if (info.channels < 1 || info.channels > 2) {
        failure = "has " + std::to_string(info.channels) + " channels; mono or stereo only";
        return nullptr;
    }
    if (info.samplerate < kLowestRate || info.samplerate > kHighestRate) {
        failure =
            "has " + std::to_string(info.samplerate) + " samples per second; 8000 to 192000 only";
        return nullptr;
    }
    if (channel == Channel::Right && info.channels < 2) {
        failure = "is mono: it has no right channel";
        return nullptr;
    }
    // Integer samples read as floats from -1 to 1; floats as they are, clipped or not.
    sf_command(file, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    if (info.channels == 2)
        recording->m_channel = channel == Channel::Left    ? 0
                               : channel == Channel::Right ? 1
                                                           : recording->PickStronger();
    return recording;
}

RecordingFile::~RecordingFile() {
    if (m_file) sf_close(File(m_file));
}

// The channel with more signal over the first minute: its variance about its own mean.
int RecordingFile::PickStronger() {
    const std::size_t frames = static_cast<std::size_t>(std::min<double>(
        kJudgeSeconds * m_rate, static_cast<double>(m_frames > 0 ? m_frames : 1u << 22)));
    std::vector<float> block(2 * 8192);
    double sum[2] = {}, squares[2] = {};
    std::size_t seen = 0;
    while (seen < frames) {
        const sf_count_t want = static_cast<sf_count_t>(std::min<std::size_t>(8192, frames - seen));
        const sf_count_t got = sf_readf_float(File(m_file), block.data(), want);
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i)
            for (int c = 0; c < 2; ++c) {
                const double x = block[static_cast<std::size_t>(2 * i + c)];
                sum[c] += x;
                squares[c] += x * x;
            }
        seen += static_cast<std::size_t>(got);
    }
    sf_seek(File(m_file), 0, SEEK_SET);
    if (seen == 0) return 0;
    const double n = static_cast<double>(seen);
    const double left = squares[0] / n - (sum[0] / n) * (sum[0] / n);
    const double right = squares[1] / n - (sum[1] / n) * (sum[1] / n);
    return right > left ? 1 : 0;
}

std::size_t RecordingFile::Read(std::span<float> block) {
    if (m_channels == 1) {
        const sf_count_t got =
            sf_readf_float(File(m_file), block.data(), static_cast<sf_count_t>(block.size()));
        const std::size_t count = got > 0 ? static_cast<std::size_t>(got) : 0;
        m_read += count;
        return count;
    }
    m_interleaved.resize(block.size() * static_cast<std::size_t>(m_channels));
    const sf_count_t got =
        sf_readf_float(File(m_file), m_interleaved.data(), static_cast<sf_count_t>(block.size()));
    const std::size_t count = got > 0 ? static_cast<std::size_t>(got) : 0;
    for (std::size_t i = 0; i < count; ++i)
        block[i] = m_interleaved[i * static_cast<std::size_t>(m_channels) +
                                 static_cast<std::size_t>(m_channel)];
    m_read += count;
    return count;
}

} // namespace tonvale
