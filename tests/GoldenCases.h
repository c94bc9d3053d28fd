#pragma once
// The case tapes of the golden test: the sample tapes and the edge cases of each decoder.
#include "analysis/Decoders.h"
#include "base/Bytes.h"
#include "base/Formats.h"

#include <ostream>
#include <string>
#include <vector>

namespace tonvale::test {

struct GoldenCase {
    std::string name;
    Bytes image;
    TapeFormat level = TapeFormat::Level2; // the answer to "Level 1 or 2?", should it be asked
    bool trsFont = false;
    bool demo = false; // shipped in examples/
    // Set: `image` is one tape file's bytes, handed to this decoder as the first of an image.
    std::size_t (*decoder)(ReportWriter&, ByteView) = nullptr;
    TapeFormat format = TapeFormat::Level1;
};

inline void PrintTo(const GoldenCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<GoldenCase> GoldenCases();

} // namespace tonvale::test
