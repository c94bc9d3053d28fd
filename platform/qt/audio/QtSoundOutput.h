#pragma once
// The sound output through Qt Multimedia: plays a WAV image as the synthesis builds it
// (46-byte header, mono, unsigned 8-bit or signed 16-bit samples at the header's rate)
// straight from memory, through
// the system's default output device (PulseAudio or PipeWire on Linux, the native services on
// Windows and macOS). It lives on the thread of the Qt event loop that drives it.
#include "base/Bytes.h"

#include <QAudioDevice>
#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QtMultimedia/QAudio>

#include <cstdint>
#include <memory>

class QAudioSink;

namespace tonvale {

class QtSoundOutput : public QObject {
    Q_OBJECT

  public:
    explicit QtSoundOutput(QObject* parent = nullptr);
    ~QtSoundOutput() override;

    // Starts playing a complete WAV image asynchronously; false when no device can play it.
    // Every call opens the device afresh, so a server that went away and came back plays
    // again. The image must stay valid and unchanged until Stop or finished().
    bool Play(const Byte* image, std::uint64_t size);
    // Stops at once; safe when idle.
    void Stop();
    bool IsPlaying() const;
    // Bytes of samples handed to the device so far.
    std::uint64_t PlayedBytes() const;

  signals:
    // The sound ended by itself: the last sample has been played, or (failed) the device
    // went away mid-way. Not after Stop.
    void finished(bool failed);

  private:
    void OnStateChanged(QAudio::State state);
    void Watch();
    void Fail();
    void Release();

    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    QByteArray m_samples; // the image's samples, not copied
    QBuffer m_source;
    QTimer m_watch;
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceHandedOver; // since a poll saw samples go to the device
    QElapsedTimer m_sincePoll;
    std::uint64_t m_handedOverAtPoll = 0;
    std::uint32_t m_bytesPerSecond = 0;
    std::uint64_t m_played = 0;
    std::uint64_t m_plays = 0; // Play calls that started a sink
};

} // namespace tonvale
