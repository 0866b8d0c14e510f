// Tag saves on 100 MB files, timed next to copying the same file with
// `cp --reflink=never F G && sync G`: a rewrite cannot be much cheaper than a
// copy, so RATIO = our save / copy shows what the writer costs beyond moving
// the bytes (about 1 is the aim for a full rewrite, far below 1 in place).
// `vorbiscomment -w` is timed beside the Ogg rewrite.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "bench_support.h"
#include "tags/flac_tags.h"
#include "tags/id3v2.h"
#include "tags/ogg_vorbis.h"
#include "tags/taglib/mp4tag.h"
#include "tags/taglib/wma_tags.h"

namespace fs = std::filesystem;

namespace {

double WallSeconds(const std::function<bool()>& work, bool* ok = nullptr) {
  const auto start = std::chrono::steady_clock::now();
  const bool done = work();
  if (ok) *ok = done;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// A file of about 100 MB: a minute of encoded tone looped by ffmpeg without
// re-encoding, into the container of ext.
fs::path MakeBigFile(const fs::path& dir, const std::string& ext, const std::string& codecArgs) {
  const fs::path small = dir / ("small." + ext), big = dir / ("big." + ext);
  const std::string q = "'";
  if (!Shell("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=60 -ac 2 " + codecArgs + " " +
             q + small.string() + q))
    return {};
  const auto loops = std::max<std::uintmax_t>(1, 100'000'000 / fs::file_size(small)) - 1;
  if (!Shell("ffmpeg -nostdin -v error -y -stream_loop " + std::to_string(loops) + " -i " + q + small.string() + q +
             " -map 0:a -c copy " + q + big.string() + q))
    return {};
  return big;
}

// The lowest of five runs; each run starts from a fresh copy of the file.
double Lowest(const fs::path& original, const fs::path& work, const std::function<bool(const std::string&)>& save,
              bool* ok) {
  double best = 1e9;
  *ok = true;
  for (int i = 0; i < 5; ++i) {
    fs::copy_file(original, work, fs::copy_options::overwrite_existing);
    Shell("sync");
    bool done = false;
    best = std::min(best, WallSeconds([&] { return save(work.string()); }, &done));
    *ok = *ok && done;
  }
  return best;
}

double CopySeconds(const fs::path& original, const fs::path& dir) {
  const fs::path target = dir / "copy";
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    fs::remove(target);
    Shell("sync");
    best = std::min(best, WallSeconds([&] {
      return Shell("cp --reflink=never '" + original.string() + "' '" + target.string() + "' && sync '" +
                   target.string() + "'");
    }));
  }
  fs::remove(target);
  return best;
}

void Report(const char* what, const fs::path& original, const fs::path& dir,
            const std::function<bool(const std::string&)>& save) {
  if (original.empty()) {
    std::printf("%-28s could not make the file\n", what);
    return;
  }
  bool ok = false;
  const double ours = Lowest(original, dir / ("work" + original.extension().string()), save, &ok);
  const double copy = CopySeconds(original, dir);
  std::printf("%-28s %6.1f MB  ours %.3f s  cp+sync %.3f s  RATIO %.2f%s\n", what,
              double(fs::file_size(original)) / 1e6, ours, copy, ours / copy, ok ? "" : "  (save FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "zovedu-tag-bench";
  fs::create_directories(dir);
  const std::string value(200, 'v');

  // No ID3v2 tag yet: the writer puts a 4096-byte one in front, a full rewrite.
  Report("ID3v2 new tag (rewrite)", MakeBigFile(dir, "mp3", "-c:a libmp3lame -b:a 320k -write_xing 0 -id3v2_version 0"), dir,
         [&](const std::string& f) {
           tags::TID3v2 t;
           t.LoadTags(f);
           t.SetTitle("A title");
           return t.SaveTags(f);
         });

  const fs::path ogg = MakeBigFile(dir, "ogg", "-c:a libvorbis -q:a 8");
  Report("Ogg same page count", ogg, dir, [&](const std::string& f) {
    tags::TOggVorbis o;
    if (!o.LoadFile(f)) return false;
    o.Title = "A title";
    return o.SaveTags(f);
  });
  Report("Ogg header pages grow", ogg, dir, [&](const std::string& f) {
    tags::TOggVorbis o;
    if (!o.LoadFile(f)) return false;
    o.Comment = std::string(70000, 'c');
    return o.SaveTags(f);
  });
  Report("vorbiscomment -w (beside)", ogg, dir, [&](const std::string& f) {
    return Shell("vorbiscomment -w -t 'TITLE=A title' '" + f + "'");
  });

  // No padding left: the writer rewrites the file with new padding.
  Report("FLAC rewrite", MakeBigFile(dir, "flac", "-c:a flac"), dir, [&](const std::string& f) {
    tags::TFlacTags t;
    if (!t.LoadFile(f)) return false;
    t.Comment = std::string(20000, 'c');
    return t.SaveTags(f);
  });

  Report("WMA save", MakeBigFile(dir, "wma", "-c:a wmav2 -b:a 192k"), dir, [&](const std::string& f) {
    tags::TTagsData d;
    if (!tags::ReadWmaTags(f, d)) return false;
    d.Title.set("A title");
    d.Description = value;
    return tags::WriteWmaTags(d);
  });

  Report("M4A save", MakeBigFile(dir, "m4a", "-c:a aac -b:a 256k"), dir, [&](const std::string& f) {
    if (!tags::OpenMp4(f.c_str())) return false;
    std::vector<std::uint8_t> record(tags::kMp4RecordSize, 0);
    tags::GetFileTags(record.data());
    std::snprintf(reinterpret_cast<char*>(record.data() + tags::kMp4TitleOffset), tags::kMp4TextSize, "A title");
    tags::SetFileTags(record.data());
    const bool ok = tags::ChangeTags() != 0;
    tags::CloseMp4();
    return ok;
  });
  fs::remove_all(dir);
  return 0;
}
