// The dot-matrix text export: wrapping, the character screen with its frames
// and junctions, printer types and their files, and whole reports exported
// through the export driver. The expected screens below were worked out by
// hand from the placement rules (7 x 8 pixels a cell, halves to even).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/RecorderExportFilters.h"
#include "engine_fixture.h"
#include "export/vuzExportRes.h"
#include "export/vuzExportTXT.h"
#include "export/vuzTextScreen.h"
#include "platform/rtl/components.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzDsgnIntf.h"
#include "tests/support/external_tools.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace export_test {

namespace {

using namespace rtl::literals;
using report::TfrxTextScreen;
using rtl::AnsiString;
namespace fs = std::filesystem;

std::string Screen(TfrxTextScreen& s, bool borders = false, bool lead = true) {
  std::string out;
  for (const auto& row : s.Flush(borders, lead)) out += row + "|\n";
  return out;
}

}  // namespace

TEST(TextWrap, Cases) {
  struct Case {
    const char* text;
    int width, lines;
    const char* wrapped;
  } cases[] = {
      {"short", 10, 5, "short"},
      {"one two three", 7, 5, "one two\r\nthree"},       // the break character is dropped
      {"one-two-three", 5, 5, "one-\r\ntwo-\r\nthree"},  // a dash stays at the line's end
      {"abcdefghij", 4, 5, "abcd\r\nefgh\r\nij"},        // no break: cut at the width
      {"ab\r\ncd", 5, 5, "ab\r\ncd"},                    // the text's own line end is kept
      {"abcd\r\nef", 4, 5, "abcd\r\nef"},                // CR right after the width
      {"one two three four", 4, 2, "one \r\ntwo \r\n"},  // at most two; the space stays
      {"anything", 0, 3, ""},                            // no room
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(report::WrapForScreen(c.text, c.width, c.lines), c.wrapped);
  }
}

TEST(TextScreen, CellsOutsideAndNoBreakSpace) {
  TfrxTextScreen ansi(3, 2, report::kSimpleFrameSet, false), oem(3, 2, report::kSimpleFrameSet, true);
  ansi.Set(-1, 0, 'x');
  ansi.Set(3, 0, 'x');
  EXPECT_EQ(ansi.Get(-1, 0), ' ');
  ansi.Set(0, 0, '\xA0');
  oem.Set(0, 0, '\xA0');
  EXPECT_EQ(ansi.Get(0, 0), ' ');
  EXPECT_EQ(oem.Get(0, 0), '\xA0');
}

