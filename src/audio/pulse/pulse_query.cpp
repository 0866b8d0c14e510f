#include "audio/pulse/pulse_query.h"

#include <pulse/introspect.h>

namespace zaudio::pulse {

namespace {

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

// Collects the entries of a list answer; eol < 0 marks a failed query.
template <typename Entry>
struct Collector {
  explicit Collector(PulseConnection* c) : connection(c) {}
  PulseConnection* connection;
  std::vector<Entry> entries;
  bool failed = false;
};

SinkEntry ToEntry(const pa_sink_info& i) {
  SinkEntry e;
  e.name = Text(i.name);
  e.description = Text(i.description);
  e.monitorSource = Text(i.monitor_source_name);
  e.spec = i.sample_spec;
  e.volume = i.volume;
  return e;
}

SourceEntry ToEntry(const pa_source_info& i) {
  SourceEntry e;
  e.name = Text(i.name);
  e.description = Text(i.description);
  e.monitor = i.monitor_of_sink != PA_INVALID_INDEX;
  e.spec = i.sample_spec;
  e.volume = i.volume;
  for (uint32_t p = 0; p < i.n_ports; ++p)
    e.ports.push_back({Text(i.ports[p]->name), Text(i.ports[p]->description)});
  if (i.active_port) e.activePort = Text(i.active_port->name);
  return e;
}

template <typename Info, typename Entry>
void OnInfo(pa_context*, const Info* info, int eol, void* userdata) {
  auto* out = static_cast<Collector<Entry>*>(userdata);
  if (eol < 0)
    out->failed = true;
  else if (eol == 0 && info)
    out->entries.push_back(ToEntry(*info));
  out->connection->signal();
}

template <typename Entry>
std::optional<std::vector<Entry>> Finish(PulseConnection& c, pa_operation* op,
                                         Collector<Entry>& out) {
  if (!c.finish(op) || out.failed) return std::nullopt;
  return std::move(out.entries);
}

template <typename Entry>
std::optional<Entry> Single(std::optional<std::vector<Entry>> list) {
  if (!list || list->empty()) return std::nullopt;
  return std::move(list->front());
}

struct Outcome {
  explicit Outcome(PulseConnection* c) : connection(c) {}
  PulseConnection* connection;
  bool success = false;
};

void OnSuccess(pa_context*, int success, void* userdata) {
  auto* out = static_cast<Outcome*>(userdata);
  out->success = success != 0;
  out->connection->signal();
}

template <typename Start>
bool Change(PulseConnection& c, Start start) {
  Outcome out{&c};
  pa_operation* op = start(&out);
  return c.finish(op) && out.success;
}

}  // namespace

std::optional<ServerDefaults> QueryDefaults(PulseConnection& c) {
  struct Answer {
    PulseConnection* connection;
    ServerDefaults defaults;
  } answer{&c, ServerDefaults{}};
  pa_operation* op = pa_context_get_server_info(
      c.context(),
      [](pa_context*, const pa_server_info* i, void* userdata) {
        auto* a = static_cast<Answer*>(userdata);
        if (i) a->defaults = {Text(i->default_sink_name), Text(i->default_source_name)};
        a->connection->signal();
      },
      &answer);
  if (!c.finish(op)) return std::nullopt;
  return answer.defaults;
}

std::optional<std::vector<SinkEntry>> QuerySinks(PulseConnection& c) {
  Collector<SinkEntry> out{&c};
  return Finish(c, pa_context_get_sink_info_list(c.context(), OnInfo<pa_sink_info, SinkEntry>, &out), out);
}

std::optional<SinkEntry> QuerySink(PulseConnection& c, const std::string& name) {
  Collector<SinkEntry> out{&c};
  return Single(Finish(
      c, pa_context_get_sink_info_by_name(c.context(), name.c_str(), OnInfo<pa_sink_info, SinkEntry>, &out),
      out));
}

std::optional<std::vector<SourceEntry>> QuerySources(PulseConnection& c) {
  Collector<SourceEntry> out{&c};
  return Finish(
      c, pa_context_get_source_info_list(c.context(), OnInfo<pa_source_info, SourceEntry>, &out), out);
}

std::optional<SourceEntry> QuerySource(PulseConnection& c, const std::string& name) {
  Collector<SourceEntry> out{&c};
  return Single(Finish(c,
                       pa_context_get_source_info_by_name(c.context(), name.c_str(),
                                                          OnInfo<pa_source_info, SourceEntry>, &out),
                       out));
}

bool SetSinkVolume(PulseConnection& c, const std::string& sink, const pa_cvolume& volume) {
  return Change(c, [&](Outcome* out) {
    return pa_context_set_sink_volume_by_name(c.context(), sink.c_str(), &volume, OnSuccess, out);
  });
}

bool SetSourceVolume(PulseConnection& c, const std::string& source, const pa_cvolume& volume) {
  return Change(c, [&](Outcome* out) {
    return pa_context_set_source_volume_by_name(c.context(), source.c_str(), &volume, OnSuccess, out);
  });
}

bool SetSourcePort(PulseConnection& c, const std::string& source, const std::string& port) {
  return Change(c, [&](Outcome* out) {
    return pa_context_set_source_port_by_name(c.context(), source.c_str(), port.c_str(), OnSuccess, out);
  });
}

}  // namespace zaudio::pulse
