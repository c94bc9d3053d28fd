#include "platform/qt/window/TapeView.h"

#include "platform/qt/picture/TapePicture.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tonvale {

namespace {

constexpr double kWheelStep = 1.25;  // per notch of the wheel, and per + or -
constexpr double kFewestSamples = 8; // the narrowest stretch shown
constexpr int kScrollUnits = 1000;   // scroll bar units per second
// Where the settings the tape view keeps between runs go.
const QString kOrganisation = QStringLiteral("Tonvale"), kGeometryKey = "tapeView/geometry";
constexpr double kFewestLiveSeconds = 4; // a recording's bytes are still seen going by

picture::TapeScene SceneOf(const CTonvaleDlg& dlg, const CTapeView& view) {
    picture::TapeScene scene;
    if (const LiveTape* live = view.Live()) {
        scene.timeline = &live->Timeline();
        scene.wave = &live->Sound();
        scene.seconds = live->Seconds();
        return scene;
    }
    scene.timeline = dlg.Timeline();
    scene.wave = dlg.Wave();
    scene.trace = dlg.Trace();
    scene.selection = view.Highlighted();
    scene.cursor = dlg.PlayedSeconds();
    return scene;
}

} // namespace

// The whole tape on one line; a click brings that time into the zoomed view.
class COverviewStrip : public QWidget {
  public:
    explicit COverviewStrip(CTapeView& view) : QWidget(&view), m_view(view) {
        setMinimumHeight(64);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!m_view.Timeline()) return painter.fillRect(rect(), Qt::white);
        picture::PaintOverview(painter, rect(), SceneOf(m_view.m_dlg, m_view),
                               std::pair(m_view.m_from, m_view.m_to));
    }
    void mousePressEvent(QMouseEvent* event) override {
        const double half = (m_view.m_to - m_view.m_from) / 2;
        const double at = event->position().x() / std::max(1, width()) * m_view.Seconds();
        m_view.ShowStretch(at - half, at + half);
    }

  private:
    CTapeView& m_view;
};

// The stretch in view: the wheel and + and - zoom around the pointer, dragging pans, a click
// picks a byte.
class CZoomedView : public QWidget {
  public:
    explicit CZoomedView(CTapeView& view) : QWidget(&view), m_view(view) {
        setMinimumHeight(160);
        setMouseTracking(false);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (!m_view.Timeline()) return painter.fillRect(rect(), Qt::white);
        picture::PaintZoomed(painter, rect(), SceneOf(m_view.m_dlg, m_view), m_view.m_from,
                             m_view.m_to);
    }
    void wheelEvent(QWheelEvent* event) override {
        const double notches = event->angleDelta().y() / 120.0;
        m_view.ZoomAround(std::pow(kWheelStep, -notches), event->position().x());
        event->accept();
    }
    void mousePressEvent(QMouseEvent* event) override {
        m_pressedAt = event->position().x();
        m_dragged = false;
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton)) return;
        const double dx = event->position().x() - m_pressedAt;
        if (!m_dragged && std::abs(dx) < 4) return;
        m_dragged = true;
        m_view.PanBy(-dx * (m_view.m_to - m_view.m_from) / std::max(1, width()));
        m_pressedAt = event->position().x();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (m_dragged || !m_view.Timeline()) return;
        if (const auto byte = m_view.Timeline()->ByteAt(m_view.SecondsAt(event->position().x())))
            m_view.ChooseByte(*byte);
    }
    bool event(QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return QWidget::event(event);
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = m_view.Tooltip(m_view.SecondsAt(help->pos().x()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }

  private:
    CTapeView& m_view;
    double m_pressedAt = 0;
    bool m_dragged = false;
};

CTapeView::CTapeView(const CTonvaleDlg& dlg) : QWidget(nullptr, Qt::Window), m_dlg(dlg) {
    setWindowTitle(QStringLiteral("Tonvale 2 - Tape view"));
    setFocusPolicy(Qt::StrongFocus);
    // Where the person left it, in this run or the last.
    const QSettings settings(kOrganisation, kOrganisation);
    if (!restoreGeometry(settings.value(kGeometryKey).toByteArray())) resize(900, 360);
    m_overview = new COverviewStrip(*this);
    m_zoomed = new CZoomedView(*this);
    m_scroll = new QScrollBar(Qt::Horizontal, this);
    auto* saveOverview = new QPushButton(QStringLiteral("Save &overview..."), this);
    auto* saveView = new QPushButton(QStringLiteral("Save &view..."), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveOverview);
    buttons->addWidget(saveView);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_overview);
    layout->addWidget(m_zoomed, 1);
    layout->addWidget(m_scroll);
    layout->addLayout(buttons);
    for (QWidget* child : {static_cast<QWidget*>(m_scroll), static_cast<QWidget*>(saveOverview),
                           static_cast<QWidget*>(saveView)})
        child->setFocusPolicy(Qt::NoFocus); // the keys are the view's
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        const double span = m_to - m_from;
        const double from = static_cast<double>(value) / kScrollUnits;
        if (std::abs(from - m_from) * kScrollUnits >= 1) ShowStretch(from, from + span);
    });
    connect(saveOverview, &QPushButton::clicked, this, [this] { SavePicture(true); });
    connect(saveView, &QPushButton::clicked, this, [this] { SavePicture(false); });
    m_playback.setInterval(40);
    connect(&m_playback, &QTimer::timeout, this, [this] {
        if (!m_dlg.PlayedSeconds()) m_playback.stop();
        m_overview->update();
        m_zoomed->update();
    });
    Refresh();
}

