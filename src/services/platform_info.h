// Which device model the program runs with. The reported version follows the
// older desktop numbering (major.minor): 6.x or higher is the newer model with
// one capture device per source and loopback devices; 6.1 is the one version
// the window caption marks. Linux reports 6.2. Tests set other versions.
#pragma once

struct OsVersion {
  int major = 6;
  int minor = 2;
};

class PlatformInfo {
 public:
  static OsVersion version();
  static void setVersionForTesting(OsVersion v);
  static void resetForTesting();
};

bool IsVistaOrLater();
bool IsWindows7();
