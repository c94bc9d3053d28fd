#pragma once
// What the real-sound tests share: waiting on the event loop, asking the sound server, and
// recording what the default sink plays from its monitor.
#include "base/Bytes.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>

namespace tonvale::test {

inline constexpr int kRecordingRate = 22050;

// Runs the event loop until `done` holds or `timeoutMs` passed; false on timeout. Only a guard
// against hanging: nothing is asserted about how long anything took.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 20000);

// Standard output of a sound-server tool (pactl), or nullopt-like empty on failure.
QString RunTool(const QString& program, const QStringList& arguments);

// Streams the server has open: playback ("sink-inputs") or recording ("source-outputs").
int CountStreams(const char* kind);

// The WAV image of a tape as the program builds it (22050 per second, Level 2 unless the
// tape says otherwise).
Bytes BuildWav(const Bytes& tape);

// Records the default sink's monitor as raw unsigned 8-bit mono at 22050 per second.
class MonitorRecording {
  public:
    MonitorRecording();
    ~MonitorRecording();
    // True once the recorder's stream is open at the server.
    bool Started() const { return m_started; }
    Bytes SamplesSoFar() const;
    // Ends the recording and returns all of it.
    Bytes Finish();

  private:
    std::string m_path;
    QProcess m_recorder;
    bool m_started = false;
};

} // namespace tonvale::test

namespace tonvale::test {

// The tapes the real-sound tests play: short enough to stay well within a few seconds.
Bytes ShortTape();  // about 1.3 seconds of Level 2
Bytes LongerTape(); // about 3.5 seconds of Level 2

// The test binary runs itself with this flag and no reachable sound server; the child tries to
// play and reports on standard output ("no device" or "played").
inline constexpr const char* kPlayWithoutServerFlag = "--play-without-server";
int PlayWithoutServer();
// The environment of such a child: the server's address points nowhere.
QProcessEnvironment WithoutServer();

} // namespace tonvale::test
