// Saving the WAV image and the report: the names proposed, the bytes written, and that a
// failure on the way (no access, a full disk) is reported and loses nothing.
#include "app/ProposedName.h"
#include "app/SafeFile.h"
#include "app/TonvaleDlg.h"
#include "builder/Level2BasicBuilder.h"
#include "builder/TapeBuilder.h"
#include "platform/headless/HeadlessPlatform.h"
#include "sound/WavImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>

#if !defined(_WIN32)
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tonvale {
namespace {

namespace fs = std::filesystem;

// --- Proposed names ------------------------------------------------------------------------------

struct NameCase {
    const char* tape;
    const char* extension;
    const char* proposed;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.tape << " -> " << c.proposed;
}

class ProposedNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProposedNames, ReplaceCasInAnyCaseElseAppend) {
    EXPECT_EQ(ProposedName(GetParam().tape, GetParam().extension), GetParam().proposed);
}

INSTANTIATE_TEST_SUITE_P(
    SaveFiles, ProposedNames,
    ::testing::Values(NameCase{"/tapes/GAME.CAS", ".wav", "/tapes/GAME.wav"},
                      NameCase{"/tapes/game.bin", ".wav", "/tapes/game.bin.wav"},
                      NameCase{"/tapes/TAPE.Cas", ".txt", "/tapes/TAPE.txt"},
                      NameCase{"/tapes/x.cAs", ".wav", "/tapes/x.wav"},
                      NameCase{"/tapes/cas", ".wav", "/tapes/cas.wav"},
                      NameCase{"/tapes/game.cas.bak", ".txt", "/tapes/game.cas.bak.txt"},
                      NameCase{"", ".wav", ".wav"}));

TEST(ProposedNameLength,
     LongPathIsCutBeforeTheExtensionWithin259CharactersAndNeverInsideAUtf8Character) {
    const std::string path = "/" + std::string(300, 'a');
    const std::string name = ProposedName(path, ".wav");
    EXPECT_EQ(name.size(), kMaxPath);
    EXPECT_EQ(name, path.substr(0, kMaxPath - 4) + ".wav");
    // The cut never splits a UTF-8 character: "é" (C3h A9h) straddles where it would fall.
    EXPECT_EQ(ProposedName("/" + std::string(253, 'a') + "\xC3\xA9" + "bbbb.bin", ".wav"),
              "/" + std::string(253, 'a') + ".wav");
}

// --- Helpers ------------------------------------------------------------------------------------

// Writes half of what it is given and fails, as a disk that fills up part-way does.
class FillingDisk : public FileLayer {
  public:
    bool Write(std::FILE* file, ByteView bytes) override {
        FileLayer::Write(file, bytes.first(bytes.size() / 2));
        return false;
    }
};

// Takes every byte but cannot get them onto the disk.
class FailingFlush : public FileLayer {
  public:
    bool Flush(std::FILE*) override { return false; }
};

std::set<std::string> FilesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

Bytes DemoTape() {
    const Bytes program =
        test::Level2Basic('S').Line(10, "PRINT \"SAVE ME\"").Line(20, "GOTO 10").Build();
    return test::TapeBuilder().Level2File(program).Build();
}

class SaveFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = test::TempDir("save-files");
        dlg.OnInitDialog();
    }
    void Open(const Bytes& tape, const std::string& name = "tape.cas") {
        dlg.OpenTape(test::WriteFile(dir + "/" + name, tape));
    }
    Bytes Image() const {
        return Bytes(dlg.m_wavImage.get(), dlg.m_wavImage.get() + dlg.m_wavSize);
    }
    void ExpectOneMessage(std::string_view text) {
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(AsChars(platform.messages[0].text), text);
        EXPECT_EQ(platform.messages[0].caption, kCaptionWhatNot);
        EXPECT_EQ(platform.messages[0].icon, MessageIcon::Exclamation);
    }

    HeadlessPlatform platform;
    CTonvaleDlg dlg{platform};
    std::string dir;
};

// --- Save Wav -----------------------------------------------------------------------------------

