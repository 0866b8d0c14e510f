// The task's unit texts: ids that systemd accepts for any name, every
// property surviving the service text, and the Exec lines read back the way
// systemd reads them.
#include "schedule/task_unit_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "schedule/sha256.h"
#include "schedule/trigger_calendar.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"

namespace schedule {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

TEST(Sha256, MatchesSha256sum) {
  if (access("/usr/bin/sha256sum", X_OK) != 0) GTEST_SKIP() << "no sha256sum";
  zovedu_test::ScratchDir dir;
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += char(i);
  // Lengths around the padding limits (55/56, 63/64) and several blocks.
  for (const std::string& input : {std::string(), std::string("abc"), std::string(55, 'a'), std::string(56, 'a'),
                                   std::string(63, 'b'), std::string(64, 'b'), std::string(65, 'c'),
                                   std::string(1000, 'x') + binary}) {
    WriteFile(dir / "in", input);
    const auto r = zovedu_test::RunProgram("/usr/bin/sha256sum", {(dir / "in").string()});
    ASSERT_TRUE(r.ended && r.exitCode == 0) << r.describe();
    EXPECT_EQ(Sha256Hex(input), r.out.substr(0, 64)) << "length " << input.size();
  }
}

bool ValidUnitNamePart(const std::string& id) {
  if (id.empty()) return false;
  for (char c : id)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' || c == '_' ||
          c == '.' || c == '\\' || c == '-'))
      return false;
  return true;
}

TEST(TaskId, HostileNamesGiveValidDistinctIds) {
  const std::vector<std::string> names = {
      "Morning show.job", "morning show.job", "MORNING SHOW.job", "Morning  show.job", "\"quoted\".job",
      "a/b.job",          "a\\b.job",         "100%.job",         "$HOME.job",         "Größe Übung.job",
      "日本語.job",       "---.job",          ".job",             std::string(200, 'x') + ".job",
      std::string(200, 'x') + "y.job",        "x" + std::string(39, '-') + "tail.job"};
  std::set<std::string> ids;
  for (const auto& name : names) {
    const std::string id = TaskId(name);
    EXPECT_TRUE(ValidUnitNamePart(id)) << id;
    EXPECT_TRUE(ids.insert(id).second) << "repeated id " << id;
    // slug, "-", 16 hex digits of the name's hash
    ASSERT_GE(id.size(), 18u) << id;
    EXPECT_EQ(id.substr(id.size() - 17), "-" + Sha256Hex(name).substr(0, 16)) << id;
    const std::string slug = id.substr(0, id.size() - 17);
    EXPECT_LE(slug.size(), 40u) << id;
    EXPECT_FALSE(slug.empty() || slug.front() == '-' || slug.back() == '-') << id;
    EXPECT_EQ(UnitBaseName(name), "zovedu-task-" + id);
  }
  const struct {
    std::string name, slug;
  } slugs[] = {{"Morning show.job", "morning-show-job"},
               {"Größe Übung.job", "gr-e-bung-job"},
               {"日本語.job", "job"},
               {"%$.job", "job"},
               {"\xe2\x80\x94", "task"},
               {"x" + std::string(39, '-') + "tail.job", "x"}};
  for (const auto& c : slugs) EXPECT_EQ(TaskId(c.name).substr(0, c.slug.size() + 1), c.slug + "-") << c.name;
}

TEST(CEscape, RoundTripsAndRefusesBadEscapes) {
  const std::string samples[] = {"plain", "a\"b\\c", "line\nnext\ttab\rcr", "nul\0byte"s,
                                 "\x01\x1f\x7f", "Grüße 日本", "bad utf8 \xff\xc3 end", "\xed\xa0\x80"};
  for (const auto& s : samples) {
    const std::string escaped = CEscape(s);
    for (char c : escaped) {
      const auto u = static_cast<unsigned char>(c);
      EXPECT_TRUE(u >= 0x20 && u != 0x7f) << escaped;
    }
    EXPECT_EQ(CUnescape(escaped), s) << escaped;
  }
  EXPECT_EQ(CEscape("Grüße"), "Grüße");
  EXPECT_EQ(CEscape("a\x01"), "a\\x01");
  for (const char* bad : {"\\", "end\\", "\\q", "\\x", "\\x4", "\\xg0", "\\0"})
    EXPECT_EQ(CUnescape(bad), std::nullopt) << bad;
}

