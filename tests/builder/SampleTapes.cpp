#include "builder/SampleTapes.h"

#include "builder/EdtasmBuilder.h"
#include "builder/Level1Builder.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/SystemTapeBuilder.h"
#include "builder/TapeBuilder.h"

namespace tonvale::test {

namespace {

// A machine-code demo that writes its name to the top of the screen and waits:
//
//     7000  21 0E 70     LD   HL,MSG
//     7003  11 00 3C     LD   DE,3C00h    ; the first screen line
//     7006  01 07 00     LD   BC,7
//     7009  ED B0        LDIR
//     700B  C3 0B 70     JP   $
//     700E  "TONVALE"    MSG
constexpr std::uint16_t kDemoOrigin = 0x7000;
Bytes DemoMachineCode() {
    Bytes code = {0x21, 0x0E, 0x70, 0x11, 0x00, 0x3C, 0x01,
                  0x07, 0x00, 0xED, 0xB0, 0xC3, 0x0B, 0x70};
    const Bytes message = ToBytes("TONVALE");
    code.insert(code.end(), message.begin(), message.end());
    return code;
}

Bytes DemoLevel1Program() {
    return Level1Basic()
        .Line(10, "CLS")
        .Line(20, "PRINT \"TONVALE LEVEL 1 DEMO\"")
        .Line(30, "FOR I=1 TO 5")
        .Line(40, "PRINT I, I*I")
        .Line(50, "NEXT I")
        .Line(60, "END")
        .Build();
}

Bytes DemoEdtasmSource() {
    return EdtasmSource("DEMO")
        .Line(10, "; WRITE A NAME TO THE SCREEN")
        .Line(20, "\tORG\t7000H")
        .Line(30, "START\tLD\tHL,MSG")
        .Line(40, "\tLD\tDE,3C00H")
        .Line(50, "\tLD\tBC,7")
        .Line(60, "\tLDIR")
        .Line(70, "\tJP\t$")
        .Line(80, "MSG\tDEFM\t'TONVALE'")
        .Line(90, "\tEND\tSTART")
        .Build();
}

} // namespace

Bytes DemoBasicProgram() {
    return Level2Basic('T')
        .Line(10, "CLS")
        .Line(20, "PRINT \"TONVALE DEMO - A PROGRAM FROM A CASSETTE IMAGE\"")
        .Line(30, "FOR I=1 TO 10")
        .Line(40, "PRINT TAB(I);\"*\";TAB(21-I);\"*\"")
        .Line(50, "NEXT I")
        .Line(60, "INPUT \"YOUR NAME\";N$")
        .Line(70, "IF N$=\"\" THEN 60 ELSE PRINT \"HELLO, \";N$")
        .Line(80, "REM LOADED THROUGH THE EAR INPUT")
        .Line(90, "GOTO 20")
        .Build();
}

Bytes DemoSystemProgram() {
    return SystemTape("TONVAL").Block(kDemoOrigin, DemoMachineCode()).Transfer(kDemoOrigin).Build();
}

std::vector<SampleTape> SampleTapes() {
    std::vector<SampleTape> tapes;
    const TapeFormat level2 = TapeFormat::Level2;

    tapes.push_back({"demo", true, level2, TapeBuilder().Level2File(DemoBasicProgram()).Build()});
    tapes.push_back(
        {"demo-system", true, level2, TapeBuilder().Level2File(DemoSystemProgram()).Build()});
    tapes.push_back(
        {"demo-highspeed", true, level2, TapeBuilder().HighspeedFile(DemoBasicProgram()).Build()});
    tapes.push_back({"demo-level1", true, TapeFormat::Level1,
                     TapeBuilder().Level1File(DemoLevel1Program()).Build()});

    tapes.push_back(
        {"edtasm-source", false, level2, TapeBuilder().Level2File(DemoEdtasmSource()).Build()});
    tapes.push_back(
        {"level1-machine-code", false, TapeFormat::Level1,
         TapeBuilder().Level1File(Level1MachineCode(DemoMachineCode()).Build()).Build()});

    // A BASIC program three bits off the byte grid, a Highspeed SYSTEM tape behind it, and the
    // noise of the recorder being switched off.
    tapes.push_back({"shifted-and-mixed", false, level2,
                     TapeBuilder()
                         .Shift(3)
                         .Level2File(DemoBasicProgram())
                         .Shift(2)
                         .HighspeedFile(DemoSystemProgram())
                         .Noise(12)
                         .Build()});

    // A SYSTEM tape with a wrong checksum, garbage between blocks, a gap and a cut transfer.
    Bytes code(300);
    for (std::size_t i = 0; i < code.size(); ++i)
        code[i] = static_cast<Byte>(i * 7);
    tapes.push_back({"damaged-system", false, level2,
                     TapeBuilder()
                         .Level2File(SystemTape("BROKEN")
                                         .Block(0x5200, ByteView(code).first(256))
                                         .Block(0x5300, ByteView(code).subspan(256))
                                         .WrongChecksum()
                                         .Garbage(ToBytes("\x01\x02\x03"))
                                         .Block(0x6000, ToBytes("GAP"))
                                         .Transfer(0x5200)
                                         .DropLast(1)
                                         .Build())
                         .Build()});

    // BASIC with a broken next pointer, lines out of order and machine code in a string.
    tapes.push_back({"damaged-basic", false, level2,
                     TapeBuilder()
                         .Level2File(Level2Basic('D')
                                         .Line(10, "PRINT \"OK\"")
                                         .Line(20, "GOTO 10")
                                         .Line(15, "REM OUT OF ORDER")
                                         .RawLine(30, Bytes{0xB2, '"', 0xCD, 0x00, 0x42, '"'})
                                         .NextPointerOffBy(1, 1)
                                         .WithoutLastByte()
                                         .Build())
                         .Build()});

    // The whole memory of a Level 1 machine, its ROM a made-up one: nothing to CLOAD.
    tapes.push_back(
        {"level1-empty-csave", false, TapeFormat::Level1,
         TapeBuilder().Level1File(Level1EmptyCsave().Rom(MadeUpRom()).Build()).Build()});

    tapes.push_back({"no-leader", false, level2, TapeBuilder().Noise(100).Build()});
    tapes.push_back({"empty", false, level2, Bytes{}});
    return tapes;
}

} // namespace tonvale::test
