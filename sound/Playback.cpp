// Play and Stop, the progress bar that follows the sound in 50 ticks, and the LNW rate switch.
// The sound output plays the image by itself; the window only follows it with a timer.
#include "app/TonvaleDlg.h"
#include "sound/WavImage.h"

namespace tonvale {

namespace {

constexpr unsigned kPlaybackTimer = 1;
constexpr std::uint32_t kProgressTicks = 50;
// Ticks still to come once playback has started: the 50th finds 0 and ends it.
constexpr std::uint32_t kFirstCount = kProgressTicks - 1;

} // namespace

void CTonvaleDlg::OnOK() {
    if (m_timer != 0) {
        // Stop: the button and the other controls come back at the next tick.
        m_platform.StopSound();
        m_timer = 0;
        return;
    }
    if (!m_wavImage) return;

    const std::uint32_t millis =
        m_platform.IsChecked(ControlId::Lnw) ? m_playMillis / 2 : m_playMillis;
    const std::uint32_t step = millis / kProgressTicks;
    m_platform.SetProgressRange(static_cast<int>(step * kProgressTicks));
    m_platform.SetProgressStep(static_cast<int>(step));

    m_platform.SetControlText(ControlId::Play, ToBytes("&Stop"));
    m_platform.EnableControl(ControlId::OpenNew, false);
    m_platform.EnableControl(ControlId::Lnw, false);
    m_timer = kFirstCount;

    if (!m_platform.StartTimer(kPlaybackTimer, step)) {
        m_platform.SetControlText(ControlId::Play, ToBytes("&Play"));
        m_platform.EnableControl(ControlId::OpenNew, true);
        m_platform.EnableControl(ControlId::Lnw, true);
        m_timer = 0;
        m_platform.ShowMessage(ToBytes("Unable to create timer"), kCaptionHow,
                               MessageIcon::StopSign);
        return;
    }

    if (!m_platform.PlaySound(m_wavImage.get(), m_wavSize)) {
        // The timer goes on: its first tick puts the window back to idle.
        m_timer = 0;
        m_platform.ShowMessage(ToBytes("Audio device problem on PlaySound"), kCaptionHow,
                               MessageIcon::StopSign);
    }
}

void CTonvaleDlg::OnTimer(unsigned id) {
    if (m_timer != 0) {
        m_platform.StepProgress();
        --m_timer;
        return;
    }
    m_platform.SetProgressPos(0);
    m_platform.SetControlText(ControlId::Play, ToBytes("&Play"));
    m_platform.EnableControl(ControlId::OpenNew, true);
    m_platform.EnableControl(ControlId::Lnw, true);
    m_platform.StopTimer(id);
}

void CTonvaleDlg::OnLnw1kHz() {
    // Without an image the click only changes the box.
    ApplyLnwOption(*this);
}

} // namespace tonvale
