// tonvale-cli map read as a script reads it: the colour of the picture at the times the JSON
// report gives. A bad tape file between two good ones, and a recording damaged in its only
// copy, whose doubtful bytes must show as ticks.
#include "builder/CliRun.h"
#include "rescue/Degrade.h"
#include "sound/WavImage.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace tonvale {
namespace {

using Json = nlohmann::json;
const std::string kSource = TONVALE_SOURCE_DIR;
constexpr int kWidth = 1200, kHeight = 160;

using test::Cli, test::CliRun;

// The overview's colour at `seconds` of `total`, `fromTop` of the height down, or of a column
// beside it (a time rounded to the millisecond may fall one column over).
bool ColourNear(const QImage& image, double seconds, double total, double fromTop, QColor colour) {
    const int x = static_cast<int>(std::floor(seconds / total * kWidth));
    const int y = static_cast<int>(fromTop * kHeight);
    for (int dx : {0, -1, 1})
        if (image.pixelColor(std::clamp(x + dx, 0, kWidth - 1), y) == colour) return true;
    return false;
}

const QColor kOk("#2e7d32"), kSuspicious("#f9a825"), kBad("#c62828"), kDoubtful("#ef6c00");

TEST(Map, ABadTapeFileBetweenTwoGoodOnesIsRedAtItsTimes) {
    Bytes image = test::ReadFile(kSource + "/examples/demo.cas");
    for (const char* path :
         {"/tests/golden/cases/damaged-system.cas", "/examples/demo-system.cas"}) {
        const Bytes more = test::ReadFile(kSource + path);
        image.insert(image.end(), more.begin(), more.end());
    }
    const std::string dir = test::TempDir("map"), tape = test::WriteFile(dir + "/three.cas", image);
    const Json doc = Json::parse(Cli("report --json '" + tape + "'").out);
    const Json& files = doc["tapes"][0]["files"];
    ASSERT_EQ(files.size(), 3u);
    for (const char* output : {"/three.png", "/three.svg"}) {
        const CliRun map = Cli("map '" + tape + "' -o '" + dir + output + "'");
        EXPECT_EQ(map.status, 1); // a bad tape file, as report says
    }
    const QImage picture(QString::fromStdString(dir + "/three.png"));
    ASSERT_EQ(picture.size(), QSize(kWidth, kHeight));
    // The playing time: the sound's samples at 22050, as the synthesis makes them.
    const double total = static_cast<double>(WavDataLength(TapeFormat::Level2, image)) / 22050;
    const QColor expected[] = {kOk, kBad, kOk};
    for (std::size_t i = 0; i < 3; ++i) {
        const double start = files[i]["sound"]["start"], end = files[i]["sound"]["end"];
        ASSERT_LT(start, end);
        EXPECT_TRUE(ColourNear(picture, (start + end) / 2, total, 0.5, expected[i])) << i;
        // The leader before it lighter; the stretch just behind a tape file's end empty.
        const QColor leader = picture.pixelColor(
            static_cast<int>(std::floor((start - 0.3) / total * kWidth)), kHeight / 2);
        EXPECT_GT(leader.lightness(), expected[i].lightness()) << i;
        EXPECT_NE(leader, expected[i]) << i;
    }
    // Above and below the middle half: empty.
    EXPECT_EQ(picture.pixelColor(kWidth / 2, kHeight / 5), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(kWidth / 2, kHeight * 4 / 5), QColor(Qt::white));
    const Bytes svg = test::ReadFile(dir + "/three.svg");
    EXPECT_NE(std::string(svg.begin(), svg.end()).find("#c62828"), std::string::npos);
}

#if TONVALE_RECORDING
TEST(Map, ADamagedRecordingShowsItsDoubtfulBytesAsTicks) {
    const Bytes image = test::ReadFile(kSource + "/tests/golden/cases/system-blocks-gap.cas");
    test::Recording r = test::Synthesise(TapeFormat::Level2, image);
    // Half a second after the data begins: in the middle of the only copy.
    test::Burst(r, 0.5 + (10 + 377.0 * 8 * 44) / test::kSynthesisRate, 0.05);
    const std::string dir = test::TempDir("map-rec");
    const std::string wav = test::WriteSoundFile(dir + "/damaged.wav", r);

    const Json doc =
        Json::parse(Cli("rescue --json --force -o '" + dir + "/damaged.cas' '" + wav + "'").out);
    const double total = doc["recording"]["seconds"];
    const Json& tapeFile = doc["tapes"][0]["files"][0];
    const Json& doubtful = tapeFile["rescue"]["doubtful"];
    ASSERT_GE(doubtful.size(), 4u);
    EXPECT_EQ(Cli("map '" + wav + "' -o '" + dir + "/damaged.png'").status, 1);
    const QImage picture(QString::fromStdString(dir + "/damaged.png"));
    ASSERT_EQ(picture.size(), QSize(kWidth, kHeight));
    for (const Json& byte : doubtful)
        EXPECT_TRUE(ColourNear(picture, byte["seconds"], total, 3.0 / 16, kDoubtful)) << byte;
    // Not one tick where nothing is doubtful: before the data.
    EXPECT_FALSE(ColourNear(picture, tapeFile["sound"]["start"], total, 3.0 / 16, kDoubtful));
    const double start = tapeFile["sound"]["start"], end = tapeFile["sound"]["end"];
    EXPECT_NEAR(start, tapeFile["rescue"]["dataStart"].get<double>(), 0.002);
    // Damaged: never drawn ok.
    const QColor middle =
        picture.pixelColor(static_cast<int>((start + end) / 2 / total * kWidth), kHeight / 2);
    EXPECT_TRUE(middle == kBad || middle == kSuspicious) << middle.name().toStdString();
}
#endif

} // namespace
} // namespace tonvale
