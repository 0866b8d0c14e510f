// How a recording ends when the program itself is ended from outside: killed
// outright, the file must still play up to at most its last second; asked to
// end (logout, kill), it must complete the file and save its settings.
//
// Each test starts the built program with a private home on the virtual audio
// backend, with settings that make it record at once into a private folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "program_run.h"
#include "wav_layout.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// The default recording format: 16-bit stereo at 44100 Hz.
constexpr std::uint32_t kRate = 44100;
constexpr std::uint16_t kChannels = 2;
constexpr std::uint16_t kBits = 16;
constexpr std::uint64_t kBytesPerSecond = std::uint64_t{kRate} * kChannels * kBits / 8;

// Generous, so that a busy machine never makes a working program fail.
constexpr auto kRecordingDeadline = 30s;
constexpr auto kExitDeadline = 30s;
constexpr auto kPollInterval = 10ms;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::map<std::string, std::string> KeyValues(const std::string& text) {
  std::map<std::string, std::string> values;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq != std::string::npos && !values.count(line.substr(0, eq))) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class RecordingEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "zovedu-e2e-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << "cannot create a scratch folder";
    root_ = pattern;
    home_ = root_ / "home";
    out_ = root_ / "out";
    const auto config = home_ / ".config";
    settings_ = home_ / "Documents" / "ridi" / "ridi.ini";
    std::filesystem::create_directories(out_);
    std::filesystem::create_directories(home_ / "Music");
    const auto runtime = root_ / "runtime";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    // Named explicitly so that the documents folder does not depend on how
    // the desktop's user folders are found.
    WriteText(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n");
    WriteText(settings_, "[OutPut]\nFolder=" + out_.string() + "/\n[Misc]\nRun=1\n");
    recording_ = out_ / "Rectest-01.wav";
    env_ = {
        {"HOME", home_.string()},
        {"XDG_CONFIG_HOME", config.string()},
        {"XDG_DATA_HOME", (home_ / ".local" / "share").string()},
        {"XDG_CACHE_HOME", (home_ / ".cache").string()},
        {"XDG_STATE_HOME", (home_ / ".local" / "state").string()},
        {"XDG_RUNTIME_DIR", runtime.string()},
        {"XDG_DOCUMENTS_DIR", ""},
        {"XDG_MUSIC_DIR", ""},
        {"ZOVEDU_AUDIO_BACKEND", "virtual"},
        {"QT_QPA_PLATFORM", "offscreen"},
    };
  }

  void TearDown() override {
    program_.killAndReap();
    if (root_.empty()) return;
    if (HasFailure()) {
      std::cerr << "Program output:\n" << ReadText(log()) << "\nKept " << root_ << "\n";
    } else {
      std::error_code ec;
      std::filesystem::remove_all(root_, ec);
    }
  }

  std::filesystem::path log() const { return root_ / "program.log"; }

  void StartProgram(const std::vector<std::string>& args = {}) {
    for (const char* tool : {ZOVEDU_FFPROBE, ZOVEDU_SOX})
      ASSERT_TRUE(std::filesystem::exists(tool)) << "needs ffprobe and sox installed (" << tool << ")";
    ASSERT_TRUE(program_.start(ZOVEDU_PROGRAM, args, env_, log())) << "cannot start " << ZOVEDU_PROGRAM;
  }

  // Polls until the recording holds `seconds` of audio. Notes when the file
  // was first seen, the recording having started no later than that.
  void WaitForRecordedSeconds(double seconds) {
    const auto wanted = static_cast<std::uintmax_t>(seconds * kBytesPerSecond);
    const auto deadline = Clock::now() + kRecordingDeadline;
    std::uintmax_t size = 0;
    while (true) {
      if (const auto now = FileSize(recording_)) {
        if (!fileSeenAt_) fileSeenAt_ = Clock::now();
        size = *now;
        if (size >= wanted) return;
      }
      ASSERT_FALSE(program_.poll()) << "the program ended while recording: " << DescribeStatus(*program_.status());
      ASSERT_TRUE(Clock::now() < deadline) << recording_ << " did not reach " << seconds << " s of audio in time ("
                                           << (fileSeenAt_ ? std::to_string(size) + " bytes" : "no file") << ")";
      std::this_thread::sleep_for(kPollInterval);
    }
  }

  void ExpectDefaultFormat(const WavLayout& wav) {
    EXPECT_EQ(wav.formatTag, 1) << "PCM";
    EXPECT_EQ(wav.channels, kChannels);
    EXPECT_EQ(wav.rate, kRate);
    EXPECT_EQ(wav.bits, kBits);
    EXPECT_EQ(wav.blockAlign, kChannels * kBits / 8);
    EXPECT_EQ(wav.byteRate, kBytesPerSecond);
  }

  // Both tools must read the file to its end without a complaint and find the
  // length its header states.
  void ExpectToolsRead(const WavLayout& wav) {
    const ToolResult probe = RunTool(ZOVEDU_FFPROBE,
                                     {"-v", "error", "-count_packets", "-show_entries",
                                      "stream=codec_name,sample_rate,channels,duration_ts,nb_read_packets", "-of",
                                      "default=noprint_wrappers=1", recording_.string()},
                                     root_);
    EXPECT_TRUE(probe.ok()) << "ffprobe: " << DescribeStatus(probe.status) << "\n" << probe.err;
    EXPECT_EQ(probe.err, "") << "ffprobe complained";
    const auto stream = KeyValues(probe.out);
    EXPECT_EQ(stream.count("codec_name") ? stream.at("codec_name") : "", "pcm_s16le") << probe.out;
    EXPECT_EQ(stream.count("sample_rate") ? stream.at("sample_rate") : "", std::to_string(kRate)) << probe.out;
    EXPECT_EQ(stream.count("channels") ? stream.at("channels") : "", std::to_string(kChannels)) << probe.out;
    EXPECT_EQ(stream.count("duration_ts") ? stream.at("duration_ts") : "",
              std::to_string(wav.dataSize / wav.blockAlign))
        << "ffprobe's length in samples differs from the header's\n"
        << probe.out;

    const ToolResult samples = RunTool(ZOVEDU_SOX, {"--i", "-s", recording_.string()}, root_);
    EXPECT_TRUE(samples.ok()) << "sox --i: " << DescribeStatus(samples.status) << "\n" << samples.err;
    EXPECT_EQ(samples.err, "") << "sox --i complained";
    EXPECT_EQ(samples.out, std::to_string(wav.dataSize / wav.blockAlign) + "\n")
        << "sox's length in samples differs from the header's";
    // And sox decodes every sample the header states.
    const ToolResult decode = RunTool(ZOVEDU_SOX, {recording_.string(), "-n"}, root_);
    EXPECT_TRUE(decode.ok()) << "sox decoding: " << DescribeStatus(decode.status) << "\n" << decode.err;
    EXPECT_EQ(decode.err, "") << "sox complained while decoding";
  }

  RunningProgram program_;
  std::filesystem::path root_, home_, out_, settings_, recording_;
  std::map<std::string, std::string> env_;
  std::optional<Clock::time_point> fileSeenAt_;
};

