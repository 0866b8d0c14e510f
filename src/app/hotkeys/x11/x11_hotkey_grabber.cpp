#include "app/hotkeys/x11/x11_hotkey_grabber.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "app/hotkeys/x11/x11_keyboard_map.h"
#include "app/hotkeys/x11/x11_xkb_events.h"

namespace hotkeys {

namespace {

xcb_connection_t* QtConnection() {
  if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The modifiers that make up a combination; Lock and NumLock never count.
constexpr std::uint16_t kComparedModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 |
                                             XCB_MOD_MASK_2 | XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;

}  // namespace

struct X11HotkeyGrabber::State : QAbstractNativeEventFilter {
  // One key grab held on the server.
  struct Grab {
    xcb_window_t root;
    xcb_keycode_t keycode;
    std::uint16_t modifiers;
  };
  // One combination under a keymap: its modifier bits and keycodes.
  struct Wanted {
    int action;
    std::uint16_t modifiers;
    std::vector<xcb_keycode_t> keycodes;
    bool operator==(const Wanted&) const = default;
  };

  X11HotkeyGrabber* owner;
  xcb_connection_t* connection;
  std::vector<xcb_window_t> roots;
  std::uint8_t xkb_first_event = 0;
  std::unique_ptr<X11KeyboardMap> map;
  std::array<HotkeyCombination, kActionCount> combinations{};
  bool installed = false;
  bool regrab_queued = false;
  std::vector<Grab> grabs;
  std::vector<Wanted> wanted;  // what the last grab was made for
  std::vector<Wanted> armed;   // the combinations whose grabs all succeeded
  std::set<xcb_keycode_t> down;  // grabbed keys pressed and not yet released

  State(X11HotkeyGrabber* o, xcb_connection_t* c) : owner(o), connection(c) {
    if (!connection) return;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it))
      roots.push_back(it.data->root);
    // Without it a held key arrives as press/release pairs that cannot be told
    // from real ones; the servers in use all support it.
    EnableDetectableAutoRepeat(connection);
    xkb_first_event = XkbFirstEvent(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
  }

  ~State() override {
    if (connection && QCoreApplication::instance()) {
      QCoreApplication::instance()->removeNativeEventFilter(this);
      UngrabAll();
    }
  }

  // What the combinations need under a keymap.
  std::vector<Wanted> WantedUnder(const X11KeyboardMap& m) const {
    std::vector<Wanted> result;
    for (int action = 0; action < kActionCount; ++action) {
      const HotkeyCombination& c = combinations[action];
      if (!c.active) continue;
      std::uint16_t modifiers = 0;
      if (c.modifiers & kModControl) modifiers |= XCB_MOD_MASK_CONTROL;
      if (c.modifiers & kModShift) modifiers |= XCB_MOD_MASK_SHIFT;
      if (c.modifiers & kModAlt) modifiers |= m.AltMask();
      result.push_back(Wanted{action, modifiers, m.KeycodesOf(X11KeyboardMap::KeysymOfKey(c.key))});
    }
    return result;
  }

  void Refuse(const QString& message) { emit owner->Refused(message); }

  // Grabs what the combinations need under the given keymap.
  void GrabAll(std::unique_ptr<X11KeyboardMap> keymap) {
    map = std::move(keymap);
    wanted = WantedUnder(*map);
    const std::uint16_t numLock = map->NumLockMask();
    for (const Wanted& w : wanted) {
      const HotkeyCombination& c = combinations[w.action];
      if (w.keycodes.empty()) {
        Refuse(QStringLiteral("The hotkey %1 cannot be used: the keyboard has no %2 key.")
                   .arg(c.Text(), KeyName(c.key)));
        continue;
      }
      // The combination must work whatever the state of NumLock and CapsLock.
      std::vector<std::uint16_t> variants;
      for (const std::uint16_t extra : {std::uint16_t(0), numLock, std::uint16_t(XCB_MOD_MASK_LOCK),
                                        std::uint16_t(numLock | XCB_MOD_MASK_LOCK)}) {
        const std::uint16_t v = w.modifiers | extra;
        if (std::find(variants.begin(), variants.end(), v) == variants.end()) variants.push_back(v);
      }
      std::vector<std::pair<Grab, xcb_void_cookie_t>> requests;
      for (const xcb_window_t root : roots)
        for (const xcb_keycode_t keycode : w.keycodes)
          for (const std::uint16_t v : variants)
            // Not owner_events: while one of our windows has the focus, the
            // key's release would go there instead of to the root.
            requests.push_back({Grab{root, keycode, v},
                                xcb_grab_key_checked(connection, 0, root, v, keycode, XCB_GRAB_MODE_ASYNC,
                                                     XCB_GRAB_MODE_ASYNC)});
      std::vector<Grab> held;
      int errorCode = 0;
      for (const auto& [grab, cookie] : requests) {
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
          if (errorCode == 0) errorCode = error->error_code;
          std::free(error);
        } else {
          held.push_back(grab);
        }
      }
      if (errorCode != 0) {
        // Half a combination would act on some lock states only: give it all back.
        for (const Grab& g : held) xcb_ungrab_key(connection, g.keycode, g.root, g.modifiers);
        Refuse(errorCode == XCB_ACCESS
                   ? QStringLiteral("The hotkey %1 is used by another program.").arg(c.Text())
                   : QStringLiteral("The hotkey %1 could not be registered (X error %2).")
                         .arg(c.Text())
                         .arg(errorCode));
        continue;
      }
      grabs.insert(grabs.end(), held.begin(), held.end());
      armed.push_back(w);
    }
    xcb_flush(connection);
  }

