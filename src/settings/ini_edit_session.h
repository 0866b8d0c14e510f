// Many writes to the settings file as one change: the file is read once, every
// write edits those bytes in memory, and Commit replaces the file once. A save
// of a whole dialog thus costs one read, one sync and one rename, and readers
// see either all of its values or none.
#pragma once

#include <QByteArray>
#include <QString>

class IniEditSession {
 public:
  // Reads the file. Throws EAppError "Unable to write to <path>" when it
  // exists but cannot be read: replacing it would lose its content.
  explicit IniEditSession(QString path);

  // The same edits as IniFile's writes: one value changed, every other line
  // kept byte for byte, the first occurrence of a section and key changed.
  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteBool(const QString& section, const QString& key, bool value);  // "1" / "0"

  // Replaces the file atomically with the edited text, creating it (not its
  // folder) when missing. Does nothing when nothing was written. Throws
  // EAppError "Unable to write to <path>" when it fails; the old file stays.
  // Writes not committed are dropped, so a save that fails half-way changes
  // nothing.
  void Commit();

 private:
  QString path_;
  QByteArray text_;
  bool written_ = false;
};