TEST(TextScreen, AlignmentAndClipping) {
  struct Case {
    TfrxTextScreen::TVAlign v;
    TfrxTextScreen::THAlign h;
    const char* text;
    const char* screen;
  } cases[] = {
      {TfrxTextScreen::vaTop, TfrxTextScreen::haLeft, "ab", "|\n ab|\n|\n|\n|\n"},
      {TfrxTextScreen::vaTop, TfrxTextScreen::haRight, "ab", "|\n    ab|\n|\n|\n|\n"},
      {TfrxTextScreen::vaTop, TfrxTextScreen::haCenter, "ab", "|\n  ab|\n|\n|\n|\n"},  // 5 / 2 - 2 / 2 in front
      {TfrxTextScreen::vaBottom, TfrxTextScreen::haLeft, "ab", "|\n|\n|\n ab|\n|\n"},
      {TfrxTextScreen::vaCenter, TfrxTextScreen::haLeft, "ab", "|\n|\n ab|\n|\n|\n"},
      // More lines than the box holds: cut at the box's bottom row.
      {TfrxTextScreen::vaTop, TfrxTextScreen::haLeft, "a\r\nb\r\nc\r\nd\r\ne\r\nf", "|\n a|\n b|\n c|\n|\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.v << " " << c.h << " " << c.text);
    TfrxTextScreen s(8, 5, report::kSimpleFrameSet, false);
    s.DrawMemo(0, 0, 6, 4, c.text, 0, false, c.v, c.h, false);
    EXPECT_EQ(Screen(s), c.screen);
  }
}

// A box narrower than one column takes no text (and reads no character
// before its start).
TEST(TextScreen, NarrowBoxTakesNoText) {
  for (int dx : {1, 0, -3}) {
    TfrxTextScreen s(6, 3, report::kSimpleFrameSet, false);
    s.DrawMemo(2, 0, dx, 2, "text", 0, false, TfrxTextScreen::vaTop, TfrxTextScreen::haLeft, false);
    EXPECT_EQ(Screen(s), "|\n|\n|\n") << dx;
  }
}

// Two framed boxes side by side: the second box's left edge moves onto the
// first one's right edge, and the meeting points become T pieces.
TEST(TextScreen, FramesAndJunctions) {
  TfrxTextScreen s(12, 4, report::kGraphicFrameSet, false);
  s.DrawMemo(0, 0, 4, 2, "ab", 15, true, TfrxTextScreen::vaTop, TfrxTextScreen::haLeft, false);
  s.DrawMemo(5, 0, 4, 2, "cd", 15, true, TfrxTextScreen::vaTop, TfrxTextScreen::haLeft, false);
  EXPECT_EQ(Screen(s, true),
            "\xDA\xC4\xC4\xC4\xC2\xC4\xC4\xC4\xC4\xBF|\n"
            "\xB3"
            "ab \xB3"
            "cd  \xB3|\n"
            "\xC0\xC4\xC4\xC4\xC1\xC4\xC4\xC4\xC4\xD9|\n"
            "|\n");
  // With the simple set a lone "+" in a text stays; one beside a line joins.
  TfrxTextScreen t(8, 3, report::kSimpleFrameSet, false);
  t.DrawMemo(0, 0, 7, 2, "a+b", 0, true, TfrxTextScreen::vaTop, TfrxTextScreen::haLeft, false);
  t.Set(0, 2, '+');
  t.Set(1, 2, '-');
  EXPECT_EQ(Screen(t, true), "|\n a+b|\n--|\n");
}

TEST(TextScreen, JunctionRules) {
  // Each case: the 3 x 3 neighbourhood (rows top to bottom) with a junction
  // in the middle, and what the middle becomes (simple set: V '|', H '-').
  struct Case {
    const char* around;
    char result;
  } cases[] = {
      {"   "
       " + "
       " | ",
       '|'},  // rule 1
      {" | "
       " + "
       "   ",
       '|'},  // rule 2
      {"   "
       " +-"
       "   ",
       '-'},  // rule 3
      {"   "
       "-+ "
       "   ",
       '-'},  // rule 4
      {" | "
       "-+-"
       " | ",
       '+'},  // cross
  };
  for (const Case& c : cases) {
    TfrxTextScreen s(3, 3, "|-#########", false);
    for (int i = 0; i < 9; ++i) s.Set(i % 3, i / 3, c.around[i] == '+' ? '#' : c.around[i]);
    const char expected = c.result == '+' ? '#' : c.result;
    EXPECT_EQ(s.Junction(1, 1), expected) << c.around;
  }
}

TEST(TextFrameSet, Choice) {
  EXPECT_EQ(report::ChooseFrameSet("", false), report::kSimpleFrameSet);
  EXPECT_EQ(report::ChooseFrameSet("", true), report::kGraphicFrameSet);
  EXPECT_EQ(report::ChooseFrameSet("abcdefghijk", true), "abcdefghijk");
  // A custom set shorter than 11 characters falls back to the simple set.
  EXPECT_EQ(report::ChooseFrameSet("ab", true), report::kSimpleFrameSet);
}

class TextExport : public ::testing::Test {
 protected:
  void SetUp() override { report::vuzLoadExportResources(); }
  engine_test::EngineScope scope;
  support::ScratchFolder dir;
};

TEST_F(TextExport, InitStringPerPrinterType) {
  report::TfrxTXTExport f(nullptr);
  ASSERT_EQ(f.PrinterTypesCount, 4);
  struct Case {
    int type;
    bool enabled;
    std::string init;
  } cases[] = {
      {0, true, ""},
      {1, false, "\x12\x1BH\x1B\x35\x1BW\x00\x1BP"},
      {2, true, "\x1B\x45\x1B&l1O\x1B(s1S\x1B(s3B\x1B(s1Q\x1B(s12H\x1B&l8D"},
      {3, false, "\x12\x1BH\x1B\x35\x1BP"},
  };
  cases[1].init = std::string("\x12\x1BH\x1B\x35\x1BW\x00\x1BP", 10);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    f.SelectedPrinterType = c.type;
    auto& t = f.PrinterTypes[c.type];
    for (int i = 0; i < t.CommandsCount; ++i) t.Commands[i].Enabled = c.enabled;
    f.MakeInitString();
    EXPECT_EQ(f.InitString, c.init);
  }
  EXPECT_EQ(f.PrinterTypes[1].CommandsCount, 12);
  EXPECT_EQ(f.PrinterTypes[1].Commands[9].Name, "Linefeed 1/8\"");
}

