#include "tags/taglib/wma_tags.h"

#include <taglib/asfattribute.h>
#include <taglib/asffile.h>
#include <taglib/asftag.h>
#include <taglib/tbytevectorstream.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include "tags/taglib/asf_header.h"
#include "tags/taglib/taglib_text.h"
#include "tags/toolkit/text.h"

namespace tags {

void ShortString::set(std::string_view utf8) {
  const std::string cut = Utf8CutBytes(utf8, chars.size());
  chars.fill(0);
  std::copy(cut.begin(), cut.end(), chars.begin());
  length = std::uint8_t(cut.size());
}

namespace {

using TagLib::ASF::Attribute;

// The texts a save writes, in this order. Four of them live in the content
// description object, which TagLib keeps as fixed fields, the rest are
// attributes of the extended content description.
struct WmaField {
  const char* name;
  bool contentDescription;
  ShortString TTagsData::*shortText;
  std::string TTagsData::*longText;
};

constexpr WmaField kFields[] = {
    {"WM/EncodedBy", false, &TTagsData::EncodedBy, nullptr},
    {"WM/Genre", false, &TTagsData::Genre, nullptr},
    {"Author", true, &TTagsData::Artist, nullptr},
    {"WM/Composer", false, &TTagsData::Composer, nullptr},
    {"Title", true, &TTagsData::Title, nullptr},
    {"WM/AlbumTitle", false, &TTagsData::Album, nullptr},
    {"WM/Year", false, &TTagsData::Year, nullptr},
    {"WM/TrackNumber", false, &TTagsData::Track, nullptr},
    {"WM/URL", false, &TTagsData::Link, nullptr},
    {"Copyright", true, &TTagsData::Copyright, nullptr},
    {"Description", true, nullptr, &TTagsData::Description},
    {"WM/Lyrics", false, nullptr, &TTagsData::Lyrics},
};

std::string FieldText(const TTagsData& r, const WmaField& f) {
  return f.shortText ? (r.*f.shortText).str() : r.*f.longText;
}

void SetFieldText(TTagsData& r, const WmaField& f, const std::string& text) {
  if (f.shortText)
    (r.*f.shortText).set(text);
  else
    r.*f.longText = text;
}

TagLib::String ContentText(const TagLib::ASF::Tag& tag, const std::string& name) {
  if (name == "Title") return tag.title();
  if (name == "Author") return tag.artist();
  if (name == "Description") return tag.comment();
  return tag.copyright();
}

void SetContentText(TagLib::ASF::Tag& tag, const std::string& name, const TagLib::String& text) {
  if (name == "Title")
    tag.setTitle(text);
  else if (name == "Author")
    tag.setArtist(text);
  else if (name == "Description")
    tag.setComment(text);
  else
    tag.setCopyright(text);
}

// The stored name of the first attribute called name, letter case aside.
std::optional<TagLib::String> FindName(const TagLib::ASF::Tag& tag, const std::string& name) {
  const std::string wanted = ToUpperAscii(name);
  for (const auto& [key, list] : tag.attributeListMap())
    if (!list.isEmpty() && ToUpperAscii(FromTagLib(key)) == wanted) return key;
  return std::nullopt;
}

const Attribute* FindAttribute(const TagLib::ASF::Tag& tag, const std::string& name) {
  const auto key = FindName(tag, name);
  return key ? &tag.attributeListMap()[*key].front() : nullptr;
}

// Text attributes as they are; numbers (some taggers store the track so) in
// decimal.
std::string AttributeText(const TagLib::ASF::Tag& tag, const std::string& name) {
  const Attribute* a = FindAttribute(tag, name);
  if (!a) return {};
  switch (a->type()) {
    case Attribute::UnicodeType: return FromTagLib(a->toString());
    case Attribute::WordType: return std::to_string(a->toUShort());
    case Attribute::DWordType: return std::to_string(a->toUInt());
    case Attribute::QWordType: return std::to_string(a->toULongLong());
    default: return {};
  }
}

bool AttributeFlag(const TagLib::ASF::Tag& tag, const std::string& name) {
  const Attribute* a = FindAttribute(tag, name);
  if (!a) return false;
  if (a->type() == Attribute::BoolType) return a->toBool() != 0;
  if (a->type() == Attribute::DWordType) return a->toUInt() != 0;
  return false;
}

void FillRecord(const TagLib::ASF::Tag& tag, TTagsData& r) {
  r = TTagsData{};
  for (const WmaField& f : kFields) {
    std::string text = f.contentDescription ? FromTagLib(ContentText(tag, f.name)) : std::string();
    SetFieldText(r, f, text.empty() ? AttributeText(tag, f.name) : text);
  }
  if (r.Genre.length == 0) r.Genre.set(AttributeText(tag, "WM/GenreID"));
  r.SdkVersion.set(AttributeText(tag, "WMFSDKVersion"));
  r.IsVbr = AttributeFlag(tag, "IsVBR");
  r.IsProtected = AttributeFlag(tag, "Is_Protected");
}

// Found and a value: modified; found and empty: deleted; missing and a value:
// added; missing and empty: nothing.
void ApplyToAttribute(TagLib::ASF::Tag& tag, const std::string& name, const std::string& value, bool mayAdd) {
  const auto key = FindName(tag, name);
  if (key && value.empty()) {
    tag.removeItem(*key);
  } else if (key) {
    TagLib::ASF::AttributeList list = tag.attribute(*key);
    list[0] = Attribute(ToTagLib(value));
    tag.setAttribute(*key, list);
  } else if (!value.empty() && mayAdd) {
    tag.setAttribute(name, Attribute(ToTagLib(value)));
  }
}

// Some muxers repeat the content description fields as attributes of the same
// name; those follow the field, so that no reader finds the old value.
void Apply(TagLib::ASF::Tag& tag, const WmaField& f, const std::string& value) {
  if (f.contentDescription) SetContentText(tag, f.name, ToTagLib(value));
  ApplyToAttribute(tag, f.name, value, !f.contentDescription);
}

// What identifies an attribute's content, for comparing a saved file with
// what was meant to be saved.
std::string Fingerprint(const Attribute& a) {
  std::string s = std::to_string(a.type()) + ':' + std::to_string(a.language()) + ':' + std::to_string(a.stream()) + ':';
  switch (a.type()) {
    case Attribute::UnicodeType: return s + FromTagLib(a.toString());
    case Attribute::BoolType: return s + std::to_string(a.toBool());
    case Attribute::WordType: return s + std::to_string(a.toUShort());
    case Attribute::DWordType: return s + std::to_string(a.toUInt());
    case Attribute::QWordType: return s + std::to_string(a.toULongLong());
    default: {
      // TagLib holds a WM/Picture as a picture, not as bytes.
      const TagLib::ByteVector b = a.toPicture().isValid() ? a.toPicture().render() : a.toByteVector();
      return s + std::string(b.data(), b.size());
    }
  }
}

bool SameTag(const TagLib::ASF::Tag& a, const TagLib::ASF::Tag& b) {
  for (const char* name : {"Title", "Author", "Description", "Copyright"})
    if (ContentText(a, name) != ContentText(b, name)) return false;
  const auto& ma = a.attributeListMap();
  const auto& mb = b.attributeListMap();
  if (ma.size() != mb.size()) return false;
  for (auto ia = ma.begin(), ib = mb.begin(); ia != ma.end(); ++ia, ++ib) {
    if (ia->first != ib->first || ia->second.size() != ib->second.size()) return false;
    for (auto ja = ia->second.begin(), jb = ib->second.begin(); ja != ia->second.end(); ++ja, ++jb)
      if (Fingerprint(*ja) != Fingerprint(*jb)) return false;
  }
  return true;
}

// A header object parsed by TagLib from memory; a save renders it back there.
class ParsedHeader {
 public:
  explicit ParsedHeader(const Bytes& header)
      : stream_(TagLib::ByteVector(reinterpret_cast<const char*>(header.data()), static_cast<unsigned>(header.size()))),
        file_(&stream_, false) {}
  TagLib::ASF::Tag* tag() { return file_.isValid() ? file_.tag() : nullptr; }
  std::optional<Bytes> save() {
    if (!file_.save()) return std::nullopt;
    const TagLib::ByteVector* d = stream_.data();
    return Bytes(d->begin(), d->end());
  }

