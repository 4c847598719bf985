// The RTF export over real prepared reports: sections and page breaks, row
// heights, page headers and footers in their three modes, merged cells,
// fills, tagged colours, pictures, output rules (stream, file, failure,
// cancel) and the main window's stored filter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/RecorderExportFilters.h"
#include "engine_fixture.h"
#include "export/vuzExportRTF.h"
#include "export/vuzExportRes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/picture.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "report/vuzClassPicture.h"
#include "report/vuzDsgnIntf.h"
#include "tests/export/export_tools.h"

namespace {

using namespace exporttest;
using report::TfrxRTFExport;
using rtl::AnsiString;
using namespace rtl::literals;

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// Every group closed, none closed twice ("\\{" and "\\}" are text).
bool Balanced(const std::string& rtf) {
  int depth = 0;
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\') {
      ++i;
    } else if (rtf[i] == '{') {
      ++depth;
    } else if (rtf[i] == '}' && --depth < 0) {
      return false;
    }
  }
  return depth == 0;
}

// The height of the table row whose cells hold the text.
int RowHeightOf(const std::string& rtf, const std::string& text) {
  const std::size_t at = rtf.find(text);
  if (at == std::string::npos) return -1;
  const std::size_t row = rtf.rfind("\\trowd\\trrh-", at);
  if (row == std::string::npos) return -1;
  return std::atoi(rtf.c_str() + row + 12);
}

// The number of a colour in the colour table ("\red255\green0\blue0").
int ColorNumber(const std::string& rtf, const std::string& entry) {
  const std::size_t table = rtf.find("{\\colortbl;");
  const std::size_t at = rtf.find(entry + ";", table);
  if (table == std::string::npos || at == std::string::npos) return -1;
  return Count(rtf.substr(table, at - table), ";");
}

// Every colour and font number a cell uses is in the tables written before
// the rows.
bool NumbersWithinTables(const std::string& rtf) {
  const std::size_t fonts = rtf.find("{\\fonttbl"), colors = rtf.find("{\\colortbl;"), info = rtf.find("{\\info");
  if (fonts == std::string::npos || colors == std::string::npos || info == std::string::npos) return false;
  const int fontCount = Count(rtf.substr(fonts, colors - fonts), "{\\f");
  const int colorCount = Count(rtf.substr(colors, info - colors), ";") - 1;
  struct Word {
    const char* name;
    int most;
  } words[] = {{"\\f", fontCount - 1}, {"\\cf", colorCount}, {"\\clcbpat", colorCount}, {"\\brdrcf", colorCount}};
  for (const Word& w : words)
    for (std::size_t at = rtf.find(w.name, info); at != std::string::npos; at = rtf.find(w.name, at + 1)) {
      const char* digits = rtf.c_str() + at + std::strlen(w.name);
      if (*digits < '0' || *digits > '9') continue;  // another word ("\\fs", "\\fi")
      if (std::atoi(digits) > w.most) return false;
    }
  return true;
}

// Pages of one framed row each, optionally with a page header and footer.
struct PagedReport {
  explicit PagedReport(int pages, long double topMargin = 10, bool headerFooter = false, long double leftMargin = 10) {
    engine_test::PageSetup setup;
    setup.topMargin = topMargin;
    setup.leftMargin = leftMargin;
    report::TfrxReportPage* page = b.AddPage(setup);
    std::vector<engine_test::TableDataSet::Row> rows;
    for (int i = 1; i <= pages; ++i) rows.push_back({rtl::Variant(i)});
    auto& data = b.AddDataSet("Rows", {"N"}, rows);
    if (headerFooter) {
      b.AddMemo(b.AddBand<report::TfrxPageHeader>(page, 0, 20), 0, 0, 200, 20, "Head");
      b.AddMemo(b.AddBand<report::TfrxPageFooter>(page, 900, 20), 0, 0, 200, 20, "Foot");
    }
    auto* band = b.AddDataBand(page, 100, 16, data);
    band->SetStartNewPage(true);
    b.AddMemo(band, 0, 0, 150, 16, "Row [Rows.\"N\"]")->Frame()->SetTyp(15);
    EXPECT_TRUE(b.Prepare()) << b.Errors();
  }
  engine_test::ReportBuilder b;
};

