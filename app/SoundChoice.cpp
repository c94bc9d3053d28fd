#include "app/SoundChoice.h"

namespace tonvale {

SoundChoice ChooseSound(const TapeReport& report, const std::function<TapeFormat()>& askFormat) {
    SoundChoice choice;
    if (report.lastFormat == TapeFormat::Level1 &&
        report.lastKind == ContentKind::EmptyLevel1Csave) {
        choice.none = true;
        if (report.files.size() <= 1) choice.silentDurationLine = ToBytes("---");
        return choice;
    }
    choice.format = report.mixedFormats ? askFormat() : report.lastFormat;
    return choice;
}

} // namespace tonvale
