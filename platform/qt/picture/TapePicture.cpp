#include "platform/qt/picture/TapePicture.h"

#include <QFileInfo>
#include <QImage>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace tonvale::picture {

namespace {

const QColor kPaper = Qt::white;
const QColor kInk{0x21, 0x21, 0x21};
const QColor kFaint{0xbd, 0xbd, 0xbd};
const QColor kWave{0x37, 0x47, 0x4f};
const QColor kSelected{0x00, 0x60, 0xff, 0x50};
const QColor kCursor{0xd5, 0x00, 0xf9};

// Seconds to x across an area, and back.
struct TimeScale {
    QRect area;
    double from, to;

    double PerPixel() const { return (to - from) / std::max(1, area.width()); }
    double X(double seconds) const {
        return area.left() + (seconds - from) / (to - from) * area.width();
    }
    double Seconds(double x) const { return from + (x - area.left()) * PerPixel(); }
    // The whole pixel columns from `a` to `b`, at least one wide.
    std::pair<int, int> Columns(double a, double b) const {
        const int left = static_cast<int>(std::floor(X(a)));
        return {left, std::max(left + 1, static_cast<int>(std::floor(X(b))))};
    }
};

// A round step between axis labels, at least `least` seconds.
double AxisStep(double least) {
    double step = 0.001;
    for (int i = 0; step < least; ++i)
        step *= (i % 3 == 1) ? 2.5 : 2;
    return step;
}

void PaintAxis(QPainter& painter, const TimeScale& scale, int top, int bottom) {
    painter.setPen(kInk);
    painter.drawLine(scale.area.left(), top, scale.area.right(), top);
    const double step = AxisStep(scale.PerPixel() * 80);
    for (double t = std::ceil(scale.from / step) * step; t < scale.to; t += step) {
        const int x = static_cast<int>(std::floor(scale.X(t)));
        painter.drawLine(x, top, x, top + 3);
        painter.drawText(QRect(x + 2, top + 1, 100, bottom - top - 1), Qt::AlignLeft | Qt::AlignTop,
                         QString::number(t, 'f',
                                         step < 0.01 ? 3
                                         : step < 1  ? 2
                                                     : 0) +
                             " s");
    }
}

void PaintCursor(QPainter& painter, const TimeScale& scale, std::optional<double> cursor) {
    if (!cursor || *cursor < scale.from || *cursor > scale.to) return;
    const int x = static_cast<int>(std::floor(scale.X(*cursor)));
    painter.fillRect(QRect(x, scale.area.top(), 2, scale.area.height()), kCursor);
}

// --- The zoomed view ---------------------------------------------------------------------

void PaintSpans(QPainter& painter, const TimeScale& scale, const TapeTimeline& timeline) {
    for (const TimedTapeFile& file : timeline.Files()) {
        if (file.endSeconds < scale.from || file.leaderSeconds > scale.to) continue;
        QColor leader = LeaderColour(file.verdict), data = VerdictColour(file.verdict);
        leader.setAlpha(60);
        data.setAlpha(60);
        const auto [l0, l1] = scale.Columns(file.leaderSeconds, file.startSeconds);
        const auto [d0, d1] = scale.Columns(file.startSeconds, file.endSeconds);
        const int top = scale.area.top(), height = scale.area.height();
        if (file.startSeconds > file.leaderSeconds)
            painter.fillRect(l0, top, l1 - l0, height, leader);
        painter.fillRect(d0, top, d1 - d0, height, data);
    }
}

void PaintWave(QPainter& painter, const TimeScale& scale, const Waveform& wave, int top,
               int bottom) {
    const double middle = (top + bottom) / 2.0, half = (bottom - top) / 2.0;
    const auto y = [&](float level) {
        return static_cast<int>(std::lround(middle - level * half));
    };
    painter.setPen(kFaint);
    painter.drawLine(scale.area.left(), y(0), scale.area.right(), y(0));
    painter.setPen(kWave);
    const double rate = wave.Rate();
    const auto sampleAt = [&](double x) {
        return static_cast<std::uint64_t>(std::max(0.0, std::floor(scale.Seconds(x) * rate)));
    };
    if (scale.PerPixel() * rate >= 1) {
        for (int x = scale.area.left(); x <= scale.area.right(); ++x) {
            const std::uint64_t from = sampleAt(x), to = std::max(from + 1, sampleAt(x + 1));
            if (from >= wave.Length()) break;
            // From the sample before, so that neighbouring columns join.
            const SampleRange range = wave.Range(from > 0 ? from - 1 : 0, to);
            painter.drawLine(x, y(range.high), x, y(range.low));
        }
        return;
    }
    // Fewer samples than pixels: each sample a step, joined.
    QPolygon steps;
    for (std::uint64_t s = sampleAt(scale.area.left()); s < wave.Length(); ++s) {
        const double x0 = scale.X(static_cast<double>(s) / rate);
        if (x0 > scale.area.right()) break;
        const int level = y(wave.Range(s, s + 1).high);
        steps << QPoint(static_cast<int>(x0), level)
              << QPoint(static_cast<int>(scale.X(static_cast<double>(s + 1) / rate)), level);
    }
    painter.drawPolyline(steps);
}

// One bit cell: its left edge, and its bit where there is room.
void PaintCell(QPainter& painter, const TimeScale& scale, double start, double length, bool bit,
               int top, int bottom) {
    const double x0 = scale.X(start), width = length / scale.PerPixel();
    painter.setPen(kFaint);
    painter.drawLine(static_cast<int>(x0), top, static_cast<int>(x0), bottom);
    if (width < 10) return;
    painter.setPen(kInk);
    painter.drawText(QRectF(x0, top, width, bottom - top), Qt::AlignCenter, bit ? "1" : "0");
}

void PaintCells(QPainter& painter, const TimeScale& scale, const TapeScene& scene, int top,
                int bottom) {
    // Cells are drawn only where each gets a few pixels.
    const double least = 4 * scale.PerPixel();
    if (const BitClock* clock = scene.timeline->Clock()) {
        const auto toClock = [](double s) {
            return static_cast<std::uint64_t>(std::max(0.0, s * 22050));
        };
        std::uint64_t bit = clock->BitAt(toClock(scale.from));
        const std::uint64_t last = clock->BitAt(toClock(scale.to));
        if (clock->Bits() == 0 || (last - bit) * least > scale.to - scale.from + least * 2) return;
        for (; bit <= last && bit < clock->Bits(); ++bit)
            PaintCell(painter, scale, BitClock::Seconds(static_cast<double>(clock->CellStart(bit))),
                      BitClock::Seconds(static_cast<double>(clock->CellLength(bit))),
                      clock->Bit(bit), top, bottom);
        return;
    }
    if (!scene.trace) return;
    const std::vector<TraceCell>& cells = scene.trace->cells;
    auto first = std::lower_bound(cells.begin(), cells.end(), scale.from - 0.05,
                                  [](const TraceCell& c, double s) { return c.seconds < s; });
    auto last = std::lower_bound(first, cells.end(), scale.to,
                                 [](const TraceCell& c, double s) { return c.seconds < s; });
    if (last - first > scale.area.width() / 4) return;
    for (; first != last; ++first)
        if (first->seconds + first->period >= scale.from)
            PaintCell(painter, scale, first->seconds, first->period, first->bit, top, bottom);
}

void PaintPulses(QPainter& painter, const TimeScale& scale, const RescueTrace& trace, int top,
                 int bottom) {
    const std::vector<TracePulse>& pulses = trace.pulses;
    auto first = std::lower_bound(pulses.begin(), pulses.end(), scale.from,
                                  [](const TracePulse& p, double s) { return p.seconds < s; });
    auto last = std::lower_bound(first, pulses.end(), scale.to,
                                 [](const TracePulse& p, double s) { return p.seconds < s; });
    if (last - first > scale.area.width() / 2) return;
    const double middle = (top + bottom) / 2.0, half = (bottom - top) / 2.0;
    for (; first != last; ++first) {
        const QColor colour = first->role == PulseRole::Clock  ? kMended
                              : first->role == PulseRole::Data ? kOk
                                                               : kBad;
        const int x = static_cast<int>(scale.X(first->seconds));
        const double height = std::clamp(first->height, 0.0f, 1.5f) * half * 0.6;
        const int tip = static_cast<int>(first->rises ? middle - height : middle + height);
        painter.setPen(QPen(colour, 2));
        painter.drawLine(x, static_cast<int>(middle), x, tip);
    }
}

QString ByteLabel(Byte value) {
    const QChar shown = value >= 0x20 && value < 0x7F ? QChar(value) : QChar('.');
    return QString("%1 %2").arg(value, 2, 16, QChar('0')).toUpper().arg(shown);
}

// The bytes in view: their boundaries, values, marks and the selection.
void PaintBytes(QPainter& painter, const TimeScale& scale, const TapeScene& scene, int top,
                int bottom) {
    const TapeTimeline& timeline = *scene.timeline;
    const int height = bottom - top;
    for (std::size_t f = 0; f < timeline.Files().size(); ++f) {
        const TimedTapeFile& file = timeline.Files()[f];
        if (file.bytes == 0 || file.endSeconds < scale.from || file.startSeconds > scale.to)
            continue;
        const double perByte =
            (file.endSeconds - file.startSeconds) / static_cast<double>(file.bytes);
        if (perByte < 3 * scale.PerPixel()) continue; // too many to tell apart
        const std::optional<ByteAddress> at =
            timeline.ByteAt(std::max(scale.from, file.startSeconds));
        for (std::uint64_t k = at ? at->offset : 0; k < file.bytes; ++k) {
            const double start = timeline.ByteStart({f, k});
            if (start > scale.to) break;
            const double end = timeline.ByteEnd({f, k});
            const QRectF box(scale.X(start), top, (end - start) / scale.PerPixel(), height);
            painter.setPen(kInk);
            painter.drawLine(box.topLeft(), box.bottomLeft());
            if (box.width() >= 36)
                painter.drawText(box, Qt::AlignCenter, ByteLabel(timeline.ByteValue({f, k})));
        }
    }
    for (const ByteMark& mark : timeline.Marks()) {
        const double start = timeline.ByteStart({mark.file, mark.offset});
        const double end = std::max(timeline.ByteEnd({mark.file, mark.offset}), start);
        if (end < scale.from || start > scale.to) continue;
        const auto [x0, x1] = scale.Columns(start, end);
        const QColor colour = mark.kind == MarkKind::Doubtful ? kDoubtful : kMended;
        painter.fillRect(x0, top, x1 - x0, height / 3, colour);
        if (mark.kind == MarkKind::Mended && x1 - x0 >= 60) {
            painter.setPen(Qt::white);
            painter.drawText(QRect(x0, top, x1 - x0, height / 3), Qt::AlignCenter,
                             QString("%1→%2")
                                 .arg(mark.was, 2, 16, QChar('0'))
                                 .arg(mark.now, 2, 16, QChar('0'))
                                 .toUpper());
        }
    }
}

void PaintSelection(QPainter& painter, const TimeScale& scale, const TapeScene& scene) {
    if (!scene.selection) return;
    const ByteSpan& s = *scene.selection;
    const TapeTimeline& timeline = *scene.timeline;
    if (s.first.file >= timeline.Files().size() || s.count == 0) return;
    const double start = timeline.ByteStart(s.first);
    const double end = timeline.ByteEnd({s.first.file, s.first.offset + s.count - 1});
    if (end < scale.from || start > scale.to) return;
    const auto [x0, x1] = scale.Columns(std::max(start, scale.from), std::min(end, scale.to));
    painter.fillRect(x0, scale.area.top(), x1 - x0, scale.area.height(), kSelected);
}

} // namespace

