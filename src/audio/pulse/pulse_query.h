// Questions to the server and device settings, each a complete round trip.
// All of them need the connection's lock held and fail on the loop thread,
// which cannot wait for answers.
#pragma once

#include <pulse/sample.h>
#include <pulse/volume.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/pulse/pulse_connection.h"

namespace zaudio::pulse {

struct ServerDefaults {
  std::string sink;
  std::string source;
};

struct SinkEntry {
  std::string name;
  std::string description;
  std::string monitorSource;  // the source that captures what the sink plays
  pa_sample_spec spec{};
  pa_cvolume volume{};
};

struct PortEntry {
  std::string name;
  std::string description;
};

struct SourceEntry {
  std::string name;
  std::string description;
  bool monitor = false;  // the monitor of a sink: captures what the sink plays
  pa_sample_spec spec{};
  pa_cvolume volume{};
  std::vector<PortEntry> ports;
  std::string activePort;
};

std::optional<ServerDefaults> QueryDefaults(PulseConnection& c);
std::optional<std::vector<SinkEntry>> QuerySinks(PulseConnection& c);
std::optional<SinkEntry> QuerySink(PulseConnection& c, const std::string& name);
std::optional<std::vector<SourceEntry>> QuerySources(PulseConnection& c);
std::optional<SourceEntry> QuerySource(PulseConnection& c, const std::string& name);

bool SetSinkVolume(PulseConnection& c, const std::string& sink, const pa_cvolume& volume);
bool SetSourceVolume(PulseConnection& c, const std::string& source, const pa_cvolume& volume);
bool SetSourcePort(PulseConnection& c, const std::string& source, const std::string& port);

}  // namespace zaudio::pulse
