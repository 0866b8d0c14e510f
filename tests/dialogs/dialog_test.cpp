// Navigation, buttons, opening and closing, the folder button, the name
// preview and the split accessors of the options dialog.
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>

#include "option_fixture.h"
#include "services/clock.h"
#include "support/test_desktop.h"

TEST_F(OptionDialogTest, TreeHasSixteenNodesAndPagesTheirNames) {
  const char* captions[] = {"DAR TM", "Output", "Misc", "Split Recording", "DSP", "Compressor", "AGC",
                            "Filters", "Hot Key", "MP3", "WMA", "OGG", "Lossless Codec", "AAC", "MPC", "Speex"};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(dlg->Node(i)->text(0), QString::fromLatin1(captions[i])) << i;
  for (int i = 5; i <= 7; ++i) EXPECT_EQ(dlg->Node(i)->parent(), dlg->Node(4));
  const char* pages[] = {"darsheet", "outputsheet", "Miscsheet", "splitsheet", "compresheet",
                         "agcsheet", "filtersheet", "hotkeysheet", "mp3sheet", "wmasheet",
                         "oggsheet", "TabSheet1", "aacsheet", "mpcsheet", "speexsheet"};
  auto* stack = as<QStackedWidget>("PageControl1");
  ASSERT_EQ(stack->count(), 15);
  for (int p = 0; p < 15; ++p) EXPECT_EQ(stack->widget(p)->objectName(), QString::fromLatin1(pages[p]));
  EXPECT_EQ(stack->widget(3)->windowTitle(), "Split recording");
  EXPECT_EQ(dlg->windowTitle(), "Options");
  // The sizes at the program's font are checked with the captions.
  EXPECT_TRUE(dlg->rect().contains(stack->geometry()));
}

TEST_F(OptionDialogTest, SelectingNodesShowsPagesAndDspKeepsThePage) {
  auto* stack = as<QStackedWidget>("PageControl1");
  dlg->SelectNode(2);
  EXPECT_EQ(stack->currentIndex(), 2);
  dlg->SelectNode(4);
  EXPECT_EQ(stack->currentIndex(), 2);
  dlg->SelectNode(5);
  EXPECT_EQ(stack->currentIndex(), 4);
  dlg->SelectNode(15);
  EXPECT_EQ(stack->currentIndex(), 14);
  dlg->ShowPage(FormatSettingsPage(1));
  EXPECT_EQ(stack->currentIndex(), 8);
  EXPECT_EQ(as<QTreeWidget>("treeopt")->currentItem(), dlg->Node(9));
}

TEST_F(OptionDialogTest, TheTreeNeverCollapses) {
  auto* tree = as<QTreeWidget>("treeopt");
  EXPECT_TRUE(dlg->Node(4)->isExpanded());
  tree->collapseItem(dlg->Node(4));
  EXPECT_TRUE(dlg->Node(4)->isExpanded());
  tree->collapseAll();
  EXPECT_TRUE(dlg->Node(4)->isExpanded());
}

TEST_F(OptionDialogTest, OpeningOverAStayOnTopMainWindowRestoresItOnClose) {
  link.stayOnTop = true;
  QTimer::singleShot(0, dlg.get(), [this] {
    EXPECT_FALSE(link.stayOnTop) << "normal while the dialog shows";
    EXPECT_EQ(dlg->Tag, 1);
    click("btncancel");
  });
  EXPECT_EQ(dlg->ShowModalFromMain(), QDialog::Rejected);
  EXPECT_TRUE(link.stayOnTop);
  EXPECT_EQ(dlg->Tag, 0);
  EXPECT_FALSE(QFile::exists(iniPath())) << "Cancel writes nothing";
}

TEST_F(OptionDialogTest, TagFromTheStayOnTopBoxAppliesOnClose) {
  dlg->PrepareOpenFromMain();
  EXPECT_EQ(dlg->Tag, 0);
  EXPECT_TRUE(link.stayOnTopCalls.isEmpty());
  click("csot");
  dlg->reject();
  EXPECT_EQ(link.stayOnTopCalls, QList<bool>{true});
  click("csot");
  dlg->reject();
  EXPECT_EQ(link.stayOnTopCalls, (QList<bool>{true, false}));
  dlg->reject();  // Tag 0: nothing
  EXPECT_EQ(link.stayOnTopCalls.size(), 2);
}

