// The portal may answer a call before its reply reaches us, so the answer's
// signal must be subscribed to before the call goes out. dbus-monitor shows
// the order our calls reach the bus in.
#include <QProcess>

#include "portal_fixture.h"

namespace portal_test {
namespace {

TEST_F(PortalTest, EachAnswerIsSubscribedToBeforeItsCall) {
  QProcess monitor;
  monitor.start("dbus-monitor", {"--address", bus.Address(), "type='method_call'"});
  ASSERT_TRUE(monitor.waitForStarted(20000));
  QByteArray seen;
  auto saw = [&](const char* text) {
    return PumpUntil([&] {
      seen += monitor.readAllStandardOutput();
      return seen.contains(text);
    });
  };
  // The monitor has its own name and gives it up once it watches.
  ASSERT_TRUE(saw("NameLost")) << seen.toStdString();

  ASSERT_NO_FATAL_FAILURE(InstallAndWaitForBind());
  ASSERT_TRUE(saw("member=BindShortcuts")) << seen.toStdString();
  monitor.kill();
  monitor.waitForFinished(20000);

  // Our calls in the order the bus took them: a subscription to a request's
  // Response, then the call that request belongs to.
  QStringList order;
  for (const QString& call : QString::fromUtf8(seen).split("method call ")) {
    if (call.contains("member=AddMatch") && call.contains("member='Response'")) order << "subscribe";
    if (call.contains("member=CreateSession")) order << "CreateSession";
    if (call.contains("member=BindShortcuts")) order << "BindShortcuts";
  }
  EXPECT_EQ(order, QStringList({"subscribe", "CreateSession", "subscribe", "BindShortcuts"})) << seen.toStdString();
}

}  // namespace
}  // namespace portal_test
