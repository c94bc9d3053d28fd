#include "recording/RecordingFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace tonvale {

namespace {

// Of a stereo recording, to find the stronger channel: this many stretches, spread evenly over
// the whole recording, of a second each. A recording whose tape starts late, or whose other
// channel is loud only for a while, is judged by all of it, for no more reading than a minute.
constexpr std::size_t kJudgedStretches = 64;
constexpr double kStretchSeconds = 1;

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

// The channel with more signal: its variance about its own mean, over stretches spread evenly
// over the recording (the first minute when its length is unknown).
int RecordingFile::PickStronger() {
    const auto stretch = static_cast<std::uint64_t>(kStretchSeconds * m_rate);
    const std::uint64_t frames = m_frames > 0 ? m_frames : kJudgedStretches * stretch;
    const std::uint64_t stretches = std::min<std::uint64_t>(
        kJudgedStretches, std::max<std::uint64_t>(1, frames / std::max<std::uint64_t>(1, stretch)));
    const std::uint64_t step = frames / stretches;
    std::vector<float> block(2 * 8192);
    double sum[2] = {}, squares[2] = {};
    std::uint64_t seen = 0;
    for (std::uint64_t k = 0; k < stretches; ++k) {
        const bool next = step == stretch; // an unknown length: the first minute in one go
        if (k > 0 && !next &&
            sf_seek(File(m_file), static_cast<sf_count_t>(k * step), SEEK_SET) < 0)
            break;
        const std::uint64_t length = stretches == 1 ? frames : std::min(stretch, step);
        for (std::uint64_t done = 0; done < length;) {
            const auto want = static_cast<sf_count_t>(std::min<std::uint64_t>(8192, length - done));
            const sf_count_t got = sf_readf_float(File(m_file), block.data(), want);
            if (got <= 0) break;
            for (sf_count_t i = 0; i < got; ++i)
                for (int c = 0; c < 2; ++c) {
                    const double x = block[static_cast<std::size_t>(2 * i + c)];
                    sum[c] += x;
                    squares[c] += x * x;
                }
            done += static_cast<std::uint64_t>(got);
            seen += static_cast<std::uint64_t>(got);
        }
    }
    sf_seek(File(m_file), 0, SEEK_SET);
    if (seen == 0) return 0;
    const double n = static_cast<double>(seen);
    const double left = squares[0] / n - (sum[0] / n) * (sum[0] / n);
    const double right = squares[1] / n - (sum[1] / n) * (sum[1] / n);
    return right > left ? 1 : 0;
}

bool RecordingFile::Seek(std::uint64_t frame) {
    if (frame > m_frames || sf_seek(File(m_file), static_cast<sf_count_t>(frame), SEEK_SET) < 0)
        return false;
    m_read = frame;
    return true;
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
