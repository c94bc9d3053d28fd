#include "builder/SampleTapes.h"

#include "builder/TestFiles.h"

#include <filesystem>

namespace tonvale::test {

namespace {

// A plain literal: tests call these while their own statics are made, in no set order.
constexpr const char* kSource = TONVALE_SOURCE_DIR;

Bytes Tape(const std::string& name, bool demo) {
    return ReadFile(std::string(kSource) + (demo ? "/examples/" : "/tests/golden/cases/") + name +
                    ".cas");
}

} // namespace

std::vector<SampleTape> SampleTapes() {
    constexpr TapeFormat level1 = TapeFormat::Level1;
    constexpr TapeFormat level2 = TapeFormat::Level2;
    std::vector<SampleTape> tapes = {
        {"demo", true, level2, {}},
        {"demo-system", true, level2, {}},
        {"demo-highspeed", true, level2, {}},
        {"demo-level1", true, level1, {}},
        {"edtasm-source", false, level2, {}},
        {"level1-machine-code", false, level1, {}},
        {"shifted-and-mixed", false, level2, {}},
        {"damaged-system", false, level2, {}},
        {"damaged-basic", false, level2, {}},
        {"level1-empty-csave", false, level1, {}},
        {"no-leader", false, level2, {}},
        {"empty", false, level2, {}},
    };
    for (SampleTape& tape : tapes)
        tape.image = Tape(tape.name, tape.demo);
    return tapes;
}

Bytes DemoBasicProgram() {
    // A 00h leader and the A5h sync byte on the byte grid.
    const Bytes demo = Tape("demo", true);
    std::size_t sync = 0;
    while (sync < demo.size() && demo[sync] == 0x00)
        ++sync;
    if (sync == demo.size()) return {};
    return Bytes(demo.begin() + static_cast<std::ptrdiff_t>(sync) + 1, demo.end());
}

} // namespace tonvale::test
