#include <gtest/gtest.h>

#include "report/vuzGZip.h"
#include "report/vuzUtils.h"
#include "report/vuzZLib.h"
#include "test_util.h"

using namespace report;
using namespace report_test;
using rtl::TMemoryStream;

namespace {

std::string GZip(const std::string& data, TfrxCompressionLevel level = gzDefault, const std::string& name = {}) {
  TMemoryStream src(data), dst;
  vuzCompressStream(src, dst, level, name);
  return dst.Bytes();
}

std::string GUnzip(const std::string& member, std::string* name = nullptr) {
  TMemoryStream src(member), dst;
  rtl::AnsiString n;
  vuzDecompressStream(src, dst, n);
  if (name) *name = n;
  return dst.Bytes();
}

template <class E>
std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("wrong exception: ") + e.what();
  }
  return "no exception";
}

}  // namespace

TEST(GZipMember, EmptySourceHasTheExactBytes) {
  const std::string expected = Bytes({0x1F, 0x8B, 0x08, 0x08, 0x00, 0x00, 0x00, 0x01,
                                      0x00, 0x00, '1',  0x00, 0x03, 0x00,  // deflate data of no input
                                      0,    0,    0,    0,    0,    0,    0,    0});
  EXPECT_EQ(GZip(""), expected);
}

TEST(GZipMember, RoundTripsAtEveryLevel) {
  const std::string texts[] = {"", "a", "hello hello hello hello", RandomBytes(70000, 1), RandomBytes(300000, 2, 4)};
  for (auto level : {gzNone, gzFastest, gzDefault, gzMax}) {
    for (const auto& text : texts) {
      std::string name;
      const std::string member = GZip(text, level, "picture.bmp");
      EXPECT_EQ(GUnzip(member, &name), text) << "level " << level << " size " << text.size();
      EXPECT_EQ(name, "picture.bmp");
      // Time field = Adler-32 of the data, most significant byte first.
      const uLong adler =
          adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
      EXPECT_EQ(member.substr(4, 4),
                Bytes({int(adler >> 24 & 255), int(adler >> 16 & 255), int(adler >> 8 & 255), int(adler & 255)}));
    }
  }
}

TEST(GZipMember, StandardToolsAcceptOurMembers) {
  const std::string gzip = support::FindTool("gzip"), python = support::FindTool("python3");
  if (gzip.empty()) GTEST_SKIP() << support::Missing("gzip", "gzip");
  if (python.empty()) GTEST_SKIP() << support::Missing("python3", "python3");
  const support::ScratchFolder scratch("zarnik-report-gzip-");
  const auto& dir = scratch.Folder();
  const std::string data = RandomBytes(100000, 7, 16) + "tail";
  support::WriteFile(dir / "data.gz", GZip(data, gzMax, "data.bin"));
  support::WriteFile(dir / "empty.gz", GZip(""));
  EXPECT_EQ(std::system((gzip + " -t " + (dir / "data.gz").string() + " " + (dir / "empty.gz").string()).c_str()), 0);
  const std::string py = python + " -c \"import gzip,sys; sys.stdout.buffer.write(gzip.open(sys.argv[1]).read())\" " +
                         (dir / "data.gz").string() + " > " + (dir / "py.out").string();
  ASSERT_EQ(std::system(py.c_str()), 0);
  EXPECT_EQ(support::ReadFile(dir / "py.out"), data);
}

TEST(GZipMember, ReadsStandardMembersWithRealTimeStamps) {
  const std::string gzip = support::FindTool("gzip");
  if (gzip.empty()) GTEST_SKIP() << support::Missing("gzip", "gzip");
  const support::ScratchFolder scratch("zarnik-report-gunzip-");
  const auto& dir = scratch.Folder();
  const std::string data = RandomBytes(50000, 3, 8);
  support::WriteFile(dir / "plain.txt", data);
  ASSERT_EQ(std::system((gzip + " -k -9 " + (dir / "plain.txt").string()).c_str()), 0);
  std::string name;
  EXPECT_EQ(GUnzip(support::ReadFile(dir / "plain.txt.gz"), &name), data);
  EXPECT_EQ(name, "plain.txt");
}

