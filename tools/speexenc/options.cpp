#include "options.h"

#include <charconv>

namespace speexenc {

namespace {

constexpr int kMaxKbps = 44;  // the top ultra-wideband mode; nothing above is reachable

bool ParseInt(const std::string& text, int low, int high, int& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty() && value >= low && value <= high;
}

// "--name value" or "--name=value": the value, advancing i past it.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
               std::string& error) {
  const std::string& arg = args[i];
  if (arg.size() > name.size() && arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
    return true;
  }
  if (i + 1 >= args.size()) {
    error = name + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool Is(const std::string& arg, const std::string& name) {
  return arg == name || (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=');
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  options = Options{};
  int controls = 0;
  std::optional<Band> band;
  std::vector<std::string> files;
  bool onlyFiles = false;

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
      files.push_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
      return true;
    } else if (Is(arg, "--bitrate") || Is(arg, "--abr")) {
      const std::string name = Is(arg, "--abr") ? "--abr" : "--bitrate";
      std::string value;
      if (!TakeValue(args, i, name, value, error)) return false;
      if (!ParseInt(value, 1, kMaxKbps, options.kbps)) {
        error = name + " takes a bitrate in kbps from 1 to " + std::to_string(kMaxKbps) + ", not '" + value + "'";
        return false;
      }
      options.control = name == "--abr" ? RateControl::Average : RateControl::Constant;
      ++controls;
    } else if (arg == "--vbr") {
      options.control = RateControl::Variable;
      options.kbps = 0;
      ++controls;
    } else if (Is(arg, "--quality")) {
      std::string value;
      if (!TakeValue(args, i, "--quality", value, error)) return false;
      int q = 0;
      if (!ParseInt(value, 0, 10, q)) {
        error = "--quality takes a whole number from 0 to 10, not '" + value + "'";
        return false;
      }
      options.quality = q;
    } else if (arg == "-n" || arg == "-w" || arg == "-u") {
      const Band b = arg == "-n" ? Band::Narrow : arg == "-w" ? Band::Wide : Band::UltraWide;
      if (band && *band != b) {
        error = "choose one band: -n, -w or -u";
        return false;
      }
      band = b;
    } else if (arg == "--vad") {
      options.vad = true;
    } else if (arg == "--agc") {
      options.agc = true;
    } else if (arg == "--denoise") {
      options.denoise = true;
    } else {
      error = "unknown option '" + arg + "'";
      return false;
    }
  }

  if (controls != 1) {
    error = controls ? "choose one of --bitrate, --vbr and --abr" : "one of --bitrate N, --vbr or --abr N is needed";
    return false;
  }
  if (!band) {
    error = "a band is needed: -n, -w or -u";
    return false;
  }
  options.band = *band;
  if (files.size() != 2) {
    error = "expected an input ('-' for the standard input) and an output file";
    return false;
  }
  options.input = files[0];
  options.output = files[1];
  if (options.output.empty() || options.output == "-") {
    error = "the output must be a file";
    return false;
  }
  return true;
}

const char* Usage() {
  return "usage: speexenc (--bitrate N | --vbr | --abr N) [--quality Q] (-n | -w | -u)\n"
         "                [--vad] [--agc] [--denoise] INPUT OUTPUT\n"
         "\n"
         "Encodes a WAV stream (INPUT, '-' for the standard input, read to its end\n"
         "whatever sizes its header states) into the Ogg Speex file OUTPUT.\n"
         "\n"
         "  --bitrate N   constant bitrate of N kbps (1..44); wins over --quality\n"
         "  --vbr         variable bitrate at --quality\n"
         "  --abr N       average bitrate of N kbps, starting from --quality\n"
         "  --quality Q   0..10 (8 when not given)\n"
         "  -n, -w, -u    narrowband (8 kHz), wideband (16 kHz), ultra-wideband (32 kHz);\n"
         "                other input rates are resampled to the band's rate\n"
         "  --vad         voice activity detection\n"
         "  --agc         automatic gain control before encoding\n"
         "  --denoise     noise suppression before encoding\n";
}

}  // namespace speexenc
