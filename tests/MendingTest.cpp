// Mending tape files by what their formats know, at the edges of each rule: exactly one flip
// (or one pair) that makes a checksum hold, the least sure candidates only, how many doubtful
// bits a holding checksum may vouch for, when two tape files are copies, how the copies vote,
// and exactly one flip that chains BASIC lines again.
#include "format/Level1.h"
#include "format/Level2Basic.h"
#include "format/SystemTape.h"
#include "rescue/MendTapeFiles.h"

#include <fmt/core.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace tonvale {
namespace {

constexpr double kRate = 1000; // a byte's sample is ten times its offset: seconds = offset / 100

// A bit heard wrong or unsure: `flipped` the signal gave the other value.
struct Doubt {
    std::size_t byte;
    unsigned bit; // 0 the most significant
    Byte confidence;
    bool flipped = false;
};

struct Heard {
    Bytes bytes;                    // as recorded
    std::vector<Doubt> doubts = {}; // every other bit sure
};

MendWork Work(const Heard& heard) {
    MendWork work;
    for (std::size_t k = 0; k < heard.bytes.size(); ++k) {
        DecodedByte byte{heard.bytes[k], {}, 10.0 * static_cast<double>(k)};
        byte.confidence.fill(255);
        work.bytes.push_back(byte);
    }
    for (const Doubt& d : heard.doubts) {
        DecodedByte& byte = work.bytes[d.byte];
        byte.confidence[d.bit] = d.confidence;
        if (d.flipped) byte.value = static_cast<Byte>(byte.value ^ (0x80u >> d.bit));
    }
    work.heard = work.bytes.size();
    return work;
}

const Bytes kData = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
// 55h, "MEND  ", one block of kData at 7000h (address at 9, data 11-18, checksum 19), entry 7000h.
const Bytes kSystem = *SystemTapeFile("MEND", {{0x7000, kData}}, 0x7000).value;
// Two blocks of one byte, the first's checksum 3Ch, a block's own first byte.
const Bytes kTwoBlocks =
    *SystemTapeFile("MEND", {{0x7000, {0xCC}}, {0x7001, {0x05}}}, 0x7000).value;
// Start 4200h and stop, the memory from 4 to 11, its checksum at 12.
const Bytes kLevel1 = Level1File(0x4200, kData);
// Lines at 4, 16 and 28, the end at 36.
const Bytes kBasic = Level2BasicFile(
    'B', {{10, ToBytes("PRINT 1")}, {20, ToBytes("GOTO 10")}, {30, ToBytes("END")}});

// `count` bits unsure at `confidence` from byte `from` on, then `more`.
std::vector<Doubt> Unsure(std::size_t count, std::size_t from, Byte confidence,
                          std::vector<Doubt> more = {}) {
    for (std::size_t i = 0; i < count; ++i)
        more.push_back({from + i / 8, static_cast<unsigned>(i % 8), confidence});
    return more;
}

// Everything the mending leaves behind, per tape file: "copy of N", "grown to N" bytes, each
// mended byte as offset:was>now and its way (c checksum, k copy from tape file N, b BASIC), the
// first and last vouched byte, "badline N".
std::string Described(const std::vector<MendWork>& files) {
    std::string text;
    for (const MendWork& file : files) {
        if (file.copyOf) text += "copy of " + std::to_string(*file.copyOf) + " ";
        if (file.bytes.size() != file.heard)
            text += "grown to " + std::to_string(file.bytes.size()) + " ";
        for (const MendedByte& m : file.mended) {
            const std::string how = m.how == Mending::Checksum ? "c"
                                    : m.how == Mending::Basic  ? "b"
                                                               : "k" + std::to_string(m.from);
            text += fmt::format("{}:{:02X}>{:02X}{} ", m.offset, m.was, m.now, how);
        }
        std::size_t first = file.vouched.size(), last = 0, count = 0;
        for (std::size_t k = 0; k < file.vouched.size(); ++k)
            if (file.vouched[k]) {
                first = std::min(first, k);
                last = k;
                ++count;
            }
        if (count > 0)
            text += "vouched " + std::to_string(first) + "-" + std::to_string(last) +
                    (count == last - first + 1 ? "" : " with holes") + " ";
        if (file.mended.size() > 0 && file.mended[0].seconds != file.mended[0].offset / 100.0)
            text += "wrong time ";
        if (const auto line = FirstBadBasicLine(file.bytes))
            text += "badline " + std::to_string(*line) + " ";
        text += "| ";
    }
    return text;
}

enum class Step { Checksums, Copies, Basic };

struct Case {
    const char* name;
    Step step;
    std::vector<Heard> files;
    const char* expected;
    std::vector<TapeFormat> formats = {};
};
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}
// The rows of each step: each tape file mended by its checksums, then as copies of each other,
// or by its chain of BASIC lines.
Case Sums(const char* name, std::vector<Heard> files, const char* expected) {
    return {name, Step::Checksums, std::move(files), expected};
}
Case Copies(const char* name, std::vector<Heard> files, const char* expected,
            std::vector<TapeFormat> formats = {}) {
    return {name, Step::Copies, std::move(files), expected, std::move(formats)};
}
Case Chain(const char* name, std::vector<Heard> files, const char* expected) {
    return {name, Step::Basic, std::move(files), expected};
}

