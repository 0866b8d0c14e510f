#include "quality_floor.h"

#include <charconv>
#include <string_view>

namespace oggenc2 {

namespace {

// oggenc's short switches that take a value.
constexpr std::string_view kShortWithValue = "BCRbmMqsonXPcdNtlaGLY";

struct LongOption {
  std::string_view name;
  bool takesValue;
};

// oggenc's long switches.
constexpr LongOption kLong[] = {
    {"advanced-encode-option", true}, {"album", true}, {"artist", true}, {"bitrate", true}, {"comment", true},
    {"date", true}, {"discard-comments", false}, {"downmix", false}, {"genre", true}, {"help", false},
    {"ignorelength", false}, {"lyrics", true}, {"lyrics-language", true}, {"managed", false},
    {"max-bitrate", true}, {"min-bitrate", true}, {"name-remove", true}, {"name-replace", true},
    {"names", true}, {"output", true}, {"quality", true}, {"quiet", false}, {"raw", false},
    {"raw-bits", true}, {"raw-chan", true}, {"raw-endianness", true}, {"raw-rate", true}, {"resample", true},
    {"scale", true}, {"serial", true}, {"skeleton", false}, {"title", true}, {"tracknum", true},
    {"utf8", false}, {"version", false},
};

// The long option a name or its unambiguous abbreviation means, or nullptr.
const LongOption* FindLong(std::string_view name) {
  for (const auto& o : kLong)
    if (o.name == name) return &o;
  const LongOption* found = nullptr;
  for (const auto& o : kLong) {
    if (!o.name.starts_with(name)) continue;
    if (found != nullptr) return nullptr;
    found = &o;
  }
  return found;
}

// oggenc reads the value with atof: a leading number, the rest ignored.
void Raise(std::string& value) {
  double q = 0;
  const char* begin = value.c_str();
  if (std::from_chars(begin, begin + value.size(), q).ec == std::errc() && q < -1.0) value = "-1";
}

// Raises the value of args[i] when it is a --quality switch; returns how many
// arguments the switch takes up.
size_t LongSwitch(std::vector<std::string>& args, size_t i) {
  std::string& a = args[i];
  const auto eq = a.find('=');
  const LongOption* o = FindLong(std::string_view(a).substr(2, eq == std::string::npos ? eq : eq - 2));
  if (o == nullptr || !o->takesValue) return 1;
  const bool quality = o->name == "quality";
  if (eq != std::string::npos) {
    if (quality) {
      std::string value = a.substr(eq + 1);
      Raise(value);
      a = a.substr(0, eq + 1) + value;
    }
    return 1;
  }
  if (i + 1 == args.size()) return 1;
  if (quality) Raise(args[i + 1]);
  return 2;
}

// The same for a cluster of short switches, of which the first that takes a
// value has the rest of the cluster or else the next argument.
size_t ShortSwitches(std::vector<std::string>& args, size_t i) {
  std::string& a = args[i];
  for (size_t k = 1; k < a.size(); ++k) {
    if (kShortWithValue.find(a[k]) == std::string_view::npos) continue;
    const bool quality = a[k] == 'q';
    if (k + 1 < a.size()) {
      if (quality) {
        std::string value = a.substr(k + 1);
        Raise(value);
        a = a.substr(0, k + 1) + value;
      }
      return 1;
    }
    if (i + 1 == args.size()) return 1;
    if (quality) Raise(args[i + 1]);
    return 2;
  }
  return 1;
}

}  // namespace

void RaiseQualityFloor(std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size();) {
    const std::string& a = args[i];
    if (a == "--") return;
    if (a.starts_with("--")) i += LongSwitch(args, i);
    else if (a.size() > 1 && a[0] == '-') i += ShortSwitches(args, i);
    else ++i;
  }
}

}  // namespace oggenc2
