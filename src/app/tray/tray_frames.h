// The tray icon's pictures, drawn here: the idle microphone and the frames of
// the recording animation (a red dot that pulses beside a level bar that
// rises and falls).
#pragma once

#include <QIcon>
#include <QList>

constexpr int kRecordingFrameCount = 6;

QIcon IdleTrayIcon();
QList<QIcon> RecordingTrayFrames();
