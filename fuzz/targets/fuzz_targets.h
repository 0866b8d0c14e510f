// Fuzz target bodies for the tag parsers and writers. Each takes one input,
// returns 0, and aborts when it finds a fault the sanitizers would not see
// (a save that reports success but reads back wrong, a failed save that changed
// the file). The libFuzzer executables and the replay test both call them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zovedu_fuzz {

// Parsers, reading the input from memory.
int FuzzId3v1(const std::uint8_t* data, std::size_t size);
int FuzzId3v2(const std::uint8_t* data, std::size_t size);
int FuzzApe(const std::uint8_t* data, std::size_t size);
int FuzzVorbisComment(const std::uint8_t* data, std::size_t size);
int FuzzOgg(const std::uint8_t* data, std::size_t size);
int FuzzFlac(const std::uint8_t* data, std::size_t size);
int FuzzMpegAudio(const std::uint8_t* data, std::size_t size);
int FuzzMonkey(const std::uint8_t* data, std::size_t size);
int FuzzAac(const std::uint8_t* data, std::size_t size);
int FuzzMpegPlus(const std::uint8_t* data, std::size_t size);

// Writers: the input as a file, loaded, changed, saved and loaded again.
int FuzzId3v1Roundtrip(const std::uint8_t* data, std::size_t size);
int FuzzId3v2Roundtrip(const std::uint8_t* data, std::size_t size);
int FuzzApeRoundtrip(const std::uint8_t* data, std::size_t size);
int FuzzOggRoundtrip(const std::uint8_t* data, std::size_t size);
int FuzzFlacRoundtrip(const std::uint8_t* data, std::size_t size);

struct FuzzTarget {
  const char* name;  // also the folder of its kept inputs
  int (*run)(const std::uint8_t* data, std::size_t size);
};

// Every target, ending with {nullptr, nullptr}.
extern const FuzzTarget kFuzzTargets[];

}  // namespace zovedu_fuzz
