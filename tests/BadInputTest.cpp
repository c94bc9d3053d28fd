// Every kind of tape file cut short at every length near its start and its end, loaded whole
// with both answers to the level question and with and without the TRS-80 font. Whatever the
// cut, the walk must end with one verdict per tape file and a report that can be saved; the
// sanitizer build turns any read outside the bytes into a failure here.
#include "app/TonvaleDlg.h"
#include "builder/SampleTapes.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace tonvale {
namespace {

// The leader and sync byte the sample tapes put before their first tape file's data.
constexpr std::size_t kHeadBytes = 257;

struct Cut {
    std::string tape;
    std::size_t length;
};

void PrintTo(const Cut& cut, std::ostream* out) { *out << cut.tape << " cut to " << cut.length; }

std::vector<Cut> AllCuts() {
    std::vector<Cut> cuts;
    for (const test::SampleTape& tape : test::SampleTapes()) {
        std::set<std::size_t> lengths;
        const std::size_t size = tape.image.size();
        for (std::size_t k = 0; k <= 64; ++k) {
            lengths.insert(std::min(size, k));
            lengths.insert(std::min(size, kHeadBytes + k));
            lengths.insert(size - std::min(size, k));
        }
        for (std::size_t length : lengths)
            cuts.push_back({tape.name, length});
    }
    return cuts;
}

class CutTape : public ::testing::TestWithParam<Cut> {};

TEST_P(CutTape, IsReportedWithoutFault) {
    const Cut& cut = GetParam();
    Bytes image;
    for (const test::SampleTape& tape : test::SampleTapes())
        if (tape.name == cut.tape)
            image.assign(tape.image.begin(), tape.image.begin() + cut.length);

    for (int variant = 0; variant < 4; ++variant) {
        HeadlessPlatform platform;
        platform.onExit = [](int) {};
        platform.trsFont = (variant & 1) != 0;
        const TapeFormat level = (variant & 2) ? TapeFormat::Level1 : TapeFormat::Level2;
        platform.levelAnswer = [level] { return level; };
        CTonvaleDlg dlg(platform);
        dlg.OnInitDialog();
        dlg.m_tapeData.reset(new Byte[image.size()]);
        if (!image.empty())
            std::memcpy(dlg.m_tapeData.get(), image.data(), image.size());
        dlg.m_tapeSize = image.size();
        dlg.WalkTapeFiles();
        dlg.BuildWavImage();

        ASSERT_FALSE(dlg.m_verdicts.empty());
        EXPECT_NE(dlg.m_format, TapeFormat::Level1or2);
        EXPECT_LE(dlg.ControlText(ControlId::SummaryLine).size(), TextBuffer::kCapacity);
        EXPECT_LE(dlg.ControlText(ControlId::FileLine).size(), TextBuffer::kCapacity);
        EXPECT_FALSE(dlg.ComposeReportText().empty());
        for (std::size_t i = 0; i < dlg.m_report.Count(); ++i)
            ASSERT_EQ(std::memchr(dlg.m_report.Line(i).data(), 0, dlg.m_report.Line(i).size()),
                      nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(SampleTapes, CutTape, ::testing::ValuesIn(AllCuts()));

} // namespace
} // namespace tonvale
