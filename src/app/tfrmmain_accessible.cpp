// What a screen reader reads of the main window and how a keyboard reaches
// it: names for the icon buttons, the lists and the pictures, text for what
// the pictures show, a tab order that follows the layout, and the lists'
// context menus and the link labels from the keyboard.
#include <QKeyEvent>

#include "app/tfrmmain.h"
#include "app/tspectrum.h"
#include "recording/silence.h"
#include "services/accessible_names.h"

void Tfrmmain::BuildAccessibility() {
  using accessible::Name;
  for (QPushButton* b : {btnplay, btndel, btntagedit, btngoto, btnaddtask, btnedittask, btndeltask, btnruntask})
    accessible::NameFromHint(b);
  Name(Rslist, grecsource->title(), QStringLiteral("The device or input to record from"));
  Name(Cvolume, QStringLiteral("Volume"), QStringLiteral("The record source's volume"));
  Name(btnsourcerefresh, btnsourcerefresh->text(), QStringLiteral("Lists the record sources again"));
  Name(cchannel, QStringLiteral("Channels"));
  Name(csample, QStringLiteral("Sample rate"));
  Name(cbit, QStringLiteral("Bits per sample"));
  Name(cformat, QStringLiteral("File format"));
  Name(cdar, cdar->text(), QStringLiteral("Acts on silence as the options set: pauses, stops or starts a new file"));
  Name(vistalabel, vistalabel->text(), QStringLiteral("Shows how to record what the computer plays"));
  Name(outlabel, outlabel->text(), QStringLiteral("Chooses the folder recordings are written to"));
  Name(Reclist, greclist->title());
  Name(tasklist, QStringLiteral("Recording tasks"));
  Name(PaintFrame, QStringLiteral("Spectrum"));
  accessible::SetTextAlternative(PaintFrame, QStringLiteral("Idle"));
  Name(PB, QStringLiteral("Level display"));
  accessible::SetTextAlternative(PB, QStringLiteral("Idle"));

  // The links take the focus from the keyboard and click on Enter or Space.
  for (QLabel* link : {vistalabel, outlabel}) link->setFocusPolicy(Qt::TabFocus);
  // The lists open their menus on Shift+F10 as they do on the menu key.
  for (QTreeWidget* list : {Reclist, tasklist}) list->installEventFilter(this);

  // Top to bottom, left to right: the source and settings, the output
  // folder, the buttons, then the list below them.
  const std::vector<QWidget*> order = {Rslist,   Cvolume,    vistalabel,  btnsourcerefresh, cchannel,    csample,
                                       cbit,     cformat,    cdar,        outlabel,         btnrec,      btnpause,
                                       btnstop,  btnoption,  btnwiz,      btnreclist,       btnschedule, btnhelp,
                                       BtnAbout, Reclist,    btnplay,     btndel,           btntagedit,  btngoto,
                                       tasklist, btnaddtask, btnedittask, btndeltask,       btnruntask};
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  // Record keeps the focus the window opens with.
  btnrec->setFocus();
}

void Tfrmmain::OpenListMenuFromKeyboard(QTreeWidget* list) {
  // In the list's viewport, as a click reports it.
  const QModelIndex current = list->currentIndex();
  emit list->customContextMenuRequested(current.isValid() ? list->visualRect(current).center() : QPoint(0, 0));
}

bool Tfrmmain::LinkKeyPressed(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier) return false;
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter && key->key() != Qt::Key_Space) return false;
  if (watched == vistalabel) vistalabelClick();
  if (watched == outlabel && outlabel->isEnabled()) outlabelClick();
  return true;
}

void Tfrmmain::DescribeLevels(std::uint32_t levelWord) {
  const int left = LevelToDb(static_cast<int>(levelWord & 0xFFFF), 32768);
  const int right = LevelToDb(static_cast<int>(levelWord >> 16), 32768);
  accessible::SetTextAlternative(PB, QStringLiteral("Left %1 dB, right %2 dB").arg(left).arg(right));
}

void Tfrmmain::DescribeSpectrum() {
  const zaudio::DWORD channel = FRecordChannel != 0 ? FRecordChannel : FPlayStream;
  zaudio::ChannelInfo info;
  if (channel == 0 || !zaudio::ChannelGetInfo(channel, &info)) return;
  const int hz = FSpectrum->LoudestFrequency(static_cast<int>(info.freq));
  // Two figures are enough to hear where the sound lies, and the text stays
  // still while the sound does.
  int unit = 1;
  while (hz / unit >= 100) unit *= 10;
  const int rounded = hz / unit * unit;
  accessible::SetTextAlternative(
      PaintFrame, hz == 0 ? QStringLiteral("Silent") : QStringLiteral("Loudest near %1 Hz").arg(rounded));
}