 private:
  TagLib::ByteVectorStream stream_;
  TagLib::ASF::File file_;
};

// The file last read and the record as it was filled, so that a save changes
// only what the caller changed.
struct LastRead {
  std::string path;
  TTagsData record;
};

std::mutex gMutex;
LastRead gLast;

}  // namespace

bool ReadWmaTags(const std::string& path, TTagsData& record) {
  const auto header = LoadAsfHeader(path);
  if (!header) return false;
  ParsedHeader parsed(*header);
  const TagLib::ASF::Tag* tag = parsed.tag();
  if (!tag) return false;
  FillRecord(*tag, record);
  std::lock_guard lock(gMutex);
  gLast = {path, record};
  return true;
}

bool WriteWmaTags(const TTagsData& record) {
  std::lock_guard lock(gMutex);
  if (gLast.path.empty()) return false;
  const auto header = LoadAsfHeader(gLast.path);
  if (!header) return false;
  ParsedHeader parsed(*header);
  TagLib::ASF::Tag* tag = parsed.tag();
  if (!tag) return false;

  bool changed = false;
  for (const WmaField& f : kFields) {
    const std::string value = FieldText(record, f);
    if (value == FieldText(gLast.record, f)) continue;  // the file keeps its own, whole value
    Apply(*tag, f, value);
    changed = true;
  }
  if (changed) {
    const auto newHeader = parsed.save();
    if (!newHeader) return false;
    const auto verify = [&](const std::string& temp) {
      const auto saved = LoadAsfHeader(temp);
      if (!saved || saved->size() != newHeader->size()) return false;
      ParsedHeader reread(*saved);
      return reread.tag() && SameTag(*reread.tag(), *tag);
    };
    if (!ReplaceAsfHeader(gLast.path, header->size(), *newHeader, verify)) return false;
  }
  gLast.record = record;
  return true;
}

}  // namespace tags