// An empty or zero custom limit stays as typed: it means no split.
TEST_F(OptionDialogTest, OkRefreshesTheFormatAndSavesAnEmptyCustomLimitAsTyped) {
  dlg->LoadSettings();
  click("csplitnew");
  click("csplitcs");
  as<QLineEdit>("esplitcs")->setText("");
  as<QLineEdit>("esplitcl")->setText("0");
  as<QSlider>("barcomgain")->setValue(12);
  click("btnok");
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_EQ(link.calls, QStringList{"formatinfo"});
  EXPECT_EQ(value("esplitcs"), "");
  EXPECT_EQ(value("esplitcl"), "0");
  EXPECT_EQ(dlg->SplitLimit(), 0);
  EXPECT_EQ(ini().ReadString("Split", "CustomSize", QStringLiteral("absent")), "");
  EXPECT_EQ(ini().ReadInteger("Compressor", "Gain", 0), 12);
}

TEST_F(OptionDialogTest, CancelKeepsChangedControlsInEffect) {
  as<QSlider>("barcomgain")->setValue(12);
  click("btncancel");
  EXPECT_EQ(dlg->result(), QDialog::Rejected);
  EXPECT_EQ(value("barcomgain"), 12);
  EXPECT_FALSE(QFile::exists(iniPath()));
}

TEST_F(OptionDialogTest, FolderButtonSetsTheFolderWithATrailingSlash) {
  TestDesktop desktop;
  desktop.folders = {QStringLiteral("/data/take")};
  click("SpeedButton1");
  EXPECT_EQ(value("Efolder"), "/data/take/");
  EXPECT_EQ(link.outputFolder, "/data/take/");
  ASSERT_EQ(desktop.browseTitles.size(), 1);
  EXPECT_EQ(desktop.browseTitles[0], "Please select folder which your recording file output");

  click("SpeedButton1");  // cancelled: nothing changes
  EXPECT_EQ(value("Efolder"), "/data/take/");
  EXPECT_EQ(link.outputFolder, "/data/take/");
}

TEST_F(OptionDialogTest, NamePreviewFollowsTheRuleAndTheFormat) {
  FixedClock clock(QDateTime(QDate(2024, 12, 9), QTime(14, 5)));
  SetClock(&clock);
  link.format = 1;
  dlg->LoadSettings();
  dlg->ShowPage(1);
  auto* preview = as<QLabel>("lsname");
  EXPECT_EQ(preview->text(), "Rectest-01.mp3");
  click("cdatatime");
  as<QComboBox>("comdatatime")->setCurrentIndex(4);
  EXPECT_EQ(preview->text(), "09/Rectest-14-05-01.mp3");
  click("caiu");
  as<QLineEdit>("eprefix")->setText("Take");
  EXPECT_EQ(preview->text(), "09/Take-14-05.mp3");
  click("cprefix");
  click("cdatatime");
  EXPECT_EQ(preview->text(), "SingleName.mp3");
  EXPECT_EQ(dlg->NextOutputName(false, 3), "SingleName.mp3");
  SetClock(nullptr);
}

TEST_F(OptionDialogTest, SplitAccessors) {
  dlg->LoadSettings();
  EXPECT_EQ(dlg->SplitMode(), -1);
  EXPECT_FALSE(dlg->SplitCreatesNewFile());
  const struct {
    const char* box;
    const char* radio;
    int mode;
    qint64 limit;
  } cases[] = {
      {"csplitnew", "csplit74", 0, 4440},        {"csplitstop", "csplit80", 0, 4800},
      {"csplitnew", "csplit650", 1, 681574400},  {"csplitstop", "csplit700", 1, 734003200},
      {"csplitnew", "csplitcl", 0, 90},          {"csplitnew", "csplitcs", 1, 4096LL * 1048576},
  };
  as<QLineEdit>("esplitcl")->setText("90");
  as<QLineEdit>("esplitcs")->setText("4096");
  for (const auto& c : cases) {
    if (!value(c.box).toBool()) click(c.box);
    click(c.radio);
    EXPECT_EQ(dlg->SplitMode(), c.mode) << c.radio;
    EXPECT_EQ(dlg->SplitLimit(), c.limit) << c.radio;
    EXPECT_EQ(dlg->SplitCreatesNewFile(), QString(c.box) == "csplitnew") << c.radio;
  }
  click("csplitnew");  // unchecks it: neither box is checked now
  EXPECT_EQ(dlg->SplitMode(), -1);
  EXPECT_FALSE(enabled("csplit74"));
  EXPECT_FALSE(enabled("esplitcs"));
}
