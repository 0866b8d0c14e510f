#include "reader_files.h"

#include <gtest/gtest.h>

#include "support/test_wav.h"

#include <fstream>
#include <iterator>
#include <memory>

#include "support/program_run.h"
#include "support/scratch_dir.h"
#include "tags/aac_file.h"
#include "tags/monkey.h"
#include "tags/mpeg_audio.h"
#include "tags/mpeg_plus.h"

namespace readers_test {

Bytes ReadAll(const fs::path& p) { return zovedu_test::ReadFile(p.string()); }

void WriteAll(const fs::path& p, const Bytes& b) { zovedu_test::WriteFile(p, b); }

void Tool(const std::string& program, const std::vector<std::string>& args) {
  const std::string path = program.find('/') == std::string::npos ? "/usr/bin/" + program : program;
  const zovedu_test::RunResult r = zovedu_test::RunProgram(path, args);
  ASSERT_TRUE(r.ended && r.exitCode == 0) << program << ": " << r.describe();
}

namespace {

Files Make(const fs::path& d) {
  Files f;
  f.dir = d;
  f.stereoWav = d / "stereo.wav";
  f.monoWav = d / "mono.wav";
  Tool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", f.stereoWav.string(), "synth", "2",
               "sine", "440", "vol", "0.5"});
  Tool("sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", f.monoWav.string(), "synth", "3",
               "sine", "300", "vol", "0.5"});
  const std::string stereo = f.stereoWav.string(), mono = f.monoWav.string();
  auto out = [&](const char* name) { return d / name; };
  f.mp3Cbr = out("cbr.mp3");
  f.mp3Vbr = out("vbr.mp3");
  f.mp3Plain = out("plain.mp3");
  f.mp3Mono = out("mono.mp3");
  f.mp2 = out("tone.mp2");
  Tool("lame", {"--quiet", "-b", "128", stereo, f.mp3Cbr.string()});
  Tool("lame", {"--quiet", "-V", "4", stereo, f.mp3Vbr.string()});
  Tool("lame", {"--quiet", "-b", "128", "-t", stereo, f.mp3Plain.string()});
  Tool("lame", {"--quiet", "-b", "64", mono, f.mp3Mono.string()});
  Tool("ffmpeg", {"-loglevel", "error", "-y", "-i", stereo, "-c:a", "mp2", "-b:a", "192k",
                  f.mp2.string()});
  f.apeStereo = out("stereo.ape");
  f.apeMono = out("mono.ape");
  Tool(zovedu_test::Bin("MAC"), {stereo, f.apeStereo.string(), "-c2000"});
  Tool(zovedu_test::Bin("MAC"), {mono, f.apeMono.string(), "-c1000"});
  f.aacStereo = out("stereo.aac");
  f.aacMono = out("mono.aac");
  f.m4a = out("stereo.m4a");
  Tool("ffmpeg", {"-loglevel", "error", "-y", "-i", stereo, "-c:a", "aac", "-b:a", "128k",
                  "-f", "adts", f.aacStereo.string()});
  Tool("ffmpeg", {"-loglevel", "error", "-y", "-i", mono, "-c:a", "aac", "-b:a", "48k", "-f",
                  "adts", f.aacMono.string()});
  Tool("ffmpeg", {"-loglevel", "error", "-y", "-i", stereo, "-c:a", "aac", f.m4a.string()});
  f.mpc = out("stereo.mpc");
  Tool("mpcenc", {"--silent", stereo, f.mpc.string()});
  return f;
}

template <class Reader>
Facts FactsOf(Reader& r, bool accepted) {
  Facts f;
  f.accepted = accepted;
  f.valid = r.Valid();
  f.channels = r.Channels();
  f.sampleRate = r.SampleRate();
  f.duration = r.Duration();
  f.bitRate = r.BitRate();
  return f;
}

template <class Source>
Facts Read(Kind k, const Source& from) {
  auto run = [&](auto reader) {
    bool accepted;
    if constexpr (std::is_same_v<Source, fs::path>) {
      accepted = reader.ReadFromFile(from.string());
    } else {
      accepted = reader.ReadFromSource(tags::MemorySource(from));
    }
    return FactsOf(reader, accepted);
  };
  switch (k) {
    case Kind::Mpeg: return run(tags::TMPEGaudio{});
    case Kind::Monkey: return run(tags::TMonkey{});
    case Kind::Aac: return run(tags::TAACfile{});
    case Kind::Mpc: return run(tags::TMPEGplus{});
  }
  return {};
}

}  // namespace

const Files& MadeFiles() {
  static zovedu_test::ScratchDir dir;
  static const Files files = Make(dir.path());
  return files;
}

std::string KindName(Kind k) {
  switch (k) {
    case Kind::Mpeg: return "TMPEGaudio";
    case Kind::Monkey: return "TMonkey";
    case Kind::Aac: return "TAACfile";
    case Kind::Mpc: return "TMPEGplus";
  }
  return {};
}

Facts ReadFile(Kind k, const fs::path& file) { return Read(k, file); }
Facts ReadBytes(Kind k, const Bytes& bytes) { return Read(k, bytes); }

}  // namespace readers_test
