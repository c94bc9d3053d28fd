#pragma once
// A sound input through Qt Multimedia (PulseAudio or PipeWire on Linux): 16-bit mono samples
// handed on as they come, each batch with the steady time it arrived. It lives on the thread of
// the Qt event loop that drives it.
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QAudioSource;
class QIODevice;

namespace tonvale {

struct SoundInputName {
    QString id;
    QString description;
    bool isDefault = false;
};

class QtSoundInput : public QObject {
    Q_OBJECT

  public:
    using Samples = std::function<void(std::span<const std::int16_t>, double steadySeconds)>;

    explicit QtSoundInput(QObject* parent = nullptr);
    ~QtSoundInput() override;

    static std::vector<SoundInputName> Inputs();

    // Opens the input whose id or description is `name` (empty: the system's default) at
    // 44100 samples per second, or the rate it offers; false with `failure` set when none.
    bool Open(const QString& name, QString& failure);
    double Rate() const { return m_rate; }
    QString Description() const { return m_device.description(); }
    // Starts the sound; false when the input cannot give any.
    bool Start(Samples samples);
    void Stop();
    // The input went away or failed while recording.
    bool Failed() const;

  signals:
    void failed();

  private:
    void Take();

    QAudioDevice m_device;
    double m_rate = 0;
    std::unique_ptr<QAudioSource> m_source;
    QIODevice* m_io = nullptr;
    Samples m_samples;
    QElapsedTimer m_clock;
    std::vector<std::int16_t> m_batch;
    bool m_oddByte = false;
    char m_pending = 0;
};

} // namespace tonvale
