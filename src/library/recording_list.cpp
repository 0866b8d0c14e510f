#include "library/recording_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "library/posix_io.h"

namespace {

bool IsBinaryByte(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; }

bool IsListLine(std::string_view line) {
  if (line.size() > kMaxListLineBytes) return false;
  return std::none_of(line.begin(), line.end(), [](char c) { return IsBinaryByte(static_cast<unsigned char>(c)); });
}

std::optional<RecordingListEntry> EntryOf(const std::vector<std::string>& f) {
  if (f.size() != 5) return std::nullopt;
  return RecordingListEntry{f[0], f[1], f[2], f[3], f[4]};
}

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Collects lines from chunks of a file: a line over the limit is only
// remembered as too long, never held.
class LineReader {
 public:
  LineReader(RecordingRows& rows, const FileExistsCheck& exists) : rows_(rows), exists_(exists) {}

  void feed(std::string_view chunk) {
    while (!chunk.empty()) {
      const std::size_t nl = chunk.find('\n');
      const std::string_view part = chunk.substr(0, nl);
      // One byte over the limit is allowed for a CR that ends the line.
      if (!tooLong_ && line_.size() + part.size() <= kMaxListLineBytes + 1)
        line_.append(part);
      else
        tooLong_ = true;
      if (nl == std::string_view::npos) return;
      endLine();
      chunk.remove_prefix(nl + 1);
    }
  }

  void finish() {
    if (!line_.empty() || tooLong_) endLine();
  }

 private:
  void endLine() {
    if (!tooLong_) {
      std::string_view line = line_;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (auto entry = ParseRecordingListLine(line); entry && exists_(entry->fullPath()))
        rows_.push_back(std::move(*entry));
    }
    line_.clear();
    tooLong_ = false;
  }

  RecordingRows& rows_;
  const FileExistsCheck& exists_;
  std::string line_;
  bool tooLong_ = false;
};

// Writes data to path through a temporary file beside it; 0 or the errno of
// the step that failed.
int ReplaceDurably(const std::string& path, std::string_view data) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderPart(path);
  const std::string name = FileNamePart(path);
  std::string temp;
  UniqueFd fd;
  for (int attempt = 0; fd.get() < 0; ++attempt) {
    temp = folder + "." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0 && (errno != EEXIST || attempt > 100)) return errno;
  }
  int error = 0;
  if (!WriteAll(fd.get(), data) || ::fsync(fd.get()) != 0) error = errno;
  if (const int closeError = fd.close(); error == 0) error = closeError;
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return error;
  }
  // The rename itself reaches the disk only with the folder.
  UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0 || ::fsync(dir.get()) != 0) return errno;
  return 0;
}

}  // namespace

