// TheDesktop().open() with the real desktop: xdg-open is a script on a
// private PATH that notes its argument and exits with a chosen code, or is
// missing. A failed open must name the whole address in a message.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "services/desktop.h"
#include "support/scratch_dir.h"
#include "support/test_messages.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(30);

// Children of this process that have not been reaped yet, from every thread.
int LiveChildren() {
  int count = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream in(task.path() / "children");
    std::string pid;
    while (in >> pid) ++count;
  }
  return count;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class DesktopOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    savedPath_ = qgetenv("PATH");
    std::filesystem::create_directory(scratch_ / "bin");
    qputenv("PATH", QByteArray::fromStdString((scratch_ / "bin").string()));
  }
  void TearDown() override { qputenv("PATH", savedPath_); }

  // An xdg-open that writes its arguments to opened.txt and exits with `code`.
  void InstallOpener(int code) {
    const auto script = scratch_ / "bin" / "xdg-open";
    std::ofstream(script) << "#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s\\n' \"$@\" > '" << opened().string() << ".part'\nmv '"
                          << opened().string() << ".part' '" << opened().string() << "'\nexit " << code << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }

  // Runs events until the opener has been reaped, so that whatever it
  // made the program do has happened.
  void WaitForOpenerEnd() {
    const auto deadline = Clock::now() + kDeadline;
    while (LiveChildren() > 0 || !std::filesystem::exists(opened())) {
      ASSERT_LT(Clock::now(), deadline) << "xdg-open did not run and end in time";
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QCoreApplication::processEvents();
  }

  std::filesystem::path opened() const { return scratch_ / "opened.txt"; }

  zovedu_test::ScratchDir scratch_;
  TestMessages messages_;
  QByteArray savedPath_;
};

struct OpenCase {
  const char* target;
  int exitCode;
  const char* given;    // what xdg-open is handed: a web address goes encoded
  const char* message;  // empty: none expected
};

TEST_F(DesktopOpen, AFailedOpenNamesTheTargetToCopy) {
  const OpenCase cases[] = {
      {"https://www.zovedu.org/help/", 0, "https://www.zovedu.org/help/", ""},
      {"https://www.zovedu.org/help/", 3, "https://www.zovedu.org/help/",
       "No web browser could be opened. The address is:\nhttps://www.zovedu.org/help/"},
      {"https://www.zovedu.org/help/stereo-mix.html?a=b c", 1, "https://www.zovedu.org/help/stereo-mix.html?a=b%20c",
       "No web browser could be opened. The address is:\nhttps://www.zovedu.org/help/stereo-mix.html?a=b c"},
      {"mailto:support@zovedu.org", 3, "mailto:support@zovedu.org",
       "No mail program could be opened. The address is:\nsupport@zovedu.org"},
      {"/tmp/a folder", 4, "/tmp/a folder", "No program could be found to open:\n/tmp/a folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.target) + " exit " + std::to_string(c.exitCode));
    messages_.shown.clear();
    std::filesystem::remove(opened());
    InstallOpener(c.exitCode);
    EXPECT_TRUE(TheDesktop().open(QString::fromUtf8(c.target)));
    ASSERT_NO_FATAL_FAILURE(WaitForOpenerEnd());
    EXPECT_EQ(ReadAll(opened()), std::string(c.given) + "\n");
    if (*c.message == '\0') {
      EXPECT_TRUE(messages_.shown.empty()) << messages_.texts().join("|").toStdString();
    } else {
      ASSERT_EQ(messages_.shown.size(), 1u) << messages_.texts().join("|").toStdString();
      EXPECT_EQ(messages_.shown[0].text.toStdString(), c.message);
      EXPECT_EQ(messages_.shown[0].kind, MsgKind::Warning);
    }
  }
}

TEST_F(DesktopOpen, WithoutAnOpenerTheAddressIsShownAtOnce) {
  EXPECT_FALSE(TheDesktop().open(QStringLiteral("https://www.zovedu.org/help/")));
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text, "No web browser could be opened. The address is:\nhttps://www.zovedu.org/help/");
}

}  // namespace
