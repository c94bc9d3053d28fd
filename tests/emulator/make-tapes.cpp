// Writes the tapes that the emulator matrix loads on TRS-80 ROMs, and manifest.json, which tells
// the matrix runner, for each case, the tape, the machine, what to type and what memory must hold
// once the cassette motor has stopped.
//
//     tonvale_emulator_tapes OUTDIR
#include "analysis/Level2Keywords.h"
#include "builder/Level1Builder.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/SystemTapeBuilder.h"
#include "builder/TapeBuilder.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

using tonvale::Byte;
using tonvale::Bytes;
using tonvale::ByteView;
using namespace tonvale::test;

// The Model III ignores the first half second after the motor starts; a Highspeed leader of 256
// bytes lasts about a second.
constexpr std::size_t kLeader = 256;

// Where Level 2 BASIC keeps its program; the ROM holds the address in 40A4h.
constexpr std::uint16_t kBasicStartPointer = 0x40A4;
constexpr std::uint16_t kModel1BasicStart = 0x42E9;
constexpr std::uint16_t kModel3BasicStart = 0x43E9;

// D3h D3h D3h and the name stand before the program on a Level 2 BASIC tape.
constexpr std::size_t kBasicHeader = 4;
// Start and stop address before a Level 1 file's memory bytes, its checksum after them.
constexpr std::size_t kLevel1Header = 4;
constexpr std::size_t kLevel1Checksum = 1;

// ---------------------------------------------------------------------------------------------
// The programs on the tapes. Between them they carry every byte value, so every bit pattern
// passes through the ROMs' cassette routines.

Bytes EveryByteValueFrom(int first) {
    Bytes bytes;
    for (int b = first; b < 256; ++b)
        bytes.push_back(static_cast<Byte>(b));
    return bytes;
}

// A remark that holds every byte value but 00h (which would end the line).
Bytes RemarkOfEveryByte() {
    Bytes text{tonvale::kTokenRem};
    Bytes values = EveryByteValueFrom(1);
    text.insert(text.end(), values.begin(), values.end());
    return text;
}

// A Level 2 program of keywords, quoted text and a remark of every byte value. Its last line, a
// remark, is as long as it takes to make the tape file a multiple of eight bytes: recorded in
// Highspeed, its nine-bit groups then fill the image's last byte exactly and nothing follows the
// last data bit.
Level2Basic Level2Program(std::uint16_t loadAddress) {
    Level2Basic program = Level2Basic('T')
                              .LoadAt(loadAddress)
                              .Line(10, "CLS")
                              .Line(20, "PRINT \"TONVALE ON THE CASSETTE PORT\"")
                              .Line(30, "FOR I=1 TO 64 STEP 3:PRINT I*I+1;:NEXT")
                              .Line(40, "POKE 16000,ASC(\"A\"):END")
                              .RawLine(50, RemarkOfEveryByte());
    constexpr std::size_t kRemarkLine = 5 + 1; // pointer, number, terminator; REM
    const std::size_t filler = (8 - (program.Build().size() + kRemarkLine) % 8) % 8;
    return program.Line(60, "REM" + std::string(filler, '*'));
}

// The program as it stands in the saving machine's memory: the tape file without its header.
Bytes InMemory(const Level2Basic& program) {
    const Bytes file = program.Build();
    return Bytes(file.begin() + kBasicHeader, file.end());
}

constexpr std::string_view kSystemName = "TONVAL";
constexpr std::uint16_t kSystemEntry = 0x7000;

struct LoadBlock {
    std::uint16_t address;
    Bytes data;
};

std::vector<LoadBlock> SystemBlocks() {
    Bytes pattern;
    for (int i = 0; i < 100; ++i)
        pattern.push_back(static_cast<Byte>(i * 37 + 5));
    // The record types as data, where the ROM must not take them for records.
    const Bytes recordBytes{SystemTape::kBlockType, SystemTape::kTransferType, SystemTape::kMarker,
                            0x00};
    return {{0x7000, EveryByteValueFrom(0)}, {0x7100, pattern}, {0x7200, recordBytes}};
}

Bytes SystemFile() {
    SystemTape tape(kSystemName);
    for (const LoadBlock& block : SystemBlocks())
        tape.Block(block.address, block.data);
    return tape.Transfer(kSystemEntry).Build();
}

// Where the first block's data begin in the SYSTEM tape file: marker, name, 3Ch, count, address.
constexpr std::size_t kFirstBlockData = 1 + 6 + 1 + 1 + 2;

Level1Basic Level1Program() {
    return Level1Basic()
        .Line(10, "PRINT \"TONVALE LEVEL 1\"")
        .Line(20, "FOR I=1 TO 10")
        .Line(30, "PRINT I*I")
        .Line(40, "NEXT I")
        .Line(50, "END");
}

