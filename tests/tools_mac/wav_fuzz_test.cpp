// bin/MAC's WAV reader against damaged streams: a valid header and a little
// data, cut short or with bytes and fields changed at random (the same every
// run). Every run must end by itself with an exit code, never by a signal or
// at the deadline, and a refusal must say why. ZOVEDU_FUZZ_RUNS sets how many
// runs (default 300).
#include <gtest/gtest.h>

#include <cstdlib>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>

#include "mac_run.h"
#include "support/scratch_dir.h"

namespace tools_mac {

using namespace zovedu_test;
namespace {

int FuzzRuns() {
  const char* text = std::getenv("ZOVEDU_FUZZ_RUNS");
  const int runs = text ? std::atoi(text) : 0;
  return runs > 0 ? runs : 300;
}

void Put(Bytes& b, std::size_t offset, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes && offset + i < b.size(); ++i) b[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// One damaged stream, and what was done to it.
struct Mutation {
  Bytes stream;
  std::string what;
};

Mutation Mutate(const Bytes& valid, std::mt19937& random) {
  Mutation m{valid, {}};
  Bytes& b = m.stream;
  const auto pick = [&](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random); };
  // The header's fields: offset and width.
  static const std::pair<std::size_t, int> kFields[] = {{4, 4},  {16, 4}, {20, 2}, {22, 2}, {24, 4},
                                                        {28, 4}, {32, 2}, {34, 2}, {40, 4}};
  static const std::uint32_t kExtremes[] = {0, 1, 2, 3, 0x7F, 0x80, 0xFF, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
  std::ostringstream what;
  switch (pick(5)) {
    case 0: {
      const std::size_t size = pick(static_cast<std::uint32_t>(44 + 64));
      b.resize(size);
      what << "cut to " << size << " bytes";
      break;
    }
    case 1: {
      const int flips = 1 + static_cast<int>(pick(4));
      what << "bytes changed:";
      for (int i = 0; i < flips; ++i) {
        const std::size_t at = pick(44);
        b[at] = static_cast<std::uint8_t>(pick(256));
        what << " [" << at << "]=" << int{b[at]};
      }
      break;
    }
    case 2: {
      const auto [offset, width] = kFields[pick(std::size(kFields))];
      const std::uint32_t value = pick(3) == 0 ? static_cast<std::uint32_t>(random()) : kExtremes[pick(std::size(kExtremes))];
      Put(b, offset, value, width);
      what << "field at " << offset << " set to " << value;
      break;
    }
    case 3: {
      // A chunk between fmt and data, of any size, perhaps cut short.
      const std::uint32_t size = pick(2) ? kExtremes[pick(std::size(kExtremes))] : pick(300);
      Bytes chunk = {'j', 'u', 'n', 'k', 0, 0, 0, 0};
      Put(chunk, 4, size, 4);
      chunk.resize(chunk.size() + pick(64), 0xAB);
      b.insert(b.begin() + 36, chunk.begin(), chunk.end());
      if (pick(2)) b.resize(36 + pick(static_cast<std::uint32_t>(chunk.size()) + 8));
      what << "chunk of declared size " << size << " before the data; " << b.size() << " bytes in all";
      break;
    }
    default: {
      // A format chunk of another length: too short, extended, or huge.
      const std::uint32_t size = pick(2) ? pick(48) : kExtremes[pick(std::size(kExtremes))];
      Put(b, 16, size, 4);
      if (size > 16 && size < 64) b.insert(b.begin() + 36, size - 16 + (size & 1), 0);
      what << "format chunk size " << size;
      break;
    }
  }
  m.what = what.str();
  return m;
}

std::string Hex(const Bytes& b, std::size_t count) {
  std::ostringstream out;
  for (std::size_t i = 0; i < std::min(count, b.size()); ++i)
    out << std::hex << std::setw(2) << std::setfill('0') << int{b[i]} << (i % 16 == 15 ? "\n" : " ");
  return out.str();
}

TEST(MacWavFuzz, EveryDamagedStreamEndsWithAnExitCode) {
  const Bytes valid = Noise({16, 2, 44100}, 3000, 12).wavStream();
  std::mt19937 random(20240607);
  const int runs = FuzzRuns();
  ScratchDir dir;
  const auto wav = dir / "in.wav", out = dir / "out.ape";
  int refused = 0;
  for (int run = 0; run < runs; ++run) {
    const Mutation m = Mutate(valid, random);
    WriteFile(wav, m.stream);
    std::filesystem::remove(out);
    const RunResult result = RunMac(wav, out, 1000);
    ASSERT_TRUE(result.ended && result.exitCode >= 0)
        << "run " << run << " (" << m.what << "): " << result.describe() << "\nthe input starts:\n" << Hex(m.stream, 96);
    if (result.exitCode != 0) {
      ++refused;
      ASSERT_FALSE(result.lastErrLine().empty())
          << "run " << run << " (" << m.what << ") exits " << result.exitCode << " without a message";
    }
  }
  std::cout << runs << " damaged streams: " << runs - refused << " encoded, " << refused << " refused\n";
}

}  // namespace
}  // namespace tools_mac
