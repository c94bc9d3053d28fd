// The WAV image of the loaded tape, Play and Stop, the progress bar that follows the sound in
// 50 ticks, and the LNW rate switch. The sound output plays the image by itself; the window
// only follows it with a timer.
#include "app/LoadMessages.h"
#include "app/SoundChoice.h"
#include "app/TonvaleDlg.h"

namespace tonvale {

namespace {

constexpr unsigned kProgressTimer = 1;
constexpr std::uint32_t kProgressTicks = 50;
// Ticks still to come once playback has started: the 50th finds 0 and ends it.
constexpr std::uint32_t kFirstCount = kProgressTicks - 1;

} // namespace

void CTonvaleDlg::BuildWavImage() {
    // The sound output may still be reading the old image, even in the last fiftieth after
    // the progress count ran out: stop it before the image goes.
    if (m_wav.bytes) m_platform.StopSound();
    m_ticksLeft = 0;
    m_wav = WavImage();

    const SoundChoice choice = ChooseSound(m_report, [this] { return m_platform.AskFormat(); });
    if (choice.none) {
        MakeImageTimeline(TapeFormat::None);
        m_platform.EnableControl(ControlId::Play, false);
        if (!choice.silentDurationLine.empty())
            SetControlText(ControlId::DurationLine, choice.silentDurationLine);
        return;
    }
    m_wav = tonvale::BuildWavImage(choice.format, m_tapeData, m_platform.IsChecked(ControlId::Lnw),
                                   m_sound);
    MakeImageTimeline(choice.format);
    if (!m_wav.bytes) {
        FormatSoundFailure(m_text, m_wav.size);
        m_platform.ShowMessage(m_text.View(), kCaptionHow, MessageIcon::StopSign);
        m_platform.Exit(1);
        return;
    }
    m_platform.EnableControl(ControlId::Play, true);
    ApplyLnwOption();
}

// The "&LNW 1kHz" box applied to the current WAV image: its header rate and the duration line
// (half the time when ticked). Nothing happens without an image.
void CTonvaleDlg::ApplyLnwOption() {
    if (!m_wav.bytes) return;
    const bool lnw = m_platform.IsChecked(ControlId::Lnw);
    // The window's image is the same for both speeds, but for the rate in its header.
    if (m_sound.rate == 0) SetWavRate(m_wav.bytes.get(), lnw);
    FormatDuration(m_text, lnw ? m_wav.playMillis / 2 : m_wav.playMillis);
    SetControlText(ControlId::DurationLine, m_text.View());
}

void CTonvaleDlg::OnPlay() {
    if (m_ticksLeft != 0) {
        // Stop: the button and the other controls come back at the next tick.
        m_platform.StopSound();
        m_ticksLeft = 0;
        return;
    }
    if (!m_wav.bytes) return;

    const std::uint32_t millis =
        m_platform.IsChecked(ControlId::Lnw) ? m_wav.playMillis / 2 : m_wav.playMillis;
    const std::uint32_t step = millis / kProgressTicks;
    m_platform.SetProgressRange(static_cast<int>(step * kProgressTicks));
    m_platform.SetProgressStep(static_cast<int>(step));

    m_platform.SetControlText(ControlId::Play, ToBytes("&Stop"));
    m_platform.EnableControl(ControlId::OpenNew, false);
    m_platform.EnableControl(ControlId::Lnw, false);
    m_ticksLeft = kFirstCount;
    m_playStart = std::chrono::steady_clock::now();

    if (!m_platform.StartTimer(kProgressTimer, step)) {
        m_platform.SetControlText(ControlId::Play, ToBytes("&Play"));
        m_platform.EnableControl(ControlId::OpenNew, true);
        m_platform.EnableControl(ControlId::Lnw, true);
        m_ticksLeft = 0;
        m_platform.ShowMessage(ToBytes("Unable to create timer"), kCaptionHow,
                               MessageIcon::StopSign);
        return;
    }

    if (!m_platform.PlaySound(m_wav.bytes.get(), m_wav.size)) {
        // The timer goes on: its first tick puts the window back to idle.
        m_ticksLeft = 0;
        m_platform.ShowMessage(ToBytes("Audio device problem on PlaySound"), kCaptionHow,
                               MessageIcon::StopSign);
    }
}

void CTonvaleDlg::OnProgressTick(unsigned id) {
    if (m_ticksLeft != 0) {
        m_platform.StepProgress();
        --m_ticksLeft;
        return;
    }
    BackToIdle(id);
}

void CTonvaleDlg::OnSoundEnded(bool failed) {
    if (!failed) return; // the progress count runs out by itself
    if (m_ticksLeft == 0) return;
    m_platform.StopSound();
    BackToIdle(kProgressTimer);
    m_platform.ShowMessage(ToBytes("Audio device problem on PlaySound"), kCaptionHow,
                           MessageIcon::StopSign);
}

void CTonvaleDlg::BackToIdle(unsigned timerId) {
    m_ticksLeft = 0;
    m_platform.SetProgressPos(0);
    m_platform.SetControlText(ControlId::Play, ToBytes("&Play"));
    m_platform.EnableControl(ControlId::OpenNew, true);
    m_platform.EnableControl(ControlId::Lnw, true);
    m_platform.StopTimer(timerId);
}

void CTonvaleDlg::OnLnwToggled() {
    // Without an image the click only changes the box. At a rate of the user's own, the
    // LNW-80's pulses are made shorter: a new image.
    if (m_sound.rate != 0 && m_wav.bytes) return BuildWavImage();
    ApplyLnwOption();
}

} // namespace tonvale
