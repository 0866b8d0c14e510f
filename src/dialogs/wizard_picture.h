// The recording wizard's side picture, drawn here: a microphone over a level wave.
#pragma once

#include <QPixmap>
#include <QSize>

QPixmap RecordingWizardPicture(const QSize& size);
