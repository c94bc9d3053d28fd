#pragma once
// What the real-sound tests share: asking the sound server, taking its device away, and
// recording what the default sink plays from its monitor. scripts/with-sound-server provides
// the server: a null sink "tonvale_sink", unsigned 8-bit mono at 22050 samples per second.
#include "base/Bytes.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace tonvale::test {

// Standard output of a sound-server tool (pactl), empty on failure.
QString RunTool(const QString& program, const QStringList& arguments);
// Streams the server has open: playback ("sink-inputs") or recording ("source-outputs").
int CountStreams(const char* kind);
// The sink goes (its streams with it) or comes back as the default.
void SetSinkPresent(bool present);

// Tapes short enough to play in a few seconds, and their WAV images (Level 2).
Bytes ShortTape();  // about 1.3 seconds
Bytes LongerTape(); // about 3.5 seconds
Bytes BuildWav(const Bytes& tape);

// Records the default sink's monitor as raw unsigned 8-bit mono at 22050 per second.
class MonitorRecording {
  public:
    MonitorRecording();
    ~MonitorRecording();
    bool Started() const { return m_started; } // the recorder's stream is open at the server
    Bytes SamplesSoFar() const;
    Bytes Finish(); // ends the recording and returns all of it

  private:
    std::string m_path;
    QProcess m_recorder;
    bool m_started = false;
};

} // namespace tonvale::test
