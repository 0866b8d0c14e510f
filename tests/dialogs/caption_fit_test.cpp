// Every caption of the options dialog shows whole, at the program's font and
// at 1.25 times it: labels, check boxes, radio buttons, push buttons, group
// titles, tree items and the items of each list's popup; and the tree shows
// all of its nodes without scrolling.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStackedWidget>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "option_fixture.h"
#include "support/caption_fit.h"
#include "support/program_font.h"

namespace {

using Problems = std::vector<std::string>;

std::string Describe(const QWidget* w, const QString& text, int need, int have) {
  return QStringLiteral("%1/%2 '%3': needs %4 px, has %5 px")
      .arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()), text)
      .arg(need)
      .arg(have)
      .toStdString();
}

// The closed box shows its current item whole (its minimum size is that of
// the longest item) and the opened list shows the longest item whole.
void CheckCombo(QComboBox* combo, Problems& out) {
  if (combo->count() == 0) return;
  if (combo->sizeAdjustPolicy() != QComboBox::AdjustToMinimumContentsLengthWithIcon &&
      combo->width() < combo->minimumSizeHint().width())
    out.push_back(Describe(combo, combo->currentText(), combo->minimumSizeHint().width(), combo->width()));
  combo->showPopup();
  QAbstractItemView* view = combo->view();
  const int need = view->sizeHintForColumn(0);
  const int have = view->viewport()->width();
  if (need > have) out.push_back(Describe(combo, QStringLiteral("(longest item in the list)"), need, have));
  if (view->horizontalScrollBar()->isVisible())
    out.push_back(Describe(combo, QStringLiteral("(list scrolls sideways)"), need, have));
  combo->hidePopup();
}

// The visible controls below `root` (the current page and the dialog's frame).
void CheckCaptions(QWidget* root, Problems& out) {
  const int fontPixels = QFontInfo(root->font()).pixelSize();
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    // No caption is squeezed in by a smaller font.
    if (QFontInfo(w->font()).pixelSize() < fontPixels)
      out.push_back(Describe(w, QStringLiteral("(font pixels)"), fontPixels, QFontInfo(w->font()).pixelSize()));
    if (auto* combo = qobject_cast<QComboBox*>(w)) CheckCombo(combo, out);
    else zovedu_test::CheckCaption(w, out);
  }
}

using zovedu_test::Joined;

// The program's font (see the application set-up), scaled.
QFont ProgramFont(double scale) { return zovedu_test::ProgramFont(qRound(zovedu_test::kBasePixels * scale)); }

class OptionCaptionFit : public ::testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    saved_ = QApplication::font();
    QApplication::setFont(ProgramFont(GetParam()));
    ASSERT_TRUE(dir_.isValid());
    link_.workFolder = dir_.path() + QStringLiteral("/");
    dlg_ = std::make_unique<Tfrmoption>(&link_);
    dlg_->show();
  }
  void TearDown() override {
    dlg_.reset();
    QApplication::setFont(saved_);
  }
  // Shows the node's page with its layout done.
  void Select(int node) {
    dlg_->SelectNode(node);
    QApplication::sendPostedEvents();
    if (QWidget* page = dlg_->PageControl1->currentWidget(); page && page->layout()) page->layout()->activate();
    QApplication::sendPostedEvents();
  }

  QFont saved_;
  QTemporaryDir dir_;
  FakeLink link_;
  TestMessages messages_;
  std::unique_ptr<Tfrmoption> dlg_;
};

TEST_P(OptionCaptionFit, EveryPageShowsItsCaptionsWhole) {
  for (int node = 0; node < 16; ++node) {
    Select(node);
    Problems problems;
    CheckCaptions(dlg_.get(), problems);
    EXPECT_TRUE(problems.empty()) << "node " << node << " ("
                                  << dlg_->Node(node)->text(0).toStdString() << "):\n"
                                  << Joined(problems);
  }
}

