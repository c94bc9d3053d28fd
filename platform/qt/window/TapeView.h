#pragma once
// The tape view: a second window beside the dialog, never blocking it, that shows the loaded
// tape in its sound. On top the overview strip, the whole tape on one line; below it the zoomed
// view of a stretch, from the whole tape down to single samples, with the bit cells, the bytes
// and their values, the doubtful and mended bytes and, for a recording, the pulses the rescue
// found. It follows the report: a report line picked there shows its bytes here, and a byte
// picked here picks its line there. While a recording is made, it follows that instead.
#include "app/TonvaleDlg.h"
#include "view/LiveTape.h"
#include "view/ReportLinks.h"

#include <QTimer>
#include <QWidget>

#include <optional>

class QPushButton;
class QScrollBar;

namespace tonvale {

class CTapeView : public QWidget {
    Q_OBJECT
  public:
    explicit CTapeView(const CTonvaleDlg& dlg);
    ~CTapeView() override;

    // After each command: another tape starts afresh with the whole of it in view.
    void Refresh();
    // The bytes of the report line picked, shown and highlighted; none: nothing.
    void ShowBytes(std::optional<ByteSpan> bytes);
    // A recording as it is made, shown instead of the dialog's tape: called again each time it
    // grows, it scrolls on to the newest sound. Null: the dialog's tape again, afresh.
    void FollowLive(const LiveTape* live);
    const LiveTape* Live() const { return m_live; }

    std::optional<ByteSpan> Highlighted() const { return m_highlight; }
    std::optional<ByteAddress> CursorByte() const { return m_cursor; }
    double From() const { return m_from; }
    double To() const { return m_to; }
    // Shows [from, to) seconds, kept within the tape and no narrower than a few samples.
    void ShowStretch(double from, double to);
    QWidget* OverviewStrip() const { return m_overview; }
    QWidget* ZoomedView() const { return m_zoomed; }
    // Seconds at x in the zoomed view, and back.
    double SecondsAt(double x) const;
    double XOf(double seconds) const;
    // What the tooltip says of the byte at `seconds`: its time, its place in its tape file and
    // in the image, its value and its status; empty between bytes.
    QString Tooltip(double seconds) const;

  signals:
    // A byte was picked here (a click or a key): the report line that shows it.
    void LineChosen(std::size_t line);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Its size and place are kept for the next time it opens, in this run or the next.
    void hideEvent(QHideEvent* event) override;

  private:
    friend class COverviewStrip;
    friend class CZoomedView;

    void KeepGeometry();

    // The live tape's while there is one, else the dialog's.
    const TapeTimeline* Timeline() const;
    double Seconds() const;
    // Zooms by `factor` (below 1: in) keeping the time at `x` where it is.
    void ZoomAround(double factor, double x);
    void PanBy(double seconds);
    // A byte picked here: highlighted, brought into view, its report line picked.
    void ChooseByte(ByteAddress byte);
    void BringIntoView(double from, double to);
    std::optional<ByteAddress> Step(ByteAddress byte, int bytes) const;
    void SyncScrollBar();
    void SavePicture(bool overview);

    const CTonvaleDlg& m_dlg;
    const LiveTape* m_live = nullptr;
    double m_liveSpan = 0; // the width followed, in seconds
    std::uint64_t m_generation = ~std::uint64_t{0};
    double m_from = 0, m_to = 1;
    std::optional<ByteSpan> m_highlight;
    std::optional<ByteAddress> m_cursor; // where Left and Right go on from
    bool m_choosing = false;             // a byte picked here is on its way to the report
    QWidget* m_overview = nullptr;
    QWidget* m_zoomed = nullptr;
    QScrollBar* m_scroll = nullptr;
    QTimer m_playback; // moves the cursor while the sound plays
};

} // namespace tonvale