TEST_F(TextExport, PrinterInitFiles) {
  report::TfrxTXTExport f(nullptr);
  f.SelectedPrinterType = 2;
  f.PrinterTypes[2].Commands[1].Enabled = true;
  f.PrinterTypes[2].Commands[3].Enabled = true;
  const std::string file = dir.File("p.fpi");
  f.SavePrinterInit(file);
  EXPECT_EQ(support::ReadFile(file), "2\r\nFalse\r\nTrue\r\nFalse\r\nTrue\r\nFalse\r\nFalse\r\n");

  report::TfrxTXTExport g(nullptr);
  g.LoadPrinterInit(file);
  EXPECT_EQ(g.SelectedPrinterType, 2);
  EXPECT_EQ(g.InitString, "\x1B&l1O\x1B(s0S\x1B(s3B\x1B(s2Q\x1B(s10H");

  struct Hostile {
    const char* content;
    bool refused;
  } cases[] = {
      {"7\r\nTrue\r\n", true},  // no such printer type
      {"-1\r\n", true},         //
      {"abc\r\n", true},        // not a number
      {"", true},               // empty
      {"1\r\nTrue", false},     // fewer lines than commands: the rest keep their state
      {"3\r\nTrue\r\n"
       "True\r\nTrue\r\nTrue\r\nTrue\r\nTrue\r\nTrue\r\nTrue\r\nTrue\r\nTrue\r\n",
       false},  // extra lines
  };
  for (const Hostile& c : cases) {
    SCOPED_TRACE(c.content);
    ASSERT_TRUE(support::WriteFile(file, c.content));
    report::TfrxTXTExport h(nullptr);
    if (c.refused)
      EXPECT_THROW(h.LoadPrinterInit(file), rtl::Exception);
    else
      EXPECT_NO_THROW(h.LoadPrinterInit(file));
  }
}

namespace {

// Two pages, each with a title and two framed cells side by side.
struct TableReport {
  TableReport() {
    report::TfrxReportPage* page = b.AddPage();
    auto& data = b.AddDataSet("Rows", {"N", "T"},
                              {{rtl::Variant(1), rtl::Variant(AnsiString("Один"_cp))},
                               {rtl::Variant(2), rtl::Variant(AnsiString("Два"_cp))}});
    auto* band = b.AddDataBand(page, 0, 32, data);
    band->SetStartNewPage(true);
    auto* a = b.AddMemo(band, 0, 8, 70, 16, "[Rows.\"N\"]");
    auto* t = b.AddMemo(band, 70, 8, 140, 16, "[Rows.\"T\"]");
    a->Frame()->SetTyp(15);
    t->Frame()->SetTyp(15);
    EXPECT_TRUE(b.Prepare()) << b.Errors();
  }
  engine_test::ReportBuilder b;
};

std::unique_ptr<report::TfrxTXTExport> NewText(report::TfrxReport& report, const std::string& file) {
  auto f = std::make_unique<report::TfrxTXTExport>(nullptr);
  f->ShowDialog = false;
  f->ShowProgress = false;
  f->FileName = file;
  f->Report = &report;
  return f;
}

}  // namespace

TEST_F(TextExport, PagesWithFramesAndBreaks) {
  TableReport r;
  auto f = NewText(r.b.Report(), dir.File("t.txt"));
  f->Borders = true;
  ASSERT_TRUE(r.b.Store().Export(f.get()));
  const std::string page1 =
      "+---------+-------------------+\r\n"
      "|1        |Один               |\r\n"
      "+---------+-------------------+\r\n"
      "\x0C";
  EXPECT_EQ(support::ReadFile(dir.File("t.txt")),
            rtl::Utf8ToAnsi(page1) + rtl::Utf8ToAnsi("+---------+-------------------+\r\n"
                                                     "|2        |Два                |\r\n"
                                                     "+---------+-------------------+\r\n"
                                                     "\x0C"));
}

