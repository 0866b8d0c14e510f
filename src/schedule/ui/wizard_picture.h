// The wizard's side picture, drawn here: a clock over a microphone.
#pragma once

#include <QPixmap>
#include <QSize>

QPixmap WizardPicture(const QSize& size);