TEST_P(OptionCaptionFit, TheTreeShowsAllNodesWholeWithoutScrolling) {
  // Selecting the last node must not scroll the first out of view.
  Select(15);
  Problems problems;
  zovedu_test::CheckCaption(dlg_->treeopt, problems);
  EXPECT_TRUE(problems.empty()) << Joined(problems);
  EXPECT_TRUE(zovedu_test::AllItemsVisible(dlg_->treeopt));
  EXPECT_FALSE(dlg_->treeopt->verticalScrollBar()->isVisible());
  EXPECT_EQ(dlg_->treeopt->verticalScrollBar()->value(), 0);
}

// Value labels keep room for every value their slider can take.
TEST_P(OptionCaptionFit, ValueLabelsStayWholeAtTheSliderEnds) {
  for (int node = 0; node < 16; ++node) {
    Select(node);
    for (QSlider* slider : dlg_->PageControl1->currentWidget()->findChildren<QSlider*>()) {
      for (int v : {slider->minimum(), slider->maximum()}) {
        slider->setValue(v);
        Select(node);
        Problems problems;
        CheckCaptions(dlg_->PageControl1->currentWidget(), problems);
        EXPECT_TRUE(problems.empty()) << slider->objectName().toStdString() << " at " << v << ":\n"
                                      << Joined(problems);
      }
    }
  }
}

// The pages sit inside the dialog and no control reaches past its page.
TEST_P(OptionCaptionFit, PagesAndButtonsLieInsideTheDialog) {
  const QRect inside = dlg_->rect();
  for (QWidget* w : {static_cast<QWidget*>(dlg_->treeopt), static_cast<QWidget*>(dlg_->PageControl1),
                     static_cast<QWidget*>(dlg_->btndall), static_cast<QWidget*>(dlg_->btndef),
                     static_cast<QWidget*>(dlg_->btnok), static_cast<QWidget*>(dlg_->btncancel)})
    EXPECT_TRUE(inside.contains(w->geometry())) << w->objectName().toStdString();
  for (int node = 0; node < 16; ++node) {
    Select(node);
    QWidget* page = dlg_->PageControl1->currentWidget();
    const QSize need = page->layout()->hasHeightForWidth()
                           ? QSize(page->minimumSizeHint().width(), page->layout()->totalHeightForWidth(page->width()))
                           : page->minimumSizeHint();
    EXPECT_GE(page->width(), need.width()) << page->objectName().toStdString();
    EXPECT_GE(page->height(), need.height()) << page->objectName().toStdString();
  }
}

// At the program's own font the designed sizes hold where the text allows:
// the tree keeps its width and the buttons their size, and nothing shrinks.
// A larger font makes the whole dialog larger.
TEST(OptionDialogSize, KeepsTheDesignWhereTheTextAllowsAndGrowsWithTheFont) {
  const QFont saved = QApplication::font();
  QTemporaryDir dir;
  FakeLink link;
  link.workFolder = dir.path() + QStringLiteral("/");
  QApplication::setFont(ProgramFont(1.0));
  auto dlg = std::make_unique<Tfrmoption>(&link);
  EXPECT_GE(dlg->width(), 495);
  EXPECT_GE(dlg->height(), 271);
  EXPECT_EQ(dlg->treeopt->width(), 128);
  for (QPushButton* b : {dlg->btndall, dlg->btndef, dlg->btnok, dlg->btncancel})
    EXPECT_EQ(b->size(), QSize(78, 25)) << b->objectName().toStdString();
  const QSize base = dlg->size();

  QApplication::setFont(ProgramFont(1.25));
  dlg = std::make_unique<Tfrmoption>(&link);
  EXPECT_GT(dlg->width(), base.width());
  EXPECT_GT(dlg->height(), base.height());
  EXPECT_GT(dlg->treeopt->width(), 128);
  dlg.reset();
  QApplication::setFont(saved);
}

INSTANTIATE_TEST_SUITE_P(Fonts, OptionCaptionFit, ::testing::Values(1.0, 1.25),
                         [](const ::testing::TestParamInfo<double>& info) {
                           return info.param == 1.0 ? std::string("ProgramFont") : std::string("Larger");
                         });

}  // namespace
