#include "services/message_service.h"

#include <QApplication>
#include <QMessageBox>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

QMessageBox::Icon IconOf(MsgKind kind) {
  switch (kind) {
    case MsgKind::Error:
    case MsgKind::System:
      return QMessageBox::Critical;
    case MsgKind::Warning:
      return QMessageBox::Warning;
    case MsgKind::Confirmation:
      return QMessageBox::Question;
    case MsgKind::Information:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

QString DefaultCaption(MsgKind kind) {
  switch (kind) {
    case MsgKind::Error:
      return QStringLiteral("Error");
    case MsgKind::Warning:
      return QStringLiteral("Warning");
    case MsgKind::Confirmation:
      return QStringLiteral("Confirm");
    case MsgKind::Information:
      return QStringLiteral("Information");
    case MsgKind::System:
      return QStringLiteral("Error");
  }
  return {};
}

std::atomic<bool> g_unattended{false};

// A long path or address has no blanks to wrap at: zero-width spaces after
// its slashes and every 40 characters let the box wrap it rather than grow
// wider than the screen.
QString Breakable(const QString& text) {
  QString out;
  int run = 0;
  for (const QChar c : text) {
    out += c;
    if (c.isSpace()) {
      run = 0;
      continue;
    }
    if (c == u'/' || ++run >= 40) {
      out += QChar(0x200B);
      run = 0;
    }
  }
  return out;
}

class DesktopMessageService final : public MessageService {
 public:
  MsgAnswer show(MsgKind kind, const QString& text, MsgButtons buttons,
                 const QString& caption) override {
    if (g_unattended) {
      std::fprintf(stderr, "zovedu: %s\n", qPrintable(text));
      return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::None;
    }
    QMessageBox box(IconOf(kind), caption.isEmpty() ? DefaultCaption(kind) : caption, Breakable(text));
    switch (buttons) {
      case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
      case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
      case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
      case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
      case QMessageBox::Ok:
        return MsgAnswer::Ok;
      case QMessageBox::Yes:
        return MsgAnswer::Yes;
      case QMessageBox::No:
        return MsgAnswer::No;
      case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
      default:
        // Closed without a button (the program ending under it): what
        // Escape would have meant.
        switch (buttons) {
          case MsgButtons::Ok: return MsgAnswer::Ok;
          case MsgButtons::YesNo: return MsgAnswer::No;
          case MsgButtons::YesNoCancel:
          case MsgButtons::OkCancel: return MsgAnswer::Cancel;
        }
        return MsgAnswer::None;
    }
  }

  [[noreturn]] void endProgram(MsgKind kind, const QString& text) override {
    show(kind, text, MsgButtons::Ok, QString());
    std::exit(EXIT_FAILURE);
  }
};

DesktopMessageService g_desktop;
MessageService* g_service = &g_desktop;

}  // namespace

MessageService& Messages() { return *g_service; }

void SetMessageService(MessageService* service) { g_service = service ? service : &g_desktop; }

void SetUnattended(bool on) { g_unattended = on; }
bool Unattended() { return g_unattended; }

void ShowAppError(const QString& text) {
  Messages().show(MsgKind::Error, text, MsgButtons::Ok, QApplication::applicationName());
}
