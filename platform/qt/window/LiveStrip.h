#pragma once
// The recording's last seconds as they come in, drawn as the tape view draws its zoomed view:
// the sound scrolls from right to left, and each tape file, once it has ended, lies over it in
// its verdict's colour with its bytes and doubtful bytes where there is room.
#include "view/LiveTape.h"

#include <QWidget>

#include <memory>

namespace tonvale {

class CLiveStrip : public QWidget {
    Q_OBJECT

  public:
    explicit CLiveStrip(QWidget* parent);

    // A new recording at `rate` samples a second, shown afresh.
    void Start(double rate);
    void AddSound(std::span<const std::int16_t> samples);
    void AddTapeFile(const RescueResult& lone);

    // The stretch shown, in seconds of the recording: the last few up to the newest sample.
    double From() const { return To() - kShownSeconds; }
    double To() const;
    // Null before the first recording.
    const LiveTape* Tape() const { return m_tape.get(); }

    static constexpr double kShownSeconds = 4;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::unique_ptr<LiveTape> m_tape;
};

} // namespace tonvale
