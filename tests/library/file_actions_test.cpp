// What the list does with its files: copying (never onto the file itself,
// never leaving a cut-off copy), mailing through xdg-email and opening the
// companion sound editor. Fake programs record the arguments they were given.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <cstdlib>
#include <filesystem>

#include "library/file_actions.h"
#include "library/recording_list.h"
#include "library_test_files.h"
#include "support/scratch_dir.h"

namespace {

using library_test::AwaitRecordedArguments;
using library_test::FolderEntries;
using library_test::ReadBytes;
using library_test::WriteBytes;
using library_test::WriteRecordingScript;
using Names = std::vector<std::string>;

QByteArray Checksum(const std::string& path) {
  return QCryptographicHash::hash(QByteArray::fromStdString(ReadBytes(path)), QCryptographicHash::Sha256);
}

class CopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::mkdir(From().c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(To().c_str(), 0755), 0);
  }
  std::string From() const { return dir_.path().string() + "/from/"; }
  std::string To() const { return dir_.path().string() + "/to/"; }
  std::string Source(const std::string& name, const std::string& bytes) const {
    WriteBytes(From() + name, bytes);
    return From() + name;
  }

  zovedu_test::ScratchDir dir_;
};

TEST_F(CopyTest, CopiesEachFileUnderItsNameReplacingWhatIsThere) {
  std::string big(3 << 20, '\0');  // several blocks
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 4096);
  const Names sources = {Source("big.wav", big), Source("caf\xe9 \"1\".mp3", "ID3 tags"),
                         Source("empty.ogg", "")};
  ASSERT_EQ(::chmod(sources[1].c_str(), 0640), 0);
  WriteBytes(To() + "empty.ogg", "an older file of that name");

  const CopyReport report = CopyFilesTo(sources, To());
  EXPECT_EQ(report.copied, 3);
  EXPECT_TRUE(report.messages.isEmpty()) << report.messages.join('\n').toStdString();
  EXPECT_FALSE(report.cancelled);
  for (const std::string& s : sources) EXPECT_EQ(Checksum(To() + FileNamePart(s)), Checksum(s)) << s;
  EXPECT_EQ(FolderEntries(To()), (Names{"big.wav", "caf\xe9 \"1\".mp3", "empty.ogg"})) << "no temporary files left";
  struct stat st;
  ASSERT_EQ(::stat((To() + "caf\xe9 \"1\".mp3").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(CopyTest, TheFileItselfIsNeverCopiedOntoItself) {
  const std::string source = Source("take.wav", "RIFF....WAVEfmt the recording");
  const QByteArray sum = Checksum(source);
  // The same folder, written three ways: as it is, without its "/", and
  // through a link to it.
  const std::string linked = dir_.path().string() + "/link";
  ASSERT_EQ(::symlink(From().c_str(), linked.c_str()), 0);
  for (const std::string& folder : {From(), From().substr(0, From().size() - 1), linked}) {
    SCOPED_TRACE(folder);
    const CopyReport report = CopyFilesTo({source}, folder);
    EXPECT_EQ(report.copied, 0);
    ASSERT_EQ(report.messages.size(), 1);
    EXPECT_EQ(report.messages[0], "Cannot copy " + QString::fromStdString(source) + " onto itself");
    EXPECT_EQ(Checksum(source), sum);
    EXPECT_EQ(FolderEntries(From()), Names{"take.wav"});
  }
}

TEST_F(CopyTest, ErrorsNameTheFileAndTheReasonAndTheRestIsCopied) {
  const std::string good = Source("good.wav", "good");
  const std::string blocked = Source("blocked.wav", "blocked");
  ASSERT_EQ(::mkdir((To() + "blocked.wav").c_str(), 0755), 0);  // a folder holds the name
  const std::string missing = From() + "missing.wav";

  const CopyReport report = CopyFilesTo({missing, blocked, good}, To());
  EXPECT_EQ(report.copied, 1);
  ASSERT_EQ(report.messages.size(), 2);
  EXPECT_TRUE(report.messages[0].startsWith("Cannot copy " + QString::fromStdString(missing) + " to "));
  EXPECT_TRUE(report.messages[0].endsWith(": No such file or directory")) << report.messages[0].toStdString();
  EXPECT_TRUE(report.messages[1].startsWith("Cannot copy " + QString::fromStdString(blocked) + " to "));
  EXPECT_TRUE(report.messages[1].endsWith(": Is a directory")) << report.messages[1].toStdString();
  EXPECT_EQ(ReadBytes(To() + "good.wav"), "good");
  EXPECT_EQ(FolderEntries(To()), (Names{"blocked.wav", "good.wav"}));
  EXPECT_TRUE(FolderEntries(To() + "blocked.wav").empty());
}

TEST_F(CopyTest, AMissingFolderIsCreatedAndAFileInItsWayReported) {
  const std::string source = Source("a.wav", "a");
  const std::string deep = To() + "new/deeper";
  EXPECT_EQ(CopyFilesTo({source}, deep).copied, 1);
  EXPECT_EQ(ReadBytes(deep + "/a.wav"), "a");

  WriteBytes(To() + "plain", "not a folder");
  const CopyReport report = CopyFilesTo({source}, To() + "plain");
  EXPECT_EQ(report.copied, 0);
  ASSERT_EQ(report.messages.size(), 1);
  EXPECT_EQ(report.messages[0], "Cannot create " + QString::fromStdString(To() + "plain") + ": Not a directory");
}

TEST_F(CopyTest, ReportsProgressAndStopsWhenCancelled) {
  const Names sources = {Source("one.wav", std::string(3 << 20, 'x')), Source("two.wav", "two")};
  std::atomic<bool> cancel{false};
  std::vector<qint64> done;
  CopyProgress progress;
  progress.cancel = &cancel;
  progress.report = [&](qint64 d, qint64 total, const std::string& current) {
    EXPECT_EQ(total, (3 << 20) + 3);
    EXPECT_EQ(current, sources[0]);
    done.push_back(d);
    cancel = true;  // after the first block
  };
  const CopyReport report = CopyFilesTo(sources, To(), progress);
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(report.copied, 0);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_GT(done[0], 0);
  EXPECT_TRUE(FolderEntries(To()).empty()) << "the cut-off copy is removed";
}

TEST_F(CopyTest, RunsOnAWorkerThreadWithAFuture) {
  const Names sources = {Source("a.wav", "aaa"), Source("b.wav", std::string(2 << 20, 'b'))};
  QFuture<CopyReport> future = StartCopyFilesTo(sources, To());
  future.waitForFinished();
  ASSERT_EQ(future.resultCount(), 1);
  EXPECT_EQ(future.result().copied, 2);
  EXPECT_EQ(future.progressValue(), 1000);
  EXPECT_EQ(ReadBytes(To() + "a.wav"), "aaa");
}

// A folder of fake programs put first on PATH for one test.
class FakeProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = dir_.path().string() + "/bin/";
    ASSERT_EQ(::mkdir(bin_.c_str(), 0755), 0);
    const char* path = std::getenv("PATH");
    if (path) savedPath_ = path;
    ::setenv("PATH", (bin_ + ":" + savedPath_).c_str(), 1);
  }
  void TearDown() override { ::setenv("PATH", savedPath_.c_str(), 1); }
  std::string Record() const { return dir_.path().string() + "/args"; }

  zovedu_test::ScratchDir dir_;
  std::string bin_;
  std::string savedPath_ = "/usr/bin:/bin";
};