CTapeView::~CTapeView() {
    if (isVisible()) KeepGeometry();
}

void CTapeView::hideEvent(QHideEvent* event) {
    KeepGeometry();
    QWidget::hideEvent(event);
}

void CTapeView::KeepGeometry() {
    QSettings(kOrganisation, kOrganisation).setValue(kGeometryKey, saveGeometry());
}

const TapeTimeline* CTapeView::Timeline() const {
    return m_live ? &m_live->Timeline() : m_dlg.Timeline();
}

double CTapeView::Seconds() const {
    if (m_live) return std::max(m_live->Seconds(), 1e-3);
    const TapeTimeline* timeline = m_dlg.Timeline();
    return timeline ? std::max(timeline->Seconds(), 1e-3) : 1;
}

void CTapeView::Refresh() {
    if (m_dlg.TapeGeneration() != m_generation) {
        m_generation = m_dlg.TapeGeneration();
        m_highlight.reset();
        m_cursor.reset();
        m_from = 0;
        m_to = Seconds();
        SyncScrollBar();
    }
    if (m_dlg.PlayedSeconds() && !m_playback.isActive()) m_playback.start();
    m_overview->update();
    m_zoomed->update();
}

void CTapeView::ShowBytes(std::optional<ByteSpan> bytes) {
    if (m_choosing) return; // the echo of a byte picked here
    m_highlight = bytes;
    m_cursor = bytes ? std::optional(bytes->first) : std::nullopt;
    const TapeTimeline* timeline = Timeline();
    if (bytes && timeline && bytes->first.file < timeline->Files().size())
        BringIntoView(
            timeline->ByteStart(bytes->first),
            timeline->ByteEnd({bytes->first.file, bytes->first.offset + bytes->count - 1}));
    m_overview->update();
    m_zoomed->update();
}

void CTapeView::FollowLive(const LiveTape* live) {
    if (!live) {
        m_live = nullptr;
        m_generation = ~std::uint64_t{0};
        return Refresh();
    }
    if (live != m_live) {
        // The width the person had zoomed to, within what the live tape keeps of its sound.
        m_liveSpan =
            std::min(std::max(m_to - m_from, kFewestLiveSeconds), live->Sound().KeptSeconds());
        m_live = live;
        m_highlight.reset();
        m_cursor.reset();
    }
    m_to = live->ShownTo(m_liveSpan);
    m_from = m_to - m_liveSpan;
    SyncScrollBar();
    m_overview->update();
    m_zoomed->update();
}

