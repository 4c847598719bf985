#include <gtest/gtest.h>

#include "platform/rtl/files.h"
#include "report/vuzUnicodeUtils.h"
#include "test_util.h"

using namespace report;
using namespace report_test;
using rtl::TMemoryStream;
using namespace rtl::literals;

namespace {
std::vector<std::u16string> Lines(const TWideStrings& l) {
  std::vector<std::u16string> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Get(i));
  return v;
}
using L = std::vector<std::u16string>;
}  // namespace

TEST(WideStrings, SetTextStrSplitsLines) {
  struct Case {
    std::u16string text;
    L lines;
  } cases[] = {
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\n\rb", {u"a", u"", u"b"}},
      {u"a\r\n", {u"a"}},
      {std::u16string(u"x\r\n\0y", 5), {u"x"}},
      {u"", {}},
      {u"\r\n", {u""}},
      {u"a\u2028b", {u"a", u"b"}},
      {u"a\r\n\u2028b", {u"a", u"b"}},
      {u"a\rb\nc", {u"a", u"b", u"c"}},
  };
  TWideStrings list;
  for (const auto& c : cases) {
    list.SetTextStr(c.text);
    EXPECT_EQ(Lines(list), c.lines);
  }
}

TEST(WideStrings, InsertPutAndObjects) {
  TWideStrings l;
  rtl::TObject tagObject;
  rtl::TObject* tag = &tagObject;
  l.Insert(0, u"first");  // at Count: appends
  l.AddObject(u"second", tag);
  l.Insert(1, u"replaced");
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.Get(1), u"replaced");
  EXPECT_EQ(l.GetObject(1), tag);
  l.Put(0, u"again");
  EXPECT_EQ(l.Get(0), u"again");
  try {
    l.Insert(3, u"x");
    ADD_FAILURE();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "Wide String Out of Bounds");
  }
  EXPECT_THROW(l.Insert(-1, u"x"), rtl::Exception);
  EXPECT_EQ(l.Get(5), u"");
  EXPECT_EQ(l.Get(-1), u"");
  EXPECT_EQ(l.GetObject(9), nullptr);
  l.PutObject(9, tag);  // ignored
  EXPECT_EQ(l.IndexOf(u"replaced"), 1);
  EXPECT_EQ(l.IndexOf(u"REPLACED"), -1);
  EXPECT_THROW(l.Delete(2), rtl::EListError);
  l.Delete(0);
  EXPECT_EQ(l.Get(0), u"replaced");

  TWideStrings copy;
  copy.Add(u"old");
  copy.Assign(l);
  EXPECT_EQ(Lines(copy), L{u"replaced"});
  EXPECT_EQ(copy.GetObject(0), tag);
  copy.AddStrings(copy);
  EXPECT_EQ(copy.Count(), 2);
}

TEST(WideStrings, TextAndStreams) {
  TWideStrings l;
  l.Add(u"a");
  l.Add(u"b");
  EXPECT_EQ(l.GetTextStr(), u"a\r\nb\r\n");
  TMemoryStream out;
  l.SaveToStream(out);
  EXPECT_EQ(out.Bytes(), std::string("a\0\r\0\n\0b\0\r\0\n\0", 12));
  // Without a mark the bytes read back as 8-bit text.
  out.SetPosition(0);
  TWideStrings back;
  back.LoadFromStream(out);
  EXPECT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Get(0), u"a");  // a NUL ends the text

  struct Case {
    std::string bytes;
    L lines;
  } cases[] = {
      {std::string("\xFF\xFE\x41\x00", 4), {u"A"}},     {"\xFF\xFE", {u"яю"}},
      {std::string("\xFF\xFE\x41\x00\x42", 5), {u"A"}},  // an odd final byte is not text
      {std::string("\xCF\xF0\xE8\r\n", 5), {u"При"}},   {"", {}},
  };
  for (const auto& c : cases) {
    TMemoryStream s(c.bytes);
    back.LoadFromStream(s);
    EXPECT_EQ(Lines(back), c.lines);
  }
  TMemoryStream w(std::string("H\0i\0\n\0!\0", 8));
  back.LoadFromWStream(w);
  EXPECT_EQ(Lines(back), (L{u"Hi", u"!"}));

  const support::ScratchFolder scratch("zarnik-report-wide-");
  const auto& dir = scratch.Folder();
  const auto file = rtl::Utf8ToWide((dir / "lines.txt").string());
  l.Add(u"Привет");
  l.SaveToFile(file);
  TWideStrings fromFile;
  fromFile.LoadFromWStream(*std::make_unique<rtl::TFileStream>(rtl::WideToAnsi(file), rtl::fmOpenRead));
  EXPECT_EQ(Lines(fromFile), (L{u"a", u"b", u"Привет"}));
  // A save that fails after writing leaves the old file as it was.
  const std::string before = support::ReadFile(dir / "lines.txt");
  rtl::SetSaveFaultForTests([](std::string_view) { throw rtl::EWriteError("disk full"); });
  l.Add(u"lost");
  EXPECT_THROW(l.SaveToFile(file), rtl::EWriteError);
  rtl::SetSaveFaultForTests(nullptr);
  EXPECT_EQ(support::ReadFile(dir / "lines.txt"), before);
  l.Delete(l.Count() - 1);

  const auto utf8 = l.GetUTF8Lines();
  EXPECT_EQ(utf8.back(), "Привет");
  fromFile.SetUTF8Lines(utf8);
  EXPECT_EQ(Lines(fromFile), Lines(l));
}