TEST(SplitCommandLine, BlanksSeparateQuotesGroup) {
  using V = std::vector<std::string>;
  const struct {
    const char* line;
    V words;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"a b", {"a", "b"}},
      {"  a \t b  ", {"a", "b"}},
      {"\"a b\" c", {"a b", "c"}},
      {"x\"a b\"y", {"xa by"}},
      {"\"\"", {""}},
      {"a \"\" b", {"a", "", "b"}},
      {"'a b'", {"'a", "b'"}},
      {"a\\ b", {"a\\", "b"}},
      {"$HOME %n ; | &", {"$HOME", "%n", ";", "|", "&"}},
      {"\"unclosed b", {"unclosed b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TASK_TRIGGER Trigger(TASK_TRIGGER_TYPE type, DWORD flags = 0) {
  TASK_TRIGGER t;
  t.TriggerType = type;
  t.rgFlags = flags;
  t.wBeginYear = 2026, t.wBeginMonth = 12, t.wBeginDay = 10;
  t.wStartHour = 9, t.wStartMinute = 5;
  if (type == TASK_TIME_TRIGGER_DAILY) t.Type.Daily.DaysInterval = 1;
  if (type == TASK_TIME_TRIGGER_WEEKLY) t.Type.Weekly = {2, 0x2};
  return t;
}

TaskRecord HostileRecord(const std::string& program) {
  TaskRecord r;
  r.name = "Night \"show\" 100% $HOME \\ / Grüße.job";
  r.applicationName = program;
  r.parameters = "-f \"C:\\path with space\" 100% $HOME ${X} ; | \"\" '\"'\" \\n";
  r.workingDirectory = "/tmp/dir with \"quotes\" % $";
  r.comment = "line one\nline two\r\n\ttab \x01\x7f nul\0 end \xff"s;
  r.creator = "ç日本";
  r.account = "user";
  r.flags = TASK_FLAG_DONT_START_IF_ON_BATTERIES | TASK_FLAG_DELETE_WHEN_DONE | 0x80000000u;
  r.priorityClass = IDLE_PRIORITY_CLASS;
  r.idleWait = 0x003c000a;
  r.data = {0, 1, 0xff, 0x7f, '"', '\n'};
  r.triggers = {Trigger(TASK_TIME_TRIGGER_DAILY), Trigger(TASK_TIME_TRIGGER_WEEKLY, TASK_TRIGGER_FLAG_DISABLED),
                Trigger(TASK_EVENT_TRIGGER_AT_LOGON)};
  r.triggers[0].wRandomMinutesInterval = 0xbeef;
  r.triggers[0].Reserved1 = 0x1234;
  return r;
}

// The value of `key=` in the text (first occurrence).
std::string LineValue(const std::string& text, const std::string& key) {
  const auto at = text.find("\n" + key + "=");
  if (at == std::string::npos) return {};
  const auto start = at + key.size() + 2;
  return text.substr(start, text.find('\n', start) - start);
}

TEST(ServiceUnit, EveryPropertyRoundTrips) {
  const TaskRecord plain = [] {
    TaskRecord r;
    r.name = "a.job";
    return r;
  }();
  for (const TaskRecord& record : {HostileRecord("/opt/my app/run.sh"), plain}) {
    const std::string text = ServiceUnitText(record, "/usr/bin/zovedu");
    const auto back = ParseTaskUnits(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_TRUE(*back == record) << text;
  }
  const std::string text = ServiceUnitText(HostileRecord("/bin/true"), "/usr/bin/zovedu");
  EXPECT_NE(text.find("\nConditionACPower=true\n"), std::string::npos);
  // Description= expands specifiers: a "%" of the name is doubled.
  EXPECT_EQ(LineValue(text, "Description"), "Zovedu task Night \\\"show\\\" 100%% $HOME \\\\ / Grüße.job");
  EXPECT_EQ(ServiceUnitText(plain, "/usr/bin/zovedu").find("ConditionACPower"), std::string::npos);
}

TEST(ServiceUnit, MalformedTextsAreRefused) {
  const std::string good = ServiceUnitText(HostileRecord("/bin/true"), "/usr/bin/zovedu");
  ASSERT_TRUE(ParseTaskUnits(good));
  const auto replaced = [&](const std::string& key, const std::string& value) {
    const auto at = good.find("\n" + key + "=");
    const auto end = good.find('\n', at + 1);
    return good.substr(0, at + 1) + key + "=" + value + good.substr(end);
  };
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"bad escape", replaced("X-Zovedu-Comment", "\"a\\qb\"")},
      {"unquoted text", replaced("X-Zovedu-Comment", "abc")},
      {"inner quote", replaced("X-Zovedu-Comment", "\"a\"b\"")},
      {"cut quote", replaced("X-Zovedu-Comment", "\"abc")},
      {"odd hex data", replaced("X-Zovedu-Data", "abc")},
      {"non-hex data", replaced("X-Zovedu-Data", "zz")},
      {"short trigger", replaced("X-Zovedu-Trigger", std::string(94, '0'))},
      {"long trigger", replaced("X-Zovedu-Trigger", std::string(98, '0'))},
      {"bad flags", replaced("X-Zovedu-Flags", "12g")},
      {"flags too wide", replaced("X-Zovedu-Flags", "100000000")},
      {"empty priority", replaced("X-Zovedu-Priority", "")},
      {"no name", replaced("X-Zovedu-Name", "\"x\"").replace(good.find("X-Zovedu-Name"), 13, "X-Zovedu-Xame")},
      {"name twice", good.substr(0, good.find("X-Zovedu-Name")) + "X-Zovedu-Name=\"other\"\n" +
                         good.substr(good.find("X-Zovedu-Name"))},
      {"empty text", ""},
      {"not ours", "[Unit]\nDescription=x\n[Service]\nExecStart=/bin/true\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseTaskUnits(c.text), std::nullopt) << c.what << "\n" << c.text;

  // Keys of a later version and X-Zovedu keys outside [Unit] change nothing.
  const std::string extended = good.substr(0, good.find("\n[Service]")) + "\nX-Zovedu-Colour=\"red\"\n" +
                               good.substr(good.find("\n[Service]")) + "X-Zovedu-Name=\"elsewhere\"\n";
  const auto read = ParseTaskUnits(extended);
  ASSERT_TRUE(read);
  EXPECT_TRUE(*read == HostileRecord("/bin/true"));
}

// Reads an Exec line back as systemd does for our quoting: double-quoted
// words with C escapes, "%%" and "%N" specifiers, "$$" outside the program.
std::vector<std::string> ReadExecLine(const std::string& line, const std::string& unitBase) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    std::string raw;
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\') raw += line[i++];
        raw += line[i];
      }
      ++i;
    } else {
      for (; i < line.size() && line[i] != ' '; ++i) raw += line[i];
    }
    const auto unescaped = CUnescape(raw);
    EXPECT_TRUE(unescaped) << raw;
    std::string word;
    const std::string& s = unescaped ? *unescaped : raw;
    for (std::size_t k = 0; k < s.size(); ++k) {
      if (s[k] == '%' && k + 1 < s.size()) {
        ++k;
        if (s[k] == '%') word += '%';
        else if (s[k] == 'N') word += unitBase;
        else ADD_FAILURE() << "unexpected specifier in " << s;
      } else if (s[k] == '$' && !words.empty()) {
        EXPECT_TRUE(k + 1 < s.size() && s[k + 1] == '$') << "variable in " << s;
        word += '$';
        ++k;
      } else {
        word += s[k];
      }
    }
    words.push_back(word);
  }
  return words;
}

