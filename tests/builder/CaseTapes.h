#pragma once
// The golden case tapes listed in tests/golden/cases.txt (the demo tapes of examples/ among
// them), read from where they are kept, and the analysis as a test asks for it.
#include "analysis/AnalyseTape.h"
#include "base/Bytes.h"

#include <ostream>
#include <string>
#include <vector>

namespace tonvale::test {

struct CaseTape {
    std::string name;
    Bytes image;
    TapeFormat level;    // the answer to "Level 1 or 2?", should it be asked
    bool trsFont;        // the report in the TRS-80 font
    std::string decoder; // the decoder that gets the bytes as a tape file ("-": the whole image)
};

std::vector<CaseTape> CaseTapes();

inline void PrintTo(const CaseTape& tape, std::ostream* out) {
    *out << tape.name;
}

// The report of `image`, answering "Level 1 or 2?" with `level`.
TapeReport Analyse(ByteView image, TapeFormat level, bool trsFont = false,
                   ReportSink* sink = nullptr);

} // namespace tonvale::test
