#include "base/Formats.h"

namespace tonvale {

const FormatNaming& NamesOf(TapeFormat format) {
    static const FormatNaming kNone{"No header", "", ""};
    static const FormatNaming kLevel1or2{"Level 1 or 2", "", ""};
    static const FormatNaming kLevel1{"Level 1", "level1", "1"};
    static const FormatNaming kLevel2{"Level 2", "level2", "2"};
    static const FormatNaming kHighspeed{"Highspeed", "highspeed", "H"};
    switch (format) {
    case TapeFormat::Level1or2:
        return kLevel1or2;
    case TapeFormat::Level1:
        return kLevel1;
    case TapeFormat::Level2:
        return kLevel2;
    case TapeFormat::Highspeed:
        return kHighspeed;
    default:
        return kNone;
    }
}

std::optional<TapeFormat> FormatFromLetter(std::string_view letter) {
    if (letter == "1") return TapeFormat::Level1;
    if (letter == "2") return TapeFormat::Level2;
    if (letter == "H" || letter == "h") return TapeFormat::Highspeed;
    return std::nullopt;
}

const KindNaming& NamesOf(ContentKind kind) {
    // The command line has said "data" of everything that is neither program nor source.
    static const KindNaming kBasic{"BASIC", "basic"};
    static const KindNaming kSystem{"SYSTEM", "system"};
    static const KindNaming kEdtasm{"EDTASM", "edtasm"};
    static const KindNaming kEmptyCsave{"data", "empty-csave"};
    static const KindNaming kUnidentified{"data", "unidentified"};
    switch (kind) {
    case ContentKind::Basic:
        return kBasic;
    case ContentKind::System:
        return kSystem;
    case ContentKind::EdtasmSource:
        return kEdtasm;
    case ContentKind::EmptyLevel1Csave:
        return kEmptyCsave;
    default:
        return kUnidentified;
    }
}

} // namespace tonvale
