// tonvale-cli convert and extract as a user runs them: real files, messages, exit statuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kExamples = TONVALE_SOURCE_DIR "/examples/";
const std::string kCases = TONVALE_SOURCE_DIR "/tests/golden/cases/";

struct CliRun {
    int status = -1;
    std::string err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One run in a fresh directory of its own, which is the current directory.
class ConvertExtract : public testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("tonvale-convert-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    CliRun Cli(const std::string& args) {
        const std::string command =
            "cd '" + m_dir.string() + "' && " TONVALE_CLI " " + args + " </dev/null >out 2>err";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(m_dir / "err")};
    }
    std::string File(const std::string& name) { return Slurp(m_dir / name); }
    bool Has(const std::string& name) { return fs::exists(m_dir / name); }

    fs::path m_dir;
};

TEST_F(ConvertExtract, ConvertWritesOnlyWhatItCanAndSaysWhy) {
    const struct {
        std::string args;
        int status;
        std::string message;
        bool written;
    } cases[] = {
        {"convert " + kExamples + "demo.cas -o out.cas --format H", 0,
         "BASIC 'T': Level 2 -> Highspeed, 215 bytes\nplaying time 2 seconds, was 8 seconds\n",
         true},
        {"convert " + kExamples + "demo-highspeed.cas -o out.cas --format h", 0,
         "BASIC 'T': Highspeed -> Highspeed (kept), 215 bytes\n", true},
        {"convert " + kCases + "damaged-basic.cas -o out.wav --format H", 1, "Level 2 -> Highspeed",
         true},
        {"convert " + kExamples + "demo-level1.cas -o out.cas --format H", 2,
         "tape file 1 (BASIC) is Level 1, which has only one speed; nothing was written", false},
        {"convert " + kCases + "no-leader.cas -o out.cas --format 2", 2,
         "no tape file (no leader and sync byte) to convert", false},
        {"convert " + kExamples + "demo.cas -o out.txt --format H", 2,
         "OUT must end in .cas or .wav", false},
        {"convert " + kExamples + "demo.cas -o no/such/dir/out.cas --format H", 2,
         "Error opening file", false},
        {"convert --help", 0, "", false},
        {"extract --help", 0, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        fs::remove(m_dir / "out.cas");
        fs::remove(m_dir / "out.wav");
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(Has("out.cas") || Has("out.wav"), c.written);
    }
    // The sound is that of the converted tape as `wav` makes it.
    ASSERT_EQ(Cli("convert " + kExamples + "demo.cas -o out.cas --format H").status, 0);
    ASSERT_EQ(Cli("convert " + kExamples + "demo.cas -o direct.wav --format H").status, 0);
    ASSERT_EQ(Cli("wav out.cas -o via.wav").status, 0);
    EXPECT_EQ(File("direct.wav"), File("via.wav"));
}

TEST_F(ConvertExtract, ExtractNeverReplacesAFileUnlessForced) {
    const std::string system = "extract " + kExamples + "demo-system.cas -d sub/dir";
    const CliRun first = Cli(system);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(File("out"), "sub/dir/TONVAL.cmd: Level 2 SYSTEM tape, 1 block 7000h-7015h, "
                           "entry 7000h\n");
    std::ofstream(m_dir / "sub/dir/TONVAL.cmd") << "mine";
    const CliRun again = Cli(system);
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.err.find("sub/dir/TONVAL.cmd exists; --force replaces it"), std::string::npos);
    EXPECT_EQ(File("sub/dir/TONVAL.cmd"), "mine");
    EXPECT_EQ(Cli(system + " --force").status, 0);
    EXPECT_EQ(File("sub/dir/TONVAL.cmd").substr(0, 4), std::string("\x01\x17\x00\x70", 4));

    // A damaged block is written all the same, and said so.
    const CliRun damaged = Cli("extract " + kCases + "damaged-system.cas");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("BROKEN.cmd: block 5300h: checksum 32h on tape, 31h computed; "
                               "written as it stands"),
              std::string::npos)
        << damaged.err;
    EXPECT_TRUE(Has("BROKEN.cmd"));
    EXPECT_EQ(Cli("extract " + kExamples + "missing.cas").status, 2);
}

} // namespace