QColor VerdictColour(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return kOk;
    case Verdict::Suspicious:
        return kSuspicious;
    default:
        return kBad;
    }
}

QColor LeaderColour(Verdict verdict) {
    const QColor colour = VerdictColour(verdict);
    // Halfway to white.
    return QColor((colour.red() + 255) / 2, (colour.green() + 255) / 2, (colour.blue() + 255) / 2);
}

void PaintOverview(QPainter& painter, const QRect& area, const TapeScene& scene,
                   std::optional<std::pair<double, double>> visible) {
    const TapeTimeline& timeline = *scene.timeline;
    const TimeScale scale{area, 0, std::max({timeline.Seconds(), scene.seconds, 1e-3})};
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, kPaper);
    const int h = area.height(), top = area.top();
    const int spanTop = top + h / 4, spanHeight = h / 2;
    for (const TimedTapeFile& file : timeline.Files()) {
        const auto [l0, l1] = scale.Columns(file.leaderSeconds, file.startSeconds);
        const auto [d0, d1] = scale.Columns(file.startSeconds, file.endSeconds);
        if (file.startSeconds > file.leaderSeconds)
            painter.fillRect(l0, spanTop, l1 - l0, spanHeight, LeaderColour(file.verdict));
        painter.fillRect(d0, spanTop, d1 - d0, spanHeight, VerdictColour(file.verdict));
    }
    for (const ByteMark& mark : timeline.Marks()) {
        const int x = static_cast<int>(std::floor(scale.X(mark.seconds)));
        if (mark.kind == MarkKind::Doubtful)
            painter.fillRect(x, top + h / 8, 1, h / 4 - h / 8, kDoubtful);
        else
            painter.fillRect(x, spanTop + spanHeight, 1, h / 8, kMended);
    }
    if (scene.selection && scene.selection->first.file < timeline.Files().size()) {
        const int x =
            static_cast<int>(std::floor(scale.X(timeline.ByteStart(scene.selection->first))));
        painter.fillRect(x, spanTop, 1, spanHeight, kInk);
    }
    if (visible) {
        const auto [v0, v1] = scale.Columns(visible->first, visible->second);
        painter.setPen(kInk);
        painter.drawRect(v0, top, v1 - v0, h - 1);
    }
    PaintAxis(painter, scale, top + h * 7 / 8, top + h);
    PaintCursor(painter, scale, scene.cursor);
}

