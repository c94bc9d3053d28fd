// What the format parsers find that no report line shows: where each one stopped reading and
// the byte offsets of what is damaged, on tape files their own writers made and then damaged.
#include "format/Edtasm.h"
#include "format/Level1.h"
#include "format/Level2Basic.h"
#include "format/SystemTape.h"
#include "rescue/MendTapeFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tonvale {
namespace {

struct Parsed {
    std::size_t end = 0;
    std::vector<std::size_t> damage; // offsets
};

template <class Tape> Parsed Summary(const Tape& tape) {
    Parsed parsed{tape.end, {}};
    for (const FormatDamage& d : tape.damage)
        parsed.damage.push_back(d.offset);
    std::sort(parsed.damage.begin(), parsed.damage.end());
    return parsed;
}

Parsed System(ByteView file) {
    return Summary(ParseSystemTape(file));
}
Parsed Level1(ByteView file) {
    return Summary(ParseLevel1(file, ClassifyLevel1(file)));
}
Parsed Edtasm(ByteView file) {
    return Summary(ParseEdtasm(file));
}
Parsed Level2(ByteView file) {
    return Summary(ParseLevel2Basic(file));
}

Bytes Changed(Bytes file, std::size_t at, Byte value) {
    file.at(at) = value;
    return file;
}
Bytes Erased(Bytes file, std::size_t at, std::size_t count) {
    file.erase(file.begin() + static_cast<std::ptrdiff_t>(at),
               file.begin() + static_cast<std::ptrdiff_t>(at + count));
    return file;
}
Bytes Cut(Bytes file, std::size_t length) {
    file.resize(length);
    return file;
}

// "GAME  ", a block of three bytes at 7000h from offset 7 (checksum at 14), 78h at 15; 18 bytes.
const Bytes kSystem = *SystemTapeFile("GAME", {{0x7000, {1, 2, 3}}}, 0x7000).value;
// 4200h, stop 4210h, line 10 from offset 4 and line 20 from offset 14, checksum at 20.
const Bytes kLevel1 = Level1File(
    0x4200, Bytes{10, 0, 'P', 'R', 'I', 'N', 'T', ' ', '1', 0x0D, 20, 0, 'E', 'N', 'D', 0x0D});
// "SRC", line 00010 at offset 7, line 00020 at offset 17 (space at 22), 1Ah at 27.
const Bytes kEdtasm = *EdtasmTapeFile("SRC", {{10, "NOP"}, {20, "RET"}}).value;
// 'A', lines 10, 20 and 30 at offsets 4, 11 and 18 (each a 2-byte text), end marker at 25.
const Bytes kLevel2 =
    Level2BasicFile('A', {{10, {0xB2, '1'}}, {20, {0x80, ' '}}, {30, {0x80, ' '}}});

struct ParseCase {
    std::string what;
    std::function<Parsed(ByteView)> parse;
    Bytes file;
    std::size_t end;
    std::vector<std::size_t> damage;
};

void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << c.what;
}

class FormatParse : public testing::TestWithParam<ParseCase> {};

TEST_P(FormatParse, StopsWhereTheLoaderWouldAndPlacesEachDamage) {
    const ParseCase& c = GetParam();
    const Parsed parsed = c.parse(c.file);
    EXPECT_EQ(parsed.end, c.end);
    EXPECT_EQ(parsed.damage, c.damage);
}

const ParseCase kCases[] = {
    {"system whole", System, kSystem, 18, {}},
    {"system block checksum", System, Changed(kSystem, 14, 0x00), 18, {7}},
    {"system short name", System, Erased(kSystem, 5, 2), 16, {1}},
    {"system cut in block data", System, Cut(kSystem, 12), 12, {7}},
    {"system cut in block address", System, Cut(kSystem, 10), 9, {7}},
    {"system cut in entry address", System, Cut(kSystem, 17), 16, {15}},
    {"system garbage is no damage", System, Changed(kSystem, 15, 0x11), 18, {}},
    {"level1 whole", Level1, kLevel1, 21, {}},
    {"level1 checksum", Level1, Changed(kLevel1, 20, 0x00), 21, {20}},
    {"level1 character", Level1, Changed(kLevel1, 7, 'a'), 21, {7, 20}},
    {"level1 line order", Level1, Changed(kLevel1, 14, 5), 21, {14, 20}},
    {"level1 cut in a line", Level1, Cut(kLevel1, 17), 17, {17, 17}},
    {"level1 cut in a number", Level1, Cut(kLevel1, 15), 15, {14, 15}},
    {"level1 stop missing", Level1, Cut(kLevel1, 3), 3, {0}},
    {"edtasm whole", Edtasm, kEdtasm, 28, {}},
    {"edtasm digit without bit 7", Edtasm, Changed(kEdtasm, 20, '2'), 28, {20}},
    {"edtasm separator", Edtasm, Changed(kEdtasm, 22, '-'), 28, {22}},
    {"edtasm line order", Edtasm, Changed(kEdtasm, 20, 0xB0), 28, {17}},
    {"edtasm name", Edtasm, Changed(kEdtasm, 2, '.'), 28, {2}},
    {"edtasm cut in number", Edtasm, Cut(kEdtasm, 19), 17, {17}},
    {"edtasm cut in text", Edtasm, Cut(kEdtasm, 24), 24, {17}},
    {"edtasm no end", Edtasm, Cut(kEdtasm, 27), 27, {}},
    {"level2 whole", Level2, kLevel2, 27, {}},
    {"level2 next pointer", Level2, Changed(kLevel2, 11, 0x00), 27, {11}},
    {"level2 line order", Level2, Changed(kLevel2, 13, 5), 27, {11}},
    {"level2 end marker cut", Level2, Cut(kLevel2, 26), 25, {25, 25}},
    {"level2 cut in a line", Level2, Cut(kLevel2, 16), 16, {11, 16}},
};

INSTANTIATE_TEST_SUITE_P(Cases, FormatParse, testing::ValuesIn(kCases), [](const auto& p) {
    std::string name = p.param.what;
    for (char& c : name)
        if (c == ' ') c = '_';
    return name;
});

// The rescue mends by the same parsers: an empty CSAVE's checksum covers all 64 KB, so a
// doubtful bit in its first memory byte is no reason to change it while that checksum holds.
TEST(MendByChecksums, ReadsAnEmptyCsaveChecksumWhereTheFormatPutsIt) {
    Bytes memory(kLevel1MemorySize, 0x00);
    memory[0] = 0x10;
    MendWork work;
    for (Byte b : Level1File(kLevel1Program, memory))
        work.bytes.push_back({b, BitConfidence{255, 255, 255, 255, 255, 255, 255, 255}, 0});
    work.bytes[kLevel1MemoryOffset].confidence[3] = 10;
    MendByChecksums(work, 44100);
    EXPECT_TRUE(work.mended.empty());
    EXPECT_EQ(work.bytes[kLevel1MemoryOffset].value, 0x10);
    EXPECT_TRUE(work.vouched[kCsaveChecksum]);
}

} // namespace
} // namespace tonvale
