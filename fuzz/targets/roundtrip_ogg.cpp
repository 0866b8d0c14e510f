#include "tags/ogg_vorbis.h"
#include "targets/fuzz_support.h"
#include "targets/fuzz_targets.h"
#include "targets/sample_values.h"

namespace zovedu_fuzz {

// Loads the input as a file, sets title and artist, saves and loads again: the
// new values, the other fields and the stream's properties are all there.
int FuzzOggRoundtrip(const std::uint8_t* data, std::size_t size) {
  const char* name = "ogg_roundtrip";
  const std::string path = WriteScratchFile(data, size);
  const tags::Bytes before(data, data + size);
  tags::TOggVorbis file;
  const bool loaded = file.LoadFile(path);
  const tags::TOggVorbis original = file;
  file.Title = SampleText(data, size, 0);
  file.Artist = SampleText(data, size, 1);
  if (!CheckedSave(name, path, before, [&] { return file.SaveTags(path); })) return 0;

  tags::TOggVorbis again;
  Check(again.LoadFile(path), name, "the saved file does not load");
  Check(again.Title == file.Title && again.Artist == file.Artist, name,
        "saved '" + file.Title + "' / '" + file.Artist + "', read back '" + again.Title + "' / '" + again.Artist + "'");
  if (!loaded) return 0;
  Check(again.Album == original.Album && again.Date == original.Date && again.Genre == original.Genre &&
            again.Comment == original.Comment && again.Track == original.Track && again.Vendor == original.Vendor,
        name, "a field the save did not change read back different");
  Check(again.Channels() == original.Channels() && again.SampleRate() == original.SampleRate() &&
            again.Samples() == original.Samples() && again.ID3v2Size() == original.ID3v2Size(),
        name, "the stream's properties changed");
  return 0;
}

}  // namespace zovedu_fuzz
