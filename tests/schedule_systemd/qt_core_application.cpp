// QtDBus wants an application object for its connections; the tests run
// without an event loop of their own, so a plain one is enough.
#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

class CoreApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "schedule_systemd_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QCoreApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QCoreApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CoreApplication);

}  // namespace
