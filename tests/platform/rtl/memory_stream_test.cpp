#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/streams.h"

using rtl::TMemoryStream;

namespace {

struct WriteCase {
  const char* what;
  std::string initial;
  std::int64_t seekTo;
  std::string written;
  std::string expected;
  std::int64_t positionAfter;
};

class MemoryStreamWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(MemoryStreamWrite, LeavesTheExpectedBytes) {
  const WriteCase& c = GetParam();
  TMemoryStream s(c.initial);
  s.SetPosition(c.seekTo);
  EXPECT_EQ(s.Write(c.written.data(), static_cast<std::int64_t>(c.written.size())),
            static_cast<std::int64_t>(c.written.size()));
  EXPECT_EQ(s.Bytes(), c.expected) << c.what;
  EXPECT_EQ(s.Position(), c.positionAfter) << c.what;
  EXPECT_EQ(s.Size(), static_cast<std::int64_t>(c.expected.size())) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, MemoryStreamWrite,
                         ::testing::Values(WriteCase{"into an empty stream", "", 0, "abc", "abc", 3},
                                           WriteCase{"appended at the end", "abc", 3, "de", "abcde", 5},
                                           WriteCase{"inside, size kept", "abcdef", 1, "XY", "aXYdef", 3},
                                           WriteCase{"across the end", "abcdef", 4, "XYZ", "abcdXYZ", 7},
                                           WriteCase{"past the end: the gap is zeros", "ab", 5, "Z",
                                                     std::string("ab\0\0\0Z", 6), 6},
                                           WriteCase{"nothing written", "ab", 1, "", "ab", 1}));

TEST(MemoryStream, ManySmallWritesKeepEveryByte) {
  TMemoryStream s;
  std::string expected;
  for (int i = 0; i < 100000; ++i) {
    const std::string piece = std::to_string(i) + ";";
    s.WriteString(piece);
    expected += piece;
  }
  EXPECT_EQ(s.Bytes(), expected);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadRest(), expected);
}

TEST(MemoryStream, ShrinkingThenWritingDoesNotResurrectOldBytes) {
  TMemoryStream s(std::string("0123456789"));
  s.SetSize(2);
  s.Seek(4, rtl::soBeginning);
  s.WriteString("x");
  EXPECT_EQ(s.Bytes(), std::string("01\0\0x", 5));
}

}  // namespace
