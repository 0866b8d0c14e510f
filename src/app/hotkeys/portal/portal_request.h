// One portal method that answers later through a Request object's Response
// signal. The Response is subscribed to on the path the portal will use
// before the call goes out, so an answer that comes at once is not missed.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace hotkeys::portal {

class PortalRequest : public QObject {
  Q_OBJECT

 public:
  // Response codes: the user cancelled, the desktop ended the interaction.
  static constexpr uint kCancelled = 1;
  static constexpr uint kEnded = 2;

  // Owns itself: it deletes itself once answered, failed or abandoned and
  // answered.
  explicit PortalRequest(QDBusConnection bus);
  ~PortalRequest() override;

  // The handle_token the call's options must carry.
  const QString& Token() const { return token_; }
  // Sends the call; Answered or Failed follows.
  void Send(const QDBusMessage& call);
  // No signal is emitted any more; a session the answer opens is closed.
  void Abandon();

 signals:
  void Answered(uint code, const QVariantMap& results);
  void Failed(const QString& error);

 private slots:
  void OnResponse(const QDBusMessage& message);

 private:
  void Listen(const QString& path);
  void StopListening();

  QDBusConnection bus_;
  QString token_;
  QString path_;  // where the Response is listened for; empty when not
  bool abandoned_ = false;
};

// The session handle in a CreateSession answer (sent as string or object
// path); empty when there is none.
QString SessionHandleOf(const QVariantMap& results);
// Closes a portal session; the answer is not waited for.
void CloseSession(const QDBusConnection& bus, const QString& session);

}  // namespace hotkeys::portal