// What a Level 1 file puts into memory from its start address on.
Bytes Level1Memory(const Bytes& file) {
    return Bytes(file.begin() + kLevel1Header, file.end() - kLevel1Checksum);
}

// One bit of a recording turned over.
Bytes WithBitFlipped(Bytes bytes, std::size_t offset, int bit) {
    bytes.at(offset) ^= static_cast<Byte>(1u << bit);
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// The manifest.

std::string Hex(ByteView bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (Byte b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

// What memory must hold after the load: bytes at an address, or, with `via`, at the address that
// the ROM keeps in the word at `via`, which must be that address.
struct Region {
    std::uint16_t address;
    Bytes bytes;
    std::uint16_t via = 0;
};

struct Case {
    std::string name;
    std::string tape;
    std::vector<std::string> wavOptions = {}; // for `tonvale-cli wav`
    std::string machine;                      // model1-level1, model1-level2, model3
    std::string cassette = {};                // the Model III's "Cass?" answer: H or L
    std::string command;                      // CLOAD or SYSTEM
    std::string systemName = {};              // typed at SYSTEM's "*?"
    std::vector<Region> memory;               // what a good load leaves in memory
    std::string mustFail = {};                // "checksum" or "what" (the ROM's mark), or "any"
    double cutWav = 0;                        // keep only this share of the WAV file
};

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string Json(const Case& c) {
    std::string json = "    {\"name\": " + Quoted(c.name) + ", \"tape\": " + Quoted(c.tape);
    json += ", \"wavOptions\": [";
    for (std::size_t i = 0; i < c.wavOptions.size(); ++i)
        json += (i ? ", " : "") + Quoted(c.wavOptions[i]);
    json += "], \"machine\": " + Quoted(c.machine);
    if (!c.cassette.empty()) json += ", \"cassette\": " + Quoted(c.cassette);
    json += ", \"command\": " + Quoted(c.command);
    if (!c.systemName.empty()) json += ", \"systemName\": " + Quoted(c.systemName);
    if (c.cutWav > 0) json += ", \"cutWav\": " + std::to_string(c.cutWav);
    json += ", \"memory\": [";
    for (std::size_t i = 0; i < c.memory.size(); ++i) {
        const Region& r = c.memory[i];
        json += i ? ", " : "";
        json += "{\"address\": " + std::to_string(r.address);
        if (r.via != 0) json += ", \"via\": " + std::to_string(r.via);
        json += ", \"bytes\": " + Quoted(Hex(r.bytes)) + "}";
    }
    json += "]";
    if (!c.mustFail.empty()) json += ", \"mustFail\": " + Quoted(c.mustFail);
    return json + "}";
}

std::vector<Region> BlocksInMemory() {
    std::vector<Region> regions;
    for (const LoadBlock& block : SystemBlocks())
        regions.push_back({block.address, block.data});
    return regions;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: tonvale_emulator_tapes OUTDIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    std::filesystem::create_directories(dir);
    auto write = [&dir](const std::string& name, const TapeBuilder& tape) {
        WriteFile(dir + "/" + name, tape.Build());
        return name;
    };

    // Level 2 BASIC, once for each machine's program address: the next pointers are those of the
    // machine that saved the program.
    const Level2Basic model1Program = Level2Program(kModel1BasicStart);
    const Level2Basic model3Program = Level2Program(kModel3BasicStart);
    const std::string basicModel1 =
        write("basic-model1.cas", TapeBuilder().Level2File(model1Program.Build(), kLeader));
    const std::string basicModel3 =
        write("basic-model3.cas", TapeBuilder().Level2File(model3Program.Build(), kLeader));

    // The Highspeed BASIC tape ends on the last bit of its last byte, with no filler bits after
    // it, so the end of the WAV must close that bit by itself; the Highspeed SYSTEM tape below has
    // filler bits behind its last byte.
    const TapeBuilder basicHighspeedTape =
        TapeBuilder().HighspeedFile(model3Program.Build(), kLeader);
    const std::string basicHighspeed = write("basic-highspeed.cas", basicHighspeedTape);

    const Bytes system = SystemFile();
    const std::string systemLevel2 = write("system.cas", TapeBuilder().Level2File(system, kLeader));
    const TapeBuilder systemHighspeedTape = TapeBuilder().HighspeedFile(system, kLeader);
    const std::string systemHighspeed = write("system-highspeed.cas", systemHighspeedTape);
    if (basicHighspeedTape.BitCount() % 8 != 0 || systemHighspeedTape.BitCount() % 8 == 0) {
        std::fputs("tonvale_emulator_tapes: the Highspeed tapes no longer end as they should\n",
                   stderr);
        return 1;
    }
    // One data bit of the first block turned over: the block's checksum no longer fits.
    const std::string systemFlipped =
        write("system-flipped-bit.cas",
              TapeBuilder().Level2File(WithBitFlipped(system, kFirstBlockData + 0x41, 3), kLeader));

    const Bytes level1Basic = Level1Program().Build();
    const std::string level1BasicTape =
        write("level1-basic.cas", TapeBuilder().Level1File(level1Basic, kLeader));
    const std::string level1Flipped =
        write("level1-basic-flipped-bit.cas",
              TapeBuilder().Level1File(WithBitFlipped(level1Basic, kLevel1Header + 5, 4), kLeader));
    const Bytes level1Image = Level1MachineCode(EveryByteValueFrom(0)).Build();
    const std::string level1ImageTape =
        write("level1-image.cas", TapeBuilder().Level1File(level1Image, kLeader));

    const std::string name(kSystemName);
    const std::vector<Case> cases = {
        {.name = "Level 2 BASIC on Model I Level 2",
         .tape = basicModel1,
         .machine = "model1-level2",
         .command = "CLOAD",
         .memory = {{kModel1BasicStart, InMemory(model1Program), kBasicStartPointer}}},
        {.name = "Level 2 SYSTEM on Model I Level 2",
         .tape = systemLevel2,
         .machine = "model1-level2",
         .command = "SYSTEM",
         .systemName = name,
         .memory = BlocksInMemory()},
        {.name = "Level 2 BASIC on Model III answering L",
         .tape = basicModel3,
         .machine = "model3",
         .cassette = "L",
         .command = "CLOAD",
         .memory = {{kModel3BasicStart, InMemory(model3Program), kBasicStartPointer}}},
        {.name = "Level 2 SYSTEM on Model III answering L",
         .tape = systemLevel2,
         .machine = "model3",
         .cassette = "L",
         .command = "SYSTEM",
         .systemName = name,
         .memory = BlocksInMemory()},
        {.name = "Highspeed BASIC ending on the image's last bit on Model III answering H",
         .tape = basicHighspeed,
         .machine = "model3",
         .cassette = "H",
         .command = "CLOAD",
         .memory = {{kModel3BasicStart, InMemory(model3Program), kBasicStartPointer}}},
        {.name = "Highspeed SYSTEM on Model III answering H",
         .tape = systemHighspeed,
         .machine = "model3",
         .cassette = "H",
         .command = "SYSTEM",
         .systemName = name,
         .memory = BlocksInMemory()},
        {.name = "Level 1 BASIC on Model I Level 1",
         .tape = level1BasicTape,
         .machine = "model1-level1",
         .command = "CLOAD",
         .memory = {{Level1Basic::kStart, Level1Memory(level1Basic)}}},
        {.name = "Level 1 memory image on Model I Level 1",
         .tape = level1ImageTape,
         .machine = "model1-level1",
         .command = "CLOAD",
         .memory = {{Level1MachineCode::kStart, Level1Memory(level1Image)}}},
        {.name = "SYSTEM tape with one flipped data bit on Model I Level 2",
         .tape = systemFlipped,
         .machine = "model1-level2",
         .command = "SYSTEM",
         .systemName = name,
         .memory = BlocksInMemory(),
         .mustFail = "checksum"},
        {.name = "Level 1 BASIC with one flipped data bit on Model I Level 1",
         .tape = level1Flipped,
         .machine = "model1-level1",
         .command = "CLOAD",
         .memory = {{Level1Basic::kStart, Level1Memory(level1Basic)}},
         .mustFail = "what"},
        {.name = "Truncated WAV of a SYSTEM tape on Model I Level 2",
         .tape = systemLevel2,
         .machine = "model1-level2",
         .command = "SYSTEM",
         .systemName = name,
         .memory = BlocksInMemory(),
         .mustFail = "any",
         .cutWav = 0.6},
        {.name = "LNW 1kHz image on a stock Model I Level 2",
         .tape = basicModel1,
         .wavOptions = {"--lnw"},
         .machine = "model1-level2",
         .command = "CLOAD",
         .memory = {{kModel1BasicStart, InMemory(model1Program), kBasicStartPointer}},
         .mustFail = "any"},
    };

    std::string json = "{\n  \"cases\": [\n";
    for (std::size_t i = 0; i < cases.size(); ++i)
        json += Json(cases[i]) + (i + 1 < cases.size() ? ",\n" : "\n");
    json += "  ]\n}\n";
    WriteFile(dir + "/manifest.json", tonvale::ToBytes(json));
    return 0;
}
