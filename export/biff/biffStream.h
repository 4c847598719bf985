// The BIFF8 record stream: records of at most 8,224 payload bytes, longer
// payloads continued in CONTINUE records, kept in memory or in a temporary
// file. A record handle is a value (the stream and the record's offset), so a
// caller may keep one while the stream grows or swaps handles out.
#pragma once
#include <cstdint>
#include <memory>

#include "export/biff/durEdivazu.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"

namespace report {

using rtl::AnsiString;
using rtl::WideString;

constexpr int kBiffMaxRecordData = 8224;
constexpr std::uint16_t kBiffContinue = 0x003C;

class TBiffStream;

class TBiffRecord {
 public:
  TBiffRecord() = default;
  TBiffRecord(TBiffStream* stream, std::uint32_t offset) : stream_(stream), offset_(offset) {}
  explicit operator bool() const { return stream_ != nullptr; }
  bool operator==(const TBiffRecord& o) const { return stream_ == o.stream_ && offset_ == o.offset_; }

  TBiffStream* Stream() const { return stream_; }
  std::uint32_t Offset() const { return offset_; }
  int GetRecId() const;
  int GetSize() const;
  void SetSize(int n);

  // Appends payload bytes; beyond 8,224 they continue in CONTINUE records.
  void Write(const void* data, int n);
  void WriteConst(std::uint32_t value, int n);
  void WriteDouble(double value);
  void WriteZeros(int n);
  void WriteStream(rtl::TStream& source);
  // Overwrites n (1..4) bytes of this record's own payload at pos.
  void WriteBytes(int pos, std::uint32_t value, int n);
  int LoadFromStream(rtl::TStream& source);
  int SaveToStream(rtl::TStream& dest) const;

 private:
  TBiffStream* stream_ = nullptr;
  std::uint32_t offset_ = 0;
};

class TBiffStream {
 public:
  // With the file cache the record data and the record list live in
  // temporary files, deleted with the stream.
  explicit TBiffStream(bool useFileCache = true);
  ~TBiffStream();
  TBiffStream(const TBiffStream&) = delete;
  TBiffStream& operator=(const TBiffStream&) = delete;

  int GetRecCount() const { return records_->GetObjectsCount(); }
  TBiffRecord GetRecord(int i);
  std::int64_t GetSize() const { return size_; }
  void SaveToStream(rtl::TStream& dest);

  std::uint32_t ReadBytes(std::int64_t pos, int n);
  void WriteBytes(std::int64_t pos, std::uint32_t value, int n);
  // Raw access for the encryption, which rewrites payloads in place.
  void ReadData(std::int64_t pos, void* buffer, int n);
  void WriteData(std::int64_t pos, const void* buffer, int n);

  TBiffRecord Add(int id);
  TBiffRecord AddBOF(int type);
  TBiffRecord AddEOF();
  // The most recent record other than CONTINUE, and the last record of all.
  TBiffRecord LastRealRecord() const { return lastReal_; }
  TBiffRecord LastRecord() const { return last_; }

  void AppendData(const void* buffer, int n);
  void Append(std::uint32_t value, int n);
  void AppendRecord(const TBiffRecord& record, const void* data, int n);

  bool UsesFileCache() const { return fileCache_; }
  int LastRecordSize() const { return lastSize_; }

 private:
  friend class TBiffRecord;
  void SetRecordSize(const TBiffRecord& record, int n);

 public:
 private:
  bool fileCache_;
  std::unique_ptr<rtl::TStream> data_;
  AnsiString dataFileName_;
  std::unique_ptr<TListCache> records_;
  TBiffRecord lastReal_, last_;
  int lastSize_ = 0;  // payload size of last_, kept here to save reading it back
  std::int64_t size_ = 0;
};

// The base of every record object of the workbook.
class TBiffObject : public rtl::TObject {
 public:
  virtual void Flush(TBiffStream& stream) = 0;
  virtual std::uint32_t GetHashCode() { return 0; }
  virtual bool Equals(TBiffObject& other) { return &other == this; }
  template <class List>
  static void FlushList(const List& list, TBiffStream& stream) {
    for (const auto& item : list) item->Flush(stream);
  }
};

// A BIFF8 unicode string: character count, options, optional formatting
// runs; written with 8-bit characters when every one fits.
class TBiffUCS : public TBiffObject {
 public:
  TBiffUCS() = default;
  TBiffUCS(WideString text, bool length16);

  void SetData(WideString text);
  const WideString& Text() const { return text_; }
  void AddFormat(int charIndex, int fontIndex);
  const std::string& Runs() const { return runs_; }
  bool IsCompressible() const;
  std::uint32_t GetHashCode() override;
  // Same text (and so the same hash); runs and flags are not compared.
  bool Equals(TBiffObject& other) override;
  void Flush(TBiffStream& stream) override;

  bool CompressionAllowed = true;
  bool Length16 = false;
  int FormatNumber = 0;
  int TableIndex = 0;

 private:
  WideString text_;
  std::string runs_;  // 4 bytes per run: character index, font index
  std::uint32_t hash_ = 0;
};

}  // namespace report
