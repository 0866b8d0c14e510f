// The settings file read once, for loading many values: the same answers as
// IniFile's reads (first section and key of a name, case-insensitive, the
// same decoding), from one read of the file instead of one per value. It
// holds the file as it was when made; make a new one for every load, so
// that changes by others between loads are seen.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

#include "settings/ini_text.h"

class IniSnapshot {
 public:
  // A missing or unreadable file reads as empty: every value is its default.
  explicit IniSnapshot(const QString& path);

  QString ReadString(const QString& section, const QString& key, const QString& def) const;
  int ReadInteger(const QString& section, const QString& key, int def) const;
  bool ReadBool(const QString& section, const QString& key, bool def) const;
  bool HasKey(const QString& section, const QString& key) const;

 private:
  std::optional<QByteArrayView> Find(const QString& section, const QString& key) const;

  QByteArray text_;
  std::vector<ini::SectionHeader> headers_;
  // Section name (case-folded) to its first header's index, or -1; filled
  // as sections are asked for.
  mutable QHash<QString, qsizetype> sections_;
};