void CTapeView::ShowStretch(double from, double to) {
    const double total = Seconds();
    const Waveform* wave = m_live ? &m_live->Sound() : m_dlg.Wave();
    const double rate = wave ? wave->Rate() : 22050;
    const double span = std::clamp(to - from, kFewestSamples / rate, total);
    from = std::clamp(from, 0.0, total - span);
    m_from = from;
    m_to = from + span;
    SyncScrollBar();
    m_overview->update();
    m_zoomed->update();
}

double CTapeView::SecondsAt(double x) const {
    return m_from + x / std::max(1, m_zoomed->width()) * (m_to - m_from);
}

double CTapeView::XOf(double seconds) const {
    return (seconds - m_from) / (m_to - m_from) * m_zoomed->width();
}

void CTapeView::ZoomAround(double factor, double x) {
    const double at = SecondsAt(x);
    const double fraction = x / std::max(1, m_zoomed->width());
    const double span = (m_to - m_from) * factor;
    ShowStretch(at - fraction * span, at - fraction * span + span);
}

void CTapeView::PanBy(double seconds) {
    ShowStretch(m_from + seconds, m_to + seconds);
}

// Scrolls to the stretch, and zooms in on it where it would be too small to see.
void CTapeView::BringIntoView(double from, double to) {
    double span = m_to - m_from;
    const bool tiny = span > 20 * (to - from);
    if (from >= m_from && to <= m_to && !tiny) return;
    if (to - from > span || tiny) span = (to - from) * 3;
    const double middle = (from + to) / 2;
    ShowStretch(middle - span / 2, middle + span / 2);
}

void CTapeView::ChooseByte(ByteAddress byte) {
    const TapeTimeline& timeline = *Timeline();
    m_cursor = byte;
    m_highlight = ByteSpan{byte, 1};
    BringIntoView(timeline.ByteStart(byte), timeline.ByteEnd(byte));
    m_overview->update();
    m_zoomed->update();
    const ReportLinks* links =
        m_live ? nullptr : m_dlg.Links(); // the report is not the live tape's
    if (const auto line = links ? links->LineOf(byte) : std::nullopt) {
        m_choosing = true;
        emit LineChosen(*line);
        m_choosing = false;
    }
}

// The byte `bytes` on from `byte`, across tape files; none beyond either end.
std::optional<ByteAddress> CTapeView::Step(ByteAddress byte, int bytes) const {
    const std::vector<TimedTapeFile>& files = Timeline()->Files();
    if (bytes > 0) {
        if (byte.offset + 1 < files[byte.file].bytes)
            return ByteAddress{byte.file, byte.offset + 1};
        for (std::size_t f = byte.file + 1; f < files.size(); ++f)
            if (files[f].bytes > 0) return ByteAddress{f, 0};
        return std::nullopt;
    }
    if (byte.offset > 0) return ByteAddress{byte.file, byte.offset - 1};
    for (std::size_t f = byte.file; f-- > 0;)
        if (files[f].bytes > 0) return ByteAddress{f, files[f].bytes - 1};
    return std::nullopt;
}

