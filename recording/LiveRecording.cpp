#include "recording/LiveRecording.h"

#include <sndfile.h>

#include <algorithm>

namespace tonvale {

namespace {

constexpr double kSyncSeconds = 2;     // how much sound may wait in the system's cache for the disk
constexpr float kScale = 1.0f / 32768; // as libsndfile reads 16-bit samples back as floats

SNDFILE* File(void* file) {
    return static_cast<SNDFILE*>(file);
}

} // namespace

std::unique_ptr<LiveRecording> LiveRecording::Create(const std::string& path, double rate,
                                                     std::string& failure) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        failure = sf_strerror(nullptr);
        return nullptr;
    }
    std::unique_ptr<LiveRecording> recording(new LiveRecording);
    recording->m_file = file;
    recording->m_rate = rate;
    return recording;
}

LiveRecording::~LiveRecording() {
    Close();
}

void LiveRecording::Push(std::span<const std::int16_t> samples) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_ended) return;
        m_queue.insert(m_queue.end(), samples.begin(), samples.end());
    }
    m_arrived.notify_one();
}

void LiveRecording::End() {
    {
        const std::lock_guard lock(m_mutex);
        m_ended = true;
    }
    m_arrived.notify_one();
}

std::string LiveRecording::WriteFailure() const {
    const std::lock_guard lock(m_mutex);
    return m_failure;
}

std::uint64_t LiveRecording::SamplesWritten() const {
    const std::lock_guard lock(m_mutex);
    return m_written;
}

// Waits for sound, writes it to the file, then hands it on. What cannot be written is not
// handed on either: the tape stays the one the file gives.
std::size_t LiveRecording::Read(std::span<float> block) {
    {
        std::unique_lock lock(m_mutex);
        m_arrived.wait(lock, [this] { return !m_queue.empty() || m_ended; });
        if (!m_failure.empty() || !m_file) return 0;
        const std::size_t count = std::min(block.size(), m_queue.size());
        m_taken.assign(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(count));
        m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(count));
    }
    if (m_taken.empty()) return 0;
    const auto wanted = static_cast<sf_count_t>(m_taken.size());
    const sf_count_t written = sf_write_short(File(m_file), m_taken.data(), wanted);
    const std::size_t count = written > 0 ? static_cast<std::size_t>(written) : 0;
    m_sinceSync += count;
    if (written == wanted && m_sinceSync >= static_cast<std::uint64_t>(kSyncSeconds * m_rate)) {
        sf_write_sync(File(m_file));
        m_sinceSync = 0;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_written += count;
        if (written != wanted) {
            m_failure = sf_strerror(File(m_file));
            m_ended = true;
        }
    }
    for (std::size_t i = 0; i < count; ++i)
        block[i] = static_cast<float>(m_taken[i]) * kScale;
    return count;
}

bool LiveRecording::Close() {
    if (!m_file) return true;
    const int status = sf_close(File(m_file));
    m_file = nullptr;
    return status == 0;
}

} // namespace tonvale
