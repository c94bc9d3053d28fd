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

constexpr int kPollMs = 10;
constexpr qint64 kPollLateMs = 100;
// How long beyond its buffer's length a device may take no samples once all are with it.
constexpr qint64 kPlayOutMarginUs = 250'000;
// A device that takes no samples before their end for this long, and is gone from the
// system's list, has failed; one that is still listed gets much longer (servers start slowly).
constexpr qint64 kGoneAfterUs = 100'000;
constexpr qint64 kStalledUs = 3'000'000;

qint64 Microseconds(std::uint64_t bytes, std::uint32_t bytesPerSecond) {
    return static_cast<qint64>(bytes * 1'000'000 / bytesPerSecond);
}

// The image's sample format: unsigned 8-bit or signed 16-bit, as its header says.
QAudioFormat::SampleFormat SampleFormatOf(const Byte* image) {
    const unsigned bits = image[kWavBitsOffset] | image[kWavBitsOffset + 1] << 8;
    if (bits == 8) return QAudioFormat::UInt8;
    if (bits == 16) return QAudioFormat::Int16;
    return QAudioFormat::Unknown;
}

} // namespace

QtSoundOutput::QtSoundOutput(QObject* parent) : QObject(parent) {
    m_watch.setInterval(kPollMs);
    connect(&m_watch, &QTimer::timeout, this, &QtSoundOutput::Watch);
}

QtSoundOutput::~QtSoundOutput() {
    Release();
}

bool QtSoundOutput::Play(const Byte* image, std::uint64_t size) {
    Stop();
    if (image == nullptr || size < kWavHeaderSize) return false;
    const std::uint32_t rate = ReadLe32(image + kWavRateOffset);
    const QAudioFormat::SampleFormat sampleFormat = SampleFormatOf(image);
    if (rate == 0 || rate > static_cast<std::uint32_t>(std::numeric_limits<int>::max() / 2) ||
        sampleFormat == QAudioFormat::Unknown)
        return false;
    const std::uint64_t sampleBytes = sampleFormat == QAudioFormat::Int16 ? 2 : 1;
    std::uint64_t dataBytes =
        std::min<std::uint64_t>(ReadLe32(image + kWavDataSizeOffset), size - kWavHeaderSize);
    dataBytes -= dataBytes % sampleBytes;

    m_device = QMediaDevices::defaultAudioOutput();
    if (m_device.isNull()) return false;
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(rate));
    format.setChannelCount(1);
    format.setSampleFormat(sampleFormat);

    // The sink reads the samples where they are; the caller keeps them unchanged meanwhile.
    m_samples = QByteArray::fromRawData(reinterpret_cast<const char*>(image + kWavHeaderSize),
                                        static_cast<qsizetype>(dataBytes));
    m_source.setBuffer(&m_samples);
    if (!m_source.open(QIODevice::ReadOnly)) {
        Release();
        return false;
    }
    m_sink = std::make_unique<QAudioSink>(m_device, format);
    if (m_sink->isNull()) {
        Release();
        return false;
    }
    connect(m_sink.get(), &QAudioSink::stateChanged, this, &QtSoundOutput::OnStateChanged);
    ++m_plays;
    m_bytesPerSecond = static_cast<std::uint32_t>(format.bytesForFrames(static_cast<int>(rate)));
    m_played = 0;
    m_sinceStart.start();
    m_sink->start(&m_source);
    if (!m_sink || m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        Release();
        return false;
    }
    m_handedOverAtPoll = 0;
    m_sinceHandedOver.start();
    m_sincePoll.start();
    m_watch.start();
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
    if (!m_sink || state != QAudio::StoppedState || m_sink->error() == QAudio::NoError) return;
    // The server went away. Not from inside the sink's own signal: the sink is deleted.
    QTimer::singleShot(0, this, [this, play = m_plays] {
        if (m_sink && play == m_plays) Fail(); // not stopped or started over meanwhile
    });
}

// Follows the samples to the device: the end once they have played, a failure when the
// device stops taking them before their end (a device that goes away leaves the sink in the
// Active state for ever).
void QtSoundOutput::Watch() {
    if (!m_sink) return;
    const std::uint64_t handedOver = static_cast<std::uint64_t>(m_source.pos());
    // A poll that comes late saw the event loop held up, not the device: it starts afresh.
    const bool late = m_sincePoll.restart() > kPollLateMs;
    if (handedOver != m_handedOverAtPoll || late) {
        m_handedOverAtPoll = handedOver;
        m_sinceHandedOver.start();
    }
    const qint64 buffered =
        Microseconds(static_cast<std::uint64_t>(m_sink->bufferSize()), m_bytesPerSecond);
    const qint64 stalled = m_sinceHandedOver.nsecsElapsed() / 1000;
    if (!m_source.atEnd()) {
        if (stalled >= buffered + kStalledUs ||
            (stalled >= kGoneAfterUs && !QMediaDevices::audioOutputs().contains(m_device)))
            Fail();
        return;
    }
    // Every sample is with the device, whose buffer still plays on. Nothing plays faster than
    // real time, whatever a device reports; one that never reports the end is given the
    // buffer's length and a margin.
    const qint64 total =
        Microseconds(static_cast<std::uint64_t>(m_samples.size()), m_bytesPerSecond);
    const bool played =
        m_sink->processedUSecs() >= total && m_sinceStart.nsecsElapsed() / 1000 >= total;
    if (played || stalled >= buffered + kPlayOutMarginUs) {
        Release();
        emit finished(false);
    }
}

void QtSoundOutput::Fail() {
    Release();
    emit finished(true);
}

void QtSoundOutput::Release() {
    m_watch.stop();
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
