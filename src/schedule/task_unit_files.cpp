#include "schedule/task_unit_files.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

#include "schedule/sha256.h"
#include "schedule/trigger_calendar.h"

namespace schedule {
namespace {

constexpr std::size_t kMaxSlug = 40;
constexpr char kHexDigits[] = "0123456789abcdef";

// Length of the valid UTF-8 sequence at text[at], 0 when there is none.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t n;
  unsigned min;
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) n = 2, min = 0x80;
  else if (lead >= 0xe0 && lead <= 0xef) n = 3, min = 0x800;
  else if (lead >= 0xf0 && lead <= 0xf4) n = 4, min = 0x10000;
  else return 0;
  if (at + n > text.size()) return 0;
  unsigned code = lead & (0x7f >> n);
  for (std::size_t i = 1; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[at + i]);
    if ((c & 0xc0) != 0x80) return 0;
    code = code << 6 | (c & 0x3f);
  }
  if (code < min || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
  return n;
}

void AppendHexByte(std::string& out, unsigned char c) {
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0xf];
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Hex(const void* data, std::size_t n) {
  std::string out;
  out.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) AppendHexByte(out, static_cast<const unsigned char*>(data)[i]);
  return out;
}

std::string HexWord(DWORD value) {
  std::ostringstream s;
  s << std::hex << value;
  return s.str();
}

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text) {
  if (text.size() % 2) return std::nullopt;
  std::vector<std::uint8_t> out;
  out.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int hi = HexValue(text[i]), lo = HexValue(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
  }
  return out;
}

std::optional<DWORD> FromHexWord(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  DWORD value = 0;
  for (char c : text) {
    const int v = HexValue(c);
    if (v < 0) return std::nullopt;
    value = value << 4 | DWORD(v);
  }
  return value;
}

std::string Quoted(std::string_view text) { return "\"" + CEscape(text) + "\""; }

std::optional<std::string> Unquoted(std::string_view value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::nullopt;
  const std::string_view inner = value.substr(1, value.size() - 2);
  // A quote inside must be escaped; an unescaped one means the value was cut.
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '\\') ++i;
    else if (inner[i] == '"') return std::nullopt;
  }
  return CUnescape(inner);
}

// Exec*= quoting: the C escapes of CEscape inside double quotes, with "%"
// (a specifier) and, except in the program word, "$" (a variable) doubled.
// A NUL cannot be part of an argument and is dropped.
std::string QuoteExec(std::string_view text, bool doubleDollar) {
  std::string literal;
  literal.reserve(text.size());
  for (char c : text) {
    if (c == '\0') continue;
    if (c == '%' || (c == '$' && doubleDollar)) literal += c;
    literal += c;
  }
  return "\"" + CEscape(literal) + "\"";
}

std::string Description(const TaskRecord& record) {
  // Description= expands specifiers and is not unquoted.
  std::string out = "Zovedu task ";
  for (char c : CEscape(record.name)) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

// systemd refuses a program path with quotes, backslashes or control
// characters; such a path goes through the shell as an argument instead.
std::string DueCheckCommand(const std::string& programPath) {
  const bool direct = std::none_of(programPath.begin(), programPath.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return c == '"' || c == '\'' || c == '\\' || u < 0x20 || u == 0x7f;
  });
  if (direct) return QuoteExecPath(programPath) + " --task-due %N";
  return "/bin/sh -c " + QuoteExecArgument("exec \"$0\" \"$@\"") + " " + QuoteExecArgument(programPath) +
         " --task-due %N";
}

// Triggers a timer or the due check acts on.
bool InUse(const TASK_TRIGGER& t) { return !(t.rgFlags & TASK_TRIGGER_FLAG_DISABLED); }

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string TaskId(const std::string& name) {
  std::string slug;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) slug += c;
    else if (!slug.empty() && slug.back() != '-') slug += '-';
  }
  if (slug.size() > kMaxSlug) slug.resize(kMaxSlug);
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  if (slug.empty()) slug = "task";
  return slug + "-" + Sha256Hex(name).substr(0, 16);
}

