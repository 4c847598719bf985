// The record stream: CONTINUE splitting, string continuation, handles that
// outlive their residence in the file cache, and identical bytes in memory and
// file-cache modes.
#include "export/biff/biffStream.h"

#include <gtest/gtest.h>

#include "tests/export/biff/biff_test_util.h"

namespace {

using namespace report;
using bifftest::Records;

TEST(BiffStream, PayloadsSplitIntoContinueRecords) {
  struct Case {
    std::vector<int> writes;
    std::vector<int> sizes;  // the record, then its CONTINUE records
  } cases[] = {
      {{8224}, {8224}},
      {{8225}, {8224, 1}},
      {{20000}, {8224, 8224, 3552}},
      {{8000, 300}, {8224, 76}},
      {{1, 8224, 8224}, {8224, 8224, 1}},
  };
  for (bool cache : {false, true}) {
    for (const auto& c : cases) {
      TBiffStream stream(cache);
      TBiffRecord r = stream.Add(0x00FC);
      std::string data;
      for (int n : c.writes) {
        std::string piece(static_cast<std::size_t>(n), '\0');
        for (int i = 0; i < n; ++i) piece[static_cast<std::size_t>(i)] = static_cast<char>(data.size() + i);
        r.Write(piece.data(), n);
        data += piece;
      }
      const auto recs = Records(bifftest::Bytes(stream));
      ASSERT_EQ(recs.size(), c.sizes.size());
      std::string joined;
      for (std::size_t i = 0; i < recs.size(); ++i) {
        EXPECT_EQ(recs[i].id, i == 0 ? 0x00FC : 0x003C);
        EXPECT_EQ(static_cast<int>(recs[i].payload.size()), c.sizes[i]);
        joined += recs[i].payload;
      }
      EXPECT_EQ(joined, data);
      EXPECT_EQ(stream.GetRecCount(), static_cast<int>(c.sizes.size()));
    }
  }
}

TEST(BiffStream, OnlyTheLastRecordGrowsAndPreconditionsHold) {
  TBiffStream stream(false);
  TBiffRecord first = stream.Add(0x0001);
  stream.Add(0x0002);
  try {
    first.WriteConst(1, 2);
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.what()).find("Only the last record can be modified"), std::string::npos);
  }
  EXPECT_FALSE(stream.GetRecord(-1));
  EXPECT_FALSE(stream.GetRecord(2));
  EXPECT_EQ(stream.GetRecord(1).GetRecId(), 2);
  EXPECT_THROW(stream.ReadBytes(0, 0), EAssertionFailed);
  EXPECT_THROW(stream.ReadBytes(0, 5), EAssertionFailed);
  EXPECT_THROW(stream.ReadBytes(6, 4), EAssertionFailed);
  // A write to the last real record continues after its CONTINUE records.
  TBiffRecord big = stream.Add(0x0003);
  std::string bytes(9000, 'x');
  big.Write(bytes.data(), 9000);
  big.WriteConst(0xAB, 1);
  const auto recs = Records(bifftest::Bytes(stream));
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[3].payload.size(), 777u);
  EXPECT_EQ(static_cast<unsigned char>(recs[3].payload.back()), 0xAB);
  EXPECT_THROW(big.WriteBytes(8223, 1, 2), EAssertionFailed);
}

// Handles are values: after the resident queue has dropped them they still
// read and patch their record.
TEST(BiffStream, HandlesSurviveTheFileCache) {
  TBiffStream stream(true);
  std::vector<TBiffRecord> kept;
  for (int i = 0; i < 50; ++i) {
    kept.push_back(stream.Add(0x0100 + i));
    kept.back().WriteConst(static_cast<std::uint32_t>(i), 4);
  }
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(kept[static_cast<std::size_t>(i)].GetRecId(), 0x0100 + i);
    kept[static_cast<std::size_t>(i)].WriteBytes(0, static_cast<std::uint32_t>(1000 + i), 4);
    const TBiffRecord again = stream.GetRecord(i);
    EXPECT_EQ(again, kept[static_cast<std::size_t>(i)]);
  }
  const auto recs = Records(bifftest::Bytes(stream));
  for (int i = 0; i < 50; ++i) EXPECT_EQ(bifftest::U(recs[static_cast<std::size_t>(i)].payload, 0, 4), 1000u + i);
}

