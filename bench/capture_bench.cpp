// Cost of the audio library per second of captured audio through the virtual
// backend: converting, effects, level metering and delivering to a callback.
// Prints how many times faster than real time the path runs.
#include <benchmark/benchmark.h>

#include <memory>

#include "audio/virtual/virtual_backend.h"
#include "audio/zaudio.h"

namespace {

void CaptureOneSecond(benchmark::State& state, zaudio::DWORD rate, zaudio::DWORD flags, bool withVolume) {
  auto backend = std::make_shared<zaudio::VirtualBackend>();
  backend->addOutputDevice("Out", true);
  zaudio::VirtualDevice mic;
  mic.name = "Mic";
  mic.flags = zaudio::DEVICE_DEFAULT;
  mic.rate = rate;
  // A fed buffer rather than the sine generator, so that the figure is the
  // library's own path (conversion, effects, level, delivery) and not sin().
  mic.signal.samples = {0.25f, -0.25f};
  backend->addCaptureDevice(mic);
  zaudio::UseBackend(backend);
  zaudio::RecordInit(-1);
  std::uint64_t bytes = 0;
  const zaudio::HRECORD h = zaudio::RecordStart(rate, 2, flags, [&](zaudio::HRECORD, const void* data, zaudio::DWORD len) {
    benchmark::DoNotOptimize(data);
    bytes += len;
    return true;
  });
  if (withVolume) {
    const zaudio::HFX fx = zaudio::ChannelSetFX(h, zaudio::FX_BFX_VOLUME, 1);
    zaudio::BFX_VOLUME p{-1, 0.5f};
    zaudio::FXSetParameters(fx, &p);
  }
  for (auto _ : state) {
    backend->pump(rate, rate / 50);  // one second in 20 ms blocks
    benchmark::DoNotOptimize(zaudio::ChannelGetLevel(h));
  }
  // Seconds of audio per iteration is 1, so the rate counter reads as
  // "seconds of audio per second of CPU", i.e. the multiple of real time.
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["MB_delivered"] = static_cast<double>(bytes) / 1e6;
  zaudio::ChannelStop(h);
  zaudio::RecordFree();
}

}  // namespace

BENCHMARK_CAPTURE(CaptureOneSecond, rate44100_16bit_stereo, 44100, 0, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CaptureOneSecond, rate192000_float_stereo, 192000, zaudio::SAMPLE_FLOAT, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CaptureOneSecond, rate44100_16bit_stereo_volume, 44100, 0, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CaptureOneSecond, rate192000_float_stereo_volume, 192000, zaudio::SAMPLE_FLOAT, true)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