std::string UnitBaseName(const std::string& name) { return "zovedu-task-" + TaskId(name); }

std::string CEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (u < 0x20 || u == 0x7f) out += "\\x", AppendHexByte(out, u);
    else if (u < 0x80) out += c;
    else if (const std::size_t n = Utf8SequenceAt(text, i)) out.append(text.substr(i, n)), i += n - 1;
    else out += "\\x", AppendHexByte(out, u);
  }
  return out;
}

std::optional<std::string> CUnescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'x': {
        if (text.size() - i < 3) return std::nullopt;
        const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi << 4 | lo);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return out;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false, inWord = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) out.push_back(current);
      current.clear();
      inWord = false;
    } else {
      current += c;
      inWord = true;
    }
  }
  if (inWord) out.push_back(current);
  return out;
}

std::string QuoteExecArgument(std::string_view argument) { return QuoteExec(argument, true); }
std::string QuoteExecPath(std::string_view path) { return QuoteExec(path, false); }

std::vector<std::string> TaskCommand(const TaskRecord& record) {
  std::vector<std::string> command{record.applicationName};
  for (auto& word : SplitCommandLine(record.parameters)) command.push_back(std::move(word));
  return command;
}

std::vector<std::string> SystemdRunArguments(const TaskRecord& record, const std::string& unitBase) {
  std::vector<std::string> args{"/usr/bin/systemd-run", "--user", "--no-block", "--collect"};
  if (record.priorityClass == IDLE_PRIORITY_CLASS) args.push_back("--nice=19");
  args.push_back("--setenv=ZOVEDU_TASK=" + unitBase);
  if (!record.workingDirectory.empty()) args.push_back("--working-directory=" + record.workingDirectory);
  args.push_back("--");  // a program whose name starts with "-" is not an option
  // The manager expands $VAR in the arguments of the unit systemd-run makes;
  // "$$" stands for one "$" there. The program word is taken as it is.
  std::vector<std::string> command = TaskCommand(record);
  for (std::size_t i = 0; i < command.size(); ++i) {
    std::string word = std::move(command[i]);
    if (i > 0) {
      std::string doubled;
      for (char c : word) {
        if (c == '$') doubled += '$';
        doubled += c;
      }
      word = std::move(doubled);
    }
    args.push_back(std::move(word));
  }
  return args;
}

std::string ServiceUnitText(const TaskRecord& record, const std::string& programPath) {
  std::string text = "[Unit]\nDescription=" + Description(record) + "\n";
  if (record.flags & TASK_FLAG_DONT_START_IF_ON_BATTERIES) text += "ConditionACPower=true\n";
  text += "X-Zovedu-Name=" + Quoted(record.name) + "\n";
  text += "X-Zovedu-ApplicationName=" + Quoted(record.applicationName) + "\n";
  text += "X-Zovedu-Parameters=" + Quoted(record.parameters) + "\n";
  text += "X-Zovedu-WorkingDirectory=" + Quoted(record.workingDirectory) + "\n";
  text += "X-Zovedu-Comment=" + Quoted(record.comment) + "\n";
  text += "X-Zovedu-Creator=" + Quoted(record.creator) + "\n";
  text += "X-Zovedu-Account=" + Quoted(record.account) + "\n";
  text += "X-Zovedu-Flags=" + HexWord(record.flags) + "\n";
  text += "X-Zovedu-Priority=" + HexWord(record.priorityClass) + "\n";
  text += "X-Zovedu-IdleWait=" + HexWord(record.idleWait) + "\n";
  text += "X-Zovedu-Data=" + Hex(record.data.data(), record.data.size()) + "\n";
  for (const auto& trigger : record.triggers) text += "X-Zovedu-Trigger=" + Hex(&trigger, sizeof trigger) + "\n";

  text += "\n[Service]\nType=oneshot\n";
  text += "ExecCondition=" + DueCheckCommand(programPath) + "\n";
  // The unit base stays a specifier, so the text does not depend on it.
  // The first such argument is ours: options come before the command.
  const std::string placeholder = "--setenv=ZOVEDU_TASK=";
  std::string exec;
  bool placed = false;
  for (const auto& arg : SystemdRunArguments(record, "")) {
    if (!exec.empty()) exec += ' ';
    if (!placed && arg == placeholder) {
      exec += "\"" + placeholder + "%N\"";
      placed = true;
    } else {
      exec += QuoteExecArgument(arg);
    }
  }
  text += "ExecStart=" + exec + "\n";
  return text;
}

