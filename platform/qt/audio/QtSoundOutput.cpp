#include "platform/qt/audio/QtSoundOutput.h"

#include "sound/WavImage.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <limits>

namespace tonvale {

namespace {

constexpr int kPlayOutPollMs = 10;
// A device that never reports the end of its buffer still gets this much beyond the buffer's
// own length before playback counts as finished.
constexpr qint64 kPlayOutMarginUs = 250'000;

qint64 Microseconds(std::uint64_t samples, std::uint32_t rate) {
    return static_cast<qint64>(samples * 1'000'000 / rate);
}

} // namespace

QtSoundOutput::QtSoundOutput(QObject* parent) : QObject(parent) {
    m_playOutPoll.setInterval(kPlayOutPollMs);
    connect(&m_playOutPoll, &QTimer::timeout, this, &QtSoundOutput::CheckPlayedOut);
}

QtSoundOutput::~QtSoundOutput() {
    Release();
}

bool QtSoundOutput::Play(const Byte* image, std::uint64_t size) {
    Stop();
    if (image == nullptr || size < kWavHeaderSize) return false;
    const std::uint32_t rate = ReadLe32(image + kWavRateOffset);
    if (rate == 0 || rate > static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
        return false;
    const std::uint64_t samples =
        std::min<std::uint64_t>(ReadLe32(image + kWavDataSizeOffset), size - kWavHeaderSize);

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return false;
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(rate));
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::UInt8);

    // The sink reads the samples where they are; the caller keeps them unchanged meanwhile.
    m_samples = QByteArray::fromRawData(reinterpret_cast<const char*>(image + kWavHeaderSize),
                                        static_cast<qsizetype>(samples));
    m_source.setBuffer(&m_samples);
    if (!m_source.open(QIODevice::ReadOnly)) {
        Release();
        return false;
    }
    m_sink = std::make_unique<QAudioSink>(device, format);
    if (m_sink->isNull()) {
        Release();
        return false;
    }
    connect(m_sink.get(), &QAudioSink::stateChanged, this, &QtSoundOutput::OnStateChanged);
    ++m_plays;
    m_rate = rate;
    m_played = 0;
    m_sinceStart.start();
    m_sink->start(&m_source);
    if (!m_sink || m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        Release();
        return false;
    }
    return true;
}

void QtSoundOutput::Stop() {
    Release();
}

bool QtSoundOutput::IsPlaying() const {
    return m_sink != nullptr;
}

std::uint64_t QtSoundOutput::PlayedBytes() const {
    return m_sink ? static_cast<std::uint64_t>(m_source.pos()) : m_played;
}

void QtSoundOutput::OnStateChanged(QAudio::State state) {
    if (!m_sink) return;
    if (state == QAudio::IdleState && m_source.atEnd()) {
        WaitUntilPlayedOut();
    } else if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
        // The device went away mid-way. Not from inside the sink's own signal: it is deleted.
        QTimer::singleShot(0, this, [this, play = m_plays] {
            if (!m_sink || play != m_plays) return; // stopped or started over meanwhile
            Release();
            emit finished(true);
        });
    }
}

// Every sample is with the device now, but its buffer still plays on.
void QtSoundOutput::WaitUntilPlayedOut() {
    if (m_playOutPoll.isActive()) return;
    m_sinceLastHandedOver.start();
    m_playOutPoll.start();
}

void QtSoundOutput::CheckPlayedOut() {
    if (!m_sink) {
        m_playOutPoll.stop();
        return;
    }
    const qint64 total = Microseconds(static_cast<std::uint64_t>(m_samples.size()), m_rate);
    // Nothing plays faster than real time, whatever a device reports.
    const bool played =
        m_sink->processedUSecs() >= total && m_sinceStart.nsecsElapsed() / 1000 >= total;
    const qint64 buffered = Microseconds(static_cast<std::uint64_t>(m_sink->bufferSize()), m_rate);
    const bool overdue = m_sinceLastHandedOver.nsecsElapsed() / 1000 >= buffered + kPlayOutMarginUs;
    if (played || overdue) {
        Release();
        emit finished(false);
    }
}

void QtSoundOutput::Release() {
    m_playOutPoll.stop();
    if (m_sink) {
        m_played = static_cast<std::uint64_t>(m_source.pos());
        m_sink->disconnect(this);
        m_sink->stop();
        m_sink.reset();
    }
    m_source.close();
    m_source.setBuffer(nullptr);
    m_samples.clear();
}

} // namespace tonvale