// The header is rewritten and synced at least once a second while recording,
// so a program killed without warning leaves a file that plays all but at
// most its last second, and whose header never claims more than it holds.
TEST_F(RecordingEndTest, KilledRecordingKeepsAllButTheLastSecond) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ASSERT_NO_FATAL_FAILURE(WaitForRecordedSeconds(0.2));

  // Any moment could be the kill, so the header is watched through several
  // of its updates. The file is sized before its header is read, which can
  // only make the header look less behind than it is, and again after, for
  // comparing with what the header claims.
  double worstLag = 0;
  std::string worst;
  const auto deadline = Clock::now() + kRecordingDeadline;
  for (;;) {
    const WavLayout wav = ReadWavLayout(recording_);
    const auto sizeAfter = FileSize(recording_).value_or(0);
    ASSERT_TRUE(wav.ok()) << Describe(wav);
    ASSERT_LE(wav.dataOffset + wav.dataSize, sizeAfter) << "the header claims more audio than the file holds\n"
                                                        << Describe(wav);
    if (wav.heldSeconds() - wav.statedSeconds() > worstLag) {
      worstLag = wav.heldSeconds() - wav.statedSeconds();
      worst = Describe(wav);
    }
    if (wav.heldSeconds() >= 4.0) break;
    ASSERT_FALSE(program_.poll()) << "the program ended while recording: " << DescribeStatus(*program_.status());
    ASSERT_TRUE(Clock::now() < deadline) << "the recording did not reach 4 s in time: " << Describe(wav);
    std::this_thread::sleep_for(kPollInterval);
  }
  EXPECT_LE(worstLag, 1.1) << "the header fell more than a second behind the audio\n" << worst;

  const auto sizeBeforeKill = FileSize(recording_).value_or(0);
  ASSERT_TRUE(program_.signal(SIGKILL));
  ASSERT_TRUE(program_.waitForExit(kExitDeadline)) << "the killed program did not go away";
  ASSERT_TRUE(WIFSIGNALED(*program_.status()) && WTERMSIG(*program_.status()) == SIGKILL)
      << DescribeStatus(*program_.status());

  // Nothing writes to the file any more: what it holds now is what it held
  // at the kill.
  const WavLayout wav = ReadWavLayout(recording_);
  ASSERT_TRUE(wav.ok()) << Describe(wav);
  ExpectDefaultFormat(wav);
  EXPECT_GE(wav.fileBytes, sizeBeforeKill);
  ASSERT_LE(wav.dataSize, wav.bytesInFile()) << "the header claims more audio than the file holds\n" << Describe(wav);
  EXPECT_LE(wav.riffSize, wav.fileBytes - 8) << "the RIFF size claims more than the file holds\n" << Describe(wav);
  EXPECT_EQ(wav.riffSize, wav.dataOffset - 8 + wav.dataSize) << "RIFF and data sizes disagree\n" << Describe(wav);
  EXPECT_EQ(wav.dataSize % wav.blockAlign, 0u) << Describe(wav);
  EXPECT_LE(wav.heldSeconds() - wav.statedSeconds(), 1.1) << "more than the last second is missing from the header\n"
                                                          << Describe(wav);
  ExpectToolsRead(wav);
}

