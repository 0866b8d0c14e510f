#include "settings/ini_snapshot.h"

#include <QFile>

#include "settings/ini_value.h"

IniSnapshot::IniSnapshot(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  text_ = file.readAll();
  headers_ = ini::SectionHeaders(text_);
}

std::optional<QByteArrayView> IniSnapshot::Find(const QString& section, const QString& key) const {
  const QString folded = section.toCaseFolded();
  auto known = sections_.constFind(folded);
  if (known == sections_.cend()) {
    qsizetype first = -1;
    for (std::size_t i = 0; i < headers_.size(); ++i) {
      if (ini::NameMatches(headers_[i].name, section)) {
        first = qsizetype(i);
        break;
      }
    }
    known = sections_.insert(folded, first);
  }
  if (*known < 0) return std::nullopt;
  // The section's own lines, from its header on, hold the same first key as
  // the whole file does.
  const ini::SectionHeader& h = headers_[std::size_t(*known)];
  return ini::FindValue(QByteArrayView(text_).sliced(h.begin, h.end - h.begin), section, key);
}

QString IniSnapshot::ReadString(const QString& section, const QString& key, const QString& def) const {
  const std::optional<QByteArrayView> raw = Find(section, key);
  return raw ? ini::DecodeText(*raw) : def;
}

int IniSnapshot::ReadInteger(const QString& section, const QString& key, int def) const {
  const std::optional<QByteArrayView> raw = Find(section, key);
  if (!raw) return def;
  return ini::ParseInteger(ini::DecodeText(*raw)).value_or(def);
}

bool IniSnapshot::ReadBool(const QString& section, const QString& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniSnapshot::HasKey(const QString& section, const QString& key) const { return Find(section, key).has_value(); }
