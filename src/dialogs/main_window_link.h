// What the options dialog needs from the main window, without depending on it:
// the recording controls it reads, the folders, the stay-on-top style and the
// hotkeys it re-installs.
#pragma once

#include <QString>

class MainWindowLink {
 public:
  virtual ~MainWindowLink() = default;
  virtual int CurrentFormatIndex() const = 0;   // cformat
  virtual int SampleRateIndex() const = 0;      // csample
  virtual QString WorkFolder() const = 0;       // with trailing "/"
  virtual QString MusicFolder() const = 0;      // with trailing "/"
  virtual bool IsStayOnTop() const = 0;
  virtual void SetStayOnTop(bool onTop) = 0;
  virtual void ReleaseHotkeys() = 0;
  virtual void InstallHotkeys() = 0;
  virtual void ReinstallHotkeys() = 0;  // release, then install when enabled
  virtual void UpdateFormatInfo() = 0;
  virtual void SetOutputFolder(const QString& folder) = 0;  // FOutputFolder
};
