#include "report/vuzZLib.h"

#include <algorithm>

namespace report {

namespace {

// zlib checks only the major digit of the version text and the record size.
constexpr const char* kZLibVersion = "1.2.1";

template <class E>
int Check(int code) {
  if (code < 0) throw E(ZErrorText(code));
  return code;
}

// A preset dictionary is never used here; a stream asking for one is refused
// rather than looping on a result zlib will repeat forever.
int CheckInflate(int code) {
  if (code == Z_NEED_DICT) throw EZDecompressionError("need dictionary");
  return Check<EZDecompressionError>(code);
}

}  // namespace

const char* ZErrorText(int code) {
  switch (code) {
    case Z_ERRNO: return "file error";
    case Z_STREAM_ERROR: return "stream error";
    case Z_DATA_ERROR: return "data error";
    case Z_MEM_ERROR: return "insufficient memory";
    case Z_BUF_ERROR: return "buffer error";
    case Z_VERSION_ERROR: return "incompatible version";
    default: return "";
  }
}

int ZLevel(TZCompressionLevel level) {
  switch (level) {
    case zcNone: return 0;
    case zcFastest: return 1;
    case zcMax: return 9;
    default: return Z_DEFAULT_COMPRESSION;
  }
}

TCustomZStream::TCustomZStream(rtl::TStream& strm) : strm_(strm), strmPos_(strm.Position()) {
  buffer_.resize(kBufferSize);
}

void TCustomZStream::DoProgress() {
  if (OnProgress) OnProgress(*this);
}

// --- compression ---------------------------------------------------------

TZCompressionStream::TZCompressionStream(rtl::TStream& dest, TZCompressionLevel level) : TCustomZStream(dest) {
  zrec_.next_out = reinterpret_cast<Bytef*>(buffer_.data());
  zrec_.avail_out = kBufferSize;
  Check<EZCompressionError>(deflateInit_(&zrec_, ZLevel(level), kZLibVersion, sizeof(z_stream)));
}

TZCompressionStream::~TZCompressionStream() {
  try {
    Finish();
  } catch (...) {
    // A destructor cannot report; callers that care call Finish first.
  }
  deflateEnd(&zrec_);
}

void TZCompressionStream::Finish() {
  if (finished_) return;
  finished_ = true;
  zrec_.next_in = nullptr;
  zrec_.avail_in = 0;
  if (strm_.Position() != strmPos_) strm_.SetPosition(strmPos_);
  while (Check<EZCompressionError>(deflate(&zrec_, Z_FINISH)) != Z_STREAM_END) {
    strm_.WriteBuffer(buffer_.data(), kBufferSize - zrec_.avail_out);
    zrec_.next_out = reinterpret_cast<Bytef*>(buffer_.data());
    zrec_.avail_out = kBufferSize;
  }
  if (zrec_.avail_out < kBufferSize) strm_.WriteBuffer(buffer_.data(), kBufferSize - zrec_.avail_out);
  strmPos_ = strm_.Position();
}

std::int64_t TZCompressionStream::Read(void*, std::int64_t) { throw EZCompressionError(kInvalidZStreamOperation); }

std::int64_t TZCompressionStream::Write(const void* buffer, std::int64_t count) {
  if (finished_) throw EZCompressionError(kInvalidZStreamOperation);
  if (count <= 0) return 0;
  if (strm_.Position() != strmPos_) strm_.SetPosition(strmPos_);
  const auto* p = static_cast<const Bytef*>(buffer);
  std::int64_t left = count;
  while (left > 0) {
    // avail_in is 32-bit: feed very large writes in slices.
    const auto slice = static_cast<uInt>(std::min<std::int64_t>(left, 1 << 30));
    zrec_.next_in = const_cast<Bytef*>(p);
    zrec_.avail_in = slice;
    while (zrec_.avail_in > 0) {
      Check<EZCompressionError>(deflate(&zrec_, Z_NO_FLUSH));
      if (zrec_.avail_out == 0) {
        strm_.WriteBuffer(buffer_.data(), kBufferSize);
        zrec_.next_out = reinterpret_cast<Bytef*>(buffer_.data());
        zrec_.avail_out = kBufferSize;
        strmPos_ = strm_.Position();
        DoProgress();
      }
    }
    p += slice;
    left -= slice;
  }
  return count;
}

std::int64_t TZCompressionStream::Seek(std::int64_t offset, rtl::TSeekOrigin origin) {
  if (offset == 0 && origin == rtl::soCurrent) return static_cast<std::int64_t>(zrec_.total_in);
  throw EZCompressionError(kInvalidZStreamOperation);
}

float TZCompressionStream::GetCompressionRate() const {
  if (zrec_.total_in == 0) return 0;
  return static_cast<float>((1.0 - static_cast<double>(zrec_.total_out) / static_cast<double>(zrec_.total_in)) * 100.0);
}

// --- decompression -------------------------------------------------------

TZDecompressionStream::TZDecompressionStream(rtl::TStream& source) : TCustomZStream(source), startPos_(strmPos_) {
  zrec_.next_in = reinterpret_cast<Bytef*>(buffer_.data());
  zrec_.avail_in = 0;
  Check<EZDecompressionError>(inflateInit_(&zrec_, kZLibVersion, sizeof(z_stream)));
}

TZDecompressionStream::~TZDecompressionStream() { inflateEnd(&zrec_); }

std::int64_t TZDecompressionStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  count = std::min<std::int64_t>(count, 1 << 30);
  zrec_.next_out = static_cast<Bytef*>(buffer);
  zrec_.avail_out = static_cast<uInt>(count);
  if (strm_.Position() != strmPos_) strm_.SetPosition(strmPos_);
  while (zrec_.avail_out > 0 && !ended_) {
    if (zrec_.avail_in == 0) {
      std::int64_t n = strm_.Read(buffer_.data(), kBufferSize);
      if (n <= 0) {
        // The source ended inside the compressed data: a truncated stream is
        // an error, not a shorter result.
        throw EZDecompressionError(ZErrorText(Z_BUF_ERROR));
      }
      zrec_.next_in = reinterpret_cast<Bytef*>(buffer_.data());
      zrec_.avail_in = static_cast<uInt>(n);
      strmPos_ = strm_.Position();
      DoProgress();
    }
    if (CheckInflate(inflate(&zrec_, Z_NO_FLUSH)) == Z_STREAM_END) ended_ = true;
  }
  if (ended_ && zrec_.avail_in > 0) {
    // Give back what follows the compressed data.
    strm_.Seek(-static_cast<std::int64_t>(zrec_.avail_in), rtl::soCurrent);
    strmPos_ = strm_.Position();
    zrec_.avail_in = 0;
  }
  return count - zrec_.avail_out;
}