TEST_F(SaveFiles, WavIsTheImageByteForByteUnderTheNameAsTypedWithLnwAndWhenReplacedByLess) {
    Open(DemoTape(), "GAME.CAS");
    platform.saveFileName = dir + "/copy";
    dlg.OnSaveWav();
    EXPECT_EQ(platform.lastProposedName, dir + "/GAME.wav");
    EXPECT_EQ(test::ReadFile(dir + "/copy"), Image());
    EXPECT_EQ(FilesIn(dir), (std::set<std::string>{"GAME.CAS", "copy"}));

    platform.SetChecked(ControlId::Lnw, true);
    dlg.OnLnw1kHz();
    dlg.OnSaveWav();
    const Bytes fast = test::ReadFile(dir + "/copy");
    ASSERT_GE(fast.size(), kWavHeaderSize);
    EXPECT_EQ(ReadLe32(fast.data() + 24), 44100u);
    EXPECT_EQ(ReadLe32(fast.data() + 28), 44100u);

    // Saved again with a shorter image, the file is replaced wholly.
    Open(test::TapeBuilder().Level2File(test::Level2Basic('X').Line(1, "END").Build(), 16).Build());
    dlg.OnSaveWav();
    EXPECT_EQ(test::ReadFile(dir + "/copy"), Image());
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SaveFiles, WavOfAnEmptyTapeIs66Bytes) {
    Open(Bytes{});
    platform.saveFileName = dir + "/empty.wav";
    dlg.OnSaveWav();
    EXPECT_EQ(test::ReadFile(dir + "/empty.wav").size(), 66u);
}

TEST_F(SaveFiles, WithNothingLoadedEachSaveSaysSoAndAsksNothing) {
    platform.saveFileName = dir + "/never";
    dlg.OnSaveWav();
    ExpectOneMessage("There is no WAV present");
    platform.messages.clear();
    dlg.OnSave();
    ExpectOneMessage("There is no CAS loaded yet");
    EXPECT_EQ(platform.lastProposedName, "");
    EXPECT_FALSE(fs::exists(dir + "/never"));
}

TEST_F(SaveFiles, CancelledSaveWritesNothingAndSaysNothing) {
    Open(DemoTape());
    platform.saveFileName.reset();
    dlg.OnSaveWav();
    dlg.OnSave();
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(FilesIn(dir), (std::set<std::string>{"tape.cas"}));
}

TEST_F(SaveFiles, TargetThatIsADirectoryOrInAMissingFolderCannotBeOpened) {
    Open(DemoTape());
    fs::create_directory(dir + "/folder.wav");
    platform.saveFileName = dir + "/folder.wav";
    dlg.OnSaveWav();
    ExpectOneMessage("Error opening file");
    EXPECT_TRUE(fs::is_directory(dir + "/folder.wav"));

    platform.messages.clear();
    platform.saveFileName = dir + "/missing/report.txt";
    dlg.OnSave();
    ExpectOneMessage("Error opening file");
}

// --- Failures part-way --------------------------------------------------------------------------

struct DiskFailure {
    const char* what;
    std::function<FileLayer*()> make;
};

void PrintTo(const DiskFailure& failure, std::ostream* os) {
    *os << failure.what;
}

class FailingDisk : public SaveFiles, public ::testing::WithParamInterface<DiskFailure> {};

TEST_P(FailingDisk, ReportsTheFailureAndLeavesTheEarlierFilesIntact) {
    Open(DemoTape());
    const Bytes earlierWav = ToBytes("an earlier recording");
    const Bytes earlierReport = ToBytes("an earlier report\r\n");
    test::WriteFile(dir + "/out.wav", earlierWav);
    test::WriteFile(dir + "/out.txt", earlierReport);

    std::unique_ptr<FileLayer> layer(GetParam().make());
    ScopedFileLayer failing(*layer);
    platform.saveFileName = dir + "/out.wav";
    dlg.OnSaveWav();
    platform.saveFileName = dir + "/out.txt";
    dlg.OnSave();

    ASSERT_EQ(platform.messages.size(), 2u);
    for (const auto& message : platform.messages) {
        EXPECT_EQ(AsChars(message.text), kWriteFailedText);
        EXPECT_EQ(message.caption, kCaptionWhatNot);
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    }
    EXPECT_EQ(test::ReadFile(dir + "/out.wav"), earlierWav);
    EXPECT_EQ(test::ReadFile(dir + "/out.txt"), earlierReport);
    EXPECT_EQ(FilesIn(dir),
              (std::set<std::string>{"tape.cas", "out.wav", "out.txt"})); // no leftovers
}

