// What the audio file readers share: loading the tags around the audio data
// and finding where that data starts and ends.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "tags/ape_tag.h"
#include "tags/end_tags.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/toolkit/byte_source.h"

namespace tags {

// The byte range of the audio data: after the ID3v2 tag, in front of the
// APE tag, the Lyrics3 block and the ID3v1 tag.
struct AudioRange {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  std::uint64_t size() const { return end - start; }
};

// Loads the ID3v2 tag, the ID3v1 tag with its fields and the APE tag, and
// returns where the audio data lies between them.
inline AudioRange LoadFileTags(const ByteSource& source, TID3v2& id3v2, TID3v1& id3v1,
                               TAPEtag& ape) {
  id3v2.ResetData();
  id3v1.ResetData();
  ape.ResetData();
  id3v2.LoadTags(source);
  id3v1.LoadTags(source, true);
  ape.LoadTags(source);

  const std::uint64_t size = source.size();
  AudioRange range;
  range.start = id3v2.Exists ? std::min<std::uint64_t>(id3v2.Size, size) : 0;
  range.end = std::max(range.start, LocateEndTags(source).audioEnd);
  return range;
}

// What every reader of an audio file with ID3 and APE tags offers: the file's
// three tags and the stream facts all of them derive.
class TTaggedAudio {
 public:
  bool Valid() const { return valid_; }

  TID3v1 ID3v1;
  TID3v2 ID3v2;
  TAPEtag APEtag;

  double Duration() const { return duration_; }  // seconds
  int BitRate() const { return bitRate_; }        // kbit/s over the audio data

 protected:
  bool valid_ = false;
  double duration_ = 0;
  int bitRate_ = 0;
};

// kbit/s of bytes played in seconds, rounded and kept within int.
inline int KbitPerSecond(double bytes, double seconds) {
  if (!(seconds > 0)) return 0;
  const double kbits = std::round(bytes * 8 / seconds / 1000);
  return kbits >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(kbits);
}

// Opens path and hands it to reader.ReadFromSource; false (with the reader
// reset) when the file cannot be opened.
template <class Reader>
bool ReadFileWith(Reader& reader, const std::string& path) {
  const std::unique_ptr<FileSource> source = FileSource::Open(path);
  if (!source) {
    reader.ReadFromSource(MemorySource(Bytes{}));
    return false;
  }
  return reader.ReadFromSource(*source);
}

}  // namespace tags
