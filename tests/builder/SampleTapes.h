#pragma once
// A set of representative tapes, each built the way it would be recorded. The demo tapes in
// examples/ are among them; the golden reports, the fuzz seeds and the benchmarks use them too.
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

// Pieces the samples are made of, for tests that need one of them alone.
Bytes DemoBasicProgram();  // Level 2 BASIC, the bytes after the sync byte
Bytes DemoSystemProgram(); // SYSTEM tape "TONVAL", the bytes after the sync byte

} // namespace tonvale::test
