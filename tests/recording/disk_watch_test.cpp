// When a recording must stop for the room its writer still needs.
#include "recording/disk_watch.h"

#include <gtest/gtest.h>

TEST(DiskWatch, StopsWhileTheWriterCanStillFinish) {
  constexpr std::uint64_t KB = 1024;
  struct Look {
    std::int64_t ms;
    std::uint64_t size, heldBack, free;
    bool due;
  };
  const struct {
    const char* name;
    std::vector<Look> looks;
  } cases[] = {
      {"plenty of room", {{0, 0, 0, 100000 * KB, false}, {1000, 176 * KB, 0, 99800 * KB, false}}},
      // 100 KB a second: 96 KB + 400 KB must stay free.
      {"a file growing fast",
       {{0, 0, 0, 1000 * KB, false}, {1000, 100 * KB, 0, 900 * KB, false}, {2000, 200 * KB, 0, 495 * KB, true}}},
      {"a writer holding its frames back", {{0, 0, 300 * KB, 390 * KB, true}}},
      {"a nearly full disk from the start", {{0, 0, 0, 90 * KB, true}}},
      // Growth older than two seconds no longer counts.
      {"a burst long ago", {{0, 0, 0, 600 * KB, false}, {500, 200 * KB, 0, 400 * KB, true}, {5000, 200 * KB, 0, 400 * KB, false}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DiskWatch watch;
    for (const Look& l : c.looks) EXPECT_EQ(watch.due(l.ms, l.size, l.heldBack, l.free), l.due) << l.ms << " ms";
  }
}