TEST(ServiceUnit, ExecLinesCarryTheArgumentsUnchanged) {
  const std::string base = "zovedu-task-x-0123456789abcdef";
  TaskRecord idle = HostileRecord("/opt/my $app/run 100%.sh");
  TaskRecord normal = idle;
  normal.priorityClass = NORMAL_PRIORITY_CLASS;
  normal.workingDirectory.clear();
  normal.parameters = "--setenv=ZOVEDU_TASK= x";
  for (const TaskRecord& record : {idle, normal}) {
    const std::string text = ServiceUnitText(record, "/opt/zo vedu/$bin %n");
    EXPECT_EQ(ReadExecLine(LineValue(text, "ExecStart"), base), SystemdRunArguments(record, base));
    EXPECT_EQ(ReadExecLine(LineValue(text, "ExecCondition"), base),
              (std::vector<std::string>{"/opt/zo vedu/$bin %n", "--task-due", base}));
  }
  // A path systemd will not run directly is handed to the shell.
  const std::string odd = "/opt/it's \"odd\"\\/zo\tvedu";
  EXPECT_EQ(ReadExecLine(LineValue(ServiceUnitText(idle, odd), "ExecCondition"), base),
            (std::vector<std::string>{"/bin/sh", "-c", "exec \"$0\" \"$@\"", odd, "--task-due", base}));
  const auto idleArgs = SystemdRunArguments(idle, base);
  EXPECT_EQ(std::count(idleArgs.begin(), idleArgs.end(), "--nice=19"), 1);
  EXPECT_EQ(std::count(idleArgs.begin(), idleArgs.end(), "--working-directory=" + idle.workingDirectory), 1);
  const auto normalArgs = SystemdRunArguments(normal, base);
  EXPECT_EQ(normalArgs, (std::vector<std::string>{"/usr/bin/systemd-run", "--user", "--no-block", "--collect",
                                                  "--setenv=ZOVEDU_TASK=" + base, "--", normal.applicationName,
                                                  "--setenv=ZOVEDU_TASK=", "x"}));
}

