#include "settings/ini_edit_session.h"

#include <QFile>

#include "services/app_error.h"
#include "settings/atomic_write.h"
#include "settings/ini_text.h"
#include "settings/ini_value.h"

IniEditSession::IniEditSession(QString path) : path_(std::move(path)) {
  QFile file(path_);
  if (!file.exists()) return;  // the first commit creates it
  if (!file.open(QIODevice::ReadOnly)) throw EAppError("Unable to write to " + path_);
  text_ = file.readAll();
  // A read that stops early would make the commit drop the rest of the file.
  if (file.error() != QFileDevice::NoError) throw EAppError("Unable to write to " + path_);
}

void IniEditSession::WriteString(const QString& section, const QString& key,
                                 const QString& value) {
  text_ = ini::WithValue(text_, section, key, ini::EncodeText(value));
  written_ = true;
}

void IniEditSession::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void IniEditSession::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniEditSession::Commit() {
  if (!written_) return;
  if (!ReplaceFileAtomically(path_, text_)) throw EAppError("Unable to write to " + path_);
  written_ = false;
}