class RtfExport : public ::testing::Test {
 protected:
  void SetUp() override { report::vuzLoadExportResources(); }
  static void Plain(TfrxRTFExport& f, engine_test::ReportBuilder& b) {
    f.ShowDialog = false;
    f.ShowProgress = false;
    f.Report = &b.Report();
  }
  // The document of an export into memory.
  std::string ToText(engine_test::ReportBuilder& b, const std::function<void(TfrxRTFExport&)>& set = {}) {
    TfrxRTFExport f;
    Plain(f, b);
    rtl::TMemoryStream out;
    f.Stream = &out;
    if (set) set(f);
    EXPECT_TRUE(b.Store().Export(&f));
    return out.Bytes();
  }
  engine_test::EngineScope scope;
  TempDir dir;
};

TEST_F(RtfExport, DocumentFrame) {
  PagedReport r(1);
  r.b.Report().ReportOptions()->Name = "Отчёт {1}"_cp;
  TfrxRTFExport f;
  Plain(f, r.b);
  rtl::TMemoryStream out;
  f.Stream = &out;
  ASSERT_TRUE(r.b.Store().Export(&f));
  const std::string rtf = out.Bytes();
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\r\n{\\fonttbl{\\f0\\fcharset", 0), 0u) << rtf.substr(0, 200);
  int y, mo, d, h, mi, s, ms;
  rtl::DecodeDateTime(f.CreationTime, y, mo, d, h, mi, s, ms);
  char date[80];
  std::snprintf(date, sizeof date, "{\\creatim\\yr%04d\\mo%02d\\dy%02d\\hr%02d\\min%02d}}\r\n", y, mo, d, h, mi);
  EXPECT_NE(rtf.find("{\\info{\\title \\u1054\\'3f\\u1090\\'3f\\u1095\\'3f\\u1105\\'3f\\u1090\\'3f \\{1\\}}"
                     "{\\author ReziZuzore}" +
                     std::string(date)),
            std::string::npos)
      << rtf.substr(0, 400);
  // Page size in pixels x 15.02, margins of 10 mm x 56.48.
  auto* page = dynamic_cast<report::TfrxReportPage*>(r.b.Store().GetPage(0));
  ASSERT_NE(page, nullptr);
  const std::string section = "\\pgwsxn" + std::to_string(std::lround(static_cast<double>(page->Width() * 15.02L))) +
                              "\\pghsxn" + std::to_string(std::lround(static_cast<double>(page->Height() * 15.02L))) +
                              "\\marglsxn565\\margrsxn565\\margtsxn565\\margbsxn565\r\n";
  EXPECT_NE(rtf.find(section), std::string::npos) << section;
  EXPECT_EQ(rtf.substr(rtf.size() - 3), "}\r\n");
  // Framed cell: four sides of width 1 (20 twips) in the frame colour.
  EXPECT_NE(rtf.find("\\clbrdrt\\brdrs\\brdrw20\\brdrcf"), std::string::npos);
  EXPECT_NE(rtf.find("\\cltxlrtb\\cellx"), std::string::npos);
  // Font 0 is the white fill's; the memo's Arial comes next.
  EXPECT_NE(rtf.find("\\ql{\\f1\\fs20\\cf"), std::string::npos);
  EXPECT_TRUE(Balanced(rtf));
  EXPECT_TRUE(NumbersWithinTables(rtf));
}

// Row heights are 15 twips a pixel, 14.5 on a single page and in the last
// section; a section per page with page breaks, one without.
TEST_F(RtfExport, SectionsAndRowHeights) {
  struct Case {
    int pages;
    bool breaks;
    int sections;
    std::vector<int> heights;  // of the rows "Row 1", "Row 2", ...
  } cases[] = {
      {1, true, 1, {232}},
      {3, true, 3, {240, 240, 232}},
      {3, false, 1, {240, 240, 240}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pages) + (c.breaks ? " with breaks" : " without"));
    PagedReport r(c.pages);
    const std::string rtf = ToText(r.b, [&](TfrxRTFExport& f) { f.ExportPageBreaks = c.breaks; });
    EXPECT_EQ(Count(rtf, "\\pgwsxn"), c.sections);
    EXPECT_EQ(Count(rtf, "\\pard\\sect\r\n"), c.sections - 1);
    for (std::size_t i = 0; i < c.heights.size(); ++i)
      EXPECT_EQ(RowHeightOf(rtf, "Row " + std::to_string(i + 1)), c.heights[i]) << i;
  }
}

// The row at a page break is written after the section break when it holds
// anything: with no top margin it is the new page's first row.
TEST_F(RtfExport, RowAtThePageBreakIsKept) {
  for (long double top : {0.0L, 10.0L}) {
    SCOPED_TRACE(static_cast<double>(top));
    PagedReport r(3, top);
    const std::string rtf = ToText(r.b);
    for (const char* row : {"Row 1", "Row 2", "Row 3"}) EXPECT_EQ(Count(rtf, row), 1) << row;
    // Each row follows its section's settings.
    const std::size_t second = rtf.find("\\pard\\sect");
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(rtf.find("Row 1"), second);
    EXPECT_GT(rtf.find("Row 2"), second);
    // An empty margin row at the break is not written as a blank row.
    if (top > 0) {
      const std::size_t after = rtf.find("\\trowd", second);
      EXPECT_EQ(rtf.find("Row 2", after), rtf.find("Row 2")) << "first row after the break holds the text";
      EXPECT_LT(rtf.find("Row 2", after), rtf.find("\\row}", after));
    }
  }
}

// With no left margin an object starts at the grid's first column, which
// holds nothing in every other case.
TEST_F(RtfExport, ObjectAtTheLeftEdgeIsKept) {
  PagedReport r(2, 0, false, 0);
  const std::string rtf = ToText(r.b);
  for (const char* row : {"Row 1", "Row 2"}) EXPECT_EQ(Count(rtf, row), 1) << row;
  EXPECT_NE(rtf.find("\\marglsxn0\\"), std::string::npos);
}

TEST_F(RtfExport, PageHeadersAndFooters) {
  struct Case {
    report::TfrxHeaderFooterMode mode;
    bool suppress;  // what the dialog forces for hfPrint
    int heads, feet;
    bool groups;
  } cases[] = {
      {report::hfText, false, 3, 3, false},
      {report::hfNone, false, 0, 0, false},
      {report::hfPrint, true, 1, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    PagedReport r(3, 10, true);
    const std::string rtf = ToText(r.b, [&](TfrxRTFExport& f) {
      f.HeaderFooterMode = c.mode;
      f.SuppressPageHeadersFooters = c.suppress;
    });
    EXPECT_EQ(Count(rtf, "Head"), c.heads);
    EXPECT_EQ(Count(rtf, "Foot"), c.feet);
    EXPECT_EQ(Count(rtf, "{\\header \r\n"), c.groups ? 1 : 0);
    EXPECT_EQ(Count(rtf, "{\\footer \r\n"), c.groups ? 1 : 0);
    for (const char* row : {"Row 1", "Row 2", "Row 3"}) EXPECT_EQ(Count(rtf, row), 1) << row;
    if (c.groups) {
      const std::size_t header = rtf.find("{\\header "), footer = rtf.find("{\\footer ");
      EXPECT_LT(header, rtf.find("Head"));
      EXPECT_LT(rtf.find("Head"), footer);
      EXPECT_LT(footer, rtf.find("Foot"));
      EXPECT_LT(rtf.find("Foot"), rtf.find("Row 1"));
    }
  }
}

// An object over three rows and two columns: one cell starting the merge
// and one continuing cell in each further row; its second column adds none.
TEST_F(RtfExport, VerticallyMergedCell) {
  engine_test::ReportBuilder b;
  auto* page = b.AddPage();
  auto* band = b.AddBand<report::TfrxReportTitle>(page, 0, 100);
  b.AddMemo(band, 0, 0, 100, 60, "Tall");
  for (int i = 0; i < 3; ++i) b.AddMemo(band, 100, i * 20, 80, 20, "R" + std::to_string(i));
  b.AddMemo(band, 0, 60, 50, 20, "C");
  b.AddMemo(band, 50, 60, 50, 20, "D");
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  const std::string rtf = ToText(b);
  EXPECT_EQ(Count(rtf, "Tall"), 1);
  EXPECT_EQ(Count(rtf, "\\clvmgf"), 2);  // the tall memo, and its row in the definition's copy
  EXPECT_EQ(Count(rtf, "\\clvmrg"), 4);
  EXPECT_EQ(Count(rtf, "{\\fs19\\cell}"), 2);  // rows of 20 px: 290 twips (one page) / 15
}

TEST_F(RtfExport, FillsAndTaggedColours) {
  engine_test::ReportBuilder b;
  auto* page = b.AddPage();
  auto* band = b.AddBand<report::TfrxReportTitle>(page, 0, 100);
  b.AddMemo(band, 0, 0, 100, 20, "white")->SetColor(gfx::clWhite);
  b.AddMemo(band, 0, 20, 100, 20, "clear");
  // A red cell whose text turns red by a tag: the colour change must be
  // written, although it equals the fill.
  auto* tagged = b.AddMemo(band, 0, 40, 100, 20, "<font color=\"#FF0000\">r</font><b>B</b>");
  tagged->SetColor(gfx::clRed);
  tagged->SetAllowHTMLTags(true);
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  const std::string rtf = ToText(b);
  const int red = ColorNumber(rtf, "\\red255\\green0\\blue0");
  ASSERT_GT(red, 0) << rtf.substr(0, 300);
  EXPECT_EQ(Count(rtf, "\\clcbpat"), 2);  // the red cell only, twice in its row
  EXPECT_EQ(Count(rtf, "\\clcbpat" + std::to_string(red)), 2);
  const int black = ColorNumber(rtf, "\\red0\\green0\\blue0");
  const std::string text =
      "\\slmult0 \\cf" + std::to_string(red) + " r\\b \\cf" + std::to_string(black) + " B\\plain\\cell}";
  EXPECT_NE(rtf.find(text), std::string::npos) << text << "\n" << rtf;
  EXPECT_TRUE(NumbersWithinTables(rtf));
}

TEST_F(RtfExport, PicturesInEveryForm) {
  engine_test::ReportBuilder b;
  auto* page = b.AddPage();
  auto* band = b.AddBand<report::TfrxReportTitle>(page, 0, 100);
  auto* picture = new report::TfrxPictureView(band);
  picture->SetName("Picture1");
  picture->SetBounds(0, 0, 40, 20);
  gfx::TBitmap& bitmap = picture->Picture()->Bitmap();
  bitmap.SetSize(40, 20);
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 20; ++y) bitmap.SetPixelColor(x, y, x < 20 ? gfx::clRed : gfx::clBlue);
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  struct Case {
    report::TfrxPictureType type;
    const char* word;
  } cases[] = {{report::gpPNG, "\\pngblip\r\n89504E47"},
               {report::gpJPG, "\\jpegblip\r\nFFD8"},
               {report::gpEMF, "\\emfblip\r\n01000000"},
               {report::gpBMP, "\\picbmp\\picbpp4\r\n010009000003"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    const std::string rtf = ToText(b, [&](TfrxRTFExport& f) { f.PictureType = c.type; });
    EXPECT_NE(rtf.find(c.word), std::string::npos) << rtf.substr(0, 2000);
    const std::string file = dir.File("p" + std::to_string(c.type) + ".rtf");
    WriteFile(file, rtf);
    const std::string none = ToText(b, [&](TfrxRTFExport& f) {
      f.PictureType = c.type;
      f.ExportPictures = false;
    });
    EXPECT_EQ(none.find("\\pict"), std::string::npos);
  }
  // The metafile form: header sizes agree with the bitmap file it holds.
  const std::string rtf = ToText(b, [](TfrxRTFExport& f) { f.PictureType = report::gpBMP; });
  const std::size_t at = rtf.find("010009000003");
  ASSERT_NE(at, std::string::npos);
  const std::string head = rtf.substr(at, 12 + 8 + 4 + 8);
  const unsigned total =
      std::stoul(head.substr(18, 2) + head.substr(16, 2) + head.substr(14, 2) + head.substr(12, 2), nullptr, 16);
  const unsigned largest =
      std::stoul(head.substr(30, 2) + head.substr(28, 2) + head.substr(26, 2) + head.substr(24, 2), nullptr, 16);
  EXPECT_EQ(total, largest + 36);
  // The bitmap's size from the window extent (height, width), at 24 bits:
  // a 54-byte header and rows padded to 4 bytes.
  const std::size_t ext = rtf.find("050000000c02", at);
  ASSERT_NE(ext, std::string::npos);
  const unsigned ph = std::stoul(rtf.substr(ext + 14, 2) + rtf.substr(ext + 12, 2), nullptr, 16);
  const unsigned pw = std::stoul(rtf.substr(ext + 18, 2) + rtf.substr(ext + 16, 2), nullptr, 16);
  EXPECT_GE(pw, 40u);
  EXPECT_EQ(largest, (54u + ((pw * 3 + 3) & ~3u) * ph) / 2 + 7);
  if (!FindTool("soffice").empty() && !FindTool("pdfimages").empty()) {
    Shell("timeout 300 " + Quote(FindTool("soffice")) + " -env:UserInstallation=file://" + dir.Path() +
          "/profile --headless --convert-to pdf --outdir " + Quote(dir.File("pdf")) + " " + dir.Path() + "/p*.rtf");
    for (const Case& c : cases) {
      const std::string pdf = dir.File("pdf/p" + std::to_string(c.type) + ".pdf");
      ASSERT_TRUE(std::filesystem::exists(pdf)) << c.word;
      if (c.type == report::gpEMF) continue;  // drawn as vector graphics
      const std::string list = Output("pdfimages -list " + Quote(pdf));
      EXPECT_GE(Count(list, "\n"), 3) << c.word << "\n" << list;
    }
  }
}

TEST_F(RtfExport, OutputLocationFailureAndCancel) {
  PagedReport r(2);
  // Neither file nor stream: the export does not take place.
  {
    TfrxRTFExport f;
    Plain(f, r.b);
    EXPECT_FALSE(r.b.Store().Export(&f));
  }
  // A file through a temporary file; a bare name goes into DefaultPath.
  {
    TfrxRTFExport f;
    Plain(f, r.b);
    f.FileName = "bare.rtf";
    f.DefaultPath = dir.Path();
    ASSERT_TRUE(r.b.Store().Export(&f));
    EXPECT_NE(ReadFile(dir.File("bare.rtf")).find("Row 2"), std::string::npos);
  }
  // A folder that does not exist: nothing written, the error reported.
  r.b.Report().EngineOptions()->NewSilentMode = report::simSilent;
  {
    TfrxRTFExport f;
    Plain(f, r.b);
    f.FileName = dir.File("no/such/x.rtf");
    r.b.Store().Export(&f);
    EXPECT_FALSE(std::filesystem::exists(dir.File("no/such/x.rtf")));
    EXPECT_GT(r.b.Report().Errors().Count(), 0);
  }
  // Cancelled while writing: an older file stays as it was.
  WriteFile(dir.File("old.rtf"), "old");
  int ticks = 0;
  report::TfrxRTFProgressHooks& hooks = report::vuzRTFProgressHooks();
  hooks.Start = [](int, const AnsiString&) {};
  hooks.Tick = [&ticks] { return ++ticks > 3; };
  hooks.Stop = [] {};
  {
    TfrxRTFExport f;
    Plain(f, r.b);
    f.ShowProgress = true;
    f.FileName = dir.File("old.rtf");
    r.b.Store().Export(&f);
  }
  // Into a stream: what was written is taken back.
  {
    TfrxRTFExport f;
    Plain(f, r.b);
    f.ShowProgress = true;
    rtl::TMemoryStream out;
    out.WriteBuffer("keep", 4);
    f.Stream = &out;
    ticks = 0;
    r.b.Store().Export(&f);
    EXPECT_EQ(out.Bytes(), "keep");
  }
  hooks = report::TfrxRTFProgressHooks{};
  EXPECT_GT(ticks, 3);
  EXPECT_EQ(ReadFile(dir.File("old.rtf")), "old");
  for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
    EXPECT_TRUE(e.path().filename() == "old.rtf" || e.path().filename() == "bare.rtf") << e.path();
}

TEST_F(RtfExport, MainWindowFilterIsRegisteredLastWithItsSettings) {
  rtl::TComponent window(nullptr);
  app::CreateRecorderExportFilters(&window);
  report::TfrxExportFilterCollection& filters = report::vuzExportFilters();
  ASSERT_GT(filters.Count(), 0);
  auto* f = dynamic_cast<TfrxRTFExport*>(filters.GetExportFilterItem(filters.Count() - 1)->Filter);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->GetDescription(), "Документ Word (табличный)"_cp);
  EXPECT_EQ(f->PictureType, report::gpPNG);
  EXPECT_TRUE(f->Wysiwyg);
  EXPECT_EQ(f->Creator, "ReziZuzore");
  EXPECT_FALSE(f->SuppressPageHeadersFooters);
  EXPECT_EQ(f->HeaderFooterMode, report::hfText);
  EXPECT_FALSE(f->AutoSize);
  EXPECT_TRUE(f->UseFileCache);
  EXPECT_TRUE(f->ShowProgress);
  EXPECT_FALSE(f->OverwritePrompt);
  EXPECT_FALSE(f->DataOnly);
  EXPECT_TRUE(f->ShowDialog);
  EXPECT_TRUE(f->ExportPictures);
  EXPECT_TRUE(f->ExportPageBreaks);
  EXPECT_FALSE(f->OpenAfterExport);
  EXPECT_EQ(f->FileFilter, "Файл RTF (*.rtf)|*.rtf"_cp);
  EXPECT_EQ(f->DefaultExt, ".rtf");
}

}  // namespace
