#include "settings/ini_file.h"

#include <QFile>

#include "settings/ini_edit_session.h"
#include "settings/ini_text.h"
#include "settings/ini_value.h"

namespace {

// The whole file, or nothing when it is missing or cannot be read.
std::optional<QByteArray> ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

const QString& IniFile::path() const { return path_; }

QString IniFile::ReadString(const QString& section, const QString& key,
                            const QString& def) const {
  const std::optional<QByteArray> text = ReadAll(path_);
  if (!text) return def;
  const std::optional<QByteArrayView> raw = ini::FindValue(*text, section, key);
  return raw ? ini::DecodeText(*raw) : def;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
  const std::optional<QByteArray> text = ReadAll(path_);
  if (!text) return def;
  const std::optional<QByteArrayView> raw = ini::FindValue(*text, section, key);
  if (!raw) return def;
  return ini::ParseInteger(ini::DecodeText(*raw)).value_or(def);
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::HasKey(const QString& section, const QString& key) const {
  const std::optional<QByteArray> text = ReadAll(path_);
  return text && ini::FindValue(*text, section, key).has_value();
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  IniEditSession edit(path_);
  edit.WriteString(section, key, value);
  edit.Commit();
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString SettingsFilePath(const QString& workFolder) { return workFolder + "ridi.ini"; }
