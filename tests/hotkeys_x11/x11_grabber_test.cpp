// The X11 grabber with real keys: each combination acts once per press
// whatever the lock keys, a held key acts once, a combination another client
// holds is refused and none of it kept, releases give everything back, and a
// changed keymap is followed.
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "app/hotkeys/x11/x11_hotkey_grabber.h"
#include "app/hotkeys/x11/x11_keyboard_map.h"
#include "settings/hotkey_sections.h"
#include "x_test_tools.h"

using namespace zovedu_test;
using hotkeys::HotkeyCombination;

namespace {

using Combinations = std::array<HotkeyCombination, hotkeys::kActionCount>;

Combinations Defaults() { return hotkeys::Combinations({}); }

HotkeyCombination Combo(unsigned modifiers, int key) {
  HotkeyCombination c;
  c.modifiers = modifiers;
  c.key = key;
  return c;
}

xcb_connection_t* Connection() {
  return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// Counts the key presses of one keycode the root window receives, repeats included.
class PressCounter : public QAbstractNativeEventFilter {
 public:
  explicit PressCounter(xcb_keycode_t keycode) : keycode_(keycode) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~PressCounter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    const auto* e = static_cast<const xcb_generic_event_t*>(message);
    if (type == "xcb_generic_event_t" && (e->response_type & 0x7f) == XCB_KEY_PRESS &&
        reinterpret_cast<const xcb_key_press_event_t*>(e)->detail == keycode_)
      ++presses;
    return false;
  }
  int presses = 0;

 private:
  xcb_keycode_t keycode_;
};

class X11GrabberTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hotkeys::X11HotkeyGrabber::Available());
    grabber = std::make_unique<hotkeys::X11HotkeyGrabber>();
    QObject::connect(grabber.get(), &hotkeys::HotkeyBackend::Activated, [this](int a) { actions.push_back(a); });
    QObject::connect(grabber.get(), &hotkeys::HotkeyBackend::Refused,
                     [this](const QString& m) { refusals << m; });
  }
  void TearDown() override {
    grabber.reset();
    EXPECT_TRUE(SetLock(true, false));
    EXPECT_TRUE(SetLock(false, false));
  }

  // Presses a combination and waits for the action count to reach n.
  bool PressAndWait(const QString& keys, size_t n) {
    return Key(keys) && RunEventsUntil([&] { return actions.size() >= n; });
  }
  // All lock variants of Alt, as a desktop grabbing Alt+key would take them.
  static std::vector<std::uint16_t> AltVariants() {
    const std::uint16_t alt = AltMask(), num = NumLockMask();
    return {alt, std::uint16_t(alt | num), std::uint16_t(alt | XCB_MOD_MASK_LOCK),
            std::uint16_t(alt | num | XCB_MOD_MASK_LOCK)};
  }

  std::unique_ptr<hotkeys::X11HotkeyGrabber> grabber;
  std::vector<int> actions;
  QStringList refusals;
};

TEST_F(X11GrabberTest, EachCombinationActsOnceWhateverTheLockKeys) {
  ASSERT_NE(NumLockMask(), 0);  // found in the modifier map, not assumed
  grabber->Install(Defaults());
  EXPECT_TRUE(refusals.isEmpty()) << refusals.join('|').toStdString();

  ASSERT_TRUE(PressAndWait("alt+F1", 1));
  // Not a combination of ours: the next one arrives alone.
  ASSERT_TRUE(Key("shift+alt+F1"));
  ASSERT_TRUE(Key("F2"));
  ASSERT_TRUE(PressAndWait("alt+F2", 2));
  EXPECT_EQ(actions, (std::vector<int>{0, 1}));

  ASSERT_TRUE(SetLock(true, true));
  ASSERT_TRUE(PressAndWait("alt+F3", 3));
  ASSERT_TRUE(SetLock(false, true));
  ASSERT_TRUE(PressAndWait("alt+F1", 4));
  ASSERT_TRUE(SetLock(true, false));
  ASSERT_TRUE(PressAndWait("alt+F2", 5));
  ASSERT_TRUE(SetLock(false, false));
  ASSERT_TRUE(PressAndWait("alt+F3", 6));
  EXPECT_EQ(actions, (std::vector<int>{0, 1, 2, 0, 1, 2}));
}

