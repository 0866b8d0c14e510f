// Real audio files for the reader tests, made once per test program by the
// command-line encoders and our own MAC, and a uniform way to run any of the
// four readers on a file or on bytes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace readers_test {

namespace fs = std::filesystem;
using tags::Bytes;

Bytes ReadAll(const fs::path& p);
void WriteAll(const fs::path& p, const Bytes& b);
// Runs a program from /usr/bin or a full path; the test fails unless it
// exits with 0.
void Tool(const std::string& program, const std::vector<std::string>& args);

// The made files; the folder lives as long as the test program.
struct Files {
  fs::path stereoWav;  // 2 s, 44.1 kHz, stereo, 16 bits
  fs::path monoWav;    // 3 s, 22.05 kHz, mono, 16 bits
  fs::path mp3Cbr;     // lame -b 128 (with an Info header)
  fs::path mp3Vbr;     // lame -V 4 (Xing header)
  fs::path mp3Plain;   // lame -b 128 -t: no Info header, duration from the size
  fs::path mp3Mono;    // lame -b 64 of the mono WAV (MPEG-2)
  fs::path mp2;        // ffmpeg -c:a mp2 -b:a 192k
  fs::path apeStereo;  // MAC -c2000
  fs::path apeMono;    // MAC -c1000
  fs::path aacStereo;  // ffmpeg -c:a aac -f adts
  fs::path aacMono;
  fs::path m4a;        // ffmpeg -c:a aac in MP4
  fs::path mpc;        // mpcenc (stream version 8)
  fs::path dir;
};
const Files& MadeFiles();

enum class Kind { Mpeg, Monkey, Aac, Mpc };
std::string KindName(Kind k);

// What every reader tells.
struct Facts {
  bool accepted = false;
  bool valid = false;
  int channels = 0;
  int sampleRate = 0;
  double duration = 0;
  int bitRate = 0;
};
Facts ReadFile(Kind k, const fs::path& file);
Facts ReadBytes(Kind k, const Bytes& bytes);

}  // namespace readers_test
