// What a screen reader reads of a control: its name, its description and,
// for a picture, a text of what it shows. Captions stay as they are; these
// only add what a caption or an icon cannot say.
#pragma once

#include <QString>

class QAbstractButton;
class QLabel;
class QWidget;

namespace accessible {

// Names a button that shows only an icon after its hint text.
void NameFromHint(QAbstractButton* button);

// Names a control after the caption that says what it is, without the
// caption's mnemonic mark, and optionally describes it.
void Name(QWidget* control, const QString& caption, const QString& description = QString());

// Makes the label the control's caption: the label's mnemonic focuses the
// control and its text becomes the control's name.
void Caption(QLabel* label, QWidget* control);

// Sets what a picture shows now. A screen reader hears of it only when the
// text differs from the last one; an equal text costs one comparison.
void SetTextAlternative(QWidget* picture, const QString& text);

// Lets combo boxes carry a name of their own (by default a combo box is read
// by its current entry only). Naming a combo box installs it as well.
void InstallInterfaces();

}  // namespace accessible
