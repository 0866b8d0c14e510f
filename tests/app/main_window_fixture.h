// A main window on the virtual audio backend, with a private home folder, a
// message service that answers and a desktop that records.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/task_store_choice.h"
#include "app/tfrmmain.h"
#include "audio/virtual/virtual_backend.h"
#include "schedule/in_memory_backend.h"
#include "services/platform_info.h"
#include "support/test_desktop.h"
#include "support/test_messages.h"

class MainWindowTest : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    backend = std::make_shared<zaudio::VirtualBackend>();
    backend->addOutputDevice("Speakers", true, 48000, 2);
    zaudio::UseBackend(backend);
    zaudio::SetConfig(zaudio::CONFIG_REC_LOOPBACK, 0);
    // The window never touches the user's real scheduled tasks.
    SetTaskBackendFactory([] { return std::make_unique<schedule::InMemoryBackend>(); });
  }
  void TearDown() override {
    window.reset();
    zaudio::RecordFree();
    zaudio::Free();
    zaudio::OverrideVersionsForTesting(0, 0);
    PlatformInfo::resetForTesting();
    SetTaskBackendFactory({});
  }

  static zaudio::VirtualDevice Device(const char* name, zaudio::DWORD flags, zaudio::DWORD rate = 44100) {
    zaudio::VirtualDevice d;
    d.name = name;
    d.flags = flags;
    d.rate = rate;
    return d;
  }

  // Creates the window and runs its first showing (which lists the sources).
  // The showing runs directly, not from a show event, so that a failure that
  // ends the program never unwinds through Qt's event dispatch.
  Tfrmmain& Open() {
    window.reset();
    window = std::make_unique<Tfrmmain>();
    window->FormShow();
    window->show();
    return *window;
  }

  QTemporaryDir home;
  std::shared_ptr<zaudio::VirtualBackend> backend;
  TestMessages messages;
  TestDesktop desktop;
  std::unique_ptr<Tfrmmain> window;
};
