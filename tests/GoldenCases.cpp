// The case tapes, grouped by the decoder whose edge cases they hold. Each is a whole image as a
// recorder would leave it; its expected outputs are in tests/golden/.
#include "GoldenCases.h"

#include "builder/EdtasmBuilder.h"
#include "builder/Level1Builder.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/SampleTapes.h"
#include "builder/SystemTapeBuilder.h"
#include "builder/TapeBuilder.h"

#include <cstdio>

namespace tonvale::test {

namespace {

Bytes L2(ByteView data) {
    return TapeBuilder().Level2File(data).Build();
}
Bytes HS(ByteView data) {
    return TapeBuilder().HighspeedFile(data).Build();
}
Bytes Fill(std::size_t count, Byte value = 0x00) {
    return Bytes(count, value);
}
std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}
Bytes Cat(Bytes a, ByteView b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Tape files whose end is cut `bits` bits into their last byte's group, as a tape grabber that
// stopped too early leaves them.
Bytes HighspeedCutBits(const Bytes& file, std::size_t bits) {
    const int shift = static_cast<int>((bits + 64 - file.size() % 8) % 8);
    return TapeBuilder().Shift(shift).HighspeedFile(file).BuildCutting();
}

} // namespace

std::vector<GoldenCase> GoldenCases() {
    std::vector<GoldenCase> cases;
    for (const SampleTape& t : SampleTapes())
        cases.push_back({t.name, t.image, t.levelAnswer, false, t.demo});
    auto add = [&cases](std::string name, Bytes image, TapeFormat level = TapeFormat::Level2,
                        bool trsFont = false) {
        cases.push_back({std::move(name), std::move(image), level, trsFont, false});
    };
    auto direct = [&cases](std::string name, Bytes file, auto decoder) {
        cases.push_back(
            {std::move(name), std::move(file), TapeFormat::Level1, false, false, decoder});
    };
    const TapeFormat l1 = TapeFormat::Level1;
    const Bytes end10 = Level2Basic('A').Line(10, "END").Build();
    const Bytes unknown = ToBytes("no header I know");

    // --- The driver: classifying by the first bytes, the level question, what lies between
    const std::pair<const char*, Bytes> headers[] = {
        {"empty-csave-header", {0x42, 0x00, 0x42, 0x00}},
        {"level1-basic-header", {0x42, 0x00, 0x42, 0x10}},
        {"stop-below-start", {0x42, 0x00, 0x41, 0x00, 0x01}},
        {"level1-code-header", {0x41, 0xFE, 0x42, 0x10, 0x00, 0x42}},
        {"level1-code-other-entry", {0x41, 0xFE, 0x42, 0x10, 0x42, 0x00}},
        {"three-d3", {0xD3, 0xD3, 0xD3, 'A'}},
        {"two-d3", {0xD3, 0xD3, 'A'}},
        {"system-55", {0x55, 'G', 'A', 'M', 'E'}},
        {"three-bytes", {0x42, 0x00, 0x42}},
        {"nothing", {}},
    };
    for (const auto& [name, bytes] : headers) {
        add(std::string("driver-") + name, L2(bytes));
        add(std::string("driver-highspeed-") + name, HS(bytes));
    }
    add("driver-no-leader-d3", Bytes{0xD3, 0xD3, 0xD3});
    add("driver-asked-level1", L2(unknown), l1);
    add("driver-level-from-before", TapeBuilder().Level2File(end10).Level2File(unknown).Build(),
        l1);
    add("driver-asked-behind-highspeed",
        TapeBuilder().HighspeedFile(end10).Level2File(unknown).Build(), l1);
    add("driver-noise-40", TapeBuilder().Noise(40).Build());
    add("driver-noise-19-behind", TapeBuilder().Level2File(end10).Noise(19).Build());
    add("driver-noise-20-behind", TapeBuilder().Level2File(end10).Noise(20).Build());
    for (int shift : {1, 4, 7})
        add("driver-shift-" + std::to_string(shift),
            TapeBuilder().Shift(shift).Level2File(DemoBasicProgram()).Build());
    add("driver-highspeed-byte-behind",
        TapeBuilder().HighspeedFile(DemoSystemProgram()).HighspeedData(Bytes{0x00}).Build());
    TapeBuilder many, manyHighspeed;
    for (int i = 0; i < 100; ++i)
        many.Level2File(DemoSystemProgram(), 16);
    for (int i = 0; i < 40; ++i)
        manyHighspeed.HighspeedFile(DemoSystemProgram(), 16);
    add("driver-100-files", many.Build());
    add("driver-40-highspeed-files", manyHighspeed.Build());

    // --- Level 2 BASIC
    Level2Basic four('P');
    for (std::uint16_t number = 10; number <= 40; number += 10)
        four.Line(number, "PRINT \"HI\"");
    add("l2basic-at-7000",
        L2(Level2Basic('X').LoadAt(0x7000).Line(10, "CLS").Line(20, "GOTO 10").Build()));
    add("l2basic-name-only", L2(Bytes{0xD3, 0xD3, 0xD3, 'E'}));
    add("l2basic-cut-before-name", L2(Bytes{0xD3, 0xD3, 0xD3}));
    add("l2basic-name-00h", L2(Level2Basic(0x00).Line(10, "END").Build()));
    add("l2basic-highspeed-second", TapeBuilder()
                                        .HighspeedFile(end10)
                                        .HighspeedFile(Level2Basic('Z').Line(10, "END").Build())
                                        .Build());
    add("l2basic-line-numbers", L2(Level2Basic()
                                       .Line(30000, "CLS")
                                       .Line(40000, "CLS")
                                       .Line(40000, "CLS")
                                       .Line(15, "END")
                                       .Build()));
    add("l2basic-line-0", L2(Level2Basic().Line(0, "CLS").Line(0, "END").Line(0, "STOP").Build()));
    Level2Basic tokens;
    std::uint16_t number = 10;
    for (Byte token : {0x80, 0x93, 0xBC, 0xC4, 0xD1, 0xFA, 0xFB, 0xFC, 0xFF})
        tokens.RawLine(number++, Bytes{token});
    add("l2basic-tokens", L2(tokens.Build()));
    add("l2basic-hidden-colons", L2(Level2Basic()
                                        .Line(10, "IF A=1 THEN 20 ELSE 30")
                                        .Line(20, "CLS ' CLEAR: ELSE")
                                        .Line(30, "PRINT A:PRINT B")
                                        .RawLine(40, ToBytes("\":\x95:\x93\xFB\""))
                                        .Build()));
    const Bytes highBytes = L2(Level2Basic()
                                   .RawLine(10, ToBytes("PRINT\"\xC0\""))
                                   .Line(20, "A=VARPTR(B):PRINT\"VARPTR\"")
                                   .RawLine(30, ToBytes("\x93"
                                                        "A\xCD\x01"
                                                        "B"))
                                   .Line(40, "REM ALL \"PLAIN\" TEXT")
                                   .Build());
    add("l2basic-high-bytes", highBytes);
    add("l2basic-high-bytes-trs-font", highBytes, TapeFormat::Level2, true);
    add("l2basic-control-bytes", L2(Level2Basic()
                                        .Line(10, "REM TWO\nLINES")
                                        .Line(20, "PRINT \"A\nB\"")
                                        .Line(30, "CLS\rPRINT")
                                        .Line(40, "CLS\nEND")
                                        .Build()));
    add("l2basic-long-lines", L2(Level2Basic()
                                     .Line(10, std::string(61, 'A'))
                                     .Line(20, std::string(62, 'A'))
                                     .Line(30, std::string(125, 'A'))
                                     .Line(40, std::string(126, 'A'))
                                     .Line(50, std::string(59, 'A') + "PRINT")
                                     .Build()));
    const std::pair<int, int> pointers[] = {{0, 1}, {1, 1}, {1, -1}, {2, 1}, {2, -1}};
    for (auto [line, delta] : pointers)
        add("l2basic-pointer-" + std::to_string(line) + (delta > 0 ? "-plus" : "-minus"),
            L2(Level2Basic(four).NextPointerOffBy(line, delta).Build()));
    add("l2basic-pointer-nowhere", L2(Level2Basic()
                                          .Line(10, "CLS")
                                          .Line(20, "PRINT 2")
                                          .Line(30, "PRINT 3")
                                          .NextPointer(1, 0x1234)
                                          .NextPointer(2, 0x1234)
                                          .WithoutEndMarker()
                                          .Build()));
    Level2Basic wraps = Level2Basic().LoadAt(0xFFE0).Line(10, "PRINT");
    wraps.RawLine(20, Cat(ToBytes(std::string(30, 'A')), Bytes{0x00, 0x20, 0x00, 'B'}));
    add("l2basic-repair-before-line", L2(wraps.Line(30, "END").NextPointer(1, 0x1234).Build()));
    Bytes cut = Level2Basic(four).WithoutEndMarker().Build();
    cut.resize(cut.size() - 3);
    add("l2basic-cut", L2(cut));
    add("l2basic-without-last-byte", L2(Level2Basic().Line(10, "END").WithoutLastByte().Build()));
    add("l2basic-without-end-marker",
        L2(Level2Basic().Line(10, "CLS").Line(20, "END").WithoutEndMarker().Build()));
    add("l2basic-two-programs", TapeBuilder()
                                    .Level2File(Level2Basic('A').Line(10, "CLS").Build())
                                    .Level2File(Level2Basic('B').Line(20, "END").Build())
                                    .Build());
    const Bytes shortEnd = Level2Basic('H').Line(10, "END").WithoutLastByte().Build();
    for (std::size_t present : {0, 1, 2, 5, 8})
        add("l2basic-highspeed-end-" + std::to_string(present) + "-bits",
            TapeBuilder()
                .Shift(static_cast<int>((16 - (shortEnd.size() + present) % 8) % 8))
                .HighspeedFile(shortEnd)
                .Bits(0, static_cast<int>(present))
                .Build());
    add("l2basic-highspeed-end-remnant-not-zero",
        TapeBuilder()
            .Shift(static_cast<int>((16 - (shortEnd.size() + 2) % 8) % 8))
            .HighspeedFile(shortEnd)
            .Bits(1, 2)
            .Build());

    // --- SYSTEM tapes
    auto named = [](ByteView name) {
        return SystemTape::RawName(name).Block(0x4200, Fill(16)).Transfer(0x4200).Build();
    };
    add("system-name-sixlet", L2(SystemTape("SIXLET")
                                     .Block(0x4200, ToBytes("TRS-80 MODEL I/III"))
                                     .Transfer(0x4200)
                                     .Build()));
    const std::pair<const char*, Bytes> names[] = {
        {"padded", ToBytes("ABC   ")},
        {"short", ToBytes("AB")},
        {"less-than", ToBytes("AB<C<D")},
        {"lower-case", ToBytes("Gamer!")},
        {"long", ToBytes("LONGNAME")},
        {"nul", Bytes{'A', 'B', 0x00, 'C', 'D', 'E'}},
        {"missing", {}},
        {"huge", Cat(Fill(400, 'A'), Fill(300, ' '))},
    };
    for (const auto& [name, bytes] : names)
        add(std::string("system-name-") + name, L2(named(bytes)));
    add("system-name-then-3c-block", L2(SystemTape::RawName(ToBytes("AB"))
                                            .Block(0x4200, Bytes{0x3C, 0x3C})
                                            .Transfer(0x4200)
                                            .Build()));
    add("system-highspeed-second",
        TapeBuilder().Level2File(end10).HighspeedFile(named(ToBytes("GAME  "))).Build());
    add("system-two-files", TapeBuilder()
                                .Level2File(named(ToBytes("ONE   ")))
                                .Level2File(named(ToBytes("TWO   ")))
                                .Build());
    add("system-blocks-gap", L2(SystemTape("GAME")
                                    .Block(0x4200, Fill(256))
                                    .Block(0x4300, Fill(256))
                                    .Block(0x5000, Fill(16))
                                    .Transfer(0x4200)
                                    .Build()));
    add("system-blocks-top-of-memory", L2(SystemTape("GAME")
                                              .Block(0xFF00, Fill(256))
                                              .Block(0x0000, Fill(16))
                                              .Transfer(0)
                                              .Build()));
    add("system-wrong-checksum", L2(SystemTape("GAME")
                                        .Block(0x4200, Fill(16))
                                        .WrongChecksum(1)
                                        .Block(0x4210, Fill(16))
                                        .Transfer(0x4200)
                                        .Build()));
    add("system-garbage", L2(SystemTape("GAME")
                                 .Block(0x4200, Fill(16))
                                 .Garbage(Bytes{0x01, 0xFF, 0x41})
                                 .Block(0x4210, Fill(16))
                                 .Transfer(0x4200)
                                 .Build()));
    const SystemTape two = SystemTape("GAME").Block(0x4200, Fill(16)).Block(0x4210, Fill(16, 'A'));
    const std::pair<const char*, SystemTape> ends[] = {
        {"no-transfer", two},
        {"behind-transfer", SystemTape(two).Transfer(0x4200).Garbage(Bytes{0x00, 0x00})},
        {"after-block-type", SystemTape(two).Block(0x4220, Fill(16)).DropLast(20)},
        {"after-count", SystemTape(two).Block(0x4220, Fill(16)).DropLast(19)},
        {"in-load-address", SystemTape(two).Block(0x4220, Fill(16)).DropLast(18)},
        {"in-block-data", SystemTape(two).DropLast(11)},
        {"at-checksum", SystemTape(two).DropLast(1)},
        {"after-transfer-type", SystemTape(two).Transfer(0x4200).DropLast(2)},
        {"in-entry", SystemTape(two).Transfer(0x532D).DropLast(1)},
    };
    for (const auto& [name, tape] : ends)
        add(std::string("system-end-") + name, L2(tape.Build()));
    add("system-end-in-entry-highspeed", HS(SystemTape(two).Transfer(0x532D).DropLast(1).Build()));
    for (std::size_t bits = 1; bits <= 7; ++bits)
        add("system-entry-" + std::to_string(bits) + "-bits-short",
            HighspeedCutBits(SystemTape(two).Transfer(0x532D).Build(), bits));
    add("system-entry-7-bits-short-a5",
        HighspeedCutBits(SystemTape(two).Transfer(0xA52D).Build(), 7));

    // --- Level 1 BASIC
    add("l1basic-good", L2(Level1Basic().Line(1, "A").Line(2, "B").Build()), l1);
    add("l1basic-wrong-checksum",
        L2(Level1Basic().Line(1, "A").Line(2, "B").Checksum(0x61).Build()), l1);
    add("l1basic-hex-bytes",
        L2(Level1Basic().Line(10, "A\nB").Line(20, "\xC1").Line(30, "a").Build()), l1);
    add("l1basic-line-order",
        L2(Level1Basic().Line(10, "A").Line(20, "B").Line(20, "C").Line(5, "D").Build()), l1);
    add("l1basic-line-0", L2(Level1Basic().Line(0, "A").Line(1, "B").Build()), l1);
    add("l1basic-long-lines",
        L2(Level1Basic().Line(10, std::string(70, 'X')).Line(20, std::string(70, 'X')).Build()),
        l1);
    add("l1basic-endless-lines",
        L2(Level1Basic().Line(10, std::string(1000, 'X')).Line(20, std::string(1000, 'X')).Build()),
        l1);
    add("l1basic-line-without-end", L2(Level1Basic().Line(10, "A").LineWithoutEnd(20, "B").Build()),
        l1);
    add("l1basic-cut-checksum", L2(Level1Basic().Line(1, "A").Line(2, "B").DropLast(1).Build()),
        l1);
    add("l1basic-cut-in-line", L2(Level1Basic().Line(1, "A").Line(2, "BCD").DropLast(3).Build()),
        l1);
    direct("l1basic-stop-below-start", Level1Basic().Line(1, "A").Stop(0x4100).Build(),
           ListLevel1Basic);
    direct("l1basic-cut-in-stop", Level1Basic().Line(1, "A").CutTo(3).Build(), ListLevel1Basic);
    add("l1basic-two-files",
        TapeBuilder()
            .Level1File(Level1Basic().Line(10, "PRINT \"HI\"").Build())
            .Shift(5)
            .Level1File(Level1Basic().Line(20, "END").Build())
            .Build(),
        l1);
    for (std::uint16_t stop : {0x4FFF, 0x5000, 0x8000, 0x8001, 0xC001}) {
        // Numbered lines of 40 characters (43 bytes each) and a last one that fills up to `stop`.
        Level1Basic program;
        std::size_t remaining = stop - Level1Basic::kStart;
        std::uint16_t line = 10;
        for (; remaining > 46; remaining -= 43, line += 10)
            program.Line(line, std::string(40, 'R'));
        add("l1basic-stop-" + Hex(stop),
            L2(program.Line(line, std::string(remaining - 3, 'E')).Build()), l1);
    }

    // --- Level 1 machine code
    auto code = [](std::size_t count) { return Level1MachineCode(Fill(count)); };
    add("l1code-256", L2(code(256).Build()), l1);
    add("l1code-wrong-checksum", L2(code(16).ChecksumOffBy(1).Build()), l1);
    add("l1code-cut-in-code", L2(code(40).CutTo(26).Build()), l1);
    direct("l1code-cut-in-entry", code(1).CutTo(5).Build(), DecodeLevel1System);
    direct("l1code-cut-in-stop", code(1).CutTo(3).Build(), DecodeLevel1System);
    direct("l1code-stop-below-code", code(16).Stop(0x4100).Build(), DecodeLevel1System);
    add("l1code-two-files",
        TapeBuilder().Level1File(code(20).Build()).Shift(2).Level1File(code(20).Build()).Build(),
        l1);
    const std::pair<std::uint16_t, std::size_t> stops[] = {
        {0x4FFF, 0}, {0x5000, 0}, {0x6000, 0}, {0x8000, 0}, {0x4300, 1}, {0x6000, 1}, {0x8000, 1}};
    for (auto [stop, missing] : stops)
        add("l1code-stop-" + Hex(stop) + (missing ? "-short" : ""),
            L2(code(stop - Level1MachineCode::kCodeStart).DropLast(missing).Build()), l1);
    for (std::uint16_t entry :
         {0x0000, 0x0FFF, 0x1000, 0x3000, 0x3C00, 0x41FD, 0x41FE, 0x7FFF, 0x8000})
        direct("l1code-entry-" + Hex(entry), code(16).Entry(entry).Build(), DecodeLevel1System);

    // --- Level 1 empty CSAVE
    const Level1EmptyCsave csave = Level1EmptyCsave().Rom(MadeUpRom());
    add("l1csave-program", L2(Level1EmptyCsave(csave).Memory(0x4200, ToBytes("PROGRAM")).Build()),
        l1);
    add("l1csave-wrong-checksum", L2(Level1EmptyCsave(csave).ChecksumOffBy(1).Build()), l1);
    for (std::size_t length : {48643, 48644, 52739, 52740, 65540})
        add("l1csave-cut-" + std::to_string(length),
            L2(Level1EmptyCsave(csave).CutTo(length).Build()), l1);

    // --- EDTASM sources
    add("edtasm-tabs", L2(EdtasmSource("ASM").Line(10, "\tLD\tA,B").Build()));
    add("edtasm-highspeed-second", TapeBuilder()
                                       .HighspeedFile(EdtasmSource("ASM").Line(10, "X").Build())
                                       .HighspeedFile(EdtasmSource("AB CD").Line(10, "X").Build())
                                       .Build());
    add("edtasm-bad-name", L2(EdtasmSource("A.B\xC1").Line(10, "X").Build()));
    add("edtasm-line-order",
        L2(EdtasmSource("A").Line(0, "X").Line(20, "Y").Line(20, "Z").Line(10, "W").Build()));
    add("edtasm-long-lines", L2(EdtasmSource("A")
                                    .Line(10, std::string(70, 'X'))
                                    .Line(20, std::string(56, 'X') + "\t")
                                    .Line(30, std::string(100, '\t') + "X")
                                    .Build()));
    add("edtasm-dropped-bytes", L2(EdtasmSource("A")
                                       .Line(10, "L\x7F"
                                                 "D\n\xC1")
                                       .Build()));
    add("edtasm-digit-without-bit-7",
        L2(EdtasmSource("A").Line(Bytes{0xB0, 0xB0, 0xB0, '1', 0xB0}, "X").Line(10, "Y").Build()));
    add("edtasm-digit-lost",
        L2(EdtasmSource("A").Line(Bytes{0xB0, 0xB0, 0x80, 0xB1, 0xB0}, "X").Line(20, "Y").Build()));
    add("edtasm-separator", L2(EdtasmSource("A").Line(EdtasmSource::Digits(10), "X", '-').Build()));
    add("edtasm-no-end", L2(EdtasmSource("A").Line(10, "X").Line(20, "Y").NoEnd().Build()));
    add("edtasm-cut-in-text",
        L2(EdtasmSource("A").Line(10, "X").Line(20, "LD A,B").CutTo(23).Build()));
    add("edtasm-cut-in-number",
        L2(EdtasmSource("A").Line(10, "X").Line(20, "Y").CutTo(17).Build()));
    add("edtasm-cut-in-name", L2(EdtasmSource("ASM").CutTo(3).Build()));
    const Bytes ret = EdtasmSource("ASM").Line(10, "\tRET").Build();
    add("edtasm-two-files", TapeBuilder().Level2File(ret).Noise(3).Level2File(ret).Build());
    return cases;
}

} // namespace tonvale::test
