// Small builders for the options pages: every control gets its component name
// as Qt object name, its caption and its design-time value.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QStringList>
#include <QVBoxLayout>

namespace optionui {

QCheckBox* Check(const char* name, const QString& text, bool checked = false);
QRadioButton* Radio(const char* name, const QString& text, bool checked = false);
QSlider* Slider(const char* name, int min, int max, int position);
QComboBox* Combo(const char* name, const QStringList& items, int index);
// Makes the box's list at least as wide as its longest item, so that each item
// shows whole when the list opens, however narrow the box itself is.
void FitListToItems(QComboBox* combo);
QLabel* Label(const char* name, const QString& text);
QLabel* Text(const QString& text);  // a caption without a component name
QLineEdit* Edit(const char* name, const QString& text);
// A compact vertical layout for a page or group.
QVBoxLayout* Column(QWidget* owner);
QGridLayout* Grid(QWidget* owner);
QGroupBox* Group(const QString& title);
QLabel* Red(QLabel* label);

}  // namespace optionui