// The options that shape the file: form feeds, blank lines, the preview's
// file without initialisation or closing form feed, the OEM code page.
TEST_F(TextExport, Options) {
  TableReport r;
  const std::string rows1 = "1        \xCE\xE4\xE8\xED\r\n";  // "1" and "Один" without frames
  struct Case {
    const char* name;
    void (*set)(report::TfrxTXTExport&);
    std::string starts, ends;
  } cases[] = {
      {"default", [](report::TfrxTXTExport&) {}, "1", "\x0C"},
      {"no page breaks", [](report::TfrxTXTExport& f) { f.PageBreaks = false; }, "1", "\xE0\r\n\x0C"},
      {"init string", [](report::TfrxTXTExport& f) { f.InitString = "\x1B@"; }, "\x1B@1", "\x0C"},
      {"preview",
       [](report::TfrxTXTExport& f) {
         f.InitString = "\x1B@";
         f.PageBreaks = false;
         f.PreviewMode = true;
       },
       "1", "\xE0\r\n"},
      {"empty lines", [](report::TfrxTXTExport& f) { f.EmptyLines = true; }, "\r\n\r\n\r\n\r\n\r\n", "\r\n\x0C"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto f = NewText(r.b.Report(), dir.File("o.txt"));
    c.set(*f);
    ASSERT_TRUE(r.b.Store().Export(f.get()));
    const std::string text = support::ReadFile(dir.File("o.txt"));
    EXPECT_EQ(text.substr(0, c.starts.size()), c.starts);
    ASSERT_GE(text.size(), c.ends.size());
    EXPECT_EQ(text.substr(text.size() - c.ends.size()), c.ends);
    // Exactly one closing form feed without page breaks, none in preview.
    const auto feeds = std::count(text.begin(), text.end(), '\x0C');
    EXPECT_EQ(feeds, std::string(c.name) == "preview" ? 0 : std::string(c.name) == "no page breaks" ? 1 : 2);
  }
  (void)rows1;
}

// With the OEM code page the text is converted (read back through iconv),
// the graphic frame characters are written as they are.
TEST_F(TextExport, OemCodePage) {
  if (support::FindTool("iconv").empty()) GTEST_SKIP() << support::Missing("iconv", "libc-bin");
  TableReport r;
  auto f = NewText(r.b.Report(), dir.File("oem.txt"));
  f->OEMCodepage = true;
  f->Borders = true;
  f->Pseudogrpahic = true;
  ASSERT_TRUE(r.b.Store().Export(f.get()));
  const std::string utf8 = support::CommandOutput("iconv -f CP866 -t UTF-8 '" + dir.File("oem.txt") + "'");
  EXPECT_NE(utf8.find("│1        │Один               │"), std::string::npos) << utf8;
  EXPECT_NE(utf8.find("┌─────────┬───────────────────┐"), std::string::npos) << utf8;
  EXPECT_NE(utf8.find("└─────────┴───────────────────┘"), std::string::npos) << utf8;
}

// Objects that start in the same cell, or whose order is against the cells,
// are all drawn; an object narrower than one column draws no text.
TEST_F(TextExport, EveryObjectIsDrawn) {
  engine_test::ReportBuilder b;
  report::TfrxReportPage* page = b.AddPage();
  auto* band = b.AddBand<report::TfrxReportTitle>(page, 0, 60);
  b.AddMemo(band, 0, 0, 70, 16, "first");
  b.AddMemo(band, 0, 0, 70, 16, "overdrawn");  // same cell, longer: drawn over the first
  b.AddMemo(band, 140, 0.4, 70, 16, "right");  // same row, sorted after
  b.AddMemo(band, 100, 0.2, 3, 16, "narrow");
  b.AddMemo(band, 0, 40, 70, 16, "below");
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  auto f = NewText(b.Report(), dir.File("m.txt"));
  ASSERT_TRUE(b.Store().Export(f.get()));
  const std::string text = support::ReadFile(dir.File("m.txt"));
  EXPECT_NE(text.find("right"), std::string::npos) << text;
  EXPECT_NE(text.find("below"), std::string::npos) << text;
  EXPECT_NE(text.find("overdrawn"), std::string::npos) << text;
  EXPECT_EQ(text.find("narrow"), std::string::npos) << text;
}

// A failed export leaves no file.
TEST_F(TextExport, FailedRunLeavesNoFile) {
  TableReport r;
  class Failing : public report::TfrxTXTExport {
   public:
    using TfrxTXTExport::TfrxTXTExport;
    void StartPage(report::TfrxComponent* page, int index) override {
      if (index == 1) throw rtl::Exception("disk full");
      TfrxTXTExport::StartPage(page, index);
    }
  };
  Failing f(nullptr);
  f.ShowDialog = false;
  f.ShowProgress = false;
  f.FileName = dir.File("fail.txt");
  r.b.Report().EngineOptions()->NewSilentMode = report::simSilent;
  EXPECT_FALSE(r.b.Store().Export(&f));
  EXPECT_FALSE(fs::exists(dir.File("fail.txt")));
}

}  // namespace export_test