TEST(TimerUnit, CalendarOfEnabledTimeTriggersOnly) {
  const std::time_t now = 1765324800;  // 2025-12-10, before every begin date
  TaskRecord record = HostileRecord("/bin/true");
  const std::string text = TimerUnitText(record, now);
  const auto daily = CalendarFor(record.triggers[0], now).onCalendar;
  ASSERT_FALSE(daily.empty());
  EXPECT_EQ(TimerCalendarLines(record, now), daily);  // the weekly one is disabled, logon has no calendar
  std::size_t lines = 0;
  for (std::size_t at = text.find("\nOnCalendar="); at != std::string::npos; at = text.find("\nOnCalendar=", at + 1))
    ++lines;
  EXPECT_EQ(lines, daily.size());
  EXPECT_EQ(LineValue(text, "Unit"), UnitBaseName(record.name) + ".service");
  EXPECT_EQ(LineValue(text, "WantedBy"), "timers.target");

  record.triggers = {Trigger(TASK_EVENT_TRIGGER_AT_LOGON), Trigger(TASK_EVENT_TRIGGER_ON_IDLE)};
  EXPECT_TRUE(TimerCalendarLines(record, now).empty());
}

TEST(TimerUnit, DueCheckNeed) {
  const std::time_t now = 1800000000;  // 2027-01-15, after the begin date
  TASK_TRIGGER later = Trigger(TASK_TIME_TRIGGER_DAILY);
  later.wBeginYear = 2028;  // the calendar fires before the begin date too
  const struct {
    const char* what;
    std::vector<TASK_TRIGGER> triggers;
    DWORD flags;
    bool needed;
  } cases[] = {
      {"daily", {Trigger(TASK_TIME_TRIGGER_DAILY)}, 0, false},
      {"daily, online only", {Trigger(TASK_TIME_TRIGGER_DAILY)}, TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET, true},
      {"daily from a later date", {later}, 0, true},
      {"later, disabled", {Trigger(TASK_TIME_TRIGGER_DAILY), [&] {
                             auto t = later;
                             t.rgFlags = TASK_TRIGGER_FLAG_DISABLED;
                             return t;
                           }()},
       0, false},
      {"start-up", {Trigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART)}, 0, true},
      {"start-up, disabled", {Trigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, TASK_TRIGGER_FLAG_DISABLED)}, 0, false},
      {"logon", {Trigger(TASK_EVENT_TRIGGER_AT_LOGON)}, 0, false},
  };
  for (const auto& c : cases) {
    TaskRecord r;
    r.name = "t.job";
    r.triggers = c.triggers;
    r.flags = c.flags;
    EXPECT_EQ(TaskNeedsDueCheck(r, now), c.needed) << c.what;
  }
}

// systemd's own reading of both units: any warning is a fault.
TEST(UnitFiles, SystemdVerifyAcceptsHostileTask) {
  const char* analyze = "/usr/bin/systemd-analyze";
  if (access(analyze, X_OK) != 0) GTEST_SKIP() << "no systemd-analyze";
  zovedu_test::ScratchDir dir;
  const fs::path units = dir / "config/systemd/user";
  fs::create_directories(units);
  const fs::path runtime = dir / "runtime";  // the user manager refuses to start without one
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
  // Programs and task script at paths that need every kind of quoting; the
  // program in the folder with quotes goes through the shell.
  const fs::path plainBin = dir / "bin $x %n", quotedBin = dir / "bin \"q\" \\";
  fs::create_directories(plainBin);
  fs::create_directories(quotedBin);
  const fs::path script = quotedBin / "record $HOME.sh";
  for (const fs::path& program : {plainBin / "zovedu 100%", quotedBin / "zovedu"}) {
    for (const auto& p : {program, script}) {
      WriteFile(p, "#!/bin/sh\nexit 0\n");
      fs::permissions(p, fs::perms::owner_all);
    }
    TaskRecord record = HostileRecord(script.string());
    record.workingDirectory = quotedBin.string();
    const std::string base = UnitBaseName(record.name);
    const fs::path service = units / (base + ".service"), timer = units / (base + ".timer");
    WriteFile(service, ServiceUnitText(record, program.string()));
    WriteFile(timer, TimerUnitText(record, 1765324800));

    const auto r = zovedu_test::RunProgram(
        analyze, {"verify", "--user", service.string(), timer.string()}, "/dev/null",
        {{"LC_ALL", "C"}, {"XDG_CONFIG_HOME", (dir / "config").string()}, {"XDG_RUNTIME_DIR", runtime.string()}});
    EXPECT_TRUE(r.ended && r.exitCode == 0) << r.describe();
    EXPECT_EQ(r.out + r.err, "") << ServiceUnitText(record, program.string());
  }
}

}  // namespace
}  // namespace schedule