TEST(GZipMember, ReadsHeadersWithExtraCommentAndHeaderCrc) {
  // A member built by hand: FEXTRA, FNAME, FCOMMENT and FHCRC all set.
  const std::string data = "The quick brown fox";
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string raw(256, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(raw.data());
  z.avail_out = static_cast<uInt>(raw.size());
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  raw.resize(z.total_out);
  deflateEnd(&z);
  std::string m = Bytes({0x1F, 0x8B, 8, 4 | 8 | 16 | 2, 0x12, 0x34, 0x56, 0x78, 0, 3});
  m += Bytes({3, 0, 'x', 'y', 'z'}) + std::string("name.txt") + '\0' + std::string("a comment") + '\0' + Bytes({0, 0});
  m += raw;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  m += Bytes(
      {int(crc & 255), int(crc >> 8 & 255), int(crc >> 16 & 255), int(crc >> 24 & 255), int(data.size()), 0, 0, 0});
  std::string name;
  EXPECT_EQ(GUnzip(m, &name), data);
  EXPECT_EQ(name, "name.txt");
}

TEST(GZipMember, DamagedMembersRaiseDecompressionErrors) {
  const std::string good = GZip(RandomBytes(5000, 9, 10), gzDefault, "x");
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  std::string badCrc = good;
  badCrc[badCrc.size() - 6] ^= 1;
  std::string badSize = good;
  badSize[badSize.size() - 2] ^= 1;
  std::string badData = good;
  badData[20] ^= 0x55;
  const Case cases[] = {
      {"CRC-32 differs", badCrc, "data error"},
      {"length differs", badSize, "data error"},
      {"no gzip magic", "PK\3\4 something else", "data error"},
      {"cut in the header", good.substr(0, 7), "buffer error"},
      {"cut in the name", good.substr(0, 11), "buffer error"},
      {"cut in the data", good.substr(0, good.size() / 2), "buffer error"},
      {"cut in the trailer", good.substr(0, good.size() - 3), "buffer error"},
      {"empty", "", "buffer error"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { GUnzip(c.bytes); }), c.message) << c.what;
  }
  EXPECT_NE(MessageOf<EZDecompressionError>([&] { GUnzip(badData); }), "no exception");
}

TEST(GZipMember, HostileInputNeverEscapesAsAnythingElse) {
  for (unsigned seed = 0; seed < 300; ++seed) {
    std::string bytes = RandomBytes(seed % 64, seed);
    if (seed % 3 == 0) bytes = Bytes({0x1F, 0x8B, 8, int(seed & 0x1F)}) + bytes;
    try {
      GUnzip(bytes);
    } catch (const EZDecompressionError&) {
    }
  }
}

TEST(ZLibStreams, DeflateAndInflateStreamRoundTrip) {
  const std::string data = RandomBytes(200000, 5, 20);
  TMemoryStream src(data), packed, back;
  packed.WriteString("prefix");
  vuzDeflateStream(src, packed, gzFastest);
  EXPECT_EQ(packed.Bytes().substr(6, 2), Bytes({0x78, 0x01}));
  TMemoryStream justZ(packed.Bytes().substr(6));
  vuzInflateStream(justZ, back);
  EXPECT_EQ(back.Bytes(), data);
}

TEST(ZLibStreams, CompressionSeekAndRate) {
  TMemoryStream dest;
  TZCompressionStream z(dest, zcDefault);
  EXPECT_EQ(z.GetCompressionRate(), 0.0f);
  const std::string data(1000, 'a');
  z.WriteBuffer(data.data(), 1000);
  EXPECT_EQ(z.Seek(0, rtl::soCurrent), 1000);
  EXPECT_EQ(MessageOf<EZCompressionError>([&] { z.Seek(10, rtl::soCurrent); }), "Invalid ZStream operation!");
  char c;
  EXPECT_EQ(MessageOf<EZCompressionError>([&] { z.Read(&c, 1); }), "Invalid ZStream operation!");
  z.Finish();
  EXPECT_GT(z.GetCompressionRate(), 90.0f);
  EXPECT_EQ(ZDecompress(dest.Bytes()), data);
}

TEST(ZLibStreams, DecompressionLeavesTheSourceAfterTheData) {
  const std::string data = RandomBytes(150000, 11, 30);
  TMemoryStream source;
  source.WriteString("HEAD");
  source.WriteString(ZCompress(data));
  const std::int64_t end = source.Position();
  source.WriteString("trailing bytes");
  source.SetPosition(4);
  TZDecompressionStream z(source);
  std::string out(data.size() + 10, '\0');
  std::int64_t got = 0, n;
  while ((n = z.Read(out.data() + got, 7777)) > 0) got += n;
  out.resize(static_cast<std::size_t>(got));
  EXPECT_EQ(out, data);
  EXPECT_EQ(source.Position(), end);

  // Seeking: to the end answers the size; to the beginning goes back to
  // where the compressed data started, not to the source's position 0.
  EXPECT_EQ(z.Seek(0, rtl::soEnd), static_cast<std::int64_t>(data.size()));
  EXPECT_EQ(z.Seek(0, rtl::soBeginning), 0);
  EXPECT_EQ(source.Position(), 4);
  EXPECT_EQ(z.Seek(100, rtl::soCurrent), 100);
  char head[5];
  z.ReadBuffer(head, 5);
  EXPECT_EQ(std::string(head, 5), data.substr(100, 5));
  EXPECT_EQ(z.Seek(200, rtl::soBeginning), 200);
  EXPECT_EQ(MessageOf<EZDecompressionError>([&] { z.Seek(-1, rtl::soCurrent); }), "Invalid ZStream operation!");
  EXPECT_EQ(MessageOf<EZDecompressionError>([&] { z.Write(head, 1); }), "Invalid ZStream operation!");
}

