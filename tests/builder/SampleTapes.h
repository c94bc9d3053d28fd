#pragma once
// A set of representative tapes: the demo tapes of examples/ and a few of the golden case tapes
// (tests/golden/cases), read from where they are kept.
#include "base/Bytes.h"
#include "base/Formats.h"

#include <ostream>
#include <string>
#include <vector>

namespace tonvale::test {

struct SampleTape {
    std::string name;       // file name without ".cas"
    bool demo;              // shipped in examples/
    TapeFormat levelAnswer; // the answer to "Level 1 or 2?", should it be asked
    Bytes image;
};

std::vector<SampleTape> SampleTapes();

// For test output: a sample tape by its name.
inline void PrintTo(const SampleTape& tape, std::ostream* out) {
    *out << tape.name;
}

// The demo's Level 2 BASIC program: the bytes behind the sync byte of examples/demo.cas.
Bytes DemoBasicProgram();

} // namespace tonvale::test