TEST_F(FakeProgramTest, MailStartsXdgEmailWithEveryFileAttached) {
  WriteRecordingScript(bin_ + "xdg-email", Record());
  const Names files = {"/rec/a b.mp3", "/rec/caf\xe9 'x' \"y\".wav", "/rec/-odd.ogg"};
  ASSERT_TRUE(MailFiles(files));
  EXPECT_EQ(AwaitRecordedArguments(Record()),
            (Names{"--subject", "Share with Zovedu", "--body", "Please see the attached file.", "--attach",
                   "/rec/a b.mp3", "--attach", "/rec/caf\xe9 'x' \"y\".wav", "--attach", "/rec/-odd.ogg"}));
}

TEST_F(FakeProgramTest, MailFailsWhenTheProgramIsMissingOrCannotStart) {
  EXPECT_FALSE(MailFiles({"/rec/a.wav"}, "zovedu-no-such-mailer"));
  // Found on PATH only when executable.
  WriteBytes(bin_ + "not-executable", "#!/bin/sh\n");
  EXPECT_FALSE(MailFiles({"/rec/a.wav"}, "not-executable"));
  // Executable, but the system cannot run it.
  WriteBytes(bin_ + "no-interpreter", "#!/zovedu/missing/sh\n");
  ASSERT_EQ(::chmod((bin_ + "no-interpreter").c_str(), 0755), 0);
  QString reason;
  EXPECT_FALSE(StartDetached("no-interpreter", {}, &reason));
  EXPECT_FALSE(reason.isEmpty());
  EXPECT_FALSE(MailFiles({"/rec/a.wav"}, "no-interpreter"));
}