void CTapeView::keyPressEvent(QKeyEvent* event) {
    const TapeTimeline* timeline = Timeline();
    if (!timeline) return QWidget::keyPressEvent(event);
    const std::vector<TimedTapeFile>& files = timeline->Files();
    std::optional<ByteAddress> next;
    const auto firstOf = [&](std::size_t f) -> std::optional<ByteAddress> {
        if (f >= files.size() || files[f].bytes == 0) return std::nullopt;
        return ByteAddress{f, 0};
    };
    const ByteAddress at = m_cursor.value_or(ByteAddress{0, 0});
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return ZoomAround(1 / kWheelStep, m_zoomed->width() / 2.0);
    case Qt::Key_Minus:
        return ZoomAround(kWheelStep, m_zoomed->width() / 2.0);
    case Qt::Key_Right:
        next = m_cursor ? Step(at, 1) : firstOf(0);
        break;
    case Qt::Key_Left:
        next = m_cursor ? Step(at, -1) : firstOf(0);
        break;
    case Qt::Key_PageDown:
        next = firstOf(m_cursor ? at.file + 1 : 0);
        break;
    case Qt::Key_PageUp:
        next = firstOf(m_cursor && at.file > 0 ? at.file - 1 : 0);
        break;
    case Qt::Key_Home:
        next = firstOf(0);
        break;
    case Qt::Key_End:
        for (std::size_t f = files.size(); f-- > 0 && !next;)
            if (files[f].bytes > 0) next = ByteAddress{f, files[f].bytes - 1};
        break;
    default:
        return QWidget::keyPressEvent(event);
    }
    if (next) ChooseByte(*next);
}

void CTapeView::SyncScrollBar() {
    const QSignalBlocker quiet(m_scroll);
    const double span = m_to - m_from;
    m_scroll->setRange(0, static_cast<int>(std::max(0.0, Seconds() - span) * kScrollUnits));
    m_scroll->setPageStep(std::max(1, static_cast<int>(span * kScrollUnits)));
    m_scroll->setSingleStep(std::max(1, static_cast<int>(span * kScrollUnits / 10)));
    m_scroll->setValue(static_cast<int>(m_from * kScrollUnits));
}

// A byte's time, its place in its tape file and in the image, its value and status.
QString CTapeView::Tooltip(double seconds) const {
    const TapeTimeline* timeline = Timeline();
    const auto byte = timeline ? timeline->ByteAt(seconds) : std::nullopt;
    if (!byte) return {};
    const Byte value = timeline->ByteValue(*byte);
    const std::uint64_t bit =
        timeline->FirstBit(byte->file) + byte->offset * timeline->BitsPerByte(byte->file);
    QString status = QStringLiteral("ok");
    for (const ByteMark& mark : timeline->Marks()) {
        if (mark.file != byte->file || mark.offset != byte->offset) continue;
        status = mark.kind == MarkKind::Doubtful
                     ? QStringLiteral("doubtful")
                     : QStringLiteral("mended from %1h").arg(mark.was, 2, 16, QChar('0')).toUpper();
    }
    const QChar shown = value >= 0x20 && value < 0x7F ? QChar(value) : QChar('.');
    return QStringLiteral("%1 s: byte %2 of tape file %3, image byte %4 bit %5\n%6h '%7' %8")
        .arg(timeline->ByteStart(*byte), 0, 'f', 4)
        .arg(byte->offset)
        .arg(byte->file + 1)
        .arg(bit / 8)
        .arg(bit % 8)
        .arg(QString("%1").arg(value, 2, 16, QChar('0')).toUpper())
        .arg(shown)
        .arg(status);
}

void CTapeView::SavePicture(bool overview) {
    if (!Timeline()) return;
    const QString path = QFileDialog::getSaveFileName(
        this, overview ? QStringLiteral("Save overview") : QStringLiteral("Save view"), QString(),
        QStringLiteral("PNG picture (*.png);;SVG picture (*.svg)"), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    QWidget* strip = overview ? m_overview : m_zoomed;
    QString failure;
    const picture::TapeScene scene = SceneOf(m_dlg, *this);
    const bool saved = picture::SavePicture(
        path, strip->size(),
        [&](QPainter& painter, QRect area) {
            if (overview)
                picture::PaintOverview(painter, area, scene, std::pair(m_from, m_to));
            else
                picture::PaintZoomed(painter, area, scene, m_from, m_to);
        },
        failure);
    if (!saved) QMessageBox::warning(this, QStringLiteral("Tonvale - HOW?"), failure);
}

} // namespace tonvale