std::vector<std::string> TimerCalendarLines(const TaskRecord& record, std::time_t now) {
  std::vector<std::string> lines;
  for (const auto& trigger : record.triggers) {
    if (!InUse(trigger) || !IsTimeTrigger(trigger)) continue;
    for (auto& line : CalendarFor(trigger, now).onCalendar) lines.push_back(std::move(line));
  }
  return lines;
}

std::string TimerUnitText(const TaskRecord& record, std::time_t now) {
  std::string text = "[Unit]\nDescription=" + Description(record) + "\n\n[Timer]\n";
  for (const auto& line : TimerCalendarLines(record, now)) text += "OnCalendar=" + line + "\n";
  text += "AccuracySec=1s\nPersistent=true\nUnit=" + UnitBaseName(record.name) + ".service\n";
  text += "\n[Install]\nWantedBy=timers.target\n";
  return text;
}

std::string TimerUnitText(const TaskRecord& record) { return TimerUnitText(record, std::time(nullptr)); }

bool TaskNeedsDueCheck(const TaskRecord& record, std::time_t now) {
  if (record.flags & TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET) return true;
  for (const auto& trigger : record.triggers) {
    if (!InUse(trigger)) continue;
    if (trigger.TriggerType == TASK_EVENT_TRIGGER_AT_SYSTEMSTART) return true;
    if (IsTimeTrigger(trigger) && !CalendarFor(trigger, now).exact) return true;
  }
  return false;
}

std::optional<TaskRecord> ParseTaskUnits(const std::string& serviceText) {
  TaskRecord record;
  bool inUnit = false, haveName = false;
  std::map<std::string, bool> seen;
  std::istringstream lines(serviceText);
  for (std::string raw; std::getline(lines, raw);) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      inUnit = line == "[Unit]";
      continue;
    }
    const auto eq = line.find('=');
    if (!inUnit || eq == std::string_view::npos) continue;
    const std::string key(Trim(line.substr(0, eq)));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (key.rfind("X-Zovedu-", 0) != 0) continue;
    const std::string field = key.substr(9);

    if (field == "Trigger") {
      const auto bytes = FromHex(value);
      if (!bytes || bytes->size() != sizeof(TASK_TRIGGER)) return std::nullopt;
      TASK_TRIGGER trigger;
      std::memcpy(&trigger, bytes->data(), sizeof trigger);
      record.triggers.push_back(trigger);
      continue;
    }
    std::string* text = field == "Name"               ? &record.name
                        : field == "ApplicationName"  ? &record.applicationName
                        : field == "Parameters"       ? &record.parameters
                        : field == "WorkingDirectory" ? &record.workingDirectory
                        : field == "Comment"          ? &record.comment
                        : field == "Creator"          ? &record.creator
                        : field == "Account"          ? &record.account
                                                      : nullptr;
    DWORD* word = field == "Flags"      ? &record.flags
                  : field == "Priority" ? &record.priorityClass
                  : field == "IdleWait" ? &record.idleWait
                                        : nullptr;
    if (!text && !word && field != "Data") continue;  // a key of a later version
    if (seen[field]) return std::nullopt;
    seen[field] = true;
    if (text) {
      auto unquoted = Unquoted(value);
      if (!unquoted) return std::nullopt;
      *text = std::move(*unquoted);
      haveName = haveName || text == &record.name;
    } else if (word) {
      const auto parsed = FromHexWord(value);
      if (!parsed) return std::nullopt;
      *word = *parsed;
    } else {
      auto bytes = FromHex(value);
      if (!bytes) return std::nullopt;
      record.data = std::move(*bytes);
    }
  }
  if (!haveName) return std::nullopt;
  return record;
}

}  // namespace schedule
