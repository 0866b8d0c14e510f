#include "app/hotkeys/portal/portal_global_shortcuts.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QPointer>
#include <algorithm>

#include "app/hotkeys/portal/portal_names.h"
#include "app/hotkeys/portal/portal_request.h"
#include "app/hotkeys/portal/portal_shortcut.h"

namespace hotkeys {

using namespace portal;

namespace {

const std::array<QString, kActionCount> kShortcutIds = {QStringLiteral("record"), QStringLiteral("pause"),
                                                        QStringLiteral("stop")};

QString Description(int action) {
  switch (action) {
    case kStartAction:
      return QStringLiteral("Start recording");
    case kPauseAction:
      return QStringLiteral("Pause or resume recording");
    default:
      return QStringLiteral("Stop recording");
  }
}

QString ActionName(int action) {
  switch (action) {
    case kStartAction:
      return QStringLiteral("record");
    case kPauseAction:
      return QStringLiteral("pause");
    default:
      return QStringLiteral("stop");
  }
}

int ActionOf(const QString& id) {
  for (int a = 0; a < kActionCount; ++a)
    if (kShortcutIds[a] == id) return a;
  return -1;
}

QString RefusedAll() { return QStringLiteral("The desktop refused the global hotkeys."); }

// The Available check is the only call answered before the program goes on;
// it asks a running portal for one property.
constexpr int kAvailableTimeoutMs = 3000;

}  // namespace

struct PortalGlobalShortcuts::State {
  explicit State(QDBusConnection b) : bus(std::move(b)) {}

  QDBusConnection bus;
  // Bumped by every Install and Release: answers to an older one are dropped.
  quint64 generation = 0;
  std::array<HotkeyCombination, kActionCount> combinations{};
  // The open session's handle; empty while none is open.
  QString session;
  // The shortcuts the desktop granted in that session.
  std::array<bool, kActionCount> bound{};
  bool listening = false;
  // Calls still waiting for the desktop.
  QList<QPointer<PortalRequest>> pending;
};

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus, QObject* parent)
    : HotkeyBackend(parent), state_(std::make_unique<State>(std::move(bus))) {
  RegisterPortalTypes();
}

PortalGlobalShortcuts::~PortalGlobalShortcuts() { Release(); }

bool PortalGlobalShortcuts::Available(const QDBusConnection& bus) {
  if (!bus.isConnected()) return false;
  QDBusMessage get = QDBusMessage::createMethodCall(
      kService, kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kShortcutsInterface << QStringLiteral("version");
  const QDBusMessage reply = bus.call(get, QDBus::Block, kAvailableTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().first().value<QDBusVariant>().variant().toUInt() >= 1;
}

void PortalGlobalShortcuts::Install(const std::array<HotkeyCombination, kActionCount>& combinations) {
  Release();
  state_->combinations = combinations;
  // Without an active combination no session is needed.
  if (std::any_of(combinations.begin(), combinations.end(), [](const HotkeyCombination& c) { return c.active; }))
    CreateSession(state_->generation);
}

void PortalGlobalShortcuts::Release() {
  State& s = *state_;
  ++s.generation;
  for (const QPointer<PortalRequest>& r : s.pending)
    if (r) r->Abandon();
  s.pending.clear();
  ListenToSession(false);
  CloseSession(s.bus, s.session);
  s.session.clear();
  s.bound = {};
}

void PortalGlobalShortcuts::CreateSession(quint64 generation) {
  auto* request = new PortalRequest(state_->bus);
  state_->pending.append(request);
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kObjectPath, kShortcutsInterface, QStringLiteral("CreateSession"));
  call << QVariantMap{{QStringLiteral("handle_token"), request->Token()},
                      {QStringLiteral("session_handle_token"), NewToken()}};
  connect(request, &PortalRequest::Failed, this, [this](const QString& error) {
    emit Refused(QStringLiteral("The desktop's global hotkey service failed: %1").arg(error));
  });
  connect(request, &PortalRequest::Answered, this, [this, generation](uint code, const QVariantMap& results) {
    const QString session = SessionHandleOf(results);
    if (generation != state_->generation) return CloseSession(state_->bus, session);
    if (code != 0 || session.isEmpty()) {
      emit Refused(RefusedAll());
      return CloseSession(state_->bus, session);
    }
    state_->session = session;
    ListenToSession(true);
    BindShortcuts(generation);
  });
  request->Send(call);
}

void PortalGlobalShortcuts::BindShortcuts(quint64 generation) {
  PortalShortcutList shortcuts;
  for (int a = 0; a < kActionCount; ++a) {
    const HotkeyCombination& c = state_->combinations[a];
    if (!c.active) continue;
    shortcuts.append({kShortcutIds[a], QVariantMap{{QStringLiteral("description"), Description(a)},
                                                   {QStringLiteral("preferred_trigger"), c.PortalTrigger()}}});
  }
  auto* request = new PortalRequest(state_->bus);
  state_->pending.append(request);
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kObjectPath, kShortcutsInterface, QStringLiteral("BindShortcuts"));
  call << QVariant::fromValue(QDBusObjectPath(state_->session)) << QVariant::fromValue(shortcuts) << QString()
       << QVariantMap{{QStringLiteral("handle_token"), request->Token()}};
  connect(request, &PortalRequest::Failed, this, [this](const QString& error) {
    emit Refused(QStringLiteral("The desktop's global hotkey service failed: %1").arg(error));
  });
  connect(request, &PortalRequest::Answered, this, [this, generation](uint code, const QVariantMap& results) {
    if (generation == state_->generation) Bound(code, results);
  });
  request->Send(call);
}

void PortalGlobalShortcuts::Bound(uint code, const QVariantMap& results) {
  if (code != 0) {
    emit Refused(RefusedAll());
    return;
  }
  const PortalShortcutList granted = ShortcutListOf(results.value(QStringLiteral("shortcuts")));
  for (const PortalShortcut& g : granted) {
    const int a = ActionOf(g.id);
    if (a >= 0 && state_->combinations[a].active) state_->bound[a] = true;
  }
  for (int a = 0; a < kActionCount; ++a) {
    const HotkeyCombination& c = state_->combinations[a];
    if (c.active && !state_->bound[a])
      emit Refused(QStringLiteral("The desktop did not grant the hotkey %1 (%2).").arg(c.Text(), ActionName(a)));
  }
}

void PortalGlobalShortcuts::ListenToSession(bool on) {
  State& s = *state_;
  if (s.listening == on) return;
  const QString name = QStringLiteral("Activated");
  if (on)
    s.listening =
        s.bus.connect(kService, kObjectPath, kShortcutsInterface, name, this, SLOT(OnActivated(QDBusMessage)));
  else
    s.listening =
        !s.bus.disconnect(kService, kObjectPath, kShortcutsInterface, name, this, SLOT(OnActivated(QDBusMessage)));
}

void PortalGlobalShortcuts::OnActivated(const QDBusMessage& message) {
  const QList<QVariant> args = message.arguments();
  if (args.size() < 2 || args[0].value<QDBusObjectPath>().path() != state_->session || state_->session.isEmpty())
    return;
  const int a = ActionOf(args[1].toString());
  if (a >= 0 && state_->bound[a]) emit Activated(a);
}

}  // namespace hotkeys
