#include "platform/qt/audio/QtSoundInput.h"

#include <QAudioSource>
#include <QMediaDevices>

#include <cstring>

namespace tonvale {

namespace {

constexpr int kWantedRate = 44100;
constexpr int kBufferMillis = 200; // the sound system holds this much while the program is busy

QAudioFormat MonoInt16(int rate) {
    QAudioFormat format;
    format.setSampleRate(rate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

} // namespace

QtSoundInput::QtSoundInput(QObject* parent) : QObject(parent) {}

QtSoundInput::~QtSoundInput() {
    Stop();
}

std::vector<SoundInputName> QtSoundInput::Inputs() {
    const QAudioDevice standard = QMediaDevices::defaultAudioInput();
    std::vector<SoundInputName> names;
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        names.push_back({QString::fromUtf8(device.id()), device.description(),
                         !standard.isNull() && device.id() == standard.id()});
    return names;
}

bool QtSoundInput::Open(const QString& name, QString& failure) {
    m_device = {};
    if (name.isEmpty()) {
        m_device = QMediaDevices::defaultAudioInput();
        if (m_device.isNull()) failure = "no sound input (is a sound server running?)";
    } else {
        for (const QAudioDevice& device : QMediaDevices::audioInputs())
            if (QString::fromUtf8(device.id()) == name || device.description() == name)
                m_device = device;
        if (m_device.isNull())
            failure = "no sound input '" + name + "' (--list-devices lists them)";
    }
    if (m_device.isNull()) return false;
    m_rate = m_device.isFormatSupported(MonoInt16(kWantedRate))
                 ? kWantedRate
                 : m_device.preferredFormat().sampleRate();
    return true;
}

bool QtSoundInput::Start(Samples samples) {
    Stop();
    m_samples = std::move(samples);
    m_source = std::make_unique<QAudioSource>(m_device, MonoInt16(static_cast<int>(m_rate)));
    m_source->setBufferSize(static_cast<qsizetype>(m_rate * 2 * kBufferMillis / 1000));
    m_io = m_source->start();
    if (!m_io || m_source->error() != QAudio::NoError) {
        m_source.reset();
        m_io = nullptr;
        return false;
    }
    m_clock.start();
    connect(m_io, &QIODevice::readyRead, this, &QtSoundInput::Take);
    connect(m_source.get(), &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && m_source && m_source->error() != QAudio::NoError)
            emit failed();
    });
    return true;
}

void QtSoundInput::Stop() {
    if (!m_source) return;
    if (m_io) Take(); // what has come in already
    m_io = nullptr;
    m_source->disconnect(this);
    m_source->stop();
    m_source.reset();
}

bool QtSoundInput::Failed() const {
    return m_source && m_source->error() != QAudio::NoError;
}

// Reads all that has come, whole samples only: a sample's odd byte waits for the next read.
void QtSoundInput::Take() {
    if (!m_io) return;
    const QByteArray bytes = m_io->readAll();
    if (bytes.isEmpty()) return;
    const double seconds = static_cast<double>(m_clock.nsecsElapsed()) / 1e9;
    QByteArray whole;
    if (m_oddByte) whole.append(m_pending);
    whole.append(bytes);
    m_oddByte = whole.size() % 2 != 0;
    if (m_oddByte) m_pending = whole.back();
    m_batch.resize(static_cast<std::size_t>(whole.size() / 2));
    std::memcpy(m_batch.data(), whole.constData(), m_batch.size() * 2);
    if (!m_batch.empty()) m_samples(m_batch, seconds);
}

} // namespace tonvale