// SIGTERM, as at logout or from kill, stops the recording the way the user
// would: the file is complete with everything recorded up to the signal, the
// program ends with exit code 0 and has saved its window's settings.
TEST_F(RecordingEndTest, TerminatedRecordingIsCompleteAndSettingsAreSaved) {
  ASSERT_EQ(ReadText(settings_).find("[Main]"), std::string::npos);
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ASSERT_NO_FATAL_FAILURE(WaitForRecordedSeconds(3.2));

  const auto sizeAtSignal = FileSize(recording_).value_or(0);
  const auto signalledAt = Clock::now();
  ASSERT_TRUE(program_.signal(SIGTERM));
  ASSERT_TRUE(program_.waitForExit(kExitDeadline)) << "the program did not end after SIGTERM";
  const int status = *program_.status();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);

  const WavLayout wav = ReadWavLayout(recording_);
  ASSERT_TRUE(wav.ok()) << Describe(wav);
  ExpectDefaultFormat(wav);
  // Complete: both sizes in the header match the file exactly.
  EXPECT_EQ(wav.dataSize, wav.bytesInFile()) << Describe(wav);
  EXPECT_EQ(wav.riffSize, wav.fileBytes - 8) << Describe(wav);
  EXPECT_EQ(wav.dataSize % wav.blockAlign, 0u) << Describe(wav);
  // Nothing written before the signal is dropped again ...
  EXPECT_GE(wav.dataOffset + wav.dataSize, sizeAtSignal) << Describe(wav);
  // ... and the length matches the time it recorded: at least from when the
  // file appeared to the signal, at most from the start to the exit.
  const double shortest = Seconds(signalledAt - *fileSeenAt_) - 0.5;
  const double longest = Seconds(program_.endedAt() - program_.startedAt()) + 0.5;
  EXPECT_GE(wav.statedSeconds(), shortest) << Describe(wav);
  EXPECT_LE(wav.statedSeconds(), longest) << Describe(wav);
  ExpectToolsRead(wav);

  EXPECT_NE(ReadText(settings_).find("[Main]"), std::string::npos) << "the settings were not saved at the end:\n"
                                                                   << ReadText(settings_);
}

