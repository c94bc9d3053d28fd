// Every kind of tape file cut short at every length near its start and its end, loaded whole
// with both answers to the level question and with and without the TRS-80 font. Whatever the
// cut, the walk must end with one verdict per tape file and a report that can be saved; the
// sanitizer build turns any read outside the bytes into a failure here.
#include "app/TonvaleDlg.h"
#include "builder/SampleTapes.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace tonvale {
namespace {

// The leader and sync byte the sample tapes put before their first tape file's data.
constexpr std::size_t kHeadBytes = 257;

// The lengths to cut a tape to: 0 to 64 bytes, the same behind the first leader and sync
// byte, and the last 64 lengths up to the whole tape.
std::set<std::size_t> CutLengths(std::size_t size) {
    std::set<std::size_t> lengths;
    for (std::size_t k = 0; k <= 64; ++k) {
        lengths.insert(std::min(size, k));
        lengths.insert(std::min(size, kHeadBytes + k));
        lengths.insert(size - std::min(size, k));
    }
    return lengths;
}

// Loads the image as if read from a file and builds its sound; checks what must always hold.
void CheckLoad(const Bytes& image, bool trsFont, TapeFormat level) {
    HeadlessPlatform platform;
    platform.onExit = [](int) {};
    platform.trsFont = trsFont;
    platform.levelAnswer = [level] { return level; };
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.m_tapeData.reset(new Byte[image.size()]);
    if (!image.empty()) std::memcpy(dlg.m_tapeData.get(), image.data(), image.size());
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

class CutTape : public ::testing::TestWithParam<test::SampleTape> {};

TEST_P(CutTape, IsReportedWithoutFaultAtEveryLength) {
    const Bytes& whole = GetParam().image;
    for (std::size_t length : CutLengths(whole.size())) {
        SCOPED_TRACE("cut to " + std::to_string(length));
        const Bytes image(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        for (int variant = 0; variant < 4; ++variant)
            CheckLoad(image, (variant & 1) != 0,
                      (variant & 2) ? TapeFormat::Level1 : TapeFormat::Level2);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(SampleTapes, CutTape, ::testing::ValuesIn(test::SampleTapes()),
                         [](const auto& p) {
                             std::string name = p.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace tonvale
