#include "wav_to_ape.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "ape_file_writer.h"
#include "wav_input.h"

namespace ape {

namespace {

// How many blocks are left in a regular file from where the reader stands;
// 0 (unknown) for pipes and the like.
std::uint64_t BlocksLeftInFile(int fd, int bytesPerBlock) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  const off_t position = ::lseek(fd, 0, SEEK_CUR);
  if (position < 0 || st.st_size <= position) return 0;
  return static_cast<std::uint64_t>(st.st_size - position) / static_cast<std::uint64_t>(bytesPerBlock);
}

}  // namespace

bool EncodeWavStream(int inputFd, const std::string& output, int level, std::string& error) {
  wavin::Input input(inputFd);
  if (!input.open(error)) return false;
  const wavin::Format& wav = input.format();
  if (wav.encoding != wavin::Encoding::Signed16 && wav.encoding != wavin::Encoding::Signed24) {
    error = "only 16- and 24-bit integer samples can be encoded";
    return false;
  }
  const AudioFormat format{wav.channels, wav.bits, wav.rate};
  error = CheckFormat(format);
  if (!error.empty()) return false;

  auto writer = FileWriter::Create(output, format, level, BlocksLeftInFile(inputFd, format.bytesPerBlock()), error);
  if (!writer) return false;

  constexpr std::size_t kChunkBlocks = 16384;
  std::vector<std::int32_t> samples;
  const int shift = 32 - wav.bits;  // the reader puts samples in the top bits
  try {
    while (const std::size_t blocks = input.readInt32(samples, kChunkBlocks)) {
      for (std::int32_t& s : samples) s >>= shift;
      if (!writer->write(samples.data(), blocks, error)) return false;
    }
  } catch (const std::runtime_error& e) {
    // Keep what arrived: the file is completed with it.
    std::string ignored;
    writer->finish(ignored);
    error = e.what();
    return false;
  }
  return writer->finish(error);
}

}  // namespace ape