namespace export_test {

// The main window's text filter as the window makes it: registered after
// the spreadsheet filter and before the PDF filter, with the settings the
// window stores (read through the published properties, as the stored form
// sets them) and the constructor's own defaults.
TEST_F(TextExport, MainWindowStoredSettings) {
  rtl::TComponent window(nullptr);
  app::CreateRecorderExportFilters(&window);
  report::TfrxTXTExport* f = nullptr;
  int xls = -1, text = -1, pdf = -1;
  for (int i = 0; i < report::vuzExportFilters().Count(); ++i) {
    report::TfrxCustomExportFilter* filter = report::vuzExportFilters().GetExportFilterItem(i)->Filter;
    if (auto* t = dynamic_cast<report::TfrxTXTExport*>(filter)) {
      f = t;
      text = i;
    }
    if (filter->ClassName() == "TfrxXLSExport") xls = i;
    if (filter->ClassName() == "TfrxPDFExport") pdf = i;
  }
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(text, xls + 1);
  EXPECT_LT(text, pdf);
  struct Stored {
    const char* name;
    rtl::Variant value;
  } stored[] = {{"ScaleWidth", rtl::Variant(1.0)},         {"ScaleHeight", rtl::Variant(1.0)},
                {"Borders", rtl::Variant(false)},          {"Pseudogrpahic", rtl::Variant(false)},
                {"PageBreaks", rtl::Variant(true)},        {"OEMCodepage", rtl::Variant(false)},
                {"EmptyLines", rtl::Variant(false)},       {"LeadSpaces", rtl::Variant(false)},
                {"PrintAfter", rtl::Variant(false)},       {"PrinterDialog", rtl::Variant(true)},
                {"UseSavedProps", rtl::Variant(true)},     {"UseFileCache", rtl::Variant(true)},
                {"ShowProgress", rtl::Variant(true)},      {"OverwritePrompt", rtl::Variant(false)},
                {"DataOnly", rtl::Variant(false)},         {"StripHTMLTags", rtl::Variant(false)},
                {"InitString", rtl::Variant(AnsiString())}};
  for (const Stored& s : stored) EXPECT_TRUE(rtl::GetPropValue(*f, s.name) == s.value) << s.name;
  EXPECT_EQ(f->GetDescription(), "Текстовый файл (prn)"_cp);
  EXPECT_EQ(f->DefaultExt, ".txt");
  EXPECT_EQ(f->FileFilter, "Текстовый файл (*.txt)|*.txt"_cp);
  EXPECT_TRUE(f->ShowDialog);
  EXPECT_EQ(f->SelectedPrinterType, 0);
  EXPECT_EQ(f->Copies, 1);
  EXPECT_EQ(f->PrinterTypesCount, 4);
  window.DestroyComponents();
  for (int i = 0; i < report::vuzExportFilters().Count(); ++i)
    EXPECT_EQ(dynamic_cast<report::TfrxTXTExport*>(report::vuzExportFilters().GetExportFilterItem(i)->Filter), nullptr);
}

}  // namespace export_test
