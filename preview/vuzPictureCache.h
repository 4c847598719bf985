// The picture cache of prepared pages: every picture shown on a prepared page
// is written once into a list of segments (memory blocks, or "frPic"
// temporary files in file mode) and page elements refer to it by a 1-based
// number, the picture object's ImageIndex. It is saved with a prepared
// report as hexadecimal "item" elements.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/picture.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "report/vuzXML.h"

namespace preview {

using rtl::AnsiString;

// A read-only window [start, start + length) of another stream: readers that
// run to the end of their stream stop at the end of one picture.
class TfrxBoundedStream : public rtl::TStream {
 public:
  TfrxBoundedStream(rtl::TStream& base, std::int64_t start, std::int64_t length);
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;
  std::int64_t Size() override { return length_; }
  void SetSize(std::int64_t newSize) override;

 private:
  rtl::TStream& base_;
  std::int64_t start_;
  std::int64_t length_;
  std::int64_t pos_ = 0;
};

// One picture: its segment and where it starts there. Offsets are 64-bit, so
// a segment may grow past 2 GiB; segments are still started anew at the
// limit below to keep single temporary files of a sane size.
struct TfrxCacheEntry {
  int Segment = 0;
  std::int64_t Offset = 0;
};

class TfrxCacheList {
 public:
  int Count() const { return static_cast<int>(entries_.size()); }
  const TfrxCacheEntry& Items(int index) const { return entries_[static_cast<std::size_t>(index)]; }
  void Add(TfrxCacheEntry entry) { entries_.push_back(entry); }
  void Clear() { entries_.clear(); }

 private:
  std::vector<TfrxCacheEntry> entries_;
};

class TfrxPictureCache {
 public:
  // Five sixths of 2 GiB: where a new segment is started.
  static constexpr std::int64_t kDefaultSegmentLimit = 0x6AAAAAAA;

  TfrxPictureCache();
  ~TfrxPictureCache();
  TfrxPictureCache(const TfrxPictureCache&) = delete;
  TfrxPictureCache& operator=(const TfrxPictureCache&) = delete;

  // Frees the segments (deleting their temporary files) and the entries.
  void Clear();
  // Both take effect only while the cache holds no segment.
  void SetTempDir(const AnsiString& folder);
  void SetUseFileCache(bool on);
  bool UseFileCache() const { return fileMode_; }
  // Tests lower it to see segments change without writing gigabytes.
  void SetSegmentLimit(std::int64_t bytes) { segmentLimit_ = bytes > 0 ? bytes : kDefaultSegmentLimit; }

  // Room for one more picture at the end of the last segment.
  void Add();
  void AddSegment();

  // Stores the picture and answers its number (1-based), 0 for a picture
  // without graphic (nothing is stored then).
  int AddPicture(const gfx::TPicture& picture);
  // Loads picture number imageIndex into picture. A number outside the
  // entries clears it (true); bytes that no picture class reads clear it
  // too and answer false.
  bool GetPicture(int imageIndex, gfx::TPicture& picture);
  // The stored bytes of picture number imageIndex (empty outside the entries).
  std::string PictureBytes(int imageIndex);

  void SaveToXML(report::TfrxXMLItem* item);
  // Rebuilds the entries in the saved order, so stored numbers stay valid.
  void LoadFromXML(report::TfrxXMLItem* item);

  int Count() const { return entries_.Count(); }
  const TfrxCacheList& Entries() const { return entries_; }
  int SegmentCount() const { return static_cast<int>(segments_.size()); }
  const std::vector<AnsiString>& TempFileNames() const { return tempFileNames_; }

 private:
  std::int64_t PictureLength(int entryIndex);
  rtl::TStream& LastSegment() { return *segments_.back(); }

  TfrxCacheList entries_;
  std::vector<std::unique_ptr<rtl::TStream>> segments_;
  std::vector<AnsiString> tempFileNames_;
  AnsiString tempDir_;
  bool fileMode_ = false;
  std::int64_t segmentLimit_ = kDefaultSegmentLimit;
};

// Hex text to bytes: two digits per byte, high nibble first; decoding stops
// at the first character that is not a hex digit (and ignores an odd last one).
std::string vuzHexToBytes(const AnsiString& text);
AnsiString vuzBytesToHex(const std::string& bytes);

}  // namespace preview