std::int64_t TZDecompressionStream::Write(const void*, std::int64_t) {
  throw EZDecompressionError(kInvalidZStreamOperation);
}

std::int64_t TZDecompressionStream::Seek(std::int64_t offset, rtl::TSeekOrigin origin) {
  const auto delivered = static_cast<std::int64_t>(zrec_.total_out);
  char skip[8192];
  if (offset == 0 && origin == rtl::soBeginning) {
    Check<EZDecompressionError>(inflateReset(&zrec_));
    zrec_.next_in = reinterpret_cast<Bytef*>(buffer_.data());
    zrec_.avail_in = 0;
    ended_ = false;
    // Back to where the compressed data began, not to the source's start.
    strm_.SetPosition(startPos_);
    strmPos_ = startPos_;
  } else if ((offset >= 0 && origin == rtl::soCurrent) || (offset >= delivered && origin == rtl::soBeginning)) {
    std::int64_t left = origin == rtl::soBeginning ? offset - delivered : offset;
    while (left > 0) {
      std::int64_t n = std::min<std::int64_t>(left, sizeof skip);
      ReadBuffer(skip, n);
      left -= n;
    }
  } else if (offset == 0 && origin == rtl::soEnd) {
    while (Read(skip, sizeof skip) > 0) {
    }
  } else {
    throw EZDecompressionError(kInvalidZStreamOperation);
  }
  return static_cast<std::int64_t>(zrec_.total_out);
}

// --- buffers -------------------------------------------------------------

std::string ZCompress(const void* in, std::size_t inSize, TZCompressionLevel level) {
  std::string out;
  out.resize(((inSize + inSize / 10 + 12) + 255) / 256 * 256);
  z_stream z{};
  z.next_in = static_cast<Bytef*>(const_cast<void*>(in));
  z.avail_in = static_cast<uInt>(inSize);
  Check<EZCompressionError>(deflateInit_(&z, ZLevel(level), kZLibVersion, sizeof(z_stream)));
  try {
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    while (Check<EZCompressionError>(deflate(&z, Z_FINISH)) != Z_STREAM_END) {
      out.resize(out.size() + 256);
      z.next_out = reinterpret_cast<Bytef*>(out.data()) + z.total_out;
      z.avail_out = static_cast<uInt>(out.size() - z.total_out);
    }
  } catch (...) {
    deflateEnd(&z);
    throw;
  }
  Check<EZCompressionError>(deflateEnd(&z));
  out.resize(z.total_out);
  return out;
}

std::string ZCompress(std::string_view in, TZCompressionLevel level) { return ZCompress(in.data(), in.size(), level); }

std::string InflateLimitText(std::size_t limit) {
  return "The decompressed data exceed the limit of " + std::to_string(limit) + " bytes";
}

std::string ZDecompress(const void* in, std::size_t inSize, std::size_t estimate, std::size_t limit) {
  // Growing by at least the input size and doubling keeps large outputs linear.
  std::size_t step = std::max<std::size_t>((inSize + 255) / 256 * 256, 256);
  std::string out;
  out.resize(std::min(estimate ? estimate : step, limit + 1));
  z_stream z{};
  z.next_in = static_cast<Bytef*>(const_cast<void*>(in));
  z.avail_in = static_cast<uInt>(inSize);
  Check<EZDecompressionError>(inflateInit_(&z, kZLibVersion, sizeof(z_stream)));
  try {
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    while (CheckInflate(inflate(&z, Z_NO_FLUSH)) != Z_STREAM_END) {
      if (z.total_out > limit) throw EZDecompressionError(InflateLimitText(limit));
      step = std::max(step, out.size());
      out.resize(std::min(out.size() + step, limit + 1));
      z.next_out = reinterpret_cast<Bytef*>(out.data()) + z.total_out;
      z.avail_out = static_cast<uInt>(out.size() - z.total_out);
    }
  } catch (...) {
    inflateEnd(&z);
    throw;
  }
  Check<EZDecompressionError>(inflateEnd(&z));
  if (z.total_out > limit) throw EZDecompressionError(InflateLimitText(limit));
  out.resize(z.total_out);
  return out;
}

std::string ZDecompress(std::string_view in, std::size_t estimate, std::size_t limit) {
  return ZDecompress(in.data(), in.size(), estimate, limit);
}

}  // namespace report