// A settings file that cannot be written (a folder stands in its place):
// SIGTERM still ends the program without waiting for anyone to click, says
// why on standard error, and completes the recording and the list.
TEST_F(RecordingEndTest, TerminationEndsWhenTheSettingsCannotBeWritten) {
  std::filesystem::remove(settings_);
  std::filesystem::create_directories(settings_);
  recording_ = home_ / "Music" / "My Recordings" / "Rectest-01.wav";
  ASSERT_NO_FATAL_FAILURE(StartProgram({"--record"}));
  ASSERT_NO_FATAL_FAILURE(WaitForRecordedSeconds(1.2));
  ASSERT_TRUE(program_.signal(SIGTERM));
  ASSERT_TRUE(program_.waitForExit(kExitDeadline)) << "the program did not end after SIGTERM";
  const int status = *program_.status();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
  EXPECT_NE(ReadText(log()).find("Unable to write to " + settings_.string()), std::string::npos) << ReadText(log());

  const WavLayout wav = ReadWavLayout(recording_);
  ASSERT_TRUE(wav.ok()) << Describe(wav);
  EXPECT_EQ(wav.dataSize, wav.bytesInFile()) << Describe(wav);
  EXPECT_GE(wav.statedSeconds(), 1.0) << Describe(wav);
  EXPECT_EQ(ReadText(settings_.parent_path() / "reclist.txt").rfind("Rectest-01.wav|", 0), 0u);
}

// Two sessions of one user: the same home, another runtime folder, so the
// second program cannot reach the first through its socket. It must not
// record into the same folder under the same names; it says why instead.
TEST_F(RecordingEndTest, ASecondSessionsProgramDoesNotRecordBesideTheFirst) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ASSERT_NO_FATAL_FAILURE(WaitForRecordedSeconds(0.5));
  auto env = env_;
  const auto otherRuntime = root_ / "runtime2";
  std::filesystem::create_directory(otherRuntime);
  std::filesystem::permissions(otherRuntime, std::filesystem::perms::owner_all);
  env["XDG_RUNTIME_DIR"] = otherRuntime.string();
  RunningProgram second;
  ASSERT_TRUE(second.start(ZOVEDU_PROGRAM, {}, env, root_ / "second.log"));
  const auto deadline = Clock::now() + kRecordingDeadline;
  while (ReadText(root_ / "second.log").find("already running for this user") == std::string::npos) {
    ASSERT_FALSE(second.poll()) << "the second program ended: " << ReadText(root_ / "second.log");
    ASSERT_TRUE(Clock::now() < deadline) << "the second program did not say it cannot run:\n"
                                         << ReadText(root_ / "second.log");
    std::this_thread::sleep_for(kPollInterval);
  }
  second.killAndReap();
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(out_)) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"Rectest-01.wav"});
  ASSERT_TRUE(program_.signal(SIGTERM));
  ASSERT_TRUE(program_.waitForExit(kExitDeadline));
  const WavLayout wav = ReadWavLayout(recording_);
  ASSERT_TRUE(wav.ok()) << Describe(wav);
  EXPECT_EQ(wav.dataSize, wav.bytesInFile()) << Describe(wav);
}

// Killed outright while recording through an encoder: the encoder gets the
// end of its input and finishes the file, which every reader takes whole;
// the loss is printed per format.
struct KilledFormat {
  int index;                      // in the format list
  const char* extension;
  std::vector<std::string> tool;  // the format's own checker, the file appended; empty: ffmpeg only
};
void PrintTo(const KilledFormat& f, std::ostream* os) { *os << f.extension; }

class KilledEncoderTest : public RecordingEndTest, public ::testing::WithParamInterface<KilledFormat> {};

