#pragma once
// A sound file as the rescue's sample source: WAV (8, 16, 24-bit integer or 32-bit float PCM),
// FLAC, AIFF and whatever else libsndfile reads, mono or stereo, 8 kHz to 192 kHz. It is read
// in blocks, never whole. Of a stereo recording one channel is taken: the one asked for, or
// the stronger one over the whole recording.
#include "rescue/SampleSource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tonvale {

enum class Channel { Stronger, Left, Right };

inline constexpr double kLowestRate = 8000;
inline constexpr double kHighestRate = 192000;

class RecordingFile : public SampleSource {
  public:
    // Opens `path` (UTF-8); null with `failure` set when it cannot be read as a recording.
    static std::unique_ptr<RecordingFile> Open(const std::string& path, Channel channel,
                                               std::string& failure);
    ~RecordingFile() override;
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

    double Rate() const override { return m_rate; }
    std::uint64_t Length() const override { return m_frames; }
    std::size_t Read(std::span<float> block) override;
    // Reads on from sample `frame`; false where the file cannot go there.
    bool Seek(std::uint64_t frame);

    int Channels() const { return m_channels; }
    int ChannelTaken() const { return m_channel; } // 0 left (or mono), 1 right
    // After the last Read: a file whose data ended before its header said, or failed.
    bool EndedEarly() const { return m_read < m_frames; }
    std::uint64_t FramesRead() const { return m_read; }

  private:
    RecordingFile() = default;
    int PickStronger();

    void* m_file = nullptr; // SNDFILE
    double m_rate = 0;
    int m_channels = 1;
    int m_channel = 0;
    std::uint64_t m_frames = 0;
    std::uint64_t m_read = 0;
    std::vector<float> m_interleaved;
};

} // namespace tonvale