void PaintZoomed(QPainter& painter, const QRect& area, const TapeScene& scene, double from,
                 double to) {
    const TimeScale scale{area, from, std::max(to, from + 1e-6)};
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.save();
    painter.setClipRect(area);
    painter.fillRect(area, kPaper);
    const int h = area.height(), top = area.top();
    // From the top: the bytes, the bit cells, the sound, the time axis.
    const int bytesBottom = top + h / 6, cellsBottom = top + h / 4, axisTop = top + h - 18;
    PaintSpans(painter, scale, *scene.timeline);
    if (scene.wave) PaintWave(painter, scale, *scene.wave, cellsBottom + 4, axisTop - 4);
    if (scene.trace) PaintPulses(painter, scale, *scene.trace, cellsBottom + 4, axisTop - 4);
    PaintCells(painter, scale, scene, bytesBottom, cellsBottom);
    PaintBytes(painter, scale, scene, top, bytesBottom);
    PaintSelection(painter, scale, scene);
    PaintAxis(painter, scale, axisTop, top + h);
    PaintCursor(painter, scale, scene.cursor);
    painter.restore();
}

bool SavePicture(const QString& path, QSize size,
                 const std::function<void(QPainter&, QRect)>& paint, QString& failure) {
    const QRect area(QPoint(0, 0), size);
    if (QFileInfo(path).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(area);
        svg.setTitle("Tonvale");
        QPainter painter;
        if (!painter.begin(&svg)) {
            failure = "cannot write " + path;
            return false;
        }
        paint(painter, area);
        return painter.end();
    }
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        paint(painter, area);
    }
    if (!image.save(path, "PNG")) {
        failure = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace tonvale::picture