TEST_P(KilledEncoderTest, TheEncoderFinishesTheFileWhenTheProgramIsKilled) {
  const KilledFormat& f = GetParam();
  recording_ = out_ / ("Rectest-01." + std::string(f.extension));
  WriteText(settings_, "[OutPut]\nFolder=" + out_.string() + "/\n[Misc]\nRun=1\n[Main]\nFormat=" +
                           std::to_string(f.index) + "\n");
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  const auto deadline = Clock::now() + kRecordingDeadline;
  while (!FileSize(recording_)) {
    ASSERT_FALSE(program_.poll()) << "the program ended: " << DescribeStatus(*program_.status());
    ASSERT_TRUE(Clock::now() < deadline) << "no " << recording_;
    std::this_thread::sleep_for(kPollInterval);
  }
  const auto seen = Clock::now();
  std::this_thread::sleep_for(3s);  // what is recorded meanwhile is measured below
  ASSERT_TRUE(program_.signal(SIGKILL));
  ASSERT_TRUE(program_.waitForExit(kExitDeadline));
  const double recorded = Seconds(Clock::now() - seen);

  // The encoder, in a process group of its own, lives on until it has
  // written the end of the file: wait until the file stops changing.
  std::uintmax_t last = 0;
  auto stableSince = Clock::now();
  const auto finishDeadline = Clock::now() + kExitDeadline;
  while (Clock::now() - stableSince < 1500ms && Clock::now() < finishDeadline) {
    const auto now = FileSize(recording_).value_or(0);
    if (now != last) {
      last = now;
      stableSince = Clock::now();
    }
    std::this_thread::sleep_for(50ms);
  }
  const ToolResult decode =
      RunTool("/usr/bin/ffmpeg", {"-v", "error", "-i", recording_.string(), "-f", "s16le", "-ac", "1", "-ar", "8000", "-"},
              root_);
  EXPECT_TRUE(decode.ok()) << "ffmpeg: " << DescribeStatus(decode.status) << "\n" << decode.err;
  EXPECT_EQ(decode.err, "") << "ffmpeg complained while decoding";
  const double decoded = double(decode.out.size()) / 2 / 8000;
  std::cout << "[ killed  ] " << f.extension << ": " << decoded << " s in the file, " << recorded
            << " s recorded at most since the file appeared\n";
  EXPECT_GE(decoded, 2.0) << "most of the 3 s before the kill must be there";
  if (!f.tool.empty()) {
    std::vector<std::string> args(f.tool.begin() + 1, f.tool.end());
    args.push_back(recording_.string());
    const ToolResult check = RunTool(f.tool[0], args, root_);
    EXPECT_TRUE(check.ok()) << f.tool[0] << ": " << DescribeStatus(check.status) << "\n" << check.out << check.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, KilledEncoderTest,
    ::testing::Values(KilledFormat{1, "mp3", {"/usr/bin/lame", "--quiet", "--decode", "--brief"}},
                      // Written in this program: all but the packet being made.
                      KilledFormat{2, "wma", {}},
                      KilledFormat{3, "ogg", {"/usr/bin/ogginfo", "-q"}}, KilledFormat{4, "ape", {}},
                      KilledFormat{5, "flac", {"/usr/bin/flac", "-s", "-t"}}, KilledFormat{6, "tta", {}},
                      KilledFormat{7, "wv", {"/usr/bin/wvunpack", "-q", "-v"}}, KilledFormat{8, "aac", {}},
                      KilledFormat{9, "mpc", {}}, KilledFormat{10, "spx", {}}),
    [](const ::testing::TestParamInfo<KilledFormat>& info) { return std::string(info.param.extension); });

// The output folder removed while recording, with the writer in this
// program or in an encoder it started: the folder is made again and what was
// recorded comes back into it, whole.
class RemovedFolderTest : public RecordingEndTest, public ::testing::WithParamInterface<KilledFormat> {};

TEST_P(RemovedFolderTest, WhatWasRecordedComesBack) {
  const KilledFormat& f = GetParam();
  const auto folder = out_ / "sub";
  recording_ = folder / ("Rectest-01." + std::string(f.extension));
  WriteText(settings_, "[OutPut]\nFolder=" + folder.string() + "/\n[Misc]\nRun=1\n[Main]\nFormat=" +
                           std::to_string(f.index) + "\n");
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  const auto deadline = Clock::now() + kRecordingDeadline;
  while (FileSize(recording_).value_or(0) < 4096) {
    ASSERT_FALSE(program_.poll()) << "the program ended: " << DescribeStatus(*program_.status());
    ASSERT_TRUE(Clock::now() < deadline) << "no " << recording_;
    std::this_thread::sleep_for(kPollInterval);
  }
  std::this_thread::sleep_for(1500ms);  // what is recorded meanwhile must come back too
  std::filesystem::remove_all(folder);
  // Back in the folder made again, complete: it stops changing and decodes.
  std::uintmax_t last = 0;
  auto stableSince = Clock::now();
  while (Clock::now() - stableSince < 1500ms || last == 0) {
    ASSERT_TRUE(Clock::now() < deadline + kRecordingDeadline) << "nothing came back to " << recording_;
    const auto now = FileSize(recording_).value_or(0);
    if (now != last) {
      last = now;
      stableSince = Clock::now();
    }
    std::this_thread::sleep_for(50ms);
  }
  const ToolResult decode = RunTool(
      "/usr/bin/ffmpeg", {"-v", "error", "-i", recording_.string(), "-f", "s16le", "-ac", "1", "-ar", "8000", "-"}, root_);
  EXPECT_TRUE(decode.ok()) << decode.err;
  EXPECT_EQ(decode.err, "");
  EXPECT_GE(double(decode.out.size()) / 2 / 8000, 1.5);
  EXPECT_FALSE(program_.poll()) << "the program ended";
}

INSTANTIATE_TEST_SUITE_P(Formats, RemovedFolderTest,
                         ::testing::Values(KilledFormat{0, "wav", {}}, KilledFormat{1, "mp3", {}},
                                           KilledFormat{3, "ogg", {}}, KilledFormat{5, "flac", {}}),
                         [](const ::testing::TestParamInfo<KilledFormat>& info) {
                           return std::string(info.param.extension);
                         });

// The output folder on a disk of 160 KB: every format stops by itself
// before the disk is full, lists the file, and leaves it whole for ffmpeg
// and for the format's own checker.
class FullDiskTest : public RecordingEndTest, public ::testing::WithParamInterface<KilledFormat> {};

TEST_P(FullDiskTest, TheRecordingStopsBeforeTheDiskIsFullWithTheFileWhole) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root for a private tmpfs";
  // This test process's own mounts from here on; the program inherits them.
  static const bool privateMounts =
      ::unshare(CLONE_NEWNS) == 0 && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  ASSERT_TRUE(privateMounts);
  const KilledFormat& f = GetParam();
  const auto disk = root_ / "disk";
  std::filesystem::create_directories(disk);
  ASSERT_EQ(::mount("zovedu-small", disk.c_str(), "tmpfs", 0, "size=163840"), 0);
  struct Unmount {
    std::filesystem::path at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{disk};
  recording_ = disk / ("Rectest-01." + std::string(f.extension));
  WriteText(settings_, "[OutPut]\nFolder=" + disk.string() + "/\n[Misc]\nRun=1\n[Main]\nFormat=" +
                           std::to_string(f.index) + "\n");
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  const auto list = settings_.parent_path() / "reclist.txt";
  const auto deadline = Clock::now() + kRecordingDeadline * 3;
  while (ReadText(list).find(recording_.filename().string()) == std::string::npos) {
    ASSERT_FALSE(program_.poll()) << "the program ended: " << DescribeStatus(*program_.status());
    ASSERT_TRUE(Clock::now() < deadline) << "the recording did not stop and list its file in time";
    std::this_thread::sleep_for(kPollInterval);
  }
  const ToolResult decode = RunTool(
      "/usr/bin/ffmpeg", {"-v", "error", "-i", recording_.string(), "-f", "s16le", "-ac", "1", "-ar", "8000", "-"}, root_);
  EXPECT_TRUE(decode.ok()) << decode.err;
  EXPECT_EQ(decode.err, "") << "ffmpeg complained while decoding";
  std::cout << "[ full    ] " << f.extension << ": " << double(decode.out.size()) / 2 / 8000 << " s, "
            << FileSize(recording_).value_or(0) << " bytes\n";
  EXPECT_GT(decode.out.size(), 0u);
  if (!f.tool.empty()) {
    std::vector<std::string> args(f.tool.begin() + 1, f.tool.end());
    args.push_back(recording_.string());
    const ToolResult check = RunTool(f.tool[0], args, root_);
    EXPECT_TRUE(check.ok()) << f.tool[0] << ": " << DescribeStatus(check.status) << "\n" << check.out << check.err;
  }
  ASSERT_TRUE(program_.signal(SIGTERM));
  ASSERT_TRUE(program_.waitForExit(kExitDeadline));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FullDiskTest,
    ::testing::Values(KilledFormat{0, "wav", {"/usr/bin/sox", "--i"}},
                      KilledFormat{1, "mp3", {"/usr/bin/lame", "--quiet", "--decode", "--brief"}},
                      KilledFormat{2, "wma", {}}, KilledFormat{3, "ogg", {"/usr/bin/ogginfo", "-q"}},
                      KilledFormat{4, "ape", {}}, KilledFormat{5, "flac", {"/usr/bin/flac", "-s", "-t"}},
                      KilledFormat{6, "tta", {}}, KilledFormat{7, "wv", {"/usr/bin/wvunpack", "-q", "-v"}},
                      KilledFormat{8, "aac", {}}, KilledFormat{9, "mpc", {}}, KilledFormat{10, "spx", {}}),
    [](const ::testing::TestParamInfo<KilledFormat>& info) { return std::string(info.param.extension); });

}  // namespace
}  // namespace e2e
