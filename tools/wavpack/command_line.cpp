#include "command_line.h"

namespace wavpack {

namespace {

// wavpack's switches that take the next argument as their value.
bool TakesValue(const std::string& arg) { return arg == "-o" || arg == "-w" || arg == "--write-binary-tag"; }

}  // namespace

bool Translate(const std::vector<std::string>& args, std::vector<std::string>& out, std::string& error) {
  std::vector<std::string> switches{"-y", "-i"};
  std::vector<std::string> positional;
  bool hasOutputSwitch = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-') {
      positional.push_back(a);
      continue;
    }
    switches.push_back(a);
    if (TakesValue(a)) {
      if (i + 1 == args.size()) {
        error = a + " needs a value";
        return false;
      }
      switches.push_back(args[++i]);
      hasOutputSwitch = hasOutputSwitch || a == "-o";
    }
  }
  const size_t outputs = positional.size() - (positional.empty() ? 0 : 1) + (hasOutputSwitch ? 1 : 0);
  if (positional.empty() || positional[0] != "-" || outputs != 1) {
    error = "expected switches, - for the standard input and one output file";
    return false;
  }
  out = switches;
  out.push_back("-");
  if (positional.size() == 2) {
    out.push_back("-o");
    out.push_back(positional[1]);
  }
  return true;
}

}  // namespace wavpack
