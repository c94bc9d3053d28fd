// Reporting Level 1 machine-code tapes: stop address against the memory sizes, entry address,
// the code as a dump, the checksum, and what a cut recording shows.
#include "DecoderFixture.h"
#include "builder/Level1Builder.h"
#include "builder/TapeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tonvale {
namespace {

using test::Level1MachineCode;

class Level1SystemReport : public test::DecoderFixture {
  protected:
    void SetUp() override {
        DecoderFixture::SetUp();
        dlg.m_format = TapeFormat::Level1;
    }
    std::size_t Decode(const Bytes& file) { return Run(&CTonvaleDlg::DecodeLevel1System, file); }
};

// `count` bytes of code, all NOPs.
Bytes Code(std::size_t count) {
    return Bytes(count, 0x00);
}

TEST_F(Level1SystemReport,
       ReportsACompleteTapeWithItsDumpAndChecksumAndCallsAWrongChecksumAnError) {
    const Bytes file = Level1MachineCode(Code(256)).Build();
    EXPECT_EQ(Decode(file), file.size());
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 3u + 16u + 1u);
    EXPECT_EQ(lines[0], "Start address 41FEh level 1 machine code");
    EXPECT_EQ(lines[1], "Stop address 4300h ok");
    EXPECT_EQ(lines[2], "transfer address 4200h ");
    EXPECT_EQ(lines[3].substr(0, 8), "4200 00 ");
    EXPECT_EQ(lines[18].substr(0, 8), "42F0 00 ");
    EXPECT_EQ(lines[19], "checksum BEh ok"); // the entry bytes 00h 42h sum to 42h
    EXPECT_EQ(Text(ControlId::FileLine), "Level 1 \"SYSTEM\" ok");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok!");

    SetUp();
    Decode(Level1MachineCode(Code(16)).ChecksumOffBy(1).Build());
    EXPECT_EQ(Lines().back(), "checksum BFh error");
    EXPECT_EQ(Text(ControlId::FileLine), "Level 1 \"SYSTEM\" bad");
}

TEST_F(Level1SystemReport, DumpsOnlyTheCodeThatACutRecordingHolds) {
    const Bytes cut = Level1MachineCode(Code(40)).CutTo(6 + 20).Build();
    EXPECT_EQ(Decode(cut), cut.size());
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "Stop address 4228h mismatch but within 4K RAM");
    EXPECT_EQ(lines[4], "4210 00 00 00 00" + std::string(37, ' ') + "'....'");
    EXPECT_EQ(lines[5], "checksum missing");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1SystemReport, ReportsAFileTooShortToHoldItsAddresses) {
    Decode(Level1MachineCode(Code(1)).CutTo(5).Build());
    const std::vector<std::string> expected = {"Start address 41FEh level 1 machine code",
                                               "Stop address 4201h mismatch but within 4K RAM",
                                               "transfer address missing", "checksum missing"};
    EXPECT_EQ(Lines(), expected);

    SetUp();
    Decode(Level1MachineCode(Code(1)).CutTo(3).Build());
    EXPECT_EQ(Lines()[1], "Stop address missing");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1SystemReport, TakesAStopAddressBelowTheCodeAsNoCode) {
    EXPECT_EQ(Decode(Level1MachineCode(Code(16)).Stop(0x4100).Build()), 7u);
    EXPECT_EQ(Lines()[1], "Stop address 4100h before the program");
    EXPECT_EQ(Lines()[3].rfind("checksum", 0), 0u); // no dump line between
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: bad");
}

TEST_F(Level1SystemReport, ReadsNothingBeyondAnyCutOfAGoodFile) {
    const Bytes whole = Level1MachineCode(Code(20)).Build();
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        SetUp();
        dlg.m_verdicts.clear();
        EXPECT_EQ(Decode(Bytes(whole.begin(), whole.begin() + length)), length) << length;
        const bool wholeFile = length == whole.size();
        EXPECT_EQ(dlg.m_verdicts.back(), wholeFile ? Verdict::Ok : Verdict::Bad) << length;
        EXPECT_EQ(Lines().back() == "checksum missing", !wholeFile) << length;
    }
}