INSTANTIATE_TEST_SUITE_P(
    SaveFiles, FailingDisk,
    ::testing::Values(DiskFailure{"disk fills up part-way", [] { return new FillingDisk; }},
                      DiskFailure{"bytes never reach the disk", [] { return new FailingFlush; }}));

#if !defined(_WIN32)

// A real disk that is full: a 64 KB tmpfs, which needs the right to mount.
class FullDisk : public SaveFiles {
  protected:
    void SetUp() override {
        SaveFiles::SetUp();
        disk = dir + "/disk";
        fs::create_directory(disk);
        mounted = ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    void TearDown() override {
        if (mounted) ::umount(disk.c_str());
    }
    std::string disk;
    bool mounted = false;
};

TEST_F(FullDisk, WavLargerThanTheFreeSpaceIsReportedAndTheEarlierFileStays) {
    if (!mounted) GTEST_SKIP() << "mounting a small tmpfs is not permitted here";
    Open(DemoTape());
    ASSERT_GT(dlg.m_wavSize, 64u * 1024); // more than the whole disk
    const Bytes earlier = ToBytes("an earlier recording");
    test::WriteFile(disk + "/out.wav", earlier);

    platform.saveFileName = disk + "/out.wav";
    dlg.OnSaveWav();
    ExpectOneMessage(kWriteFailedText);
    EXPECT_EQ(test::ReadFile(disk + "/out.wav"), earlier);
    EXPECT_EQ(FilesIn(disk), (std::set<std::string>{"out.wav"}));
}

// Root may write anywhere; the check runs as the unprivileged user "nobody" then. The child
// reports by its exit status: 0 as expected, 2 when it could not even read the earlier file.
int WithoutPrivileges(const std::function<int()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 4;
}

TEST_F(SaveFiles, ReadOnlyDirectoryGivesErrorOpeningFileAndKeepsTheEarlierFile) {
    Open(DemoTape());
    const std::string readOnly = dir + "/readonly";
    fs::create_directory(readOnly);
    const Bytes earlier = ToBytes("an earlier recording");
    test::WriteFile(readOnly + "/out.wav", earlier);
    fs::permissions(dir, fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(dir + "/..", fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);

    platform.saveFileName = readOnly + "/out.wav";
    const int result = WithoutPrivileges([&] {
        if (test::ReadFile(readOnly + "/out.wav") != earlier) return 2;
        dlg.OnSaveWav();
        return platform.messages.size() == 1 &&
                       AsChars(platform.messages[0].text) == "Error opening file" &&
                       platform.messages[0].caption == kCaptionWhatNot
                   ? 0
                   : 1;
    });
    fs::permissions(readOnly, fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(test::ReadFile(readOnly + "/out.wav"), earlier);
    EXPECT_EQ(FilesIn(readOnly), (std::set<std::string>{"out.wav"}));
}

TEST_F(SaveFiles, ReplacedFileKeepsItsPermissionsAndLinksStayLinks) {
    Open(DemoTape());
    const std::string real = dir + "/real.wav";
    test::WriteFile(real, ToBytes("old"));
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, dir + "/link.wav");

    platform.saveFileName = dir + "/link.wav";
    dlg.OnSaveWav();
    EXPECT_TRUE(fs::is_symlink(dir + "/link.wav"));
    EXPECT_EQ(test::ReadFile(real), Image());
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

#endif

// --- Save (the report) --------------------------------------------------------------------------

TEST_F(SaveFiles, ReportIsWrittenAsComposedAndProposedAsTxt) {
    Open(DemoTape(), "TAPE.Cas");
    platform.saveFileName = dir + "/report";
    dlg.OnSave();
    EXPECT_EQ(platform.lastProposedName, dir + "/TAPE.txt");
    EXPECT_TRUE(platform.messages.empty());
    const Bytes saved = test::ReadFile(dir + "/report");
    EXPECT_EQ(saved, dlg.ComposeReportText());
    const Bytes fileLine = Bytes(dlg.ControlText(ControlId::FileLine).begin(),
                                 dlg.ControlText(ControlId::FileLine).end());
    ASSERT_GT(saved.size(), fileLine.size() + 2);
    EXPECT_TRUE(std::equal(fileLine.begin(), fileLine.end(), saved.begin()));
    EXPECT_EQ(saved[fileLine.size()], '\r');
    EXPECT_EQ(saved[fileLine.size() + 1], '\n');
}

} // namespace
} // namespace tonvale
