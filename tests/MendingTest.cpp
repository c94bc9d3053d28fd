// Mending tape files by what their formats know, at the edges of each rule: exactly one flip
// (or one pair) that makes a checksum hold, the least sure candidates only, how many doubtful
// bits a holding checksum may vouch for, when two tape files are copies, how the copies vote,
// and exactly one flip that chains BASIC lines again.
#include "rescue/MendTapeFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    Bytes bytes; // as recorded
    std::vector<Doubt> doubts = {};
    Byte sureness = 255; // of every other bit
};

MendWork Work(const Heard& heard) {
    MendWork work;
    for (std::size_t k = 0; k < heard.bytes.size(); ++k) {
        DecodedByte byte{heard.bytes[k], {}, 10.0 * static_cast<double>(k)};
        byte.confidence.fill(heard.sureness);
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

// 55h, the name, one block of `data` at 7000h with its checksum, the entry 7000h.
Bytes SystemFile(const Bytes& data) {
    Bytes file = {0x55, 'M', 'E', 'N', 'D', ' ', ' ', 0x3C, static_cast<Byte>(data.size()),
                  0x00, 0x70};
    unsigned sum = 0x70;
    for (Byte b : data) {
        file.push_back(b);
        sum += b;
    }
    file.push_back(static_cast<Byte>(sum));
    file.insert(file.end(), {0x78, 0x00, 0x70});
    return file;
}

// Level 1: start 4200h and stop, high byte first, the memory, a checksum that makes it sum to 0.
Bytes Level1(const Bytes& memory) {
    const unsigned stop = 0x4200 + static_cast<unsigned>(memory.size());
    Bytes file = {0x42, 0x00, static_cast<Byte>(stop >> 8), static_cast<Byte>(stop)};
    Byte sum = 0;
    for (Byte b : memory) {
        file.push_back(b);
        sum = static_cast<Byte>(sum + b);
    }
    file.push_back(static_cast<Byte>(-sum));
    return file;
}

// Level 2 BASIC: D3h three times, the name, lines of a next pointer and a number (low byte
// first), the text and 00h, then a pointer of 0000h.
Bytes Basic(const std::vector<std::string>& lines) {
    Bytes file = {0xD3, 0xD3, 0xD3, 'B'};
    unsigned address = 0x42E9;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        address += 4 + static_cast<unsigned>(lines[i].size()) + 1;
        const unsigned number = 10 * static_cast<unsigned>(i + 1);
        file.insert(file.end(), {static_cast<Byte>(address), static_cast<Byte>(address >> 8),
                                 static_cast<Byte>(number), static_cast<Byte>(number >> 8)});
        file.insert(file.end(), lines[i].begin(), lines[i].end());
        file.push_back(0);
    }
    file.insert(file.end(), {0, 0});
    return file;
}

// Two blocks, the first of one byte whose checksum is 3Ch, a block's own first byte; then a
// second block of one byte at 7001h.
Bytes TwoBlocks() {
    Bytes file = SystemFile({0xCC});
    file.resize(file.size() - 3);
    file.insert(file.end(), {0x3C, 0x01, 0x01, 0x70, 0x05, 0x76, 0x78, 0x00, 0x70});
    return file;
}

// `bytes` with two bytes from `at` on changed.
Bytes Changed(Bytes bytes, std::size_t at, Byte first, Byte second) {
    bytes[at] = first;
    bytes[at + 1] = second;
    return bytes;
}

const Bytes kData = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
const Bytes kSystem = SystemFile(kData);
const Bytes kLevel1 = Level1(kData);
const Bytes kBasic = Basic({"PRINT 1", "GOTO 10", "END"});
// Two bytes more behind the end of the program, as after a CSAVE.
const Bytes kBasicAndMore = [] {
    Bytes bytes = kBasic;
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}();

// Many bits of the block unsure at 100, the one flipped bit at `least`.
std::vector<Doubt> ManyDoubts(std::size_t count, Byte least) {
    std::vector<Doubt> doubts = {};
    for (std::size_t i = 0; i < count; ++i)
        doubts.push_back({11 + i / 8, static_cast<unsigned>(i % 8), 100});
    doubts.push_back({18, 7, least, true});
    return doubts;
}

// Everything the mending leaves behind, per tape file: "copy of N", "grown to N" bytes, each
// mended byte as
// offset:was>now and its way (c checksum, k copy from tape file N, b BASIC), the first and last
// vouched byte, "badline N".
std::string Described(const std::vector<MendWork>& files) {
    std::string text;
    for (const MendWork& file : files) {
        char part[64];
        if (file.copyOf) text += "copy of " + std::to_string(*file.copyOf) + " ";
        if (file.bytes.size() != file.heard)
            text += "grown to " + std::to_string(file.bytes.size()) + " ";
        for (const MendedByte& m : file.mended) {
            std::snprintf(part, sizeof part, "%u:%02X>%02X%s ", static_cast<unsigned>(m.offset),
                          m.was, m.now,
                          m.how == Mending::Checksum ? "c"
                          : m.how == Mending::Basic  ? "b"
                                                     : ("k" + std::to_string(m.from)).c_str());
            text += part;
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

const Case kCases[] = {
    // Checksums: a SYSTEM block (bytes 9 to 19: address, data, checksum) and a Level 1 tape file.
    {"the_second_block_behind_a_checksum_of_3Ch",
     Step::Checksums,
     {{TwoBlocks(), {{17, 7, 60, true}}}},
     "17:04>05c vouched 7-18 | "},
    {"system_holds", Step::Checksums, {{kSystem, {{12, 0, 60}}}}, "vouched 7-19 | "},
    {"system_one_flip",
     Step::Checksums,
     {{kSystem, {{13, 3, 60, true}}}},
     "13:20>30c vouched 7-19 | "},
    {"the_checksum_itself_flipped",
     Step::Checksums,
     {{kSystem, {{19, 6, 60, true}}}},
     "19:B2>B0c vouched 7-19 | "},
    {"a_sure_bit_is_never_flipped", Step::Checksums, {{kSystem, {{13, 3, 128, true}}}}, "| "},
    {"one_flip_among_doubts_that_do_not_mend",
     Step::Checksums,
     {{kSystem, {{12, 7, 40}, {13, 3, 60, true}, {14, 2, 50}}}},
     "13:20>30c vouched 7-19 | "},
    {"two_single_flips_would_do",
     Step::Checksums,
     {{kSystem, {{13, 3, 60, true}, {14, 3, 60}}}},
     "| "},
    {"one_pair",
     Step::Checksums,
     {{kSystem, {{13, 3, 60, true}, {15, 7, 70, true}}}},
     "13:20>30c 15:51>50c vouched 7-19 | "},
    {"a_pair_inside_one_byte_is_no_pair",
     Step::Checksums,
     {{kSystem, {{13, 3, 60, true}, {13, 7, 70, true}}}},
     "| "},
    {"two_pairs_would_do",
     Step::Checksums,
     {{kSystem, {{13, 3, 60, true}, {15, 7, 70, true}, {16, 3, 60}, {17, 7, 70}}}},
     "| "},
    {"the_sixteenth_least_sure_is_tried",
     Step::Checksums,
     {{kSystem, ManyDoubts(15, 120)}},
     "18:81>80c | "},
    {"the_seventeenth_is_not", Step::Checksums, {{kSystem, ManyDoubts(16, 120)}}, "| "},
    {"eight_doubtful_bits_are_vouched_for",
     Step::Checksums,
     {{kSystem,
       {{12, 0, 60},
        {12, 1, 60},
        {12, 2, 60},
        {12, 3, 60},
        {12, 4, 60},
        {12, 5, 60},
        {12, 6, 60},
        {12, 7, 60}}}},
     "vouched 7-19 | "},
    {"nine_are_not",
     Step::Checksums,
     {{kSystem,
       {{12, 0, 60},
        {12, 1, 60},
        {12, 2, 60},
        {12, 3, 60},
        {12, 4, 60},
        {12, 5, 60},
        {12, 6, 60},
        {12, 7, 60},
        {13, 0, 60}}}},
     "| "},
    {"level1_one_flip",
     Step::Checksums,
     {{kLevel1, {{6, 0, 60, true}}}},
     "6:B0>30c vouched 0-12 | "},
    {"level1_checksum_flipped",
     Step::Checksums,
     {{kLevel1, {{12, 7, 60, true}}}},
     "12:C1>C0c vouched 0-12 | "},
    {"level1_lowest_start_is_4200h",
     Step::Checksums,
     {{Bytes{0x41, 0xFF, 0x42, 0x00, 0x10, 0xF0}, {{4, 0, 60, true}}}},
     "| "},
    {"level1_stop_below_start",
     Step::Checksums,
     {{Bytes{0x42, 0x00, 0x41, 0xFF, 0x10, 0xEF}, {{4, 0, 60, true}}}},
     "| "},
    {"level1_cut_before_its_checksum",
     Step::Checksums,
     {{Bytes(kLevel1.begin(), kLevel1.end() - 1), {{5, 0, 60, true}}}},
     "| "},
    // Copies: votes byte by byte.
    {"copies_agree",
     Step::Copies,
     {{kBasic}, {kBasic}},
     "vouched 0-37 | copy of 0 vouched 0-37 | "},
    {"the_surer_copy_wins",
     Step::Copies,
     {{kBasic, {{5, 1, 10, true}}}, {kBasic, {{5, 1, 90}}}},
     "5:02>42k1 vouched 0-37 with holes | copy of 0 vouched 0-37 with holes | "},
    {"two_copies_outvote_a_surer_one",
     Step::Copies,
     {{kBasic, {{5, 1, 100, true}}}, {kBasic, {{5, 1, 60}}}, {kBasic, {{5, 1, 60}}}},
     "5:02>42k1 vouched 0-37 | copy of 0 vouched 0-37 | copy of 0 vouched 0-37 | "},
    {"a_much_surer_one_outvotes_two",
     Step::Copies,
     {{kBasic, {{5, 1, 30, true}}}, {kBasic, {{5, 1, 30, true}}}, {kBasic, {{5, 1, 120}}}},
     "5:02>42k2 vouched 0-37 with holes | copy of 0 5:02>42k2 vouched 0-37 with holes | copy of "
     "0 vouched 0-37 with holes | "},
    {"a_checksum_outvotes_them_all",
     Step::Copies,
     {{kSystem, {{13, 3, 100}}}, {kSystem, {{13, 3, 255, true}}}, {kSystem, {{13, 3, 255, true}}}},
     "vouched 0-22 | copy of 0 13:20>30k0 vouched 0-22 | copy of 0 13:20>30k0 vouched 0-22 | "},
    {"a_broken_copy_is_completed",
     Step::Copies,
     {{Bytes(kBasic.begin(), kBasic.end() - 6)}, {kBasic}},
     "grown to 38 vouched 0-31 | copy of 0 vouched 0-31 | "},
    {"eight_bytes_make_copies",
     Step::Copies,
     {{Bytes(8, 1)}, {Bytes(8, 1)}},
     "vouched 0-7 | copy of 0 vouched 0-7 | "},
    {"seven_do_not", Step::Copies, {{Bytes(7, 1)}, {Bytes(7, 1)}}, "| | "},
    {"nine_in_ten_alike_are_copies",
     Step::Copies,
     {{Bytes(10, 1)}, {Bytes{1, 1, 1, 1, 1, 1, 1, 1, 1, 2}}},
     "vouched 0-8 | copy of 0 9:02>01k0 vouched 0-8 | "},
    {"eight_in_ten_are_not",
     Step::Copies,
     {{Bytes(10, 1)}, {Bytes{1, 1, 1, 1, 1, 1, 1, 1, 2, 2}}},
     "| | "},
    {"other_formats_are_no_copies",
     Step::Copies,
     {{kBasic}, {kBasic}},
     "| | ",
     {TapeFormat::Level1or2, TapeFormat::Highspeed}},
    {"a_copy_of_the_first_not_of_a_copy",
     Step::Copies,
     {{kBasic}, {kBasic}, {kBasic}},
     "vouched 0-37 | copy of 0 vouched 0-37 | copy of 0 vouched 0-37 | "},
    // The chain of BASIC lines: a line at 4, 16 and 28, the end at 36.
    {"basic_chained", Step::Basic, {{kBasic, {{5, 0, 60}}}}, "| "},
    {"basic_pointer_flipped", Step::Basic, {{kBasic, {{16, 6, 60, true}}}}, "16:03>01b | "},
    {"basic_number_flipped", Step::Basic, {{kBasic, {{30, 3, 60, true}}}}, "30:0E>1Eb | "},
    {"basic_flip_of_a_sure_bit", Step::Basic, {{kBasic, {{16, 6, 128, true}}}}, "badline 16 | "},
    {"basic_two_flips_would_do",
     Step::Basic,
     {{kBasic, {{16, 6, 60, true}, {4, 6, 60}}}},
     "badline 16 | "},
    {"basic_bytes_behind_the_end", Step::Basic, {{kBasicAndMore, {}}}, "| "},
    {"basic_pointer_mended", Step::Basic, {{kBasic, {{29, 6, 60, true}}}}, "29:41>43b | "},
    {"basic_a_pointer_flipped_to_the_end_is_no_mend",
     Step::Basic,
     {{Changed(kBasic, 28, 0x00, 0x01), {{29, 7, 60}}}},
     "badline 28 | "},
};

class Mend : public testing::TestWithParam<const Case*> {};

TEST_P(Mend, FlipsOnlyWhatExactlyOneChangeExplains) {
    const Case& c = *GetParam();
    std::vector<MendWork> files;
    std::vector<TapeFormat> formats;
    for (const Heard& heard : c.files) {
        files.push_back(Work(heard));
        formats.push_back(TapeFormat::Level1or2);
    }
    if (!c.formats.empty()) formats = c.formats;
    for (MendWork& file : files) {
        if (c.step == Step::Checksums || c.step == Step::Copies) MendByChecksums(file, kRate);
        if (c.step == Step::Basic) MendBasicChain(file, kRate);
    }
    if (c.step == Step::Copies) MendByCopies(files, formats, kRate);
    EXPECT_EQ(Described(files), c.expected);
    // Whatever was mended gave the bytes as recorded back.
    for (const MendWork& file : files)
        for (const MendedByte& m : file.mended)
            EXPECT_EQ(file.bytes[m.offset].value, m.now);
}

INSTANTIATE_TEST_SUITE_P(Rules, Mend, testing::ValuesIn([] {
                             std::vector<const Case*> p;
                             for (const Case& each : kCases)
                                 p.push_back(&each);
                             return p;
                         }()),
                         [](const testing::TestParamInfo<const Case*>& param) {
                             return std::string(param.param->name);
                         });

} // namespace
} // namespace tonvale
