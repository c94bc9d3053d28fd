#pragma once
// Sound coming in from a sound card, as the rescue's sample source: written to a FLAC file as it
// comes, so that the file holds what was recorded at every moment (a crash loses no more than
// the encoder's last block), and handed to the rescue exactly as written, so that rescuing the
// file later gives the same tape. The sound card's side pushes 16-bit mono samples; the rescue
// pulls them on a thread of its own.
#include "rescue/SampleSource.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace tonvale {

class LiveRecording : public SampleSource {
  public:
    // Creates the FLAC file at `path` (UTF-8); null with `failure` set when it cannot.
    static std::unique_ptr<LiveRecording> Create(const std::string& path, double rate,
                                                 std::string& failure);
    ~LiveRecording() override;
    LiveRecording(const LiveRecording&) = delete;
    LiveRecording& operator=(const LiveRecording&) = delete;

    // The sound card's side.
    void Push(std::span<const std::int16_t> samples);
    void End(); // no more sound: the rescue reads what is queued, then ends
    // The first failure to write the file (a full disk): the recording ended there.
    std::string WriteFailure() const;
    std::uint64_t SamplesWritten() const;

    // The rescue's side.
    double Rate() const override { return m_rate; }
    std::uint64_t Length() const override { return 0; }
    std::size_t Read(std::span<float> block) override;
    // Writes out the FLAC file's last block and its header; after the rescue has ended.
    bool Close();

  private:
    LiveRecording() = default;

    void* m_file = nullptr; // SNDFILE
    double m_rate = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::int16_t> m_queue;
    std::vector<std::int16_t> m_taken;
    bool m_ended = false;
    std::string m_failure;
    std::uint64_t m_written = 0;
    std::uint64_t m_sinceSync = 0;
};

} // namespace tonvale
