// The load -> save -> load check shared by the two files that carry Vorbis
// comments (Ogg Vorbis, FLAC); sameStream compares what each derives from
// its stream.
#pragma once

#include <functional>
#include <string>

#include "targets/fuzz_support.h"
#include "targets/sample_values.h"

namespace zovedu_fuzz {

template <typename File>
int VorbisCommentsRoundtrip(const char* name, const std::uint8_t* data, std::size_t size,
                            const std::function<bool(const File&, const File&)>& sameStream) {
  const std::string path = WriteScratchFile(data, size);
  const tags::Bytes before(data, data + size);
  File file;
  const bool loaded = file.LoadFile(path);
  const File original = file;
  file.Title = SampleText(data, size, 0);
  file.Artist = SampleText(data, size, 1);
  if (!CheckedSave(name, path, before, [&] { return file.SaveTags(path); })) return 0;

  File again;
  Check(again.LoadFile(path), name, "the saved file does not load");
  Check(again.Title == file.Title && again.Artist == file.Artist, name,
        "saved '" + file.Title + "' / '" + file.Artist + "', read back '" + again.Title + "' / '" + again.Artist + "'");
  if (!loaded) return 0;
  Check(again.Album == original.Album && again.Date == original.Date && again.Genre == original.Genre &&
            again.Comment == original.Comment && again.Track == original.Track && again.Vendor == original.Vendor,
        name, "a field the save did not change read back different");
  Check(sameStream(again, original), name, "the stream's properties changed");
  return 0;
}

}  // namespace zovedu_fuzz
