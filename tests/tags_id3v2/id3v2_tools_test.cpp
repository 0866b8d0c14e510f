// A real MP3 tagged by us must read the same in other programs, with its
// audio untouched.
#include <gtest/gtest.h>

#include "support/program_run.h"
#include "support/scratch_dir.h"
#include "support/test_wav.h"
#include "tags/id3v2.h"
#include "tags_id3v2/tag_bytes.h"

namespace {

namespace fs = std::filesystem;
using namespace id3test;
using zovedu_test::RunProgram;

fs::path EncodeMp3(const zovedu_test::ScratchDir& dir) {
  const zovedu_test::PcmFormat format{16, 2, 44100};
  const Bytes pcm = zovedu_test::ToPcm(zovedu_test::TestSignal(format, 1.0, 440, 0.5), 16);
  zovedu_test::WriteFile(dir / "in.wav", zovedu_test::WavStream(format, pcm, std::uint32_t(pcm.size())));
  const auto r = RunProgram("/usr/bin/lame", {"--quiet", "-b", "128", (dir / "in.wav").string(), (dir / "a.mp3").string()});
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  return dir / "a.mp3";
}

std::string AudioMd5(const fs::path& f) {
  const auto r = RunProgram("/usr/bin/ffmpeg", {"-v", "error", "-i", f.string(), "-map", "0:a", "-c", "copy", "-f", "md5", "-"});
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  return r.out;
}

// Each frame as ID=value, one a line, as mutagen reads the file.
std::string MutagenFrames(const fs::path& f) {
  const std::string script =
      "import sys, mutagen.id3\n"
      "t = mutagen.id3.ID3(sys.argv[1])\n"
      "print('version=%d.%d' % t.version[:2])\n"
      "for f in t.values():\n"
      "  if f.FrameID == 'APIC': print('APIC=%s,%d,%d' % (f.mime, f.type, len(f.data)))\n"
      "  elif f.FrameID == 'WXXX': print('WXXX=' + f.url)\n"
      "  elif f.FrameID == 'COMM': print('COMM=%s/%s/%s' % (f.lang, f.desc, f.text[0]))\n"
      "  elif f.FrameID == 'TXXX': print('TXXX=%s/%s' % (f.desc, f.text[0]))\n"
      "  else: print('%s=%s' % (f.FrameID, f.text[0]))\n";
  const auto r = RunProgram("/usr/bin/python3", {"-c", script, f.string()}, "/dev/null",
                            {{"LC_ALL", "C.UTF-8"}, {"PYTHONIOENCODING", "utf-8"}});
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  return r.out;
}

TEST(Id3v2Tools, TaggedMp3ReadsTheSameElsewhere) {
  zovedu_test::ScratchDir dir;
  const fs::path mp3 = EncodeMp3(dir);
  const std::string md5 = AudioMd5(mp3);
  ASSERT_FALSE(md5.empty());

  tags::TID3v2 t;
  ASSERT_TRUE(t.LoadTags(mp3.string()));
  EXPECT_FALSE(t.Exists);
  t.SetTitle("Title");
  t.SetArtist("Artist");
  t.SetAlbum("Album");
  t.SetTrack(5);
  t.TrackString = "5/12";
  t.SetYear("1999");
  t.SetGenre("Rock");
  t.SetComment("A comment");
  t.SetComposer("Composer");
  t.SetLink("http://example.org/");
  t.OtherFrames.push_back({"APIC", 0, Cat({Text(0, "image/png"), {0, 3, 0}, Bytes(500, 0xFF)})});
  t.OtherFrames.push_back({"TXXX", 0, Cat({Text(0, "key"), {0}, B("value")})});
  ASSERT_TRUE(t.SaveTags(mp3.string()));
  EXPECT_EQ(AudioMd5(mp3), md5);

  const auto listed = RunProgram("/usr/bin/id3v2", {"-l", mp3.string()});
  EXPECT_EQ(listed.exitCode, 0) << listed.describe();
  for (const char* line : {"TIT2 (Title/songname/content description): Title", "TPE1 (Lead performer(s)/Soloist(s)): Artist",
                           "TALB (Album/Movie/Show title): Album", "TRCK (Track number/Position in set): 5/12",
                           "TYER (Year): 1999", "TCON (Content type): Rock", "TCOM (Composer): Composer",
                           "COMM (Comments): ()[eng]: A comment"})
    EXPECT_NE(listed.out.find(line), std::string::npos) << line << "\n" << listed.out;

  // A second save fits the padding: in place, still the same audio.
  t.SetTitle("\xCE\xA9mega \xE2\x82\xAC");
  ASSERT_TRUE(t.SaveTags(mp3.string()));
  EXPECT_EQ(t.Size, 4096u);
  EXPECT_EQ(AudioMd5(mp3), md5);
  const std::string frames = MutagenFrames(mp3);
  for (const char* line : {"version=2.3", "TIT2=\xCE\xA9mega \xE2\x82\xAC", "TPE1=Artist", "TRCK=5/12", "TCON=Rock",
                           "COMM=eng//A comment", "WXXX=http://example.org/", "APIC=image/png,3,500", "TXXX=key/value"})
    EXPECT_NE(frames.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << frames;
}

}  // namespace
