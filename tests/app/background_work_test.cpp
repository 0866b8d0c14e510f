// Waiting for slow work without freezing the window: timers still run while
// the work goes on, and work started in the background reports back on the
// window's thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <thread>

#include "app/background_work.h"
#include "support/wav_file.h"

TEST(BackgroundWork, TimersRunWhileTheWorkIsAwaited) {
  bool ticked = false;
  QTimer::singleShot(10, [&] { ticked = true; });
  bool sawTick = false;
  const bool result = RunResponsively([&] {
    // The timer fires on the waiting thread while this one works.
    sawTick = zovedu_test::WaitUntil([&] { return ticked; }, std::chrono::seconds(20));
    return true;
  });
  EXPECT_TRUE(result);
  EXPECT_TRUE(sawTick);
}

TEST(BackgroundWork, ResultArrivesOnTheCallersThread) {
  BackgroundWork work;
  const auto caller = std::this_thread::get_id();
  std::thread::id ranOn, reportedOn;
  bool reported = false;
  work.start([&] {
    ranOn = std::this_thread::get_id();
    return false;
  },
             [&](bool result) {
               reportedOn = std::this_thread::get_id();
               reported = !result;
             });
  work.waitAll();
  ASSERT_TRUE(zovedu_test::WaitUntil([&] {
    QCoreApplication::processEvents();
    return reported;
  }));
  EXPECT_NE(ranOn, caller);
  EXPECT_EQ(reportedOn, caller);
}
