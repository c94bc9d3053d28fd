// What the rescue tells a person: its lines behind the report, pinned word for word for
// findings of every kind, and its trace as a CSV table.
#include "app/TraceCsv.h"
#include "builder/CaseTapes.h"
#include "builder/TestFiles.h"
#include "rescue/Rescue.h"

#include <gtest/gtest.h>

#include <functional>
#include <locale>

namespace tonvale {
namespace {

// The tapes behind one another in one image, as the rescue lays them down.
Bytes Image(const std::vector<const char*>& tapes) {
    Bytes image;
    for (const char* tape : tapes) {
        const Bytes bytes = test::ReadFile(std::string(TONVALE_SOURCE_DIR) + "/" + tape);
        image.insert(image.end(), bytes.begin(), bytes.end());
    }
    return image;
}

RescuedTapeFile File(double start, double data, double end, double bitsPerSecond,
                     std::size_t size) {
    RescuedTapeFile file;
    file.format = TapeFormat::Level1or2;
    file.startSeconds = start;
    file.dataSeconds = data;
    file.endSeconds = end;
    file.bitsPerSecond = bitsPerSecond;
    file.data.assign(size, 0);
    file.heard = size;
    return file;
}

struct LinesCase {
    const char* name;
    std::vector<const char*> tapes;
    std::function<void(RescueResult&)> findings;
    const char* lines;                     // null: ManyLines()
    TapeFormat level = TapeFormat::Level2; // the answer to "Level 1 or 2?"
};

const LinesCase kLinesCases[] = {
    {"nothing_found",
     {},
     [](RescueResult& r) {
         r.seconds = 1;
         r.rate = 8000;
     },
     "Rescue: 0 tape files in 1.000 s of sound, 8000 samples per second\n"},
    {"two_copies_the_first_mended_from_the_second",
     {"examples/demo-system.cas", "examples/demo-system.cas"},
     [](RescueResult& r) {
         r.files = {File(0.564, 4.603, 5.176, 501.1, 36), File(7.243, 11.282, 11.854, 501.1, 36)};
         r.files[0].gaps = {{4.801, 4.851, 12, 25, true}};
         r.files[0].mended = {{12, 4.795, 0x00, 0x0E, Mending::Copy, 1},
                              {13, 4.811, 0x00, 0x70, Mending::Copy, 1}};
         r.files[1].copyOf = 0;
     },
     "Rescue: 2 tape files in 12.357 s of sound, 44100 samples per second\n"
     "Tape file 1 at 0.564 s: Level 2, 501.1 bits per second, normal polarity, 36 bytes from "
     "4.603 s to 5.176 s\n"
     "  signal lost from 4.801 s to 4.851 s at byte 12: 25 bits guessed, the clock kept across\n"
     "  byte 12 at 4.795 s: 00h mended to 0Eh from tape file 2\n"
     "  byte 13 at 4.811 s: 00h mended to 70h from tape file 2\n"
     "  mended\n"
     "Tape file 2 at 7.243 s: Level 2, 501.1 bits per second, normal polarity, 36 bytes from "
     "11.282 s to 11.854 s\n"
     "  a copy of tape file 1\n"
     "  ok\n"},
    {"level1_mended_by_its_checksum_inverted_and_stopped_early",
     {"examples/demo-level1.cas"},
     [](RescueResult& r) {
         r.rate = 48000;
         r.cancelled = true;
         r.files = {File(0.1, 3.2, 9.9, 250.04, 88)};
         r.files[0].inverted = true;
         r.files[0].mended = {{7, 3.9, 0x41, 0x45, Mending::Checksum}};
     },
     "Rescue: 1 tape file in 12.357 s of sound, 48000 samples per second, stopped early\n"
     "Tape file 1 at 0.100 s: Level 1, 250.0 bits per second, inverted polarity, 88 bytes from "
     "3.200 s to 9.900 s\n"
     "  byte 7 at 3.900 s: 41h mended to 45h by the tape file's checksum\n"
     "  mended\n",
     TapeFormat::Level1},
    {"level2_mended_by_a_block_and_the_basic_chain_with_a_doubtful_byte",
     {"examples/demo.cas"},
     [](RescueResult& r) {
         r.files = {File(0.5, 4.5, 12, 499.96, 215)};
         r.files[0].mended = {{4, 4.6, 0xE1, 0xF1, Mending::Basic},
                              {9, 4.7, 0x02, 0x03, Mending::Checksum}};
         r.files[0].doubtful = {{30, 5.0, 0x99}};
         r.files[0].firstBadLine = 20;
         r.files[0].firstBadLineSeconds = 4.82;
     },
     "Rescue: 1 tape file in 12.357 s of sound, 44100 samples per second\n"
     "Tape file 1 at 0.500 s: Level 2, 500.0 bits per second, normal polarity, 215 bytes from "
     "4.500 s to 12.000 s\n"
     "  byte 4 at 4.600 s: E1h mended to F1h by the chain of BASIC lines\n"
     "  byte 9 at 4.700 s: 02h mended to 03h by its block's checksum\n"
     "  byte 30 at 5.000 s: 99h doubtful\n"
     "  first bad BASIC line: byte 20 at 4.820 s\n"
     "  damaged\n"},
    {"signal_broke_the_rest_from_its_copies",
     {"examples/demo-system.cas"},
     [](RescueResult& r) {
         r.files = {File(0.5, 4.6, 5.0, 501.1, 36)};
         r.files[0].heard = 30;
         r.files[0].gaps = {{4.9, 5.3, 29, 0, false}};
     },
     "Rescue: 1 tape file in 12.357 s of sound, 44100 samples per second\n"
     "Tape file 1 at 0.500 s: Level 2, 501.1 bits per second, normal polarity, 36 bytes from "
     "4.600 s to 5.000 s\n"
     "  signal lost from 4.900 s to 5.300 s at byte 29: its bits could not be counted, the bytes "
     "behind it may be out of step\n"
     "  bytes 30 to 35 from its copies: the signal broke at 5.000 s\n"
     "  mended\n"},
    {"forty_listed_of_each_the_rest_counted",
     {"examples/demo-highspeed.cas"},
     [](RescueResult& r) {
         r.files = {File(0.25, 1.5, 3, 1500, 215)};
         for (std::uint64_t k = 0; k < 42; ++k)
             r.files[0].mended.push_back({k, 2, 1, 2, Mending::Copy, 2});
         for (std::uint64_t k = 100; k < 141; ++k)
             r.files[0].doubtful.push_back({k, 2.5, 0});
     },
     nullptr},
    {"a_tape_file_the_analysis_does_not_hold",
     {"examples/demo-system.cas"},
     [](RescueResult& r) {
         r.files = {File(0.5, 4.6, 5.0, 501.1, 36)};
         r.files[0].imageBit = 1;
     },
     "Rescue: 1 tape file in 12.357 s of sound, 44100 samples per second\n"
     "Tape file 1 at 0.500 s: Level 1 or 2, 501.1 bits per second, normal polarity, 36 bytes "
     "from 4.600 s to 5.000 s\n"
     "  damaged\n"},
};

std::string Joined(const std::vector<Bytes>& lines) {
    std::string text;
    for (const Bytes& line : lines)
        text += std::string(AsChars(line)) + "\n";
    return text;
}

// The many lines of "forty_listed_of_each_the_rest_counted".
std::string ManyLines() {
    std::string text = "Rescue: 1 tape file in 12.357 s of sound, 44100 samples per second\n"
                       "Tape file 1 at 0.250 s: Highspeed, 1500.0 bits per second, normal "
                       "polarity, 215 bytes from 1.500 s to 3.000 s\n";
    for (int k = 0; k < 40; ++k)
        text += "  byte " + std::to_string(k) + " at 2.000 s: 01h mended to 02h from tape file 3\n";
    text += "  ... and 2 more bytes mended\n";
    for (int k = 100; k < 140; ++k)
        text += "  byte " + std::to_string(k) + " at 2.500 s: 00h doubtful\n";
    return text + "  ... and 1 more doubtful bytes\n  damaged\n";
}

TEST(RescueLines, SayWhatWasFoundWordForWord) {
    for (const LinesCase& c : kLinesCases) {
        SCOPED_TRACE(c.name);
        RescueResult result;
        result.image = Image(c.tapes);
        result.seconds = 12.357;
        result.rate = 44100;
        const TapeReport report = test::Analyse(result.image, c.level);
        c.findings(result);
        // Each rescued tape file where the analysis found its data, unless the case says.
        for (std::size_t i = 0; i < result.files.size(); ++i)
            if (result.files[i].imageBit == 0)
                result.files[i].imageBit = report.files[i].offset * 8 + report.files[i].shift;
        EXPECT_EQ(Joined(RescueLines(result, report)), c.lines ? c.lines : ManyLines());
    }
}

// A locale that writes numbers with a decimal comma and groups thousands: the CSV keeps its
// dots all the same.
struct CommaNumbers : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

std::string Csv(const RescueTrace& trace) {
    std::string csv;
    EXPECT_TRUE(WriteTraceCsv(trace, [&csv](ByteView piece) {
        csv += AsChars(piece);
        return true;
    }));
    return csv;
}

TEST(TraceCsv, MergesPulsesAndCellsInTimeOrderWithFixedDecimals) {
    const std::locale before =
        std::locale::global(std::locale(std::locale::classic(), new CommaNumbers));
    RescueTrace trace;
    // The pulse decoder's cells and pulses, then the Highspeed decoder's, each in time order.
    trace.cells = {{0.5, 0.002, true, 0.95f, TapeFormat::Level1or2},
                   {0.502, 0.0020004, false, 0.25f, TapeFormat::Level1or2},
                   {1234.5, 0.00066667, true, 1, TapeFormat::Highspeed}};
    trace.pulses = {
        {0.4995, 0.5f, false, PulseRole::Stray, 0}, {0.5, 1, true, PulseRole::Clock, 0},
        {0.501, 0.66f, true, PulseRole::Data, 0},   {0.502, 1.0126f, true, PulseRole::Clock, 1},
        {0.0001, 0.2f, true, PulseRole::Stray, 2},  {1234.5, 1.5f, false, PulseRole::Clock, 2}};
    EXPECT_EQ(Csv(trace), "kind,seconds,cell,role,polarity,height,period,bit,confidence,format\n"
                          "pulse,0.000100,2,stray,up,0.200,,,,\n"
                          "pulse,0.499500,0,stray,down,0.500,,,,\n"
                          "cell,0.500000,0,,,,0.0020000,1,0.950,level1or2\n"
                          "pulse,0.500000,0,clock,up,1.000,,,,\n"
                          "pulse,0.501000,0,data,up,0.660,,,,\n"
                          "cell,0.502000,1,,,,0.0020004,0,0.250,level1or2\n"
                          "pulse,0.502000,1,clock,up,1.013,,,,\n"
                          "cell,1234.500000,2,,,,0.0006667,1,1.000,highspeed\n"
                          "pulse,1234.500000,2,clock,down,1.500,,,,\n");
    std::locale::global(before);

    // A long trace goes in pieces, every row once; a piece that does not get there ends it.
    RescueTrace cells;
    for (int i = 0; i < 20000; ++i)
        cells.cells.push_back({i * 0.002, 0.002, i % 2 == 1, 1, TapeFormat::Level1or2});
    const std::string csv = Csv(cells);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 20001);
    int pieces = 0;
    EXPECT_FALSE(WriteTraceCsv(cells, [&pieces](ByteView) { return ++pieces < 2; }));
    EXPECT_EQ(pieces, 2);
}

} // namespace
} // namespace tonvale
