// tonvale-cli as a user runs it: real processes, real files, exit statuses; what it prints and
// writes against what the window shows and builds for the same tape. (play needs a sound
// server: tests/audio.)
#include "Degrade.h"
#include "app/TonvaleDlg.h"
#include "app/TraceCsv.h"
#include "builder/CliRun.h"
#include "builder/Damage.h"
#include "builder/SampleTapes.h"
#include "builder/TestFiles.h"
#include "cli/Arguments.h"
#include "cli/TerminalText.h"
#include "format/Level1.h"
#include "format/SystemTape.h"
#include "platform/headless/HeadlessPlatform.h"
#include "rescue/Rescue.h"
#include "tape/TapeImageWriter.h"
#include "writer/Level1Listing.h"
#include "writer/Level2Listing.h"

#include <CLI/CLI.hpp>
#include <fmt/core.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <map>
#include <numeric>
#include <regex>
#if TONVALE_RECORDING
#include "recording/RecordingFile.h"
#endif

namespace tonvale {
namespace {

namespace fs = std::filesystem;
constexpr TapeFormat kLevel2 = TapeFormat::Level2;
using Json = nlohmann::ordered_json;

using test::Cli, test::CliRun, test::Q, test::Shell;

// The tape's bytes back from the JSON text: each character's code is one byte.
std::string Latin1(const Json& text) {
    std::string bytes;
    const std::string utf8 = text.get<std::string>();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        bytes.push_back(c < 0x80 ? utf8[i]
                                 : static_cast<char>((c & 0x1F) << 6 | (utf8[++i] & 0x3F)));
    }
    return bytes;
}

// The saved text again from the JSON: the file line, then every tape file's lines in order.
std::string SavedText(const Json& tape) {
    std::string text = Latin1(tape["fileLine"]).substr(0, kSavedFileLineLength) + "\r\n";
    for (const Json& file : tape["files"])
        for (const Json& line : file["lines"])
            text += Latin1(line) + "\r\n";
    return text;
}

// Every value of the JSON in order, numbers in hex; for the report lines, how many.
std::string Values(const Json& value) {
    if (value.is_structured()) {
        std::string values;
        for (const auto& [key, item] : value.items())
            values += key == "lines"   ? std::to_string(item.size()) + " "
                      : key == "sound" ? "" // checked against the window's timeline
                                       : Values(item);
        return values + (value.is_object() ? "; " : "");
    }
    const std::string number = fmt::format("{:X}", value.is_number() ? value.get<unsigned>() : 0);
    return (value.is_null() ? "-" : value.is_string() ? Latin1(value) : number) + " ";
}

// Per tape file: offset, shift, format, kind, name, load, end, entry, each block's address,
// length and checksums (stored, computed), verdict, summary word, number of report lines.
const std::map<std::string, std::string> kSignatures = {
    {"demo", "101 0 level2 basic T 42E9 43BC - ok  ok! 9 ; "},
    {"demo-system", "101 0 level2 system TONVAL 7000 7015 7000 7000 15 58 58 ; ok  ok! 7 ; "},
    {"demo-highspeed", "101 0 highspeed basic T 42E9 43BC - ok  ok! 9 ; "},
    {"demo-level1", "101 0 level1 basic - 4200 4252 - ok  ok! 10 ; "},
    {"edtasm-source", "101 0 level2 edtasm DEMO   - - - ok  ok! 9 ; "},
    {"level1-machine-code", "101 0 level1 system - 4200 4215 4200 ok  ok! 6 ; "},
    {"shifted-and-mixed", "101 3 level2 basic T 42E9 43BC - ok  ok! 10 ; 2D9 5 highspeed system "
                          "TONVAL 7000 7015 7000 7000 15 58 58 ; ok  ok! 9 ; 303 0 highspeed "
                          "unidentified - - - - bad  ..? 3 ; "},
    {"damaged-system", "101 0 level2 system BROKEN 5200 6003 - 5200 100 D2 D2 ; 5300 2C 32 31 ; "
                       "6000 3 38 38 ; bad  bad 30 ; 24A 0 level2 unidentified - - - - bad  ..? "
                       "3 ; "},
    {"damaged-basic", "101 0 level2 basic D 42E9 - - bad  bad 12 ; 137 0 level2 unidentified - - "
                      "- - bad  ..? 3 ; "},
    {"level1-empty-csave", "101 0 level1 empty-csave - 4200 4200 - ok  ok! 260 ; "},
    {"no-leader", "0 0 - unidentified - - - - bad  bad 8 ; "},
    {"empty", "0 0 - unidentified - - - - bad  bad 1 ; "},
    {"high-bytes", "101 0 level2 basic \xE9 42E9 433A - ok  ok! 2 ; 156 0 level2 unidentified - - "
                   "- - bad  bad 10 ; "},
    {"suspicious-then-csave", "101 0 level2 system TOOLON 7000 7080 7000 7000 80 30 30 ; "
                              "suspicious  ok? 16 ; 292 0 level1 empty-csave - 4200 4200 - ok  "
                              "ok! 260 ; "},
};

class SampleTapeTest : public ::testing::TestWithParam<test::SampleTape> {};

// Once as given, once with the TRS-80 font at the LNW rate, with a Highspeed sound for a tape
// of mixed formats and a WAV image of 16-bit inverted samples at 48000, 6 dB down.
TEST_P(SampleTapeTest, ReportJsonAndWavAreWhatTheWindowShowsAndBuilds) {
    const test::SampleTape& sample = GetParam();
    const std::string dir = test::TempDir("cli-sample");
    const std::string tape = test::WriteFile(dir + "/" + sample.name + ".CAS", sample.image);
    const std::string wavFile = dir + "/" + sample.name + ".wav";
    for (const bool lnw : {false, true}) {
        HeadlessPlatform platform;
        platform.levelAnswer = [&] { return sample.levelAnswer; };
        platform.formatAnswer = [&] { return lnw ? TapeFormat::Highspeed : TapeFormat::Level2; };
        platform.SetChecked(ControlId::Lnw, lnw);
        platform.trsFont = lnw;
        CTonvaleDlg dlg(platform);
        dlg.UseSound(lnw ? SoundOptions{48000, 16, true, -6} : SoundOptions{});
        dlg.OnStart();
        dlg.OpenTape(tape);
        const std::string summary(AsChars(dlg.ControlText(ControlId::SummaryLine)));
        const std::string duration(AsChars(dlg.ControlText(ControlId::DurationLine)));
        const std::string options =
            std::string(sample.levelAnswer == TapeFormat::Level1 ? "--level 1 " : "") +
            (lnw ? "--lnw --format H " : "") + Q(tape);

        const std::string report = lnw ? "report --trs-font " : "report ";
        const CliRun text = Cli(report + options);
        EXPECT_EQ(text.out, AsChars(dlg.ComposeReportText()));
        EXPECT_EQ(text.err, summary + "\n" + (duration.empty() ? "" : duration + "\n"));
        EXPECT_EQ(text.status, std::regex_search(summary, std::regex(" bad| ok\\?")) ? 1 : 0);

        const CliRun json = Cli(report + "--json " + options);
        EXPECT_EQ(json.status, text.status);
        EXPECT_TRUE(std::all_of(json.out.begin(), json.out.end(),
                                [](char c) { return c == '\n' || (c >= 0x20 && c < 0x7F); }));
        const Json doc = Json::parse(json.out);
        const Json& only = doc["tapes"].at(0);
        EXPECT_EQ(only["summaryLine"], summary);
        EXPECT_EQ(only["duration"], duration.empty() ? Json() : Json(duration));
        EXPECT_EQ(SavedText(only), text.out);
        EXPECT_EQ(Values(only["files"]), kSignatures.at(sample.name));
        // Where each tape file lies in the sound: the window's own times, to the millisecond.
        for (std::size_t i = 0; i < only["files"].size(); ++i) {
            const Json& sound = only["files"][i]["sound"];
            const TapeTimeline* timeline = dlg.Timeline();
            const bool playable = !dlg.WavBytes().empty();
            const auto timed = timeline && playable ? timeline->FileOfReport(i) : std::nullopt;
            if (!timed) {
                EXPECT_TRUE(sound.is_null() || !playable) << i;
                continue;
            }
            const TimedTapeFile& file = timeline->Files()[*timed];
            EXPECT_NEAR(sound["start"].get<double>(), file.startSeconds, 0.0005) << i;
            EXPECT_NEAR(sound["end"].get<double>(), file.endSeconds, 0.0005) << i;
            EXPECT_LT(file.startSeconds, file.endSeconds + 1e-9) << i;
        }

        const CliRun wav = Cli(std::string("wav ") +
                               (lnw ? "--rate 48000 --bits 16 --invert --gain -6 " : "") + options);
        const ByteView image = dlg.WavBytes();
        EXPECT_EQ(wav.status, image.empty() ? 3 : text.status) << wav.err;
        EXPECT_EQ(test::ReadFile(wavFile), Bytes(image.begin(), image.end()));
        EXPECT_EQ(wav.err, image.empty() ? "tonvale-cli wav: no WAV image: the tape ends in a "
                                           "Level 1 empty CSAVE, which can't be CLOAD'ed\n"
                                         : wavFile + ": " + duration + "\n");
    }
}

// The samples, a tape whose report holds every byte from 80h to FFh (its name among them) and a
// listing line of more than 64 characters, and a suspicious SYSTEM tape before an empty Level 1
// CSAVE, which leaves no duration line.
std::vector<test::SampleTape> Tapes() {
    Bytes high(0x80);
    std::iota(high.begin(), high.end(), Byte{0x80});
    const Bytes program =
        *Level2BasicFromListing("10 PRINT \"" + std::string(70, 'X') + "\"", 0xE9).value;
    std::vector<test::SampleTape> tapes = test::SampleTapes();
    tapes.push_back({"high-bytes", false, TapeFormat::Level2,
                     TapeImageWriter().File(kLevel2, program).Bytes8(high).Image()});
    // A name of seven characters: the product writes six, the seventh goes in by hand.
    Bytes system = *SystemTapeFile("TOOLON", {{0x7000, high}}, 0x7000).value;
    system.insert(system.begin() + 7, 'G');
    const Bytes csave = Level1File(0x4200, Bytes(0x10000));
    tapes.push_back(
        {"suspicious-then-csave", false, TapeFormat::Level2,
         TapeImageWriter().File(kLevel2, system).File(TapeFormat::Level1, csave).Image()});
    return tapes;
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTapeTest, ::testing::ValuesIn(Tapes()));

// Every command: its exit status, what it says went wrong, and no file left behind but the ones
// it was asked for; convert and extract write what they can and never replace a file unforced.
TEST(Cli, EveryCommandEndsWithItsExitStatusAndSaysWhatWentWrong) {
    const std::string dir = test::TempDir("cli"), missing = dir + "/missing.cas";
    const std::string examples = TONVALE_SOURCE_DIR "/examples/";
    const std::string golden = TONVALE_SOURCE_DIR "/tests/golden/cases/";
    auto file = [&](const char* name, const Bytes& bytes) {
        return test::WriteFile(dir + "/" + name, bytes);
    };
    const std::string ok =
        file("ok.cas", TapeImageWriter().File(kLevel2, test::DemoBasicProgram()).Image());
    const std::string out = file("out.wav", ToBytes("earlier"));
    const std::string mine = file("TONVAL.cmd", ToBytes("mine"));
    const std::string noise = file("noise.cas", test::Noise(50));
    const std::string undecided =
        file("undecided.cas", TapeImageWriter().File(kLevel2, ToBytes("??????")).Image());
    // A Level 1 tape file, then `zeros` bytes 00h.
    auto padded = [&](const char* name, std::size_t zeros) {
        const Bytes code{0x42, 0, 0x42, 9};
        return file(name,
                    TapeImageWriter().File(TapeFormat::Level1, code).Leader(zeros, 0).Image());
    };
    const std::string tooLong = padded("long.cas", 6'400'000);
    const std::string level1 = padded("level1.cas", 1'500'000);
    const std::string demo = Q(examples + "demo.cas"), system = Q(examples + "demo-system.cas");
    const std::string highspeed = " -o " + Q(dir + "/hs.cas") + " --format ";
    const struct {
        std::string args;
        int status;
        std::string out, err; // found in standard output and error
        std::string before = "";
    } cases[] = {
        {"--version", 0, "tonvale-cli " TONVALE_VERSION "\n", ""},
        {"help", 0, "Usage: tonvale-cli [OPTIONS] COMMAND", ""},
        {"", 2, "", "Usage: tonvale-cli"},
        {"report", 2, "", "tonvale-cli report: TAPE is required"},
        {"report --level 3 " + Q(ok), 2, "", "tonvale-cli report: --level: 3 not in {1,2}"},
        {"wav " + Q(ok) + " " + Q(ok), 2, "", "tonvale-cli wav: "},
        {"report --format h --lnw " + Q(ok), 0, "Level 2 BASIC", "Files: ok!\n4 seconds\n"},
        {"report " + Q(noise) + " " + Q(missing) + " " + Q(dir), 2,
         "\r\n==> " + missing + " <==\r\n==> " + dir + " <==\r\n",
         noise + ": Files: bad\n0 seconds\n" + missing + "\nUnable to open file!\n" + dir +
             "\nUnable to open file!\n"},
        {"wav " + Q(tooLong), 3, "", "\nThe tape is too long for a WAV file (4 GB at most).\n"},
        {"report --json " + Q(missing) + " " + Q(noise), 2,
         "{\"version\":1,\"tapes\":[{\"path\":\"" + missing +
             "\",\"error\":\"Unable to open file!\"},{\"path\":\"" + noise + "\",\"size\":50,",
         ""},
        {"wav -o " + Q(dir + "/no/such.wav") + " " + Q(ok), 2, "",
         "tonvale-cli wav: Error opening file " + dir + "/no/such.wav\n"},
        // A limit on file size makes the write fail part-way, as a full disk would.
        {"wav -o " + Q(out) + " " + Q(ok), 2, "",
         "tonvale-cli wav: Error writing file " + out + " (disk full?); nothing was saved\n",
         "trap '' XFSZ; ulimit -f 4; "},
        {"wav --gain 0.5 " + Q(ok), 2, "",
         "tonvale-cli wav: --gain: 0.5 dB would clip: 0 dB is full swing already (give 0 or "
         "less)\n"},
        {"play --gain=-40.1 " + Q(ok), 2, "",
         "tonvale-cli play: --gain: -40.1 dB is quieter than -40 dB, the least there is\n"},
        {"wav --gain loud " + Q(ok), 2, "",
         "tonvale-cli wav: --gain: loud is not a number of dB\n"},
        {"wav --rate 96000 " + Q(ok), 2, "", "--rate: 96000 not in {22050,44100,48000}"},
        {"play --bits 24 " + Q(ok), 2, "", "tonvale-cli play: --bits: 24 not in {8,16}"},
        // 16-bit samples at 48000 take 4.35 times the bytes of the default.
        {"wav --rate 48000 --bits 16 " + Q(level1), 3, "",
         "\nThe tape is too long for a WAV file (4 GB at most).\n"},
        {"report " + Q(undecided), 1, "Level 2 unidentified", ""},
        {"report --level 1 " + Q(undecided), 1, "Level 1 unidentified", ""},
        {"convert " + demo + highspeed + "H", 0, "",
         "BASIC 'T': Level 2 -> Highspeed, 215 bytes\nplaying time 2 seconds, was 8 seconds\n"},
        {"convert " + Q(examples + "demo-highspeed.cas") + highspeed + "h", 0, "",
         "BASIC 'T': Highspeed -> Highspeed (kept), 215 bytes\n"},
        {"convert " + demo + " -o " + Q(dir + "/hs.wav") + " --format H", 0, "", ""},
        {"convert " + Q(golden + "damaged-basic.cas") + " -o " + Q(dir + "/bad.cas") +
             " --format H",
         1, "", "Level 2 -> Highspeed"},
        {"convert " + Q(examples + "demo-level1.cas") + " -o " + Q(dir + "/x.cas") + " --format H",
         2, "", "tape file 1 (BASIC) is Level 1, which has only one speed; nothing was written"},
        {"convert " + Q(golden + "no-leader.cas") + " -o " + Q(dir + "/x.cas") + " --format 2", 2,
         "", "no tape file (no leader and sync byte) to convert"},
        {"convert " + demo + " -o " + Q(dir + "/x.txt") + " --format H", 2, "",
         "OUT must end in .cas or .wav"},
        {"convert " + demo + " -o " + Q(dir + "/no/x.cas") + " --format H", 2, "",
         "Error opening file"},
        {"extract " + system + " -d " + Q(dir + "/sub/dir"), 0,
         dir + "/sub/dir/TONVAL.cmd: Level 2 SYSTEM tape, 1 block 7000h-7015h, entry 7000h\n", ""},
        {"extract " + system + " -d " + Q(dir), 2, "", mine + " exists; --force replaces it"},
        {"extract --force " + system + " -d " + Q(dir + "/sub/dir"), 0, "", ""},
        // A damaged block is written all the same, and said so.
        {"extract " + Q(golden + "damaged-system.cas") + " -d " + Q(dir + "/sub"), 1, "",
         "BROKEN.cmd: block 5300h: checksum 32h on tape, 31h computed; written as it stands"},
        {"extract " + Q(missing), 2, "", "Unable to open file!"},
        // Level 1 machine code as low as it goes: its entry address in 0000h-0001h.
        {"make --format 1 " + Q(file("low.bin", ToBytes("x"))) + " --load 2 -o " +
             Q(dir + "/low.cas"),
         1, "", dir + "/low.cas:\n"},
        // Start addresses: a segment and offset, and a linear address.
        {"make -o " + Q(dir + "/seg.cas") + " " +
             Q(file("seg.hex", ToBytes(":03700000C300705A\n:0400000307000001F1\n:00000001FF\n"))),
         0, "", "  Level 2 SYSTEM 'SEG' 7000h-7002h entry 7001h ok!\n"},
        {"make -o " + Q(dir + "/lin.cas") + " " +
             Q(file("lin.hex", ToBytes(":03700000C300705A\n:040000050000700285\n:00000001FF\n"))),
         0, "", "  Level 2 SYSTEM 'LIN' 7000h-7002h entry 7002h ok!\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(c.args, c.before);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << c.args << "\n" << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << "\n" << run.err;
    }
    for (const std::string command :
         {"report", "wav", "play", "convert", "extract", "rescue", "make", "map"}) {
        const CliRun help = Cli(command + " --help");
        // map is drawn by tonvale-map beside tonvale-cli; a build without Qt has none.
        if (command == "map" && !fs::exists(fs::path(TONVALE_CLI).parent_path() / "tonvale-map")) {
            EXPECT_EQ(help.status, 2);
            EXPECT_NE(help.err.find("no drawing is built into this tonvale-cli"),
                      std::string::npos);
            continue;
        }
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("Usage: tonvale-cli " + command + " [OPTIONS] "),
                  std::string::npos);
    }
    // The failed writes left the earlier files as they were, and no temporary file.
    EXPECT_EQ(test::ReadFile(out), ToBytes("earlier"));
    EXPECT_EQ(test::ReadFile(mine), ToBytes("mine"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 17);
    // convert's sound is that of the converted tape as `wav` makes it.
    EXPECT_EQ(Cli("wav " + Q(dir + "/hs.cas") + " -o " + Q(dir + "/via.wav")).status, 0);
    EXPECT_TRUE(test::ReadFile(dir + "/hs.wav") == test::ReadFile(dir + "/via.wav"));
}

// A file name reaches every command as the shell gave it, whatever it holds and however long.
TEST(Cli, TakesAnyFileNameAsGiven) {
    const std::string dir = test::TempDir("cli-names");
    const Bytes demo = test::ReadFile(TONVALE_SOURCE_DIR "/examples/demo-system.cas");
    const CliRun expected = Cli("report " + Q(TONVALE_SOURCE_DIR "/examples/demo-system.cas"));
    const std::string deep = dir + "/" + std::string(150, 'd');
    fs::create_directories(deep);
    for (const std::string& name :
         {dir + "/my \"best\" tape.cas", dir + "/it's here.cas", dir + "/caf\xC3\xA9 \xE9.cas",
          deep + "/" + std::string(150, 'e') + ".cas"}) {
        test::WriteFile(name, demo);
        const CliRun report = Cli("report " + Q(name));
        EXPECT_EQ(report.status, 0) << name << report.err;
        EXPECT_EQ(report.out, expected.out) << name;
        const Json json = Json::parse(Cli("report --json " + Q(name)).out, nullptr, false);
        ASSERT_FALSE(json.is_discarded()) << name;
        EXPECT_EQ(json["tapes"][0]["size"], demo.size()) << name;
        if (name.find('\xE9') == std::string::npos) {
            EXPECT_EQ(json["tapes"][0]["path"], name);
        }
        EXPECT_EQ(Cli("wav " + Q(name) + " -o " + Q(name + ".wav")).status, 0) << name;
        EXPECT_TRUE(fs::exists(name + ".wav")) << name;
        EXPECT_EQ(Cli("convert " + Q(name) + " -o " + Q(name + "-hs.cas") + " --format H").status,
                  0)
            << name;
        EXPECT_EQ(
            Cli("extract " + Q(name + "-hs.cas") + " -d " + Q(name + ".files")).out,
            name + ".files/TONVAL.cmd: Highspeed SYSTEM tape, 1 block 7000h-7015h, entry 7000h\n")
            << name;
    }
}

TEST(Cli, PlayHandsTheOptionsOnAsGiven) {
    auto parse = [](std::vector<std::string> args) {
        CLI::App app;
        cli::Options options;
        cli::DefineCommand(app, cli::Command::Play, options);
        args.insert(args.begin(), "play");
        std::vector<const char*> argv;
        for (const std::string& arg : args)
            argv.push_back(arg.c_str());
        EXPECT_FALSE(cli::Parse(app, static_cast<int>(argv.size()), argv.data()));
        return options;
    };
    const cli::Options given = parse({"--lnw", "--format", "h", "--rate", "44100", "--bits", "16",
                                      "--invert", "--gain", "-6.25", "t.cas"});
    const cli::Options handed = parse(cli::PlayArguments(given));
    EXPECT_EQ(handed.sound, (SoundOptions{44100, 16, true, -6.25}));
    EXPECT_TRUE(handed.lnw);
    EXPECT_EQ(handed.format, TapeFormat::Highspeed);
    EXPECT_EQ(handed.tapes, given.tapes);
}

// report rescues a recording as rescue does, and writes nothing; rescue writes the tape and
// prints the text that the window opening the recording shows and saves; rescue --trace writes
// what the decoders saw, and the rest of its output stays as it was.
TEST(Cli, ReportRescuesRecordingsAsTheWindowDoesAndRescueTracesThem) {
#if !TONVALE_RECORDING
    GTEST_SKIP() << "no libsndfile in this build";
#else
    const std::string dir = test::TempDir("cli-recordings");
    // As a sound card gives it: the demo's sound 3% fast with some wow and noise; and silence.
    test::Recording r = test::Capture(
        test::Synthesise(kLevel2, test::ReadFile(TONVALE_SOURCE_DIR "/examples/demo.cas")), 44100,
        1.03, 0.005);
    test::Noise(r, 30);
    const std::string rec = test::WriteSoundFile(dir + "/side-a.wav", r);
    const std::string silence =
        test::WriteSoundFile(dir + "/silence.WAV", {std::vector<float>(44100), 44100});
    const std::string junk = test::WriteFile(dir + "/junk.flac", ToBytes("no sound"));
    const std::string demo = Q(TONVALE_SOURCE_DIR "/examples/demo-system.cas");
    const struct {
        std::string args;
        int status;
        std::string err;      // standard error
        std::string out = ""; // standard output begins so ("": nothing)
    } cases[] = {
        {"report " + Q(silence), 1, "tonvale-cli report: no tape file found in " + silence + "\n"},
        {"report --json " + Q(silence), 1,
         "tonvale-cli report: no tape file found in " + silence + "\n"},
        {"report " + Q(junk), 2,
         "tonvale-cli report: " + junk +
             ": not a recording that can be read: Format not recognised.\n"},
        {"report --json " + Q(junk) + " " + Q(silence) + " " + demo, 2,
         "tonvale-cli report: " + junk +
             ": not a recording that can be read: Format not recognised.\n",
         "{\"version\":1,\"tapes\":[{\"path\":\"" + junk +
             "\",\"error\":\"not a recording that can be read: Format not recognised.\"},{\"path\":"
             "\"" +
             silence + "\",\"error\":\"no tape file found\"},{\"path\":"},
        {"rescue " + Q(silence) + " --trace " + Q(dir + "/silence.csv"), 1,
         "tonvale-cli rescue: no tape file found in " + silence + "\n"},
        {"rescue " + Q(rec) + " --trace " + Q(rec), 2,
         "tonvale-cli rescue: " + rec + ": the trace would replace the recording\n"},
        {"rescue " + Q(rec) + " --trace " + Q(dir + "/silence.csv"), 2,
         "tonvale-cli rescue: " + dir + "/silence.csv exists; --force replaces it\n"},
        {"rescue " + Q(rec) + " --trace " + Q(dir + "/no/t.csv"), 2,
         "tonvale-cli rescue: Error opening file " + dir + "/no/t.csv\n"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.status, c.status) << c.args;
        EXPECT_EQ(run.err, c.err) << c.args;
        EXPECT_EQ(run.out.substr(0, c.out.size()), c.out) << c.args;
        if (c.out.empty()) {
            EXPECT_EQ(run.out, "") << c.args;
        }
    }
    EXPECT_EQ(AsChars(test::ReadFile(dir + "/silence.csv")), kTraceCsvHeader);

    // report, text and JSON, writes no image, and says what rescue says about it.
    const CliRun report = Cli("report " + Q(rec)), json = Cli("report --json " + Q(rec));
    const CliRun both = Cli("report " + Q(rec) + " " + demo);
    EXPECT_FALSE(fs::exists(dir + "/side-a.cas"));
    const CliRun rescued = Cli("rescue " + Q(rec));
    EXPECT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(report.out, rescued.out);
    EXPECT_EQ(report.err, rescued.err);
    EXPECT_NE(report.out.find("\r\n\r\nRescue: 1 tape file in "), std::string::npos);
    EXPECT_EQ(json.out, Cli("rescue --json --force " + Q(rec)).out);
    EXPECT_EQ(both.out.substr(0, both.out.find("==> ", 1)),
              "==> " + rec + " <==\r\n" + rescued.out);
    EXPECT_EQ(both.err.substr(0, both.err.find('\n')), rec + ": Files: ok!");
    HeadlessPlatform platform;
    CTonvaleDlg dlg(platform);
    dlg.OnStart();
    dlg.OpenTape(rec);
    EXPECT_EQ(rescued.out, AsChars(dlg.ComposeReportText()));
    platform.saveFileName = dir + "/window.cas";
    dlg.OnSaveCas();
    EXPECT_EQ(test::ReadFile(dir + "/window.cas"), test::ReadFile(dir + "/side-a.cas"));

    // The trace is the one the decoders keep for the same recording, and changes nothing else.
    const CliRun traced = Cli("rescue --force --json --trace " + Q(dir + "/t.csv") + " " + Q(rec));
    EXPECT_EQ(traced.out, json.out);
    RescueTrace trace;
    std::string failure;
    const auto recording = RecordingFile::Open(rec, Channel::Stronger, failure);
    ASSERT_TRUE(recording) << failure;
    RescueSettings settings;
    settings.trace = &trace;
    const RescueResult result = RescueRecording(*recording, settings);
    std::string csv;
    WriteTraceCsv(trace, [&csv](ByteView piece) {
        csv += AsChars(piece);
        return true;
    });
    const std::string written(AsChars(test::ReadFile(dir + "/t.csv")));
    EXPECT_EQ(written, csv);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'),
              static_cast<long>(1 + trace.pulses.size() + trace.cells.size()));
    // Once the decoders keep their trace: at least the bits of the bytes behind the sync byte.
    if (!trace.cells.empty()) {
        EXPECT_GE(trace.cells.size(), 8 * result.files.at(0).data.size());
        EXPECT_GE(trace.pulses.size(), trace.cells.size());
    }
#endif
}

// What a person's terminal is sent has no control bytes but line ends.
TEST(Cli, APersonAtATerminalIsAskedOnceAndSentNoControlBytes) {
    EXPECT_EQ(AsChars(cli::EscapeForTerminal(ToBytes("a\x1b[31mb\r\nc\x07\x7f\x9b\xe9\rd\n"))),
              "a\\x1B[31mb\r\nc\\x07\\x7F\\x9B\xe9\\x0Dd\n");
    // A program named ESC, then a Highspeed file, so that the undecided one after it is asked
    // about; the formats differ, so the sound's format is asked for too.
    const std::string tape =
        test::WriteFile(test::TempDir("cli") + "/asks.cas",
                        TapeImageWriter()
                            .File(kLevel2, Level2BasicFile(0x1B, {}))
                            .File(TapeFormat::Highspeed, test::DemoBasicProgram())
                            .File(kLevel2, ToBytes("??????"))
                            .Image());
    // script(1) gives the command a terminal; the report walks the tape twice.
    const CliRun run = Shell("printf '1\\n2\\n' | script -qec \"" + std::string(TONVALE_CLI) +
                             " report " + Q(tape) + "\" /dev/null");
    for (const std::string question : {"Level 1 or 2 couldn't", "Multiple \"files\""}) {
        const std::size_t at = run.out.find(question);
        EXPECT_NE(at, std::string::npos) << run.out;
        EXPECT_EQ(run.out.find(question, at + 1), std::string::npos) << run.out;
    }
    EXPECT_NE(run.out.find("Level 1 header"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("BASIC named '\\x1B'"), std::string::npos); // made harmless
}

// make, then report: a listing comes back as LIST shows it, whatever the ROM's tokenising had
// to do on the way (quotes, REM, ', DATA, ELSE, ?, lower case, the longest keyword).
TEST(Make, BasicListingsComeBackFromTheReportAsListShowsThem) {
    const struct {
        std::string listing, listed; // listed: as given when empty
    } cases[] = {
        {"10 PRINT \"HI, \";A$:REM print \"this\" as it is\r\n"
         "20 IF A=1 THEN 10 ELSE PRINT \"ELSE\"\n"
         "30 A=1'comment:GOTO 10\n"
         "40 DATA abc,\"x:y\",print:PRINT \"after\"\n"
         "50 INPUT A:X=INP(1):ON ERROR GOTO 60:DEFINT I:TOTAL=SCORE\n"
         "65529 END",
         ""},
        {"\r\n  10 ?\"a\";b:if x then 10 else 20\n\n20 data x, y:print\n",
         "10 PRINT\"a\";B:IF X THEN 10 ELSE 20\n20 DATA x, y:PRINT"},
        // LIST puts one space behind the number: that one is dropped, a second one kept.
        {"10  CLS\n20PRINT 1", "10  CLS\n20 PRINT 1"},
    };
    const std::string dir = test::TempDir("make-basic");
    for (const auto& c : cases) {
        const std::string bas = test::WriteFile(dir + "/p.bas", ToBytes(c.listing));
        ASSERT_EQ(Cli("make " + Q(bas) + " -o " + Q(dir + "/p.cas")).status, 0) << c.listing;
        std::string expected = c.listed.empty() ? c.listing : c.listed;
        expected =
            "Level 2 BASIC named 'P' ok\n" + std::regex_replace(expected, std::regex("\r"), "");
        EXPECT_EQ(Cli("report " + Q(dir + "/p.cas")).out,
                  std::regex_replace(expected + "\n", std::regex("\n"), "\r\n"));
    }
}

// Every kind of input, several tape files on one tape, and the sound of it.
TEST(Make, WritesEveryKindAndTellsWhatTheAnalysisFinds) {
    const std::string dir = test::TempDir("make");
    auto file = [&](const std::string& name, const std::string& bytes) {
        return Q(test::WriteFile(dir + "/" + name, ToBytes(bytes))) + " ";
    };
    const std::string inputs =
        file("game.bas", "10 CLS\n") + file("code.bin", std::string("\xC3\x00\x70", 3)) +
        file("tool.hex", ":03700000c300705a\n:007000018f\n") +
        file("module.cmd",
             std::string("\x05\x04M\x01 ~\x01\x03\x00\x71\xC9\x02\x02\x00\x71\x00\x00", 17)) +
        file("demo.asm", "START\tLD A,1\n65529\tEND START\n");
    const CliRun made = Cli("make " + inputs + "--load 7000 -o " + Q(dir + "/t.cas"));
    EXPECT_EQ(made.status, 0);
    EXPECT_EQ(made.err, "tonvale-cli make: " + dir +
                            "/module.cmd: offset 0: record type 05h (module name) 'M. ~' skipped\n"
                            "tonvale-cli make: " +
                            dir + "/module.cmd: 2 bytes behind the transfer record ignored\n" +
                            dir +
                            "/t.cas:\n"
                            "  Level 2 BASIC 'G' 7000h-7007h ok!\n"
                            "  Level 2 SYSTEM 'CODE' 7000h-7002h entry 7000h ok!\n"
                            "  Level 2 SYSTEM 'TOOL' 7000h-7002h entry 7000h ok!\n"
                            "  Level 2 SYSTEM 'MODULE' 7100h-7100h entry 7100h ok!\n"
                            "  Level 2 EDTASM 'DEMO' ok!\n"
                            "Files: ok! ok! ok! ok! ok!\n"
                            "22 seconds\n");
    EXPECT_NE(
        Cli("report " + Q(dir + "/t.cas")).out.find("00010 START   LD A,1\r\n65529 END START\r\n"),
        std::string::npos);
    EXPECT_EQ(Cli("make " + inputs + "--load 7000 -o " + Q(dir + "/t.wav")).status, 0);
    const Bytes wav = test::ReadFile(dir + "/t.wav");
    EXPECT_EQ(Cli("wav " + Q(dir + "/t.cas")).status, 0);
    EXPECT_TRUE(wav == test::ReadFile(dir + "/t.wav"));

    const CliRun level1 = Cli("make --format 1 " + file("one.bas", " 10  PRINT 5") +
                              file("one.bin", "\x01\x02") + "-o " + Q(dir + "/one.cas"));
    EXPECT_EQ(level1.status, 0);
    EXPECT_NE(level1.err.find("  Level 1 BASIC 4200h-420Ah ok!\n"
                              "  Level 1 SYSTEM 4200h-4201h entry 4200h ok!\n"),
              std::string::npos)
        << level1.err;
}

// Input that cannot be made into a tape: exit status 2, where it went wrong, nothing written.
TEST(Make, RefusesWhatTheMachineWouldNotTakeAndWritesNothing) {
    const struct {
        std::string name, bytes, args, err;
    } cases[] = {
        {"a.bas", "10 CLS\nPRINT", "", "a.bas: line 2: no line number"},
        {"a.bas", "10 CLS\n\n65530 END", "", "a.bas: line 3: line 65530 is outside 0 to 65529"},
        {"a.bas", "20 CLS\r\n10 END", "", "line 2: line 10 does not come after line 20"},
        {"a.bas", "10 CLS\n10 END", "", "line 2: line 10 does not come after line 10"},
        {"a.bas", "10 REM" + std::string(235, 'x'), "", "line 1: too long: 241 characters"},
        {"a.bas", "10 CLS", "--name AB", "a BASIC tape's name is one character"},
        {"a.bas", "10 CLS\n20", "", "line 2: line 20 has no text"},
        {"a.bas", "10 CLS\n32768 END", "--format 1", "line 2: line 32768 is outside 1 to 32767"},
        {"a.bas", "10 CLS\n20 \x7F", "--format 1", "line 2: byte 7Fh, which Level 1 BASIC"},
        {"a.bin", "x", "", "a raw binary needs --load ADDR"},
        {"a.bin", "x", "--load 10000", "--load: 10000 is no address from 0000h to FFFFh"},
        {"a.bin", "x", "--entry 7g00", "--entry: 7g00 is no address"},
        {"a.bin", std::string(300, 'x'), "--load FF00h", "a.bin: offset 256: the code runs past"},
        {"a.bin", "x", "--load 0x7000 --name TOOLONG", "'TOOLONG' is longer than six"},
        {"a.bin", "x", "--format 1 --load 1", "a.bin: the code must load at 0002h or above"},
        {"a.hex", ":0100000001FF\n", "", "a.hex: line 1: checksum error"},
        {"a.hex", "\n:0100000001FE\n:02", "", "a.hex: line 3: not a record"},
        {"a.hex", ":00000001FF", "", "no data records"},
        {"a.cmd", std::string("\x01\x05\x00\x70\xAA", 5), "",
         "a.cmd: offset 0: record type 01h "
         "of 5 bytes runs past the end"},
        {"a.cmd", std::string("\x01\x03\x00\x70\xAA", 5), "", "no entry address: give --entry"},
        {"a.cmd", std::string("\x01\x03\x00\x70\xAA\x02", 6), "", "a.cmd: offset 5: "},
        {"a.hex", ":0400000507000000F0\n", "", "a.hex: line 1: a start address beyond FFFFh"},
        {"a.asm", "\tORG 7000H\n\tLD A,\x80", "", "a.asm: line 2: byte 80h is not plain text"},
        {"a.asm", "00020 A\n10 B", "", "line 2: line number 10 not above the one before, 20"},
        {"a.asm", "\tNOP", "--format 1", "Level 1 has BASIC and machine code only"},
        {"a.xyz", "", "", "a.xyz: what it holds is not known by its extension; give --kind"},
        {"a.bas", "10 CLS", "-o x.txt", "x.txt: OUT must end in .cas or .wav"},
    };
    for (const auto& c : cases) {
        const std::string dir = test::TempDir("make-refused");
        const std::string input = test::WriteFile(dir + "/" + c.name, ToBytes(c.bytes));
        const std::string out = c.args.find("-o ") == 0 ? "" : " -o " + Q(dir + "/t.cas");
        const CliRun run = Cli("make " + Q(input) + " " + c.args + out, "cd " + Q(dir) + "; ");
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << c.err;
    }
}

} // namespace
} // namespace tonvale