TEST_F(Level1SystemReport, ReturnsBehindTheChecksumSoTheLoaderFindsTheNextTapeFile) {
    const Bytes code = Level1MachineCode(Code(20)).Build();
    const std::string path =
        test::WriteFile(test::TempDir("level1system") + "/two.cas",
                        test::TapeBuilder().Level1File(code).Shift(2).Level1File(code).Build());
    dlg.LoadTapeImage(path);
    EXPECT_EQ(Text(ControlId::FileLine), "Level 1 \"SYSTEM\" ok (and more files)");
    EXPECT_EQ(Text(ControlId::SummaryLine), "Files: ok! ok!");
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Level 1 \"SYSTEM\""), 1); // the second
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "checksum BEh ok"), 2);
}

struct StopCase {
    const char* what;
    std::uint16_t stop;
    std::size_t missing; // bytes cut from the end
    const char* stopLine;
    Verdict verdict;
};

std::ostream& operator<<(std::ostream& out, const StopCase& s) {
    return out << s.what;
}

class Level1SystemStop : public Level1SystemReport,
                         public ::testing::WithParamInterface<StopCase> {};

TEST_P(Level1SystemStop, JudgesTheStopAddressByMemorySizeAndLength) {
    const StopCase& s = GetParam();
    const std::size_t codeLength = s.stop - Level1MachineCode::kCodeStart;
    Decode(Level1MachineCode(Code(codeLength)).DropLast(s.missing).Build());
    EXPECT_EQ(Lines()[1], s.stopLine);
    EXPECT_EQ(dlg.m_verdicts.back(), s.verdict);
}

INSTANTIATE_TEST_SUITE_P(
    StopAddresses, Level1SystemStop,
    ::testing::Values(StopCase{"Within4K", 0x4FFF, 0, "Stop address 4FFFh ok", Verdict::Ok},
                      StopCase{"Beyond4K", 0x5000, 0, "Stop address 5000h ok but exceedes 4K RAM",
                               Verdict::Suspicious},
                      StopCase{"Within16K", 0x6000, 0, "Stop address 6000h ok but exceedes 4K RAM",
                               Verdict::Suspicious},
                      StopCase{"Beyond16K", 0x8000, 0, "Stop address 8000h ok but exceedes 16K RAM",
                               Verdict::Suspicious},
                      StopCase{"ShortWithin4K", 0x4300, 1,
                               "Stop address 4300h mismatch but within 4K RAM", Verdict::Bad},
                      StopCase{"ShortWithin16K", 0x6000, 1,
                               "Stop address 6000h mismatch but within 16K RAM", Verdict::Bad},
                      StopCase{"ShortBeyond16K", 0x8000, 1,
                               "Stop address 8000h mismatch and very unlikely", Verdict::Bad}),
    [](const ::testing::TestParamInfo<StopCase>& c) { return std::string(c.param.what); });

struct EntryCase {
    std::uint16_t entry;
    const char* entryLine;
    Verdict verdict;
};

std::ostream& operator<<(std::ostream& out, const EntryCase& e) {
    return out << e.entryLine;
}

class Level1SystemEntry : public Level1SystemReport,
                          public ::testing::WithParamInterface<EntryCase> {};

TEST_P(Level1SystemEntry, JudgesTheEntryAddressByTheMemoryMap) {
    const EntryCase& e = GetParam();
    Decode(Level1MachineCode(Code(16)).Entry(e.entry).Build());
    EXPECT_EQ(Lines()[2], e.entryLine);
    EXPECT_EQ(dlg.m_verdicts.back(), e.verdict);
}

INSTANTIATE_TEST_SUITE_P(
    EntryAddresses, Level1SystemEntry,
    ::testing::Values(
        EntryCase{0x0000, "transfer address 0000h in the level 1 ROM", Verdict::Suspicious},
        EntryCase{0x0FFF, "transfer address 0FFFh in the level 1 ROM", Verdict::Suspicious},
        EntryCase{0x1000, "transfer address 1000h in the gap between the ROM and the i/o area",
                  Verdict::Bad},
        EntryCase{0x3000, "transfer address 3000h in the i/o area", Verdict::Bad},
        EntryCase{0x3C00, "transfer address 3C00h in the screen RAM", Verdict::Bad},
        EntryCase{0x41FD, "transfer address 41FDh in the basic houskeeping area", Verdict::Bad},
        EntryCase{0x41FE, "transfer address 41FEh ", Verdict::Ok},
        EntryCase{0x7FFF, "transfer address 7FFFh ", Verdict::Ok},
        EntryCase{0x8000, "transfer address 8000h beyond the level 1 RAM", Verdict::Bad}));

} // namespace
} // namespace tonvale