TEST_F(X11GrabberTest, LettersDigitsShiftAndInactiveCombinations) {
  Combinations c = {Combo(hotkeys::kModControl | hotkeys::kModShift, 10),  // Ctrl+Shift+A
                    Combo(hotkeys::kModAlt, 7),                             // Alt+7
                    Combo(hotkeys::kModControl | hotkeys::kModShift, 10)};  // same as start
  c[2].active = false;
  grabber->Install(c);
  EXPECT_TRUE(refusals.isEmpty()) << refusals.join('|').toStdString();
  ASSERT_TRUE(Key("ctrl+a"));  // Shift missing
  ASSERT_TRUE(PressAndWait("ctrl+shift+a", 1));
  ASSERT_TRUE(PressAndWait("alt+7", 2));
  EXPECT_EQ(actions, (std::vector<int>{0, 1}));
}

TEST_F(X11GrabberTest, HeldKeyActsOnceUntilReleased) {
  grabber->Install(Defaults());
  hotkeys::X11KeyboardMap map(Connection());
  const auto f1 = map.KeycodesOf(XK_F1);
  ASSERT_FALSE(f1.empty());
  PressCounter counter(f1.front());
  ASSERT_TRUE(Xdotool({"keydown", "alt+F1"}));
  // The server repeats the held key; several repeats reach the root window.
  const bool repeated = RunEventsUntil([&] { return counter.presses >= 5; });
  ASSERT_TRUE(Xdotool({"keyup", "F1"}));
  ASSERT_TRUE(Xdotool({"keyup", "alt"}));
  ASSERT_TRUE(repeated) << counter.presses << " presses";
  ASSERT_TRUE(PressAndWait("alt+F2", 2));
  EXPECT_EQ(actions, (std::vector<int>{0, 1}));
  ASSERT_TRUE(PressAndWait("alt+F1", 3));  // released, so it acts again
  EXPECT_EQ(actions, (std::vector<int>{0, 1, 0}));
}

