#include "preview/vuzPictureCache.h"

#include <algorithm>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"

namespace preview {

// --- bounded window ---------------------------------------------------------

TfrxBoundedStream::TfrxBoundedStream(rtl::TStream& base, std::int64_t start, std::int64_t length)
    : base_(base), start_(start), length_(std::max<std::int64_t>(0, length)) {}

std::int64_t TfrxBoundedStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t n = std::min(count, length_ - pos_);
  if (n <= 0) return 0;
  base_.SetPosition(start_ + pos_);
  const std::int64_t got = base_.Read(buffer, n);
  if (got > 0) pos_ += got;
  return got;
}

std::int64_t TfrxBoundedStream::Write(const void*, std::int64_t) { return 0; }

std::int64_t TfrxBoundedStream::Seek(std::int64_t offset, rtl::TSeekOrigin origin) {
  const std::int64_t base = origin == rtl::soBeginning ? 0 : origin == rtl::soCurrent ? pos_ : length_;
  pos_ = std::clamp<std::int64_t>(base + offset, 0, length_);
  return pos_;
}

void TfrxBoundedStream::SetSize(std::int64_t) { throw rtl::EStreamError("A picture window cannot change its size"); }

// --- hex ----------------------------------------------------------------------

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string vuzHexToBytes(const AnsiString& text) {
  std::string out;
  out.reserve(text.size() / 2);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) break;
    out.push_back(static_cast<char>(hi * 16 + lo));
  }
  return out;
}

AnsiString vuzBytesToHex(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString out;
  out.resize(bytes.size() * 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out[2 * i] = kHex[b >> 4];
    out[2 * i + 1] = kHex[b & 15];
  }
  return out;
}

// --- cache ----------------------------------------------------------------------

TfrxPictureCache::TfrxPictureCache() = default;

TfrxPictureCache::~TfrxPictureCache() {
  try {
    Clear();
  } catch (...) {
  }
}

void TfrxPictureCache::Clear() {
  for (std::size_t i = 0; i < segments_.size(); ++i) {
    segments_[i].reset();
    if (fileMode_ && i < tempFileNames_.size()) rtl::DeleteFile(tempFileNames_[i]);
  }
  segments_.clear();
  tempFileNames_.clear();
  entries_.Clear();
}

void TfrxPictureCache::SetTempDir(const AnsiString& folder) {
  if (segments_.empty()) tempDir_ = folder;
}

void TfrxPictureCache::SetUseFileCache(bool on) {
  if (segments_.empty()) fileMode_ = on;
}

void TfrxPictureCache::AddSegment() {
  if (fileMode_) {
    AnsiString folder = tempDir_.substr(0, 64);
    if (!folder.empty() && !rtl::DirectoryExists(folder)) folder.clear();
    const AnsiString name = rtl::GetTempFileName(folder, "frPic");
    if (name.empty()) throw rtl::EFCreateError("Cannot create a temporary file for pictures in " + folder);
    auto file = std::make_unique<rtl::TFileStream>(name, rtl::fmOpenReadWrite);
    tempFileNames_.push_back(name);
    segments_.push_back(std::move(file));
  } else {
    segments_.push_back(std::make_unique<rtl::TMemoryStream>());
  }
}

void TfrxPictureCache::Add() {
  if (segments_.empty() || LastSegment().Size() >= segmentLimit_) AddSegment();
  rtl::TStream& last = LastSegment();
  const std::int64_t end = last.Size();
  entries_.Add({static_cast<int>(segments_.size()) - 1, end});
  last.SetPosition(end);
}

int TfrxPictureCache::AddPicture(const gfx::TPicture& picture) {
  if (!picture.Graphic()) return 0;
  Add();
  picture.SaveToStream(LastSegment());
  return entries_.Count();
}

std::int64_t TfrxPictureCache::PictureLength(int entryIndex) {
  const TfrxCacheEntry& e = entries_.Items(entryIndex);
  if (entryIndex + 1 < entries_.Count() && entries_.Items(entryIndex + 1).Segment == e.Segment)
    return entries_.Items(entryIndex + 1).Offset - e.Offset;
  return segments_[static_cast<std::size_t>(e.Segment)]->Size() - e.Offset;
}

bool TfrxPictureCache::GetPicture(int imageIndex, gfx::TPicture& picture) {
  if (imageIndex <= 0 || imageIndex > entries_.Count() || segments_.empty()) {
    picture.Clear();
    return true;
  }
  const TfrxCacheEntry& e = entries_.Items(imageIndex - 1);
  TfrxBoundedStream window(*segments_[static_cast<std::size_t>(e.Segment)], e.Offset, PictureLength(imageIndex - 1));
  try {
    picture.LoadFromStream(window);
    return true;
  } catch (const rtl::Exception&) {
    picture.Clear();
    return false;
  }
}

std::string TfrxPictureCache::PictureBytes(int imageIndex) {
  if (imageIndex <= 0 || imageIndex > entries_.Count()) return {};
  const TfrxCacheEntry& e = entries_.Items(imageIndex - 1);
  TfrxBoundedStream window(*segments_[static_cast<std::size_t>(e.Segment)], e.Offset, PictureLength(imageIndex - 1));
  return window.ReadRest();
}

void TfrxPictureCache::SaveToXML(report::TfrxXMLItem* item) {
  item->Clear();
  for (int i = 0; i < entries_.Count(); ++i) {
    report::TfrxXMLItem* child = item->Add("item");
    // Hex digits need no escaping, so the attribute text is built directly.
    child->Prop = "stream=\"" + vuzBytesToHex(PictureBytes(i + 1)) + "\"";
  }
}

void TfrxPictureCache::LoadFromXML(report::TfrxXMLItem* item) {
  Clear();
  for (int i = 0; i < item->Count(); ++i) {
    Add();
    // Hex digits need no decoding; the raw value is read as it stands.
    const AnsiString& prop = item->Items(i)->Prop;
    const std::size_t start = prop.find("stream=\"");
    LastSegment().WriteString(start == std::string::npos ? std::string() : vuzHexToBytes(prop.substr(start + 8)));
  }
}

}  // namespace preview
