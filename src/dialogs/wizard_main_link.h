// What the recording wizard needs from the main window, without depending on
// it: the source and format lists it copies, the volume slider, the
// stay-on-top style, and the steps that hand the wizard's choices over.
#pragma once

#include <QString>
#include <QStringList>

class WizardMainLink {
 public:
  virtual ~WizardMainLink() = default;

  // The source list (capture devices) and the chosen entry, -1 for none.
  virtual QStringList SourceNames() const = 0;
  virtual int ChosenSource() const = 0;
  virtual bool IsLoopbackSource(int index) const = 0;
  virtual int VolumePosition() const = 0;
  // The format list and its chosen entry.
  virtual QStringList FormatNames() const = 0;
  virtual int ChosenFormat() const = 0;

  virtual bool IsStayOnTop() const = 0;
  virtual void SetStayOnTop(bool onTop) = 0;

  // Chooses channel, rate and bits (list indexes) and sets "Use DAR TM
  // mode", without running the lists' change handlers.
  virtual void ChooseRecordSettings(int channelIndex, int rateIndex, int bitsIndex, bool dar) = 0;
  // Chooses a source; its hint becomes its text.
  virtual void ChooseSource(int index) = 0;
  virtual void ChooseFormat(int index) = 0;
  virtual void SetVolumeSlider(int position) = 0;
  // The change handlers of the channel, rate, bits and format lists, in that order.
  virtual void RunRecordSettingHandlers() = 0;
  // Chooses the rate and runs its handler (after a source change picked the device's own).
  virtual void ChooseSampleRate(int rateIndex) = 0;
  // The next recording is written to this file.
  virtual void SetWizardOutputName(const QString& path) = 0;
  // The source list's change handler: opens the chosen source.
  virtual void RunSourceChange() = 0;
  // Starts recording as the Record button does.
  virtual void StartRecordingAsRecordButton() = 0;
  // Opens the chosen source again, changing nothing else: the wizard opened
  // other devices while it looked for one.
  virtual void ReopenChosenSource() = 0;
};
