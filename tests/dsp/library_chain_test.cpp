// The filters on a channel of the audio library, attached the way a
// recording attaches them: the library calls them with its own blocks and
// its own sample type.
#include <gtest/gtest.h>

#include <vector>

#include "audio/zaudio.h"
#include "dsp/recording_filters.h"
#include "filter_buffers.h"

namespace {

using dsp_test::Buffer;
using zdsp::SampleKind;

TEST(LibraryChain, FiltersAChannelsBlocksAsOneBuffer) {
  struct Row {
    SampleKind sample;
    zaudio::DWORD flags;
  };
  const zdsp::FilterSettings settings{300, 3000, 1000, 44100};
  for (const Row& row : {Row{SampleKind::U8, zaudio::SAMPLE_8BITS}, Row{SampleKind::S16, 0},
                         Row{SampleKind::F32, zaudio::SAMPLE_FLOAT}}) {
    const Buffer in = Buffer::From(row.sample, 2, dsp_test::Noise(44100 * 2, 0.5, 12));
    for (auto kind : {zdsp::kHighPass, zdsp::kLowPass, zdsp::kBandPass, zdsp::kNotchPass}) {
      const zaudio::HSTREAM stream =
          zaudio::StreamCreate(44100, 2, row.flags | zaudio::STREAM_DECODE, zaudio::STREAMPROC_PUSH);
      ASSERT_NE(stream, 0u) << zaudio::ErrorGetCode();
      zdsp::RecordingFilters filters(settings, {44100, 2, row.sample});
      ASSERT_NE(zaudio::ChannelSetDSP(stream, dsp_test::DspFor(kind), &filters, 0), 0u);
      const auto length = static_cast<zaudio::DWORD>(in.bytes.size());
      ASSERT_EQ(zaudio::StreamPutData(stream, in.bytes.data(), length | zaudio::STREAMPROC_END), length);
      Buffer out{row.sample, 2, {}};
      std::vector<std::uint8_t> block(3000);  // not a whole number of 441-frame blocks
      for (;;) {
        const zaudio::DWORD got =
            zaudio::ChannelGetData(stream, block.data(), static_cast<zaudio::DWORD>(block.size()));
        if (got == 0 || got == zaudio::DATA_ERROR) break;
        out.bytes.insert(out.bytes.end(), block.begin(), block.begin() + got);
      }
      EXPECT_TRUE(zaudio::StreamFree(stream));
      EXPECT_EQ(out.bytes, dsp_test::Filtered(kind, settings, 44100, in).bytes) << kind;
    }
  }
}

}  // namespace
