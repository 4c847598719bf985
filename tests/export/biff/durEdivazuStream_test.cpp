// Storage streams: tagged values, bit arrays, the write-behind cache, the
// Base64 and hex encoders, the indenting writer, the window stream and the
// line splitter.
#include "export/biff/durEdivazuStream.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/external_tools.h"
#include "tests/support/scratch_folder.h"

namespace {

using namespace report;

std::string Base64(const std::string& bytes, int step) {
  rtl::TMemoryStream out;
  {
    TBase64Encoder e(&out);
    for (std::size_t i = 0; i < bytes.size(); i += static_cast<std::size_t>(step))
      e.Write(bytes.data() + i,
              static_cast<std::int64_t>(std::min<std::size_t>(static_cast<std::size_t>(step), bytes.size() - i)));
  }
  return out.Bytes();
}

TEST(Base64Encoder, GroupsOfThreeWhateverTheWrites) {
  const struct {
    std::string in, out;
  } cases[] = {{"abc", "YWJj"}, {"ab", "YWI="},       {"a", "YQ=="},
               {"", ""},        {"abcd", "YWJjZA=="}, {std::string("\xFF\xFE\x00", 3), "//4A"}};
  for (const auto& c : cases)
    for (int step : {1, 2, 3, 100}) EXPECT_EQ(Base64(c.in, step), c.out) << c.in << " step " << step;
  rtl::TMemoryStream out;
  TBase64Encoder e(&out);
  EXPECT_EQ(e.This(), &e);
  char b;
  EXPECT_THROW(e.Read(&b, 1), rtl::Exception);
}

// Random data against Python's base64 module, an encoder we did not write.
TEST(Base64Encoder, AgreesWithPython) {
  const std::string python = support::FindTool("python3");
  if (python.empty()) GTEST_SKIP() << support::Missing("python3", "python3");
  support::ScratchFolder folder;
  std::mt19937 random(3);
  std::string data;
  for (int i = 0; i < 1000; ++i) data += static_cast<char>(random());
  const std::string path = folder.File("data");
  {
    rtl::TMemoryStream m(data);
    m.SaveToFile(path);
  }
  const std::string expected =
      support::CommandOutput(python + " -c \"import base64,sys;sys.stdout.write(base64.b64encode(open('" + path +
                             "','rb').read()).decode())\"");
  EXPECT_EQ(Base64(data, 7), expected);
}

TEST(HexEncoder, LowerCaseHighNibbleFirst) {
  rtl::TMemoryStream out;
  THexEncoder h(&out);
  h.Write("\xAF\x01\x00", 3);
  EXPECT_EQ(out.Bytes(), "af0100");
  char b;
  EXPECT_THROW(h.Read(&b, 1), ENotImplemented);
}

TEST(StreamRW, TagsOnlyWhenSecure) {
  const struct {
    bool secure;
    std::size_t boolSize, intSize, extSize, strSize;
  } cases[] = {{false, 1, 4, 10, 2 + 6}, {true, 5, 8, 14, 4 + 2 + 6}};
  for (const auto& c : cases) {
    rtl::TMemoryStream m;
    TStreamRW w(&m, c.secure);
    w.WriteBool(true);
    EXPECT_EQ(m.Bytes().size(), c.boolSize);
    w.WriteInt(-7);
    EXPECT_EQ(m.Bytes().size(), c.boolSize + c.intSize);
    w.WriteExt(2.5L);
    w.WriteStr(u"абв");
    w.WriteStr(u"");
    EXPECT_EQ(m.Bytes().size(), c.boolSize + c.intSize + c.extSize + c.strSize + (c.secure ? 6 : 2));
    m.SetPosition(0);
    TStreamRW r(&m, c.secure);
    EXPECT_TRUE(r.ReadBool());
    EXPECT_EQ(r.ReadInt(), -7);
    EXPECT_EQ(r.ReadExt(), 2.5L);
    EXPECT_EQ(r.ReadStr(), u"абв");
    EXPECT_EQ(r.ReadStr(), u"");
    EXPECT_THROW(r.ReadInt(), rtl::EReadError);  // nothing left
  }
}

TEST(StreamRW, WrongTagsAndNilStreamsAreRefused) {
  EXPECT_THROW(TStreamRW(nullptr, true), rtl::Exception);
  rtl::TMemoryStream m;
  TStreamRW w(&m, true);
  w.WriteInt(1);
  m.SetPosition(0);
  TStreamRW r(&m, true);
  try {
    r.ReadBool();
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "Incorrect data type");
  }
}

// The 16-bit count is the whole string's: a longer one keeps what the count
// says, so the next value still reads back.
TEST(StreamRW, StringsStopAt65535Characters) {
  rtl::TMemoryStream m;
  TStreamRW w(&m, false);
  w.WriteStr(rtl::WideString(70000, u'x'));
  w.WriteInt(42);
  m.SetPosition(0);
  TStreamRW r(&m, false);
  EXPECT_EQ(r.ReadStr().size(), 65535u);
  EXPECT_EQ(r.ReadInt(), 42);
}

TEST(BitArray, TenBits) {
  TBitArray a;
  a.SetBitsLength(10);
  a.SetBits();
  EXPECT_EQ(a.Bytes(), std::string("\xFF\x03", 2));
  EXPECT_EQ(a.GetNumOfSetBits(), 10);
  EXPECT_EQ(a.GetRightmostBitIndex(), 9);
  a.SetBit(9, false);
  a.SetBit(8, false);
  EXPECT_EQ(a.GetRightmostBitIndex(), 7);
  a.ResetBits();
  EXPECT_EQ(a.GetRightmostBitIndex(), -1);
  EXPECT_THROW(a.GetBit(10), EAssertionFailed);
  EXPECT_THROW(a.SetBit(-1, true), EAssertionFailed);
  rtl::TMemoryStream m;
  a.SaveToStream(m);
  EXPECT_EQ(m.Bytes(), std::string(2, '\0'));
  TBitArray empty;
  empty.SaveToStream(m);
  EXPECT_EQ(m.Size(), 2);
}