std::string Flushed(TBiffUCS& s, int before) {
  TBiffStream stream(false);
  TBiffRecord r = stream.Add(0x00FC);
  if (before > 0) r.WriteZeros(before);
  s.Flush(stream);
  std::string out;
  const auto recs = Records(bifftest::Bytes(stream));
  for (std::size_t i = 0; i < recs.size(); ++i) {
    if (i > 0) out += "|";  // a record boundary
    out += bifftest::Hex(i == 0 ? recs[i].payload.substr(static_cast<std::size_t>(before)) : recs[i].payload);
  }
  return out;
}

TEST(BiffUCS, WrittenForms) {
  struct Case {
    WideString text;
    bool length16;
    int before;
    const char* bytes;
  } cases[] = {
      {u"", false, 0, "00 00"},
      {u"", true, 0, "00 00 00"},
      {u"abc", true, 0, "03 00 00 61 62 63"},
      {u"ab\u0416", false, 0, "03 01 61 00 62 00 16 04"},
      // Header and first character fill the record; the rest continue after 0x01.
      {u"\u0416bc", true, 8219, "03 00 01 16 04|01 62 00 63 00"},
      // No room for header and first character: the string starts a CONTINUE record.
      {u"\u0416bc", true, 8220, "|03 00 01 16 04 62 00 63 00"},
      // One byte left after the first character: it stays empty.
      {u"\u0416bc", true, 8218, "03 00 01 16 04|01 62 00 63 00"},
  };
  for (const auto& c : cases) {
    TBiffUCS s(c.text, c.length16);
    const std::string got = Flushed(s, c.before);
    EXPECT_EQ(got, c.bytes) << c.before;
  }
}

TEST(BiffUCS, LongCompressedStringAndRuns) {
  TBiffUCS s(WideString(10000, u'x'), true);
  TBiffStream stream(false);
  stream.Add(0x00FC);
  s.Flush(stream);
  const auto recs = Records(bifftest::Bytes(stream));
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].payload.size(), 3u + 8221u);
  EXPECT_EQ(recs[1].payload.size(), 1u + 1779u);
  EXPECT_EQ(recs[1].payload[0], 0);

  TBiffUCS rich(u"ab", false);
  rich.AddFormat(1, 5);
  EXPECT_EQ(Flushed(rich, 0), "02 08 01 00 61 62 01 00 05 00");
  TBiffUCS emptyRich(u"", false);
  emptyRich.AddFormat(0, 6);
  EXPECT_EQ(Flushed(emptyRich, 0), "00 08 01 00 00 00 06 00");
  TBiffUCS other(u"ab", false);
  EXPECT_TRUE(other.Equals(rich));
  EXPECT_NE(rich.GetHashCode(), 0u);
  TBiffUCS none;
  EXPECT_EQ(none.GetHashCode(), 0u);
}

TEST(BiffStream, MemoryAndFileCacheGiveTheSameBytes) {
  auto fill = [](TBiffStream& stream) {
    stream.AddBOF(0x0005);
    for (int i = 0; i < 3000; ++i) {
      TBiffRecord r = stream.Add(0x0203);
      r.WriteConst(static_cast<std::uint32_t>(i), 2);
      r.WriteDouble(i * 0.5);
      if (i % 500 == 0) {
        TBiffUCS s(WideString(static_cast<std::size_t>(9000 + i), u'\u0416'), true);
        s.Flush(stream);
      }
    }
    stream.GetRecord(1).WriteBytes(0, 0xBEEF, 2);
    stream.AddEOF();
  };
  TBiffStream memory(false), cached(true);
  fill(memory);
  fill(cached);
  EXPECT_EQ(memory.GetRecCount(), cached.GetRecCount());
  EXPECT_EQ(bifftest::Bytes(memory), bifftest::Bytes(cached));
  EXPECT_EQ(memory.GetSize(), cached.GetSize());
}

TEST(BiffStream, BofAndEof) {
  TBiffStream stream(false);
  stream.AddBOF(0x0010);
  stream.AddEOF();
  EXPECT_EQ(bifftest::Hex(bifftest::Bytes(stream)),
            "09 08 10 00 00 06 10 00 13 20 CD 07 09 C0 00 00 06 03 00 00 0A 00 00 00");
}

}  // namespace
