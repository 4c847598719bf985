// Streams that deflate what is written to them into another stream, or inflate
// another stream as they are read, plus buffer-to-buffer helpers over zlib.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/streams.h"

namespace report {

enum TZCompressionLevel { zcNone, zcFastest, zcDefault, zcMax };

using rtl::Exception;
RTL_DECLARE_EXCEPTION(EZLibError, Exception)
RTL_DECLARE_EXCEPTION(EZCompressionError, EZLibError)
RTL_DECLARE_EXCEPTION(EZDecompressionError, EZLibError)

// The text of a negative zlib result ("data error", "buffer error", ...).
const char* ZErrorText(int code);
int ZLevel(TZCompressionLevel level);

inline constexpr const char* kInvalidZStreamOperation = "Invalid ZStream operation!";

class TCustomZStream : public rtl::TStream {
 public:
  using TProgressEvent = std::function<void(TCustomZStream& sender)>;
  TProgressEvent OnProgress;

 protected:
  explicit TCustomZStream(rtl::TStream& strm);
  virtual void DoProgress();

  static constexpr std::int64_t kBufferSize = 65536;
  rtl::TStream& strm_;        // not owned
  std::int64_t strmPos_ = 0;  // where this stream continues in strm_
  z_stream zrec_{};
  std::string buffer_;
};

// Everything written is deflated into the destination. The output is complete
// only after Finish (or destruction, which finishes and swallows a failure:
// call Finish yourself when a write error must reach you).
class TZCompressionStream : public TCustomZStream {
 public:
  TZCompressionStream(rtl::TStream& dest, TZCompressionLevel level = zcDefault);
  ~TZCompressionStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Only offset 0 from the current position: the count of bytes taken.
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;

  void Finish();
  float GetCompressionRate() const;

 private:
  bool finished_ = false;
};

// Reads inflate the source from the position it had at construction. Reading
// to the end leaves the source just after the compressed data.
class TZDecompressionStream : public TCustomZStream {
 public:
  explicit TZDecompressionStream(rtl::TStream& source);
  ~TZDecompressionStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // To the beginning, forwards, or to the end (which answers the size).
  std::int64_t Seek(std::int64_t offset, rtl::TSeekOrigin origin) override;

 private:
  std::int64_t startPos_ = 0;
  bool ended_ = false;
};

// Inflation stops with EZDecompressionError past this many bytes unless the
// caller gives its own limit: a small hostile input cannot exhaust memory.
inline constexpr std::size_t kMaxInflatedSize = std::size_t(1) << 30;
// The error text of an inflation that went past its limit.
std::string InflateLimitText(std::size_t limit);

// Whole-buffer deflate and inflate in zlib format.
std::string ZCompress(const void* in, std::size_t inSize, TZCompressionLevel level = zcDefault);
std::string ZCompress(std::string_view in, TZCompressionLevel level = zcDefault);
// estimate is a first guess of the output size (0 = none); more than limit
// bytes of output raise EZDecompressionError.
std::string ZDecompress(const void* in, std::size_t inSize, std::size_t estimate = 0,
                        std::size_t limit = kMaxInflatedSize);
std::string ZDecompress(std::string_view in, std::size_t estimate = 0, std::size_t limit = kMaxInflatedSize);

}  // namespace report
