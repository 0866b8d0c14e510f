// The PulseAudio backend's view of the test server: devices, flags, rates,
// inputs and volumes, and what happens without a server.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "audio/pulse/pulse_backend.h"
#include "pulse_test_server.h"

namespace zovedu_test {
namespace {

using namespace zaudio;

int IndexOf(const std::vector<BackendDevice>& list, const std::string& id) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].id == id) return static_cast<int>(i);
  return -1;
}

using PulseDevices = PulseServerTest;

TEST_F(PulseDevices, MonitorsAreLoopbackDevicesAndTheDefaultSourceIsMarked) {
  PulseBackend backend;  // capture side only: no initOutput
  auto all = backend.captureDevices(true);
  // Server order: the sources in the order their modules were loaded.
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].id, kPlayMonitor);
  EXPECT_EQ(all[1].id, kCaptureMonitor);
  EXPECT_EQ(all[2].id, kMicSource);
  EXPECT_EQ(all[3].id, kSurroundMonitor);
  EXPECT_EQ(all[0].flags, DEVICE_LOOPBACK);
  EXPECT_EQ(all[1].flags, DEVICE_LOOPBACK);
  EXPECT_EQ(all[2].flags, DEVICE_DEFAULT);
  EXPECT_EQ(all[3].flags, DEVICE_LOOPBACK);
  EXPECT_EQ(all[2].name, kMicDescription);
  EXPECT_EQ(all[0].name, "Monitor of Zovedu_Play");

  auto withoutLoopback = backend.captureDevices(false);
  ASSERT_EQ(withoutLoopback.size(), 1u);
  EXPECT_EQ(withoutLoopback[0].id, kMicSource);
  EXPECT_EQ(withoutLoopback[0].flags, DEVICE_DEFAULT);
}

TEST_F(PulseDevices, OpeningCountsInTheListTheCallerSees) {
  PulseBackend backend;
  struct Case {
    int index;
    bool loopback;
    DWORD rate;
  } cases[] = {
      {-1, false, 48000},                                          // default: the remapped source
      {0, false, 48000},                                           // the only non-monitor
      {IndexOf(backend.captureDevices(true), kPlayMonitor), true, 44100},
      {IndexOf(backend.captureDevices(true), kCaptureMonitor), true, 48000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    ASSERT_EQ(backend.openCapture(c.index, c.loopback), OK);
    EXPECT_EQ(backend.captureRate(), c.rate);
    backend.closeCapture();
  }
  EXPECT_EQ(backend.captureRate(), 0u);
  EXPECT_EQ(backend.openCapture(1, false), ERROR_DEVICE);  // monitors are not counted
  EXPECT_EQ(backend.openCapture(4, true), ERROR_DEVICE);
  EXPECT_EQ(backend.openCapture("no_such_source"), ERROR_DEVICE);
  EXPECT_EQ(backend.openCapture(-2, true), ERROR_DEVICE);
  EXPECT_EQ(backend.captureRate(), 0u);
}

TEST_F(PulseDevices, PortlessSourceOffersOneInputThatCarriesTheSourceVolume) {
  PulseBackend backend;
  ASSERT_EQ(backend.openCapture(-1, false), OK);
  auto inputs = backend.inputs();
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs[0].name, kMicDescription);
  EXPECT_EQ(inputs[0].type, INPUT_TYPE_UNDEF);
  EXPECT_TRUE(inputs[0].on);
  EXPECT_FLOAT_EQ(inputs[0].volume, 1.0f);

  EXPECT_TRUE(backend.setInput(0, 0, 0.3f));
  EXPECT_NEAR(backend.inputs()[0].volume, 0.3f, 0.001f);
  // Switching the only input on or off changes nothing and keeps the level.
  EXPECT_TRUE(backend.setInput(0, +1, -1.0f));
  EXPECT_TRUE(backend.setInput(0, -1, -1.0f));
  EXPECT_NEAR(backend.inputs()[0].volume, 0.3f, 0.001f);
  EXPECT_TRUE(backend.inputs()[0].on);
  EXPECT_FALSE(backend.setInput(1, +1, 0.5f));
  EXPECT_FALSE(backend.setInput(-1, 0, 0.5f));
  EXPECT_NEAR(backend.inputs()[0].volume, 0.3f, 0.001f);
  // Levels above 1 are capped.
  EXPECT_TRUE(backend.setInput(0, 0, 1.0f));
  EXPECT_FLOAT_EQ(backend.inputs()[0].volume, 1.0f);
}