TEST_F(FakeProgramTest, TheEditorFolderComesFromEditorIni) {
  const std::string ini = dir_.path().string() + "/editor.ini";
  const QString iniPath = QString::fromStdString(ini);
  const struct {
    const char* name;
    std::string content;  // nothing: no file
    std::string folder;
  } cases[] = {
      {"no file", "", ""},
      {"trailing slash added", "[editor10]\npath=/opt/ed\n", "/opt/ed/"},
      {"kept when there", "[Editor10]\nPATH=/opt/ed/\n", "/opt/ed/"},
      {"quotes removed", "[editor10]\npath=\"/opt/my ed\"\n", "/opt/my ed/"},
      {"empty value", "[editor10]\npath=\n", ""},
      {"other section", "[editor9]\npath=/opt/ed\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(ini);
    if (!c.content.empty()) WriteBytes(ini, c.content);
    EXPECT_EQ(ReadEditorFolder(iniPath), c.folder);
    if (!c.content.empty()) {
      EXPECT_EQ(ReadBytes(ini), c.content) << "only read";
    }
  }
  EXPECT_TRUE(EditorConfigPath().endsWith("/Dedurira/editor.ini"));
}

TEST_F(FakeProgramTest, EditAudioStartsDaveWithTheWholePathAsOneArgument) {
  const std::string folder = dir_.path().string() + "/editor dir/";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  EXPECT_FALSE(EditorPresent(folder));
  WriteBytes(folder + "dave", "#!/bin/sh\n");
  EXPECT_FALSE(EditorPresent(folder)) << "not executable";
  WriteRecordingScript(folder + "dave", Record());
  EXPECT_TRUE(EditorPresent(folder));
  EXPECT_FALSE(EditorPresent(""));

  EXPECT_FALSE(EditAudio(folder, {})) << "nothing selected, nothing started";
  const std::string file = "/rec/My \"best\" take's  1.wav";
  ASSERT_TRUE(EditAudio(folder, {file, "/rec/second.wav"}));
  EXPECT_EQ(AwaitRecordedArguments(Record()), Names{file});
}

TEST_F(FakeProgramTest, TheSoundEditorStartsWithoutArguments) {
  const std::string folder = dir_.path().string() + "/ed/";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  WriteRecordingScript(folder + "dave", Record());
  ASSERT_TRUE(RunSoundEditor(folder));
  EXPECT_EQ(AwaitRecordedArguments(Record()), Names{});
  EXPECT_FALSE(RunSoundEditor(dir_.path().string() + "/nowhere/"));
}

}  // namespace
