#include "report/vuzGZip.h"

#include <cstring>

#include "report/vuzUtils.h"

namespace report {

namespace {

TZCompressionLevel ZLevelOf(TfrxCompressionLevel level) { return static_cast<TZCompressionLevel>(level); }

void PutLE32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t GetLE32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

[[noreturn]] void Fail(int code) { throw EZDecompressionError(ZErrorText(code)); }

// Gzip header flag bits.
enum : unsigned char { kFText = 1, kFHCrc = 2, kFExtra = 4, kFName = 8, kFComment = 16, kFReserved = 0xE0 };

// Parses a member held in memory; answers the offset of its deflate data.
std::size_t ParseHeader(const std::string& m, rtl::AnsiString& fileName) {
  std::size_t pos = 10;
  if (m.size() < 10) Fail(Z_BUF_ERROR);
  const auto* b = reinterpret_cast<const unsigned char*>(m.data());
  if (b[0] != 0x1F || b[1] != 0x8B || b[2] != 8) Fail(Z_DATA_ERROR);
  const unsigned char flags = b[3];
  if (flags & kFReserved) Fail(Z_DATA_ERROR);
  if (flags & kFExtra) {
    if (m.size() < pos + 2) Fail(Z_BUF_ERROR);
    pos += 2 + (b[pos] | (b[pos + 1] << 8));
  }
  auto skipZeroTerminated = [&](rtl::AnsiString* into) {
    std::size_t end = m.find('\0', pos);
    if (end == std::string::npos) Fail(Z_BUF_ERROR);
    if (into) *into = m.substr(pos, end - pos);
    pos = end + 1;
  };
  if (flags & kFName) skipZeroTerminated(&fileName);
  if (flags & kFComment) skipZeroTerminated(nullptr);
  if (flags & kFHCrc) pos += 2;
  if (pos > m.size()) Fail(Z_BUF_ERROR);
  return pos;
}

}  // namespace

void vuzCompressStream(rtl::TStream& source, rtl::TStream& dest, TfrxCompressionLevel level,
                       const rtl::AnsiString& fileName) {
  const std::uint32_t crc = vuzStreamCRC32(source);
  const std::int64_t size = source.Size();
  std::string name = fileName.empty() ? std::string("1") : fileName;
  name.push_back('\0');

  const unsigned char head[4] = {0x1F, 0x8B, 0x08, 0x08};
  const unsigned char tail[2] = {0, 0};
  dest.WriteBuffer(head, 4);
  dest.WriteBuffer(head, 4);  // placeholder for the time field
  dest.WriteBuffer(tail, 2);
  dest.WriteString(name);

  // The zlib header overwrites the last two bytes of the name field; the
  // Adler-32 trailer is moved into the time field and replaced by CRC and size.
  dest.Seek(-2, rtl::soCurrent);
  {
    TZCompressionStream z(dest, ZLevelOf(level));
    source.SetPosition(0);
    z.CopyFrom(source, size);
    z.Finish();
  }
  unsigned char adler[4];
  dest.Seek(-4, rtl::soEnd);
  dest.ReadBuffer(adler, 4);
  dest.SetPosition(4);
  dest.WriteBuffer(adler, 4);
  dest.SetPosition(10);
  dest.WriteString(name);
  unsigned char trailer[8];
  PutLE32(trailer, crc);
  PutLE32(trailer + 4, static_cast<std::uint32_t>(size));
  dest.Seek(-4, rtl::soEnd);
  dest.WriteBuffer(trailer, 8);
}

void vuzDecompressStream(rtl::TStream& source, rtl::TStream& dest, rtl::AnsiString& fileName, std::size_t limit) {
  fileName.clear();
  const std::string member = source.ReadRest();
  const std::size_t dataStart = ParseHeader(member, fileName);

  // The member's deflate data ends where inflation says; CRC and size follow.
  z_stream z{};
  if (inflateInit2_(&z, -MAX_WBITS, "1.2.1", sizeof(z_stream)) != Z_OK) Fail(Z_MEM_ERROR);
  std::string out;
  std::uint32_t crc = crc32(0, nullptr, 0);
  try {
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data())) + dataStart;
    z.avail_in = static_cast<uInt>(member.size() - dataStart);
    char buf[65536];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
      z.next_out = reinterpret_cast<Bytef*>(buf);
      z.avail_out = sizeof buf;
      rc = inflate(&z, Z_NO_FLUSH);
      if (rc == Z_NEED_DICT) Fail(Z_DATA_ERROR);
      if (rc < 0) Fail(rc);
      const std::size_t got = sizeof buf - z.avail_out;
      if (got == 0 && rc != Z_STREAM_END && z.avail_in == 0) Fail(Z_BUF_ERROR);
      crc = crc32(crc, reinterpret_cast<Bytef*>(buf), static_cast<uInt>(got));
      if (out.size() + got > limit) throw EZDecompressionError(InflateLimitText(limit));
      out.append(buf, got);
    }
  } catch (...) {
    inflateEnd(&z);
    throw;
  }
  const std::size_t trailerAt = member.size() - z.avail_in;
  const std::uint64_t total = z.total_out;
  inflateEnd(&z);
  if (member.size() < trailerAt + 8) Fail(Z_BUF_ERROR);
  const auto* t = reinterpret_cast<const unsigned char*>(member.data()) + trailerAt;
  if (GetLE32(t) != crc || GetLE32(t + 4) != static_cast<std::uint32_t>(total)) Fail(Z_DATA_ERROR);
  dest.WriteString(out);
}

void vuzDecompressStream(rtl::TStream& source, rtl::TStream& dest) {
  rtl::AnsiString name;
  vuzDecompressStream(source, dest, name);
}

void vuzDeflateStream(rtl::TStream& source, rtl::TStream& dest, TfrxCompressionLevel level) {
  TZCompressionStream z(dest, ZLevelOf(level));
  source.SetPosition(0);
  z.CopyFrom(source, source.Size());
  z.Finish();
}

void vuzInflateStream(rtl::TStream& source, rtl::TStream& dest) {
  source.SetPosition(0);
  const std::string packed = source.ReadRest();
  dest.WriteString(ZDecompress(packed));
}

bool vuzGZipDecompress(rtl::TStream& source, rtl::TStream& work, std::size_t limit) {
  unsigned char magic[2] = {0, 0};
  const std::int64_t got = source.Read(magic, 2);
  if (got > 0) source.Seek(-got, rtl::soCurrent);
  const bool isGZip = got == 2 && magic[0] == 0x1F && magic[1] == 0x8B;
  rtl::AnsiString name;
  if (isGZip) vuzDecompressStream(source, work, name, limit);
  work.SetPosition(0);
  return isGZip;
}

void vuzGZipCompress(rtl::TStream& work, rtl::TStream& dest, bool isTemplate) {
  vuzCompressStream(work, dest, isTemplate ? gzMax : gzDefault, isTemplate ? "1.fr3" : "1.fp3");
}

}  // namespace report
