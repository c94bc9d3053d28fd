#include "app/LoadMessages.h"

#include "sound/WavImage.h"

namespace tonvale {

void FormatReadFailure(TextBuffer& text, const TapeImageFile& file) {
    text.Clear();
    switch (file.outcome) {
    case TapeReadOutcome::Read:
        break;
    case TapeReadOutcome::NotOpened:
        text.Set("Unable to open file!");
        break;
    case TapeReadOutcome::TooLarge:
        text.Format("The file is too large for a CAS image ({} bytes)!", file.size);
        break;
    case TapeReadOutcome::NoMemory:
        text.Format("Unable to allocate input buffer ({})!", file.size);
        break;
    case TapeReadOutcome::ReadFailed:
        text.Set("Unable read CAS file!");
        break;
    }
}

void AppendWorkBufferFailure(TextBuffer& text, std::uint64_t asked) {
    text.AppendFormat("\nUnable to allocate work buffer ({})!", asked);
}

void FormatSoundFailure(TextBuffer& text, std::uint64_t wavSize) {
    text.Format("Unable to allocate sound buffer ({})!", wavSize);
    if (!FitsWavSizeFields(wavSize - kWavHeaderSize))
        text.Append("\nThe tape is too long for a WAV file (4 GB at most).");
}

} // namespace tonvale
