// tonvale-cli as a user runs it: real processes, real files, exit statuses; what it prints and
// writes against what the window shows and builds for the same tape. (play needs a sound
// server: tests/audio.)
#include "app/TonvaleDlg.h"
#include "builder/Level1Builder.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/SampleTapes.h"
#include "builder/SystemTapeBuilder.h"
#include "builder/TapeBuilder.h"
#include "cli/TerminalText.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numeric>
#include <regex>
#include <sys/wait.h>

namespace tonvale {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

struct CliRun {
    int status = -1;
    std::string out, err;
};

// A shell command line, its output caught in files.
CliRun Shell(const std::string& command) {
    static const std::string dir = test::TempDir("cli-run");
    const int raw = std::system((command + " >" + dir + "/out 2>" + dir + "/err").c_str());
    const Bytes out = test::ReadFile(dir + "/out"), err = test::ReadFile(dir + "/err");
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(out.begin(), out.end()),
            std::string(err.begin(), err.end())};
}

// No terminal on standard input, so that no question waits for a person.
CliRun Cli(const std::string& args, const std::string& before = "") {
    return Shell(before + TONVALE_CLI + " " + args + " </dev/null");
}

std::string Q(const std::string& text) {
    return "'" + text + "'";
}

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
    std::string text = Latin1(tape["fileLine"]).substr(0, 356) + "\r\n";
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
            values += key == "lines" ? std::to_string(item.size()) + " " : Values(item);
        return values + (value.is_object() ? "; " : "");
    }
    char number[16];
    std::snprintf(number, sizeof number, "%X", value.is_number() ? value.get<unsigned>() : 0);
    return (value.is_null() ? "-" : value.is_string() ? Latin1(value) : number) + std::string(" ");
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
// of mixed formats.
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
        dlg.OnInitDialog();
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

        const CliRun wav = Cli("wav " + options);
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
        test::Level2Basic(0xE9).Line(10, "PRINT \"" + std::string(70, 'X') + "\"").Build();
    std::vector<test::SampleTape> tapes = test::SampleTapes();
    tapes.push_back({"high-bytes", false, TapeFormat::Level2,
                     test::TapeBuilder().Level2File(program).Data(high).Build()});
    const Bytes system = test::SystemTape("TOOLONG").Block(0x7000, high).Transfer(0x7000).Build();
    const Bytes csave = test::Level1EmptyCsave().Rom(test::MadeUpRom()).Build();
    tapes.push_back({"suspicious-then-csave", false, TapeFormat::Level2,
                     test::TapeBuilder().Level2File(system).Level1File(csave).Build()});
    return tapes;
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTapeTest, ::testing::ValuesIn(Tapes()));

TEST(Cli, ExitStatusesMessagesAndHelp) {
    const std::string dir = test::TempDir("cli"), missing = dir + "/missing.cas";
    auto file = [&](const char* name, const Bytes& bytes) {
        return test::WriteFile(dir + "/" + name, bytes);
    };
    const std::string ok =
        file("ok.cas", test::TapeBuilder().Level2File(test::DemoBasicProgram()).Build());
    const std::string out = file("out.wav", ToBytes("earlier"));
    const std::string noise = file("noise.cas", test::TapeBuilder().Noise(50).Build());
    const std::string undecided =
        file("undecided.cas", test::TapeBuilder().Level2File(ToBytes("??????")).Build());
    const std::string tooLong =
        file("long.cas",
             test::TapeBuilder().Level1File(Bytes{0x42, 0, 0x42, 9}).Leader(6'400'000).Build());
    const struct {
        std::string args;
        int status;
        std::string out, err; // found in standard output and error
        std::string before = "";
    } cases[] = {
        {"--version", 0, "tonvale-cli " TONVALE_VERSION "\n", ""},
        {"help", 0, "Usage: tonvale-cli [OPTIONS] COMMAND", ""},
        {"report --help", 0, "Usage: tonvale-cli report [OPTIONS] TAPE...", ""},
        {"wav --help", 0, "Usage: tonvale-cli wav [OPTIONS] TAPE", ""},
        {"play --help", 0, "Usage: tonvale-cli play [OPTIONS] TAPE", ""},
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
        {"report " + Q(undecided), 1, "Level 2 unidentified", ""},
        {"report --level 1 " + Q(undecided), 1, "Level 1 unidentified", ""},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(c.args, c.before);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << c.args << "\n" << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << "\n" << run.err;
    }
    // The failed writes left the earlier file as it was, and no temporary file.
    EXPECT_EQ(test::ReadFile(out), ToBytes("earlier"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
}

// The window opens a recording as tonvale-cli rescue reads it: the same tape, and "&Save"
// writes what the command prints.
TEST(Cli, RescueWritesTheTapeAndPrintsTheTextThatTheWindowSaves) {
#if !TONVALE_RECORDING
    GTEST_SKIP() << "no libsndfile in this build";
#endif
    const std::string dir = test::TempDir("cli-rescue");
    const WavImage sound = BuildWavImage(
        TapeFormat::Level2, test::ReadFile(TONVALE_SOURCE_DIR "/examples/demo-system.cas"));
    const std::string recording = test::WriteFile(dir + "/side-a.wav", sound.View());
    const CliRun run = Cli("rescue " + Q(recording));
    EXPECT_EQ(run.status, 0) << run.err;
    HeadlessPlatform platform;
    CTonvaleDlg dlg(platform);
    dlg.OnInitDialog();
    dlg.OpenTape(recording);
    EXPECT_EQ(run.out, AsChars(dlg.ComposeReportText()));
    platform.saveFileName = dir + "/window.cas";
    dlg.OnSaveCas();
    EXPECT_EQ(test::ReadFile(dir + "/window.cas"), test::ReadFile(dir + "/side-a.cas"));
}

TEST(Cli, APersonAtATerminalIsAskedOnce) {
    // A program named ESC, then a Highspeed file, so that the undecided one after it is asked
    // about; the formats differ, so the sound's format is asked for too.
    const std::string tape = test::WriteFile(test::TempDir("cli") + "/asks.cas",
                                             test::TapeBuilder()
                                                 .Level2File(test::Level2Basic(0x1B).Build())
                                                 .HighspeedFile(test::DemoBasicProgram())
                                                 .Level2File(ToBytes("??????"))
                                                 .Build());
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

TEST(TerminalText, EscapesControlBytesButKeepsLineEnds) {
    EXPECT_EQ(AsChars(cli::EscapeForTerminal(ToBytes("a\x1b[31mb\r\nc\x07\x7f\x9b\xe9\rd\n"))),
              "a\\x1B[31mb\r\nc\\x07\\x7F\\x9B\xe9\\x0Dd\n");
}

} // namespace
} // namespace tonvale
