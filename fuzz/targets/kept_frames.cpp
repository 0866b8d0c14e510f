#include "targets/kept_frames.h"

#include <vector>

namespace zovedu_fuzz {
namespace {

std::vector<const tags::TID3v2::RawFrame*> WithContent(const tags::TID3v2& tag) {
  std::vector<const tags::TID3v2::RawFrame*> frames;
  for (const tags::TID3v2::RawFrame& f : tag.OtherFrames)
    if (!f.content.empty()) frames.push_back(&f);
  return frames;
}

}  // namespace

bool SameKeptFrames(const tags::TID3v2& a, const tags::TID3v2& b) {
  const auto x = WithContent(a), y = WithContent(b);
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (x[i]->id != y[i]->id || x[i]->flags != y[i]->flags || x[i]->content != y[i]->content) return false;
  return true;
}

}  // namespace zovedu_fuzz