// `bytes` from `at` on replaced by `with`, grown as need be.
Bytes Changed(Bytes bytes, std::size_t at, const Bytes& with) {
    bytes.resize(std::max(bytes.size(), at + with.size()));
    std::copy(with.begin(), with.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}
const Bytes kTen = Bytes(10, 1);

const Case kCases[] = {
    // Checksums: the SYSTEM block from 7 (address, data, checksum) and the Level 1 tape file.
    Sums("the_second_block_behind_a_checksum_of_3Ch", {{kTwoBlocks, {{17, 7, 60, true}}}},
         "17:04>05c vouched 7-18 | "),
    Sums("system_holds", {{kSystem, {{12, 0, 60}}}}, "vouched 7-19 | "),
    Sums("system_one_flip", {{kSystem, {{13, 3, 60, true}}}}, "13:20>30c vouched 7-19 | "),
    Sums("the_checksum_itself_flipped", {{kSystem, {{19, 6, 60, true}}}},
         "19:B2>B0c vouched 7-19 | "),
    Sums("a_sure_bit_is_never_flipped", {{kSystem, {{13, 3, 128, true}}}}, "| "),
    Sums("one_flip_among_doubts_that_do_not_mend",
         {{kSystem, {{12, 7, 40}, {13, 3, 60, true}, {14, 2, 50}}}}, "13:20>30c vouched 7-19 | "),
    Sums("two_single_flips_would_do", {{kSystem, {{13, 3, 60, true}, {14, 3, 60}}}}, "| "),
    Sums("one_pair", {{kSystem, {{13, 3, 60, true}, {15, 7, 70, true}}}},
         "13:20>30c 15:51>50c vouched 7-19 | "),
    Sums("a_pair_inside_one_byte_is_no_pair", {{kSystem, {{13, 3, 60, true}, {13, 7, 70, true}}}},
         "| "),
    Sums("two_pairs_would_do",
         {{kSystem, {{13, 3, 60, true}, {15, 7, 70, true}, {16, 3, 60}, {17, 7, 70}}}}, "| "),
    Sums("the_sixteenth_least_sure_is_tried",
         {{kSystem, Unsure(15, 11, 100, {{18, 7, 120, true}})}}, "18:81>80c | "),
    Sums("the_seventeenth_is_not", {{kSystem, Unsure(16, 11, 100, {{18, 7, 120, true}})}}, "| "),
    Sums("eight_doubtful_bits_are_vouched_for", {{kSystem, Unsure(8, 12, 60)}}, "vouched 7-19 | "),
    Sums("nine_are_not", {{kSystem, Unsure(9, 12, 60)}}, "| "),
    Sums("level1_one_flip", {{kLevel1, {{6, 0, 60, true}}}}, "6:B0>30c vouched 0-12 | "),
    Sums("level1_checksum_flipped", {{kLevel1, {{12, 7, 60, true}}}}, "12:C1>C0c vouched 0-12 | "),
    Sums("level1_lowest_start_is_4200h",
         {{Bytes{0x41, 0xFF, 0x42, 0x00, 0x10, 0xF0}, {{4, 0, 60, true}}}}, "| "),
    Sums("level1_stop_below_start",
         {{Bytes{0x42, 0x00, 0x41, 0xFF, 0x10, 0xEF}, {{4, 0, 60, true}}}}, "| "),
    Sums("level1_cut_before_its_checksum",
         {{Bytes(kLevel1.begin(), kLevel1.end() - 1), {{5, 0, 60, true}}}}, "| "),
    // Copies: votes byte by byte.
    Copies("copies_agree", {{kBasic}, {kBasic}}, "vouched 0-37 | copy of 0 vouched 0-37 | "),
    Copies("the_surer_copy_wins", {{kBasic, {{5, 1, 10, true}}}, {kBasic, {{5, 1, 90}}}},
           "5:02>42k1 vouched 0-37 with holes | copy of 0 vouched 0-37 with holes | "),
    Copies("two_copies_outvote_a_surer_one",
           {{kBasic, {{5, 1, 100, true}}}, {kBasic, {{5, 1, 60}}}, {kBasic, {{5, 1, 60}}}},
           "5:02>42k1 vouched 0-37 | copy of 0 vouched 0-37 | copy of 0 vouched 0-37 | "),
    Copies("a_much_surer_one_outvotes_two",
           {{kBasic, {{5, 1, 30, true}}}, {kBasic, {{5, 1, 30, true}}}, {kBasic, {{5, 1, 120}}}},
           "5:02>42k2 vouched 0-37 with holes | copy of 0 5:02>42k2 vouched 0-37 with holes | "
           "copy of 0 vouched 0-37 with holes | "),
    Copies(
        "a_checksum_outvotes_them_all",
        {{kSystem, {{13, 3, 100}}},
         {kSystem, {{13, 3, 255, true}}},
         {kSystem, {{13, 3, 255, true}}}},
        "vouched 0-22 | copy of 0 13:20>30k0 vouched 0-22 | copy of 0 13:20>30k0 vouched 0-22 | "),
    Copies("a_broken_copy_is_completed", {{Bytes(kBasic.begin(), kBasic.end() - 6)}, {kBasic}},
           "grown to 38 vouched 0-31 | copy of 0 vouched 0-31 | "),
    Copies("eight_bytes_make_copies", {{Bytes(8, 1)}, {Bytes(8, 1)}},
           "vouched 0-7 | copy of 0 vouched 0-7 | "),
    Copies("seven_do_not", {{Bytes(7, 1)}, {Bytes(7, 1)}}, "| | "),
    Copies("nine_in_ten_alike_are_copies", {{kTen}, {Changed(kTen, 9, {2})}},
           "vouched 0-8 | copy of 0 9:02>01k0 vouched 0-8 | "),
    Copies("eight_in_ten_are_not", {{kTen}, {Changed(kTen, 8, {2, 2})}}, "| | "),
    Copies("other_formats_are_no_copies", {{kBasic}, {kBasic}}, "| | ",
           {TapeFormat::Level1or2, TapeFormat::Highspeed}),
    Copies("a_copy_of_the_first_not_of_a_copy", {{kBasic}, {kBasic}, {kBasic}},
           "vouched 0-37 | copy of 0 vouched 0-37 | copy of 0 vouched 0-37 | "),
    // The chain of BASIC lines: a line at 4, 16 and 28, the end at 36.
    Chain("basic_chained", {{kBasic, {{5, 0, 60}}}}, "| "),
    Chain("basic_pointer_flipped", {{kBasic, {{16, 6, 60, true}}}}, "16:03>01b | "),
    Chain("basic_number_flipped", {{kBasic, {{30, 3, 60, true}}}}, "30:0E>1Eb | "),
    Chain("basic_flip_of_a_sure_bit", {{kBasic, {{16, 6, 128, true}}}}, "badline 16 | "),
    Chain("basic_two_flips_would_do", {{kBasic, {{16, 6, 60, true}, {4, 6, 60}}}}, "badline 16 | "),
    Chain("basic_bytes_behind_the_end", {{Changed(kBasic, 38, {0, 0})}}, "| "),
    Chain("basic_pointer_mended", {{kBasic, {{29, 6, 60, true}}}}, "29:41>43b | "),
    Chain("basic_a_pointer_flipped_to_the_end_is_no_mend",
          {{Changed(kBasic, 28, {0x00, 0x01}), {{29, 7, 60}}}}, "badline 28 | "),
};

class Mend : public testing::TestWithParam<Case> {};

TEST_P(Mend, FlipsOnlyWhatExactlyOneChangeExplains) {
    const Case& c = GetParam();
    std::vector<MendWork> files;
    for (const Heard& heard : c.files)
        files.push_back(Work(heard));
    std::vector<TapeFormat> formats(files.size(), TapeFormat::Level1or2);
    if (!c.formats.empty()) formats = c.formats;
    for (MendWork& file : files) {
        if (c.step == Step::Basic)
            MendBasicChain(file, kRate);
        else
            MendByChecksums(file, kRate);
    }
    if (c.step == Step::Copies) MendByCopies(files, formats, kRate);
    EXPECT_EQ(Described(files), c.expected);
    // Whatever was mended gave the bytes as recorded back.
    for (const MendWork& file : files)
        for (const MendedByte& m : file.mended)
            EXPECT_EQ(file.bytes[m.offset].value, m.now);
}

INSTANTIATE_TEST_SUITE_P(Rules, Mend, testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

} // namespace
} // namespace tonvale