QString ShownText(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

std::string FileNameBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::vector<std::string> SplitRecordingListLine(std::string_view line) {
  std::vector<std::string> fields;
  std::string field;
  char quote = 0;
  for (const char c : line) {
    if (quote != 0) {
      field += c;
      if (c == quote) quote = 0;
    } else if (c == '|') {
      if (!field.empty()) fields.push_back(std::move(field));
      field.clear();
    } else {
      if (c == '\'' || c == '"') quote = c;
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(std::move(field));
  return fields;
}

std::vector<std::string> SplitRecordingListLinePlain(std::string_view line) {
  std::vector<std::string> fields;
  while (true) {
    const std::size_t bar = line.find('|');
    const std::string_view field = line.substr(0, bar);
    if (!field.empty()) fields.emplace_back(field);
    if (bar == std::string_view::npos) return fields;
    line.remove_prefix(bar + 1);
  }
}

std::optional<RecordingListEntry> ParseRecordingListLine(std::string_view line) {
  if (!IsListLine(line)) return std::nullopt;
  if (auto entry = EntryOf(SplitRecordingListLine(line))) return entry;
  return EntryOf(SplitRecordingListLinePlain(line));
}

bool ListedFileExists(const std::string& fullPath) {
  struct stat st;
  return !fullPath.empty() && ::stat(fullPath.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

RecordingRows ParseRecordingListText(std::string_view text, const FileExistsCheck& exists) {
  RecordingRows rows;
  LineReader reader(rows, exists);
  reader.feed(text);
  reader.finish();
  return rows;
}

RecordingListLoad LoadRecordingList(const QString& listPath, const FileExistsCheck& exists) {
  RecordingListLoad load;
  const QByteArray path = QFile::encodeName(listPath);
  UniqueFd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return load;
    load.found = true;
    load.error = SystemReason(errno);
    return load;
  }
  load.found = true;
  LineReader reader(load.rows, exists);
  std::array<char, 64 * 1024> buffer;
  while (true) {
    const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      load.error = SystemReason(errno);
      load.rows.clear();
      return load;
    }
    if (n == 0) break;
    reader.feed(std::string_view(buffer.data(), std::size_t(n)));
  }
  reader.finish();
  return load;
}

std::string RecordingListText(const RecordingRows& rows) {
  std::string text;
  for (const RecordingListEntry& r : rows) {
    text += r.Name;
    text += '|';
    text += r.Length;
    text += '|';
    text += r.Size;
    text += '|';
    text += r.Type;
    text += '|';
    text += r.Path;
    text += "\r\n";
  }
  return text;
}

RecordingListSave SaveRecordingList(const QString& listPath, const RecordingRows& rows) {
  RecordingListSave save;
  const int error = ReplaceDurably(QFile::encodeName(listPath).toStdString(), RecordingListText(rows));
  save.ok = error == 0;
  if (!save.ok) {
    save.message = QStringLiteral("Unable to write to %1").arg(listPath);
    save.reason = SystemReason(error);
  }
  return save;
}

QString RecordingListPath(const QString& workFolder) { return workFolder + QStringLiteral("reclist.txt"); }

int FindListedFile(const RecordingRows& rows, const std::string& fullPath) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const RecordingListEntry& r = rows[i];
    if (r.Path.size() + r.Name.size() == fullPath.size() &&
        fullPath.compare(0, r.Path.size(), r.Path) == 0 &&
        fullPath.compare(r.Path.size(), r.Name.size(), r.Name) == 0)
      return int(i);
  }
  return -1;
}

std::string FileNamePart(const std::string& fullPath) {
  const std::size_t slash = fullPath.rfind('/');
  return slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
}

std::string FolderPart(const std::string& fullPath) {
  const std::size_t slash = fullPath.rfind('/');
  return slash == std::string::npos ? std::string() : fullPath.substr(0, slash + 1);
}

const std::string& ColumnText(const RecordingListEntry& entry, int column) {
  switch (column) {
    case 1: return entry.Length;
    case 2: return entry.Size;
    case 3: return entry.Type;
    case 4: return entry.Path;
    default: return entry.Name;
  }
}

int CompareListText(std::string_view a, std::string_view b) {
  const auto fold = [](char c) -> unsigned char {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
  };
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = fold(a[i]), y = fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int ReclistCompare(const RecordingListEntry& a, const RecordingListEntry& b, int sortColumn) {
  return CompareListText(ColumnText(a, sortColumn), ColumnText(b, sortColumn));
}

void SortRecordingList(RecordingRows& rows, int sortColumn) {
  std::stable_sort(rows.begin(), rows.end(), [sortColumn](const RecordingListEntry& a, const RecordingListEntry& b) {
    return ReclistCompare(a, b, sortColumn) < 0;
  });
}

FinishedRecordingAdded AddFinishedRecording(RecordingRows& rows, const FinishedRecording& recording,
                                            const FileExistsCheck& exists) {
  FinishedRecordingAdded added;
  if (!exists(recording.fullPath)) return added;
  if (recording.fullPath.find_first_of("|\r\n") != std::string::npos) {
    added.change = FinishedRecordingAdded::Change::Unlistable;
    return added;
  }
  added.row = FindListedFile(rows, recording.fullPath);
  if (added.row >= 0) {
    RecordingListEntry& r = rows[std::size_t(added.row)];
    r.Length = recording.length;
    r.Size = recording.size;
    added.change = FinishedRecordingAdded::Change::Refreshed;
    return added;
  }
  rows.push_back({FileNamePart(recording.fullPath), recording.length, recording.size, recording.type,
                  FolderPart(recording.fullPath)});
  added.row = int(rows.size()) - 1;
  added.change = FinishedRecordingAdded::Change::Appended;
  return added;
}

void MergeRecordingRows(RecordingRows& rows, const RecordingRows& from) {
  for (const RecordingListEntry& r : from)
    if (FindListedFile(rows, r.fullPath()) < 0) rows.push_back(r);
}

bool PlayAfterStop(bool cdar, bool cslientnew, bool csplitnew, bool cplay) {
  if (cdar && cslientnew) return false;
  return !csplitnew && cplay;
}

ListControlStates ListControlStatesFor(const ListControlInput& input) {
  const auto typeIn = [](const std::string& type, std::initializer_list<const char*> types) {
    return std::any_of(types.begin(), types.end(), [&](const char* t) { return type == t; });
  };
  const std::size_t selected = input.selectedTypes.size();
  const bool one = selected == 1, any = selected >= 1;
  ListControlStates s;
  s.play = one;
  s.del = any;
  s.clear = input.rowCount > 0;
  s.tag = one && !typeIn(input.selectedTypes.front(), {"WAV", "WV", "SPX", "TTA"}) && !input.selectedIsRecording;
  s.mail = any;
  s.mailVisible = !input.vistaOrLater;
  s.copy = any;
  s.goTo = one;
  s.editAudio = input.editorPresent &&
                (!any || !typeIn(input.selectedTypes.front(), {"APE", "WV", "SPX", "TTA", "FLAC", "AAC"}));
  return s;
}
