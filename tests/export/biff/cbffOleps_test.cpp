// The compound file writer and the property-set streams, byte by byte and
// through olefile.
#include <gtest/gtest.h>

#include "export/biff/cbffDocument.h"
#include "export/biff/olepsStream.h"
#include "tests/export/biff/biff_test_util.h"

namespace {

using namespace report;
using bifftest::Hex;
using bifftest::U;

std::string Flushed(TCbffDocument& doc) {
  rtl::TMemoryStream out;
  doc.Flush(out);
  return out.Bytes();
}

std::string Entry(const std::string& file, int index) {
  const std::uint32_t dirSector = U(file, 48, 4);
  return file.substr(512 + 512 * static_cast<std::size_t>(dirSector) + 128 * static_cast<std::size_t>(index), 128);
}

TEST(CbffDocument, SmallAndLargeStreams) {
  TCbffDocument doc;
  const int sizes[] = {200, 300, 5000};
  const char16_t* names[] = {u"a", u"b", u"c"};
  for (int i = 0; i < 3; ++i) {
    TCbffDir* d = doc.Root().Add(names[i]);
    std::string data(static_cast<std::size_t>(sizes[i]), static_cast<char>('a' + i));
    d->Data.WriteBuffer(data.data(), sizes[i]);
  }
  const std::string file = Flushed(doc);
  EXPECT_EQ(Hex(file.substr(0, 8)), "D0 CF 11 E0 A1 B1 1A E1");
  // The 5,000-byte stream: sectors 0..9; then the mini stream (9 mini sectors: 2 sectors).
  EXPECT_EQ(U(Entry(file, 3), 116, 4), 0u);
  EXPECT_EQ(U(Entry(file, 0), 116, 4), 10u);
  EXPECT_EQ(U(Entry(file, 0), 120, 4), 9u * 64);
  EXPECT_EQ(U(Entry(file, 1), 116, 4), 0u);  // first mini sector
  EXPECT_EQ(U(Entry(file, 2), 116, 4), 4u);
  EXPECT_EQ(U(file, 48, 4), 12u);  // directory: 4 entries, one sector, no filler
  EXPECT_EQ(Entry(file, 3)[66], 2);
  // Tree: the root's child is the last child, each child's left is the one before.
  EXPECT_EQ(U(Entry(file, 0), 76, 4), 3u);
  EXPECT_EQ(U(Entry(file, 3), 68, 4), 2u);
  EXPECT_EQ(U(Entry(file, 1), 68, 4), 0xFFFFFFFFu);
}

TEST(CbffDocument, FillersEmptyStreamsAndLongNames) {
  TCbffDocument doc;
  doc.Root().Add(u"empty");
  TCbffDir* big = doc.Root().Add(WideString(40, u'n'));
  std::string data(4096, 'x');  // exactly the cutoff: big area
  big->Data.WriteBuffer(data.data(), 4096);
  const std::string file = Flushed(doc);
  const std::string empty = Entry(file, 1), named = Entry(file, 2), filler = Entry(file, 3);
  EXPECT_EQ(empty[66], 2);  // a stream of size 0
  EXPECT_EQ(U(empty, 116, 4), 0xFFFFFFFEu);
  EXPECT_EQ(U(empty, 120, 4), 0u);
  EXPECT_EQ(U(named, 64, 2), 64u);  // 31 characters and the terminator
  EXPECT_EQ(U(named, 116, 4), 0u);
  EXPECT_EQ(filler[66], 0);  // unused
  EXPECT_EQ(Hex(filler.substr(0, 10)), "53 00 74 00 75 00 62 00 30 00");
  EXPECT_EQ(U(file, 60, 4), 0xFFFFFFFEu);  // no mini FAT
}

TEST(CbffDocument, ManyFatSectorsNeedDifatSectors) {
  TCbffDocument doc;
  TCbffDir* d = doc.Root().Add(u"huge");
  // 38,000 data sectors, the directory, 300 FAT and 2 DIFAT sectors fill 300 FAT sectors.
  const std::size_t size = 38000ull * 512;
  std::string data(size, 'q');
  d->Data.WriteBuffer(data.data(), static_cast<std::int64_t>(size));
  const std::string file = Flushed(doc);
  const std::uint32_t fat = U(file, 44, 4), difat = U(file, 72, 4);
  EXPECT_EQ(fat, 300u);
  EXPECT_EQ(difat, 2u);
  const std::uint32_t first = U(file, 68, 4);
  const std::string d1 = file.substr(512 + 512 * std::size_t{first}, 512);
  EXPECT_EQ(U(d1, 508, 4), first + 1);
  const std::string d2 = file.substr(512 + 512 * std::size_t{first + 1}, 512);
  EXPECT_EQ(U(d1, 0, 4), U(file, 76, 4) + 109);
  EXPECT_EQ(U(d2, 4 * 63, 4), U(file, 76, 4) + 299);  // 127 and 64 numbers
  EXPECT_EQ(U(d2, 4 * 64, 4), 0xFFFFFFFFu);
  EXPECT_EQ(U(d2, 508, 4), 0xFFFFFFFEu);

  if (!bifftest::HavePythonModule("olefile")) GTEST_SKIP() << "olefile (Debian python3-olefile) missing";
  ScratchFolder folder;
  bifftest::WriteText(folder.File("huge.cfb"), file);
  const std::string script = R"PY(
import sys, olefile
ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
data = ole.openstream("huge").read()
print(len(data), data == b"q" * len(data))
)PY";
  EXPECT_EQ(bifftest::RunPython(folder, script, folder.File("huge.cfb")), std::to_string(size) + " True\n");
}

