// The RTF export's text side: escaping, the font and colour tables and the
// merging of memos that hold RTF.
#include <gtest/gtest.h>

#include <string>

#include "export/vuzExportRTFText.h"
#include "platform/rtl/strings.h"

namespace {

using report::TfrxRTFTables;

TEST(RtfText, Escaping) {
  struct Case {
    std::u16string in;
    const char* out;
  } cases[] = {
      {u"a\\b{c}d", "a\\\\b\\{c\\}d"},
      {u"Ж", "\\u1046\\'3f"},
      {u"\uFFFF", "\\u65535\\'3f"},  // unsigned, as the code is
      // Two lines each ending in CR LF: the final one is dropped, the first
      // becomes a line break.
      {u"one\r\ntwo\r\n", "one\\line\r\ntwo"},
      {u"x\r\n\r\n", "x\r\n"},  // a CR LF that ends the text stays as it is
      {u"tab\there", "tab\\tab here"},
      {u"ctl\x01\x1f.", "ctl."},
      {u"q\"uo'te <b>&amp;", "q\"uo'te <b>&amp;"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(report::StrToRTFUnicodeEx(report::RTFTruncReturns(c.in)), c.out) << rtl::WideToUtf8(c.in);
  EXPECT_EQ(report::RTFTruncReturns(u"\r\n"), u"");
  EXPECT_EQ(report::RTFTruncReturns(u"\n"), u"\n");
  // A CR LF that ends the text is copied as it is (readers ignore it).
  EXPECT_EQ(report::StrToRTFSlash(u"a\r\n"), u"a\r\n");
}

TEST(RtfText, FontsKeyedByNameColoursFromOne) {
  TfrxRTFTables t;
  EXPECT_EQ(t.AddFont("Arial", 204), 0);
  EXPECT_EQ(t.AddFont("Times New Roman", 0), 1);
  EXPECT_EQ(t.AddFont("Arial", 0), 0);  // the first charset stays
  EXPECT_EQ(t.FontTable(), "{\\fonttbl{\\f0\\fcharset204 Arial}{\\f1\\fcharset0 Times New Roman}}\r\n");
  EXPECT_EQ(t.AddColor(gfx::clWhite), 1);
  EXPECT_EQ(t.AddColor(0x0000FF), 2);  // red in BGR order
  EXPECT_EQ(t.AddColor(gfx::clTransparent), 1);
  EXPECT_EQ(t.AddColorEntry("\\red255\\green0\\blue0;"), 2);
  EXPECT_EQ(t.ColorTable(), "{\\colortbl;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}\r\n");
  // A name cannot open or close a group of the table.
  TfrxRTFTables hostile;
  hostile.AddFont("Bad}{\\Name", 0);
  EXPECT_EQ(hostile.FontTable(), "{\\fonttbl{\\f0\\fcharset0 Bad\\}\\{\\\\Name}}\r\n");
}

TEST(RtfText, TableLinesStayWithin254Characters) {
  TfrxRTFTables t;
  for (int i = 0; i < 40; ++i) t.AddFont("Font number " + std::to_string(i), 0);
  for (int i = 0; i < 60; ++i) t.AddColor(static_cast<gfx::TColor>(i * 0x010203));
  for (const std::string& table : {t.FontTable(), t.ColorTable()}) {
    std::size_t start = 0, lines = 0;
    for (std::size_t end; (end = table.find("\r\n", start)) != std::string::npos; start = end + 2, ++lines)
      EXPECT_LE(end - start, 254u) << table.substr(start, end - start);
    EXPECT_GT(lines, 2u);
    EXPECT_EQ(start, table.size());
  }
  // One entry longer than a line stands alone.
  TfrxRTFTables wide;
  wide.AddFont("A", 0);
  wide.AddFont(std::string(300, 'n'), 0);
  const std::string table = wide.FontTable();
  EXPECT_EQ(table.substr(0, table.find("\r\n")), "{\\fonttbl{\\f0\\fcharset0 A}");
}

TEST(RtfText, RichTextRemappedIntoTheDocumentTables) {
  TfrxRTFTables t;
  t.AddFont("Arial", 204);
  t.AddColor(gfx::clWhite);
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Courier New;}{\\f1\\fcharset204 Arial;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red255\\green255\\blue255;}"
      "\\viewkind4\\pard\\f0\\cf1 red \\f1\\cf2 white\\par\\pard\\f0 again\\par}";
  const std::string out = report::RTFRemapRichText(rtf, t);
  // From the first \pard on, every \pard gone; Courier New becomes font 1,
  // Arial stays 0; red becomes colour 2, white stays 1.
  EXPECT_EQ(out, "{\\f1\\cf2 red \\f0\\cf1 white\\par\\f1 again\\par}");
  EXPECT_EQ(t.FontCount(), 2);
  EXPECT_EQ(t.ColorCount(), 2);

  struct Bad {
    const char* rtf;
    const char* shown;
  } bad[] = {
      {"{\\rtf1 no paragraph}", "{RTF text in a memo does not contain \\\\pard tags}"},
      {"{\\rtf1\\pard}", nullptr},  // nothing after \pard: an error text, no crash
      {"x", nullptr},
  };
  for (const Bad& b : bad) {
    const std::string shown = report::RTFRemapRichText(b.rtf, t);
    if (b.shown) {
      EXPECT_EQ(shown, b.shown);
    }
    ASSERT_FALSE(shown.empty()) << b.rtf;
    EXPECT_EQ(shown.front(), '{') << b.rtf;
    EXPECT_EQ(shown.back(), '}') << b.rtf;
    int depth = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (shown[i] == '\\') {
        ++i;
        continue;
      }
      depth += shown[i] == '{' ? 1 : shown[i] == '}' ? -1 : 0;
    }
    EXPECT_EQ(depth, 0) << shown;
  }
}

}  // namespace