// With one of our own windows focused, the server reports a grabbed key's
// release to it, unless the grab says otherwise; a lost release would leave
// the key "held" and the next press ignored.
TEST_F(X11GrabberTest, KeysActAgainWhileOurWindowHasTheFocus) {
  QWidget window;
  window.resize(200, 100);
  window.show();
  ASSERT_TRUE(RunEventsUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
  xcb_connection_t* c = Connection();
  const auto id = static_cast<xcb_window_t>(window.winId());
  const auto focus = [c] {
    std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> r(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr), &std::free);
    return r ? r->focus : xcb_window_t(XCB_NONE);
  };
  xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, id, XCB_CURRENT_TIME);
  ASSERT_TRUE(RunEventsUntil([&] { return focus() == id; }));

  grabber->Install(Defaults());
  ASSERT_TRUE(PressAndWait("alt+F1", 1));
  ASSERT_TRUE(PressAndWait("alt+F1", 2));
  ASSERT_TRUE(PressAndWait("alt+F2", 3));
  EXPECT_EQ(actions, (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(focus(), id);
}

TEST_F(X11GrabberTest, CombinationAnotherClientHoldsIsRefusedAndNoneOfItKept) {
  auto holder = std::make_unique<GrabHolder>(XK_F1, std::vector<std::uint16_t>{AltMask()});
  ASSERT_EQ(holder->answer(), "grabbed");
  grabber->Install(Defaults());
  EXPECT_EQ(refusals, QStringList{"The hotkey Alt+F1 is used by another program."});
  // The lock variants that could be had were given back.
  {
    const std::uint16_t alt = AltMask(), num = NumLockMask();
    GrabHolder variants(XK_F1, {std::uint16_t(alt | num), std::uint16_t(alt | XCB_MOD_MASK_LOCK),
                                std::uint16_t(alt | num | XCB_MOD_MASK_LOCK)});
    EXPECT_EQ(variants.answer(), "grabbed");
  }
  // The other combinations work.
  ASSERT_TRUE(PressAndWait("alt+F2", 1));

  ASSERT_TRUE(holder->Release());
  refusals.clear();
  grabber->Install(Defaults());
  EXPECT_TRUE(refusals.isEmpty()) << refusals.join('|').toStdString();
  ASSERT_TRUE(PressAndWait("alt+F1", 2));
  EXPECT_EQ(actions, (std::vector<int>{1, 0}));
}

TEST_F(X11GrabberTest, ReleaseAndDestructionGiveEveryGrabBack) {
  grabber->Install(Defaults());
  EXPECT_EQ(GrabHolder(XK_F2, AltVariants()).answer(), "refused");
  grabber->Release();
  grabber->Release();  // twice is harmless
  for (const std::uint32_t key : {XK_F1, XK_F2, XK_F3}) EXPECT_EQ(GrabHolder(key, AltVariants()).answer(), "grabbed");

  grabber->Install(Defaults());
  EXPECT_TRUE(refusals.isEmpty()) << refusals.join('|').toStdString();
  EXPECT_EQ(GrabHolder(XK_F3, AltVariants()).answer(), "refused");
  grabber.reset();
  for (const std::uint32_t key : {XK_F1, XK_F2, XK_F3}) EXPECT_EQ(GrabHolder(key, AltVariants()).answer(), "grabbed");
}

// F1 moves to another keycode; the grab follows it.
TEST_F(X11GrabberTest, KeymapChangeGrabsTheKeyWhereItMoved) {
  xcb_connection_t* c = Connection();
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int first = setup->min_keycode, count = setup->max_keycode - setup->min_keycode + 1;
  std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&std::free)> reply(
      xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr),
      &std::free);
  ASSERT_TRUE(reply);
  const int per = reply->keysyms_per_keycode;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
  int f1 = -1, spare = -1;
  for (int k = 0; k < count; ++k) {
    bool empty = true;
    for (int j = 0; j < per; ++j) {
      if (syms[k * per + j] == XK_F1 && f1 < 0) f1 = k;
      if (syms[k * per + j] != XCB_NO_SYMBOL) empty = false;
    }
    if (empty && spare < 0 && k > 8) spare = k;
  }
  ASSERT_GE(f1, 0);
  ASSERT_GE(spare, 0);
  const std::vector<xcb_keysym_t> f1Row(syms + f1 * per, syms + (f1 + 1) * per), emptyRow(per, XCB_NO_SYMBOL);
  const auto setRow = [&](int k, const std::vector<xcb_keysym_t>& row) {
    xcb_change_keyboard_mapping(c, 1, xcb_keycode_t(first + k), std::uint8_t(per), row.data());
  };

  grabber->Install(Defaults());
  setRow(spare, f1Row);
  setRow(f1, emptyRow);
  xcb_flush(c);
  ASSERT_EQ(hotkeys::X11KeyboardMap(c).KeycodesOf(XK_F1), std::vector<xcb_keycode_t>{xcb_keycode_t(first + spare)});
  // Until the grab has moved, a press on the new keycode reaches no one;
  // pressing again is safe.
  const auto pressUntilActed = [&] {
    const size_t before = actions.size();
    return RunEventsUntil(
        [&] { return Key("alt+F1") && RunEventsUntil([&] { return actions.size() > before; }, 2000); });
  };
  const bool moved = pressUntilActed();
  setRow(f1, f1Row);
  setRow(spare, emptyRow);
  xcb_flush(c);
  ASSERT_TRUE(moved);
  EXPECT_TRUE(refusals.isEmpty()) << refusals.join('|').toStdString();
  // And back: the grab follows again.
  ASSERT_TRUE(pressUntilActed());
  for (const int a : actions) EXPECT_EQ(a, 0);
}

}  // namespace