TEST(CodePages, CharSetsAndConversions) {
  EXPECT_EQ(CharSetToCodePage(DEFAULT_CHARSET), 1251u);
  EXPECT_EQ(CharSetToCodePage(MAC_CHARSET), 2u);
  EXPECT_EQ(CharSetToCodePage(OEM_CHARSET), 1u);
  EXPECT_EQ(CharSetToCodePage(RUSSIAN_CHARSET), 1251u);
  EXPECT_EQ(CharSetToCodePage(EASTEUROPE_CHARSET), 1250u);
  EXPECT_THROW(CharSetToCodePage(99), rtl::EOSError);
  EXPECT_EQ(AnsiToUnicode(std::string("\xCF\xF0\xE8"), DEFAULT_CHARSET), u"При");
  EXPECT_EQ(AnsiToUnicode(std::string("\x8F\xE0\xA8"), OEM_CHARSET), u"При");
  EXPECT_EQ(AnsiToUnicode(std::string("\x8F\xE0\xA8"), DEFAULT_CHARSET, 866), u"При");
  EXPECT_EQ(_UnicodeToAnsi(u"При", RUSSIAN_CHARSET), std::string("\xCF\xF0\xE8"));
  EXPECT_EQ(_UnicodeToAnsi(u"\u4E2D", RUSSIAN_CHARSET), "?");
  EXPECT_EQ(AnsiToUnicode("", DEFAULT_CHARSET), u"");
  // Fonts of other scripts convert by their own pages, both ways.
  const struct {
    int charSet;
    const char* bytes;
    const char16_t* text;
  } byCharSet[] = {
      {EASTEUROPE_CHARSET, "\x8A", u"\u0160"},   {GREEK_CHARSET, "\xC1", u"\u0391"},
      {SHIFTJIS_CHARSET, "\x82\xA0", u"\u3042"}, {CHINESEBIG5_CHARSET, "\xA4\xA4", u"\u4E2D"},
      {MAC_CHARSET, "\x80", u"\u0410"},
  };
  for (const auto& c : byCharSet) {
    EXPECT_EQ(AnsiToUnicode(c.bytes, c.charSet), c.text) << c.charSet;
    EXPECT_EQ(_UnicodeToAnsi(c.text, c.charSet), c.bytes) << c.charSet;
  }
  EXPECT_EQ(GetLocalByCharSet(204), 1049u);
  EXPECT_EQ(GetLocalByCharSet(178), 13313u);
  EXPECT_EQ(OemToStr(std::string("\x8F\xE0\xA8")), std::string("\xCF\xF0\xE8"));
}

TEST(WideStrings, AssignWithStringLists) {
  rtl::TStringList ansi;
  rtl::TStringList marker;
  ansi.AddObject("\xCF\xF0\xE8", &marker);
  ansi.Add("b");
  TWideStrings wide;
  wide.Assign(&ansi);
  EXPECT_EQ(Lines(wide), (L{u"При", u"b"}));
  EXPECT_EQ(wide.GetObject(0), &marker);

  wide.Add(u"\u4E2D");
  rtl::TStringList back;
  back.Add("old");
  back.Assign(&wide);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Get(0), "\xCF\xF0\xE8");
  EXPECT_EQ(back.GetObject(0), &marker);
  EXPECT_EQ(back.Get(2), "?");

  TWideStrings other;
  other.Assign(&wide);
  EXPECT_EQ(Lines(other), Lines(wide));
  rtl::TPersistent plain;
  EXPECT_THROW(wide.Assign(&plain), rtl::EConvertError);
  EXPECT_THROW(wide.AssignTo(&plain), rtl::EConvertError);
}
