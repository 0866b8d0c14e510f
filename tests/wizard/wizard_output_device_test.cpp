// An output device that cannot be opened: its error code is said, the
// previous device is opened again and the lists stay as they were.
#include "audio/backend.h"
#include "wizard_fixture.h"

namespace {

// The virtual backend, with one output device that refuses to open.
class RefusingOutputBackend final : public zaudio::Backend {
 public:
  RefusingOutputBackend(std::shared_ptr<zaudio::VirtualBackend> inner, int refused)
      : inner_(std::move(inner)), refused_(refused) {}
  int initOutput(int device) override {
    opened.push_back(device);
    return device == refused_ ? zaudio::ERROR_DRIVER : inner_->initOutput(device);
  }
  void freeOutput() override { inner_->freeOutput(); }
  std::vector<zaudio::BackendDevice> outputDevices() override { return inner_->outputDevices(); }
  bool outputInfo(zaudio::OutputInfo& info) override { return inner_->outputInfo(info); }
  bool setOutputVolume(float volume) override { return inner_->setOutputVolume(volume); }
  float outputVolume() override { return inner_->outputVolume(); }
  std::unique_ptr<zaudio::PlaybackStream> startPlayback(const zaudio::CaptureFormat& format,
                                                        std::shared_ptr<zaudio::PlaybackBuffer> buffer,
                                                        int& error) override {
    return inner_->startPlayback(format, std::move(buffer), error);
  }
  std::vector<zaudio::BackendDevice> captureDevices(bool includeLoopback) override {
    return inner_->captureDevices(includeLoopback);
  }
  using Backend::openCapture;
  int openCapture(const std::string& id) override { return inner_->openCapture(id); }
  void closeCapture() override { inner_->closeCapture(); }
  zaudio::DWORD captureRate() override { return inner_->captureRate(); }
  std::vector<zaudio::BackendInput> inputs() override { return inner_->inputs(); }
  bool setInput(int input, int on, float volume) override { return inner_->setInput(input, on, volume); }
  using Backend::startCapture;
  std::unique_ptr<zaudio::CaptureStream> startCapture(const zaudio::CaptureFormat& format, bool paused,
                                                      zaudio::CaptureSink sink, zaudio::CaptureEnded ended,
                                                      int& error) override {
    return inner_->startCapture(format, paused, std::move(sink), std::move(ended), error);
  }

  std::vector<int> opened;  // every initOutput, in order

 private:
  std::shared_ptr<zaudio::VirtualBackend> inner_;
  int refused_;
};

}  // namespace

TEST_F(WizardTest, OutputDeviceThatCannotBeOpenedSaysItsCodeAndTheFormerOnePlaysOn) {
  backend->addOutputDevice("Headphones", false, 44100);
  backend->addOutputDevice("Broken Card", false, 44100);
  auto refusing = std::make_shared<RefusingOutputBackend>(backend, 2);
  zaudio::UseBackend(refusing);
  Open();
  Tfrmwiz& wiz = Start(ModeLineIn);
  NextTo(1);
  Choose(wiz.devicecom, "Headphones");
  ASSERT_EQ(zaudio::GetDevice(), 1u);
  ASSERT_EQ(wiz.sourcecom->currentText(), "Line In");
  wiz.sourcecom->setCurrentIndex(2);  // chosen by hand: "Analog Input"
  emit wiz.sourcecom->activated(2);
  ASSERT_EQ(backend->openDevice(), 2);

  Choose(wiz.devicecom, "Broken Card");
  EXPECT_EQ(messages.texts(), QStringList{QString::number(zaudio::ERROR_DRIVER)});
  EXPECT_EQ(messages.shown[0].kind, MsgKind::Information);
  EXPECT_FALSE(messages.ended);
  EXPECT_EQ(refusing->opened, (std::vector<int>{-1, 1, 2, 1}));
  EXPECT_EQ(zaudio::GetDevice(), 1u);
  EXPECT_EQ(wiz.devicecom->currentText(), "Headphones");
  EXPECT_EQ(wiz.devicecom->count(), 3);
  EXPECT_EQ(wiz.sourcecom->currentText(), "Analog Input");
  EXPECT_EQ(wiz.sourcecom->count(), 3);
  EXPECT_EQ(backend->openDevice(), 2) << "the chosen source is open again";
}
