#pragma once
// The tape drawn: the overview (every tape file's span on one line, coloured by its verdict,
// doubtful and mended bytes as ticks) and the zoomed view of a stretch (the sound, the bit
// cells, the bytes with their values, the rescue's pulses). The window and `tonvale-cli map`
// both draw with it, on a screen, an image or an SVG file.
#include "rescue/Rescue.h"
#include "view/ReportLinks.h"
#include "view/TapeTimeline.h"
#include "view/Waveform.h"

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

namespace tonvale::picture {

// Fixed, so that a script can read them from a picture.
inline const QColor kOk{0x2e, 0x7d, 0x32};
inline const QColor kSuspicious{0xf9, 0xa8, 0x25};
inline const QColor kBad{0xc6, 0x28, 0x28};
inline const QColor kDoubtful{0xef, 0x6c, 0x00};
inline const QColor kMended{0x15, 0x65, 0xc0};

QColor VerdictColour(Verdict verdict);
// A leader's colour: its tape file's, lighter.
QColor LeaderColour(Verdict verdict);

struct TapeScene {
    const TapeTimeline* timeline = nullptr;
    const Waveform* wave = nullptr;     // null: none to draw
    const RescueTrace* trace = nullptr; // a recording's pulses and cells, if kept
    std::optional<ByteSpan> selection;  // highlighted
    std::optional<double> cursor;       // where playback is, in seconds
    double seconds = 0; // the sound's length, where it goes on past the last tape file
};

// The whole tape across `area`: time linearly over the full width, the tape files' spans in
// the middle half of the height, doubtful ticks above them, mended ones below, a time axis at
// the bottom. `visible`: the zoomed view's stretch, outlined.
void PaintOverview(QPainter& painter, const QRect& area, const TapeScene& scene,
                   std::optional<std::pair<double, double>> visible = std::nullopt);

// The stretch [from, to) seconds across `area`.
void PaintZoomed(QPainter& painter, const QRect& area, const TapeScene& scene, double from,
                 double to);

// Paints into a PNG or an SVG file (by its extension) of `size` pixels; false and why if not.
bool SavePicture(const QString& path, QSize size,
                 const std::function<void(QPainter&, QRect)>& paint, QString& failure);

} // namespace tonvale::picture
