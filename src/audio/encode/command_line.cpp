#include "audio/encode/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace zaudio {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> IfExecutable(std::string path) {
  if (IsExecutableFile(path)) return path;
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false;  // a quoted empty string is an argument too
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (IsBlank(c) && !quoted) {
      if (inArgument) args.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (quoted) return std::nullopt;
  if (inArgument) args.push_back(std::move(current));
  if (args.empty()) return std::nullopt;
  return args;
}

std::string ExecutableDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

std::optional<std::string> ResolveProgram(const std::string& program, const std::string& exeDir,
                                          std::string_view searchPath) {
  if (program.empty()) return std::nullopt;
  if (program.front() == '/') return IfExecutable(program);
  if (program.find('/') != std::string::npos) {
    if (exeDir.empty()) return std::nullopt;
    return IfExecutable(exeDir + "/" + program);
  }
  while (!searchPath.empty()) {
    const size_t colon = searchPath.find(':');
    const std::string_view dir = searchPath.substr(0, colon);
    searchPath = colon == std::string_view::npos ? std::string_view() : searchPath.substr(colon + 1);
    if (dir.empty()) continue;
    if (auto found = IfExecutable(std::string(dir) + "/" + program)) return found;
  }
  return std::nullopt;
}

}  // namespace zaudio
