// The settings file: INI sections and keys read and written one value at a
// time. Every call opens the file by path; nothing is cached between calls.
// Sections and keys are case-insensitive and the first occurrence wins. A write
// changes one value, keeps every other line byte for byte, and replaces the file
// atomically (temporary file in the same folder, then rename). Text is UTF-8.
// Each write is one replacement; a save of many values uses IniEditSession.
#pragma once

#include <QString>

class IniFile {
 public:
  explicit IniFile(QString path);

  const QString& path() const;

  // The value, with surrounding blanks and one pair of double quotes removed;
  // at most 2047 characters. def when the section or key is absent.
  QString ReadString(const QString& section, const QString& key, const QString& def) const;
  // Decimal, or hexadecimal after "0x"; a value that is not an integer gives def.
  int ReadInteger(const QString& section, const QString& key, int def) const;
  // Any integer other than 0 is true; a value that is not an integer gives def.
  bool ReadBool(const QString& section, const QString& key, bool def) const;
  bool HasKey(const QString& section, const QString& key) const;

  // Creates the file (not its folder) on first use. Throws EAppError
  // "Unable to write to <path>" when the file cannot be replaced.
  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteBool(const QString& section, const QString& key, bool value);  // "1" / "0"

 private:
  QString path_;
};

// The settings file inside the work folder (which ends with "/").
QString SettingsFilePath(const QString& workFolder);
