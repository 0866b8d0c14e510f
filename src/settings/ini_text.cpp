#include "settings/ini_text.h"

#include <cstring>

namespace ini {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

enum class LineKind { Other, Header, Entry };

// One line of the file. Offsets are into the whole text.
struct Line {
  qsizetype begin = 0;  // first byte of the line
  qsizetype end = 0;    // end of the content, before "\n" (a "\r" is content)
  qsizetype next = 0;   // first byte of the following line
  LineKind kind = LineKind::Other;
  qsizetype nameBegin = 0, nameEnd = 0;    // section name or key, trimmed
  qsizetype valueBegin = 0, valueEnd = 0;  // entry value, trimmed
};

struct Range {
  qsizetype begin, end;
};

Range Trimmed(const char* d, qsizetype begin, qsizetype end) {
  while (begin < end && IsBlank(d[begin])) ++begin;
  while (end > begin && IsBlank(d[end - 1])) --end;
  return {begin, end};
}

// Walks the lines of a text. A UTF-8 byte order mark before the first line is
// skipped for parsing (and kept in the text).
class LineScanner {
 public:
  explicit LineScanner(QByteArrayView text) : d_(text.data()), size_(text.size()) {
    if (size_ >= 3 && std::memcmp(d_, "\xEF\xBB\xBF", 3) == 0) pos_ = 3;
  }

  bool Next(Line& line) {
    if (pos_ >= size_) return false;
    line = Line{};
    line.begin = pos_;
    const void* nl = std::memchr(d_ + pos_, '\n', size_t(size_ - pos_));
    line.end = nl ? static_cast<const char*>(nl) - d_ : size_;
    line.next = nl ? line.end + 1 : size_;
    pos_ = line.next;
    Classify(line);
    return true;
  }

  // Like Next, for section headers only: other lines are passed over without
  // being classified.
  bool NextHeader(Line& line) {
    while (pos_ < size_) {
      qsizetype p = pos_;
      while (p < size_ && IsBlank(d_[p])) ++p;
      if (p < size_ && d_[p] == '[') {
        if (Next(line) && line.kind == LineKind::Header) return true;
        continue;
      }
      const void* nl = std::memchr(d_ + p, '\n', size_t(size_ - p));
      pos_ = nl ? static_cast<const char*>(nl) - d_ + 1 : size_;
    }
    return false;
  }

 private:
  void Classify(Line& line) const {
    const Range content = Trimmed(d_, line.begin, line.end);
    if (content.begin == content.end || d_[content.begin] == ';') return;
    if (d_[content.begin] == '[') {
      // Without its "]" the line is no header: a damaged "[Main" must not
      // open a section that later writes would add keys to.
      const void* close =
          std::memchr(d_ + content.begin + 1, ']', size_t(content.end - content.begin - 1));
      if (!close) return;
      const Range name = Trimmed(d_, content.begin + 1, static_cast<const char*>(close) - d_);
      line.kind = LineKind::Header;
      line.nameBegin = name.begin;
      line.nameEnd = name.end;
      return;
    }
    const void* eq = std::memchr(d_ + content.begin, '=', size_t(content.end - content.begin));
    if (!eq) return;
    const qsizetype eqPos = static_cast<const char*>(eq) - d_;
    const Range name = Trimmed(d_, content.begin, eqPos);
    if (name.begin == name.end) return;
    const Range value = Trimmed(d_, eqPos + 1, content.end);
    line.kind = LineKind::Entry;
    line.nameBegin = name.begin;
    line.nameEnd = name.end;
    line.valueBegin = value.begin;
    line.valueEnd = value.end;
  }