  void UngrabAll() {
    for (const Grab& g : grabs) xcb_ungrab_key(connection, g.keycode, g.root, g.modifiers);
    if (!grabs.empty()) xcb_flush(connection);
    grabs.clear();
    armed.clear();
  }

  // Keymap events come in bursts, and the server also sends them when another
  // keyboard device (xdotool's, a second keyboard) takes over with the same
  // map: grab again once, and only when our keys or modifiers moved. Keys
  // held meanwhile stay held.
  void QueueRegrab() {
    if (!installed || regrab_queued) return;
    regrab_queued = true;
    QTimer::singleShot(0, owner, [this] {
      regrab_queued = false;
      if (!installed) return;
      auto fresh = std::make_unique<X11KeyboardMap>(connection);
      if (fresh->NumLockMask() == map->NumLockMask() && WantedUnder(*fresh) == wanted) return;
      UngrabAll();
      GrabAll(std::move(fresh));
    });
  }

  bool OnRoot(xcb_window_t window) const { return std::find(roots.begin(), roots.end(), window) != roots.end(); }

  bool KeyPress(const xcb_key_press_event_t* e) {
    if (!OnRoot(e->event)) return false;
    const std::uint16_t state = e->state & kComparedModifiers & ~map->NumLockMask();
    for (const Wanted& a : armed) {
      if (a.modifiers != state || std::find(a.keycodes.begin(), a.keycodes.end(), e->detail) == a.keycodes.end())
        continue;
      // A held key repeats its press; it acts again only after its release.
      if (!down.insert(e->detail).second) return true;
      // Delivered from the event loop, not from inside the event dispatch,
      // so that what the action opens cannot nest in it.
      QMetaObject::invokeMethod(
          owner, [this, action = a.action] { if (installed) emit owner->Activated(action); },
          Qt::QueuedConnection);
      return true;
    }
    return false;
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
      case XCB_KEY_PRESS:
        return installed && KeyPress(reinterpret_cast<const xcb_key_press_event_t*>(event));
      case XCB_KEY_RELEASE:
        // Wherever it is reported: a held key must not stay "down" for good.
        return down.erase(reinterpret_cast<const xcb_key_release_event_t*>(event)->detail) > 0;
      case XCB_MAPPING_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_mapping_notify_event_t*>(event);
        if (e->request == XCB_MAPPING_KEYBOARD || e->request == XCB_MAPPING_MODIFIER) QueueRegrab();
        return false;
      }
      default:
        if (IsXkbKeymapChange(event, xkb_first_event)) QueueRegrab();
        return false;
    }
  }
};

X11HotkeyGrabber::X11HotkeyGrabber(QObject* parent)
    : HotkeyBackend(parent), state_(std::make_unique<State>(this, QtConnection())) {}

X11HotkeyGrabber::~X11HotkeyGrabber() = default;

bool X11HotkeyGrabber::Available() { return QtConnection() != nullptr; }

void X11HotkeyGrabber::Install(const std::array<HotkeyCombination, kActionCount>& combinations) {
  Release();
  if (!state_->connection) {
    emit Refused(QStringLiteral("Global hotkeys need an X11 display."));
    return;
  }
  state_->combinations = combinations;
  state_->installed = true;
  state_->down.clear();
  state_->GrabAll(std::make_unique<X11KeyboardMap>(state_->connection));
}

void X11HotkeyGrabber::Release() {
  if (!state_->connection) return;
  state_->installed = false;
  state_->UngrabAll();
  state_->down.clear();
}

}  // namespace hotkeys