TEST_F(PulseDevices, NothingToAskWithoutAnOpenDevice) {
  PulseBackend backend;
  EXPECT_TRUE(backend.inputs().empty());
  EXPECT_FALSE(backend.setInput(0, 0, 0.5f));
  int error = OK;
  EXPECT_EQ(backend.startCapture({}, false, [](const void*, size_t) { return true; }, error), nullptr);
  EXPECT_EQ(error, ERROR_INIT);
  OutputInfo info;
  EXPECT_FALSE(backend.outputInfo(info));
  EXPECT_FALSE(backend.setOutputVolume(0.5f));
  EXPECT_LT(backend.outputVolume(), 0.0f);
}

TEST_F(PulseDevices, OutputIsTheChosenSink) {
  PulseBackend backend;
  auto sinks = backend.outputDevices();
  ASSERT_EQ(sinks.size(), 3u);
  EXPECT_EQ(sinks[0].id, kPlaySink);
  EXPECT_EQ(sinks[0].flags, DEVICE_DEFAULT);
  EXPECT_EQ(sinks[1].id, kCaptureSink);
  EXPECT_EQ(sinks[1].flags, 0u);
  EXPECT_EQ(sinks[1].name, "Zovedu_Capture");

  struct Case {
    int device;
    DWORD rate;
    DWORD speakers;
  } cases[] = {{-1, 44100, 2}, {0, 44100, 2}, {1, 48000, 2}, {2, 48000, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.device);
    ASSERT_EQ(backend.initOutput(c.device), OK);
    OutputInfo info;
    ASSERT_TRUE(backend.outputInfo(info));
    EXPECT_EQ(info.rate, c.rate);
    EXPECT_EQ(info.speakers, c.speakers);
    backend.freeOutput();
  }
  EXPECT_EQ(backend.initOutput(3), ERROR_DEVICE);
  EXPECT_EQ(backend.initOutput(-2), ERROR_DEVICE);
}

TEST_F(PulseDevices, OutputVolumeIsTheSinkVolume) {
  PulseBackend backend;
  ASSERT_EQ(backend.initOutput(1), OK);  // not the default sink: the volume follows the choice
  PulseBackend other;
  ASSERT_EQ(other.initOutput(-1), OK);
  const float before = other.outputVolume();

  for (float v : {0.25f, 0.0f, 0.8f}) {
    ASSERT_TRUE(backend.setOutputVolume(v));
    EXPECT_NEAR(backend.outputVolume(), v, 0.001f);
  }
  EXPECT_FLOAT_EQ(other.outputVolume(), before);
  ASSERT_TRUE(backend.setOutputVolume(1.0f));
  EXPECT_FLOAT_EQ(backend.outputVolume(), 1.0f);
}

// Points the backend at another server for one test.
class ServerAddress {
 public:
  explicit ServerAddress(const std::string& address) {
    if (const char* old = std::getenv("PULSE_SERVER")) old_ = old;
    setenv("PULSE_SERVER", address.c_str(), 1);
  }
  ~ServerAddress() {
    if (old_)
      setenv("PULSE_SERVER", old_->c_str(), 1);
    else
      unsetenv("PULSE_SERVER");
  }

 private:
  std::optional<std::string> old_;
};

TEST(PulseWithoutServer, NoServerIsADriverError) {
  auto missing = std::filesystem::temp_directory_path() / "zovedu-no-server" / "native";
  ServerAddress address("unix:" + missing.string());
  PulseBackend backend;
  EXPECT_EQ(backend.initOutput(-1), ERROR_DRIVER);
  EXPECT_EQ(backend.openCapture(-1, true), ERROR_DRIVER);
  EXPECT_TRUE(backend.captureDevices(true).empty());
  EXPECT_TRUE(backend.outputDevices().empty());
  EXPECT_EQ(backend.captureRate(), 0u);
}

TEST(PulseWithoutServer, ASilentServerCannotHangTheCaller) {
  // A socket that accepts connections but never answers.
  auto dir = std::filesystem::temp_directory_path() / ("zovedu-silent-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "native").string();
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  path.copy(addr.sun_path, sizeof(addr.sun_path) - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
  ASSERT_EQ(listen(fd, 4), 0);

  {
    ServerAddress address("unix:" + path);
    PulseBackend backend(std::chrono::milliseconds(300));
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(backend.initOutput(-1), ERROR_DRIVER);
    EXPECT_EQ(backend.openCapture(-1, false), ERROR_DRIVER);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  }
  close(fd);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zovedu_test