  const char* d_;
  qsizetype size_;
  qsizetype pos_ = 0;
};

bool NameIs(QByteArrayView text, const Line& line, const QString& wanted) {
  return NameMatches(text.sliced(line.nameBegin, line.nameEnd - line.nameBegin), wanted);
}

// Where a section and a key sit in the text.
struct Location {
  bool sectionFound = false;
  qsizetype sectionContentEnd = 0;  // after the section's last non-blank line
  bool keyFound = false;
  Line keyLine;
};

Location Locate(QByteArrayView text, const QString& section, const QString& key,
                bool needSectionEnd) {
  Location where;
  LineScanner scanner(text);
  Line line;
  bool inSection = false;
  while (scanner.Next(line)) {
    if (line.kind == LineKind::Header) {
      if (inSection) break;  // only the first section of that name counts
      inSection = NameIs(text, line, section);
      if (inSection) {
        where.sectionFound = true;
        where.sectionContentEnd = line.next;
      }
      continue;
    }
    if (!inSection) continue;
    if (line.kind == LineKind::Entry && NameIs(text, line, key)) {
      where.keyFound = true;
      where.keyLine = line;
      return where;
    }
    if (needSectionEnd) {
      const Range content = Trimmed(text.data(), line.begin, line.end);
      if (content.begin != content.end) where.sectionContentEnd = line.next;
    }
  }
  return where;
}

QByteArray LineBreakOf(QByteArrayView text) {
  const qsizetype nl = text.indexOf('\n');
  return nl > 0 && text[nl - 1] == '\r' ? QByteArray("\r\n") : QByteArray("\n");
}

}  // namespace

bool NameMatches(QByteArrayView name, const QString& wanted) {
  // A UTF-8 character takes at most four bytes: longer names cannot match, and
  // a huge damaged line is never decoded.
  if (name.size() < wanted.size() || name.size() > 4 * wanted.size()) return false;
  return QString::fromUtf8(name).compare(wanted, Qt::CaseInsensitive) == 0;
}

std::vector<SectionHeader> SectionHeaders(QByteArrayView text) {
  std::vector<SectionHeader> headers;
  LineScanner scanner(text);
  Line line;
  while (scanner.NextHeader(line)) {
    if (!headers.empty()) headers.back().end = line.begin;
    headers.push_back({text.sliced(line.nameBegin, line.nameEnd - line.nameBegin), line.begin, text.size()});
  }
  return headers;
}

std::optional<QByteArrayView> FindValue(QByteArrayView text, const QString& section,
                                        const QString& key) {
  const Location where = Locate(text, section, key, false);
  if (!where.keyFound) return std::nullopt;
  return text.sliced(where.keyLine.valueBegin, where.keyLine.valueEnd - where.keyLine.valueBegin);
}

QByteArray WithValue(QByteArrayView text, const QString& section, const QString& key,
                     const QByteArray& value) {
  const Location where = Locate(text, section, key, true);
  QByteArray out;
  out.reserve(text.size() + key.size() + section.size() + value.size() + 8);

  if (where.keyFound) {
    // Keep the key, its spacing and "=", replace only the value.
    out.append(text.first(where.keyLine.valueBegin));
    out.append(value);
    out.append(text.sliced(where.keyLine.valueEnd));
    return out;
  }

  const QByteArray eol = LineBreakOf(text);
  const QByteArray entry = key.toUtf8() + '=' + value + eol;
  if (where.sectionFound) {
    const qsizetype at = where.sectionContentEnd;
    out.append(text.first(at));
    // The section's last line may be the file's last line without a break.
    if (at > 0 && text[at - 1] != '\n') out.append(eol);
    out.append(entry);
    out.append(text.sliced(at));
    return out;
  }

  out.append(text);
  if (!text.isEmpty()) {
    if (!text.endsWith('\n')) out.append(eol);
    // A blank line between sections, unless the file already ends with one.
    const QByteArrayView lastLine = QByteArrayView(out).chopped(1);
    const qsizetype prevBreak = lastLine.lastIndexOf('\n');
    const QByteArrayView tail = lastLine.sliced(prevBreak + 1);
    if (Trimmed(tail.data(), 0, tail.size()).begin != tail.size()) out.append(eol);
  }
  out.append('[' + section.toUtf8() + ']' + eol);
  out.append(entry);
  return out;
}

}  // namespace ini
