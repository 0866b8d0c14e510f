#include "services/platform_info.h"

#include <atomic>

namespace {
std::atomic<int> g_major{6};
std::atomic<int> g_minor{2};
}  // namespace

OsVersion PlatformInfo::version() { return {g_major.load(), g_minor.load()}; }

void PlatformInfo::setVersionForTesting(OsVersion v) {
  g_major = v.major;
  g_minor = v.minor;
}

void PlatformInfo::resetForTesting() { setVersionForTesting(OsVersion{}); }

bool IsVistaOrLater() { return PlatformInfo::version().major > 5; }

bool IsWindows7() {
  const OsVersion v = PlatformInfo::version();
  return v.major >= 6 && v.minor == 1;
}