TEST(BitArray, ByteWiseOperationsKeepTheTailClear) {
  TBitArray a, b, shorter;
  a.SetBitsLength(12);
  b.SetBitsLength(16);
  shorter.SetBitsLength(8);
  for (int i : {0, 3, 11}) a.SetBit(i, true);
  b.SetBits();  // 16 ones: the four past a's count must not leak into a
  auto x = a.Clone();
  x->BitXor(b);
  EXPECT_EQ(x->GetNumOfSetBits(), 9);
  EXPECT_EQ(x->GetRightmostBitIndex(), 10);
  auto o = a.Clone();
  o->BitOr(b);
  EXPECT_EQ(o->GetNumOfSetBits(), 12);
  a.BitAnd(b);
  EXPECT_EQ(a.GetNumOfSetBits(), 3);
  EXPECT_THROW(a.BitOr(shorter), EAssertionFailed);
}

TEST(CachedStream, WritesBehindAndFlushesOnSeekAndDestruction) {
  auto* target = new rtl::TMemoryStream;
  {
    TCachedStream c(target, true);
    c.SetCacheSize(4);
    c.Write("abc", 3);
    EXPECT_EQ(target->Size(), 0);
    EXPECT_THROW(c.SetCacheSize(8), rtl::Exception);
    c.Write("defgh", 5);  // fills the buffer twice over: abcd, efgh
    EXPECT_EQ(target->Bytes(), "abcdefgh");
    c.Write("ij", 2);
    c.Seek(0, rtl::soEnd);
    EXPECT_EQ(target->Bytes(), "abcdefghij");
    c.Write("k", 1);
    char b;
    try {
      c.Read(&b, 1);
      FAIL();
    } catch (const rtl::Exception& e) {
      EXPECT_STREQ(e.what(), "TCachedStream does not support reading");
    }
    // The owned target is checked through a second, unowned stream.
    rtl::TMemoryStream peek;
    TCachedStream unowned(&peek, false);
    unowned.Write("z", 1);
  }
}

TEST(FmtStream, IndentsAndEndsFormattedLines) {
  rtl::TMemoryStream m;
  TFmtStream f(&m, false);
  f.PutsA("raw");
  f.Formatted = true;
  f.IncIndent(2);
  f.PutsA("x=%d", 5);
  f.IncIndent(-2);
  f.PutsA("end");
  f.PutsRawA("!");
  EXPECT_EQ(m.Bytes(), "raw  x=5\r\nend\r\n!");
  rtl::TMemoryStream w;
  TFmtStream g(&w, false);
  g.Puts(u"я");
  EXPECT_EQ(w.Bytes(), std::string("\x4F\x04", 2));
}

TEST(ProxyStream, AWindowOfTenAtOneHundred) {
  std::string data;
  for (int i = 0; i < 200; ++i) data += static_cast<char>(i);
  rtl::TMemoryStream base(data);
  base.SetPosition(33);
  TProxyStream p(&base, 100, 10);
  p.Seek(5, rtl::soBeginning);
  char buf[20];
  EXPECT_EQ(p.Read(buf, 20), 5);
  EXPECT_EQ(std::string(buf, 5), data.substr(105, 5));
  EXPECT_EQ(base.Position(), 33);  // the underlying position is restored
  EXPECT_EQ(p.Read(buf, 1), 0);    // at the end of the window
  EXPECT_EQ(p.Seek(-2, rtl::soEnd), 8);
  EXPECT_EQ(p.Write("XY", 2), 2);
  EXPECT_EQ(base.Bytes().substr(108, 2), "XY");
  p.Seek(-1, rtl::soBeginning);
  EXPECT_EQ(p.Read(buf, 1), 0);
  // A window on a window lies on the underlying stream.
  TProxyStream inner(&p, 2, 3);
  EXPECT_EQ(inner.Underlying(), &base);
  EXPECT_EQ(inner.Offset(), 102);
  EXPECT_EQ(inner.Read(buf, 10), 3);
  EXPECT_EQ(std::string(buf, 3), data.substr(102, 3));
}

TEST(LineSplitter, SeparatorEveryNBytes) {
  const struct {
    int length;
    std::vector<std::string> writes;
    std::string out;
  } cases[] = {{4, {"0123456789"}, "0123\r\n4567\r\n89"},
               {4, {"01", "2", "345", "6789"}, "0123\r\n4567\r\n89"},
               {3, {"abcdef"}, "abc\r\ndef\r\n"},
               {1, {"ab"}, "a\r\nb\r\n"}};
  for (const auto& c : cases) {
    rtl::TMemoryStream m;
    TLineSplitter s(&m, c.length, "\r\n");
    for (const auto& w : c.writes) s.Write(w.data(), static_cast<std::int64_t>(w.size()));
    EXPECT_EQ(m.Bytes(), c.out);
  }
  rtl::TMemoryStream m;
  try {
    TLineSplitter s(&m, 4, "");
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.what()).find("This class is useless for empty separators"), std::string::npos);
  }
  TLineSplitter s(&m, 4, ";");
  char b;
  EXPECT_THROW(s.Read(&b, 1), ENotSupportedException);
}

}  // namespace
