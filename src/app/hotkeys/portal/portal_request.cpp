#include "app/hotkeys/portal/portal_request.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "app/hotkeys/portal/portal_names.h"

namespace hotkeys::portal {

PortalRequest::PortalRequest(QDBusConnection bus) : bus_(std::move(bus)), token_(NewToken()) {}

PortalRequest::~PortalRequest() { StopListening(); }

void PortalRequest::Listen(const QString& path) {
  StopListening();
  if (bus_.connect(kService, path, kRequestInterface, QStringLiteral("Response"), this,
                   SLOT(OnResponse(QDBusMessage))))
    path_ = path;
}

void PortalRequest::StopListening() {
  if (path_.isEmpty()) return;
  bus_.disconnect(kService, path_, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(OnResponse(QDBusMessage)));
  path_.clear();
}

void PortalRequest::Send(const QDBusMessage& call) {
  const QString predicted = RequestPath(bus_, token_);
  Listen(predicted);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, predicted](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    QDBusPendingReply<QDBusObjectPath> reply = *w;
    if (reply.isError()) {
      StopListening();
      if (!abandoned_) emit Failed(reply.error().message());
      deleteLater();
      return;
    }
    // A portal that ignores handle_token names another path; its answer
    // comes there.
    const QString handle = reply.value().path();
    if (handle != predicted && !path_.isEmpty()) Listen(handle);
  });
}

void PortalRequest::Abandon() { abandoned_ = true; }

void PortalRequest::OnResponse(const QDBusMessage& message) {
  if (path_.isEmpty()) return;  // answered already
  StopListening();
  const QList<QVariant> args = message.arguments();
  const uint code = args.value(0).toUInt();
  const QVariantMap results = qdbus_cast<QVariantMap>(args.value(1));
  if (abandoned_) {
    const QString session = SessionHandleOf(results);
    if (code == 0 && !session.isEmpty()) CloseSession(bus_, session);
  } else {
    emit Answered(code, results);
  }
  deleteLater();
}

QString SessionHandleOf(const QVariantMap& results) {
  const QVariant v = results.value(QStringLiteral("session_handle"));
  if (v.metaType() == QMetaType::fromType<QDBusObjectPath>()) return v.value<QDBusObjectPath>().path();
  return v.toString();
}

void CloseSession(const QDBusConnection& bus, const QString& session) {
  if (session.isEmpty()) return;
  QDBusConnection(bus).send(
      QDBusMessage::createMethodCall(kService, session, kSessionInterface, QStringLiteral("Close")));
}

}  // namespace hotkeys::portal