TEST(CbffDocument, BlockStreamRanges) {
  EXPECT_THROW(TBlockStream(0), rtl::Exception);
  EXPECT_THROW(TBlockStream(13), rtl::Exception);
  TBlockStream s(4);
  try {
    s.Fill(1, 0);
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "0 is out of bounds [1, 2147483647]");
  }
  s.Fill(7, 20);
  EXPECT_EQ(s.GetBlocksCount(), 2);
  EXPECT_EQ(s.GetCurrentBlock(), 1);
  EXPECT_EQ(s.GetBlockSize(1), 4);
  s.EndBlock(0xFF);
  EXPECT_EQ(s.Size(), 32);
  EXPECT_EQ(s.Imm(0x0102, 2), 32);
}

std::string SetBytes(const std::function<void(TOlepsPropSet&)>& fill) {
  TOlepsPropSet set(kOlepsSummaryInformation);
  fill(set);
  rtl::TMemoryStream out;
  set.Flush(out);
  return out.Bytes();
}

TEST(OlepsStream, ValueEncodings) {
  // Code page first, then the string: type, count, bytes, terminator, padding.
  const std::string abc = SetBytes([](TOlepsPropSet& s) { s.AddAnsi(2, "abc"); });
  EXPECT_EQ(Hex(abc),
            "2C 00 00 00 02 00 00 00 01 00 00 00 18 00 00 00 02 00 00 00 20 00 00 00 "
            "02 00 00 00 E3 04 00 00 1E 00 00 00 04 00 00 00 61 62 63 00");
  const std::string four = SetBytes([](TOlepsPropSet& s) { s.AddAnsi(2, "abcd"); });
  EXPECT_EQ(four.size(), 32u + 4 + 4 + 5 + 3);
  const std::string wide = SetBytes([](TOlepsPropSet& s) { s.AddUnicode(2, u"ab"); });
  EXPECT_EQ(Hex(wide.substr(16)), "1F 00 00 00 03 00 00 00 61 00 62 00 00 00 00 00");
  const std::string ucs = SetBytes([](TOlepsPropSet& s) { s.AddUCS(3, u"\u0416"); });
  EXPECT_EQ(Hex(ucs.substr(24)), "02 00 00 00 B0 04 00 00 1E 00 00 00 04 00 00 00 16 04 00 00");
  EXPECT_EQ(SetBytes([](TOlepsPropSet& s) { EXPECT_EQ(s.AddAnsi(2, ""), nullptr); }),
            std::string("\x08\0\0\0\0\0\0\0", 8));
  const std::string time = SetBytes([](TOlepsPropSet& s) { s.AddTime(12, OlepsFileTimeFromUnix(0)); });
  EXPECT_EQ(Hex(time.substr(16)), "40 00 00 00 00 80 3E D5 DE B1 9D 01");
}

TEST(OlepsStream, SetOffsets) {
  TOlepsStream stream;
  stream.Add(kOlepsSummaryInformation)->AddAnsi(2, "x");
  stream.Add(kOlepsDocSummaryInformation);
  rtl::TMemoryStream out;
  stream.Flush(out);
  const std::string& b = out.Bytes();
  EXPECT_EQ(U(b, 24, 4), 2u);
  EXPECT_EQ(U(b, 44, 4), 68u);
  EXPECT_EQ(U(b, 64, 4), 68u + U(b, 68, 4));
}

}  // namespace
