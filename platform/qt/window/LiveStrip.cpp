#include "platform/qt/window/LiveStrip.h"

#include "platform/qt/picture/TapePicture.h"

#include <QPainter>

namespace tonvale {

namespace {

// Far more than is shown here: the tape view, following the recording, may show up to this.
constexpr double kKeptSeconds = 60;

} // namespace

CLiveStrip::CLiveStrip(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLiveStrip::Start(double rate) {
    m_tape = std::make_unique<LiveTape>(rate, kKeptSeconds);
    update();
}

void CLiveStrip::AddSound(std::span<const std::int16_t> samples) {
    if (!m_tape) return;
    m_tape->AddSound(samples);
    update(); // repaints coalesce, however often the sound comes
}

void CLiveStrip::AddTapeFile(const RescueResult& lone) {
    if (!m_tape) return;
    m_tape->AddTapeFile(lone);
    update();
}

double CLiveStrip::To() const {
    return m_tape ? m_tape->ShownTo(kShownSeconds) : kShownSeconds;
}

void CLiveStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_tape) return painter.fillRect(rect(), Qt::white);
    picture::TapeScene scene;
    scene.timeline = &m_tape->Timeline();
    scene.wave = &m_tape->Sound();
    picture::PaintZoomed(painter, rect(), scene, From(), To());
}

} // namespace tonvale
