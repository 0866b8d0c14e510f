// The about box: its texts and its two links.
#include <QCoreApplication>
#include <QMouseEvent>

#include "dialogs/tfrmabout.h"
#include "main_window_fixture.h"

namespace {
void Click(QWidget* w) {
  const QPointF at(2, 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &press);
  QCoreApplication::sendEvent(w, &release);
}
}  // namespace

TEST(AboutBox, ShowsTheProductAndOpensItsLinks) {
  TestDesktop desktop;
  Tfrmabout about(kOfficialSite, kSupportAddress, nullptr);
  EXPECT_EQ(about.windowTitle(), "About...");
  EXPECT_EQ(about.lproduct->text(), "Zovedu");
  EXPECT_TRUE(about.lproduct->font().bold());
  EXPECT_TRUE(about.lproduct->font().italic());
  EXPECT_EQ(about.lsite->text(), kOfficialSite);
  EXPECT_EQ(about.lsupport->text(), kSupportAddress);
  EXPECT_EQ(about.btnok->text(), "&Ok");
  EXPECT_TRUE(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  about.show();
  Click(about.lsite);
  Click(about.lsupport);
  ASSERT_EQ(desktop.opened.size(), 2);
  EXPECT_EQ(desktop.opened[0], kOfficialSite);
  EXPECT_EQ(desktop.opened[1], QString("mailto:") + kSupportAddress);

  about.btnok->click();
  EXPECT_EQ(about.result(), QDialog::Accepted);
}