TEST(ZLibStreams, DamagedStreamsRaise) {
  const std::string packed = ZCompress(RandomBytes(40000, 12, 50));
  std::string corrupt = packed;
  corrupt[2] ^= 0xFF;
  corrupt[3] ^= 0xFF;
  // A header that asks for a preset dictionary (FDICT) with a dictionary id.
  const std::string dict = Bytes({0x78, 0xBB, 0, 0, 0, 1, 3, 0});
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"cut short", packed.substr(0, packed.size() / 2), "buffer error"},
      {"empty", "", "buffer error"},
      {"bad header", "\x12\x34" + packed.substr(2), "data error"},
      {"preset dictionary", dict, "need dictionary"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { ZDecompress(c.bytes); }), c.message) << c.what;
    TMemoryStream s(c.bytes);
    TZDecompressionStream z(s);
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { z.Seek(0, rtl::soEnd); }), c.message) << c.what;
  }
  EXPECT_NE(MessageOf<EZDecompressionError>([&] { ZDecompress(corrupt); }), "no exception");
}

TEST(ZLibStreams, RandomInputGivesDecompressionErrorsOnly) {
  for (unsigned seed = 0; seed < 500; ++seed) {
    std::string bytes = RandomBytes(1 + seed % 200, seed);
    if (seed % 2) bytes = "\x78\x9C" + bytes;
    TMemoryStream s(bytes);
    TZDecompressionStream z(s);
    try {
      z.Seek(0, rtl::soEnd);
    } catch (const EZDecompressionError&) {
    }
  }
}

TEST(StreamCRC, AbcAndPositionKept) {
  TMemoryStream s(std::string("abc"));
  s.SetPosition(2);
  EXPECT_EQ(vuzStreamCRC32(s), 0x352441C2u);
  EXPECT_EQ(s.Position(), 2);
  TMemoryStream empty;
  EXPECT_EQ(vuzStreamCRC32(empty), 0u);
}

TEST(GZipCompressor, DecompressOnlyGZipSources) {
  TMemoryStream plain(std::string("<?xml version=\"1.0\"?><r/>")), work;
  plain.SetPosition(2);
  work.WriteString("xyz");
  EXPECT_FALSE(vuzGZipDecompress(plain, work));
  EXPECT_EQ(plain.Position(), 2);
  EXPECT_EQ(work.Position(), 0);
  TMemoryStream tiny(std::string("\x1F")), work2;
  EXPECT_FALSE(vuzGZipDecompress(tiny, work2));
  EXPECT_EQ(tiny.Position(), 0);

  TMemoryStream source(std::string("report template")), packed, back;
  vuzGZipCompress(source, packed, true);
  EXPECT_EQ(packed.Bytes().substr(10, 6), std::string("1.fr3\0", 6));
  packed.SetPosition(0);
  EXPECT_TRUE(vuzGZipDecompress(packed, back));
  EXPECT_EQ(back.Bytes(), "report template");
  EXPECT_EQ(back.Position(), 0);
  TMemoryStream prepared;
  vuzGZipCompress(source, prepared, false);
  EXPECT_EQ(prepared.Bytes().substr(10, 6), std::string("1.fp3\0", 6));
}

namespace {

// A megabyte of zeros packs into about a kilobyte: the shape of a hostile
// file that would blow up when inflated without a bound.
TEST(InflationLimit, OutputBeyondTheLimitIsAClearError) {
  const std::string big(1 << 20, '\0');
  const std::string zlibData = ZCompress(big), member = GZip(big);
  ASSERT_LT(member.size(), 4096u);
  struct Case {
    std::size_t limit;
    bool fits;
  };
  for (const Case c : {Case{big.size(), true}, Case{big.size() + 1, true}, Case{big.size() - 1, false},
                       Case{1000, false}, Case{0, false}}) {
    const std::string expected = c.fits ? "no exception" : InflateLimitText(c.limit);
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { EXPECT_EQ(ZDecompress(zlibData, 0, c.limit), big); }), expected)
        << c.limit;
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] {
                TMemoryStream src(member), dst;
                rtl::AnsiString name;
                vuzDecompressStream(src, dst, name, c.limit);
                EXPECT_EQ(dst.Bytes(), big);
              }),
              expected)
        << c.limit;
    TMemoryStream src(member), work;
    EXPECT_EQ(MessageOf<EZDecompressionError>([&] { vuzGZipDecompress(src, work, c.limit); }), expected) << c.limit;
  }
  // Without a limit of the caller's, the default one applies.
  EXPECT_EQ(ZDecompress(zlibData), big);
}

}  // namespace
