// The PDF file's own structure as this filter writes it: cross-reference
// entries that point at their objects, page boxes, outline pruning, links,
// catalog flags, information strings, the output location and the rule that a
// failed export leaves no file; the stored settings of the main window.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "export/vuzMD5.h"
#include "export/vuzRC4.h"
#include "pdf_fixture.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/exceptions.h"
#include "report/vuzClassPage.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

namespace export_test {

namespace {

using report::TfrxPDFExport;
using rtl::WideString;

// The objects a file defines: number -> offset of "n 0 obj".
std::map<int, std::size_t> ObjectOffsets(const std::string& pdf) {
  std::map<int, std::size_t> found;
  const std::regex obj(R"((?:^|\n)(\d+) 0 obj\r\n)");
  for (std::sregex_iterator it(pdf.begin(), pdf.end(), obj), end; it != end; ++it)
    found[std::stoi((*it)[1].str())] = static_cast<std::size_t>(it->position(1));
  return found;
}

// Checks the cross-reference table against the objects; answers its entry count.
int CheckXref(const std::string& pdf) {
  const std::size_t sx = pdf.rfind("startxref\r\n");
  EXPECT_NE(sx, std::string::npos);
  const std::size_t at = std::stoul(pdf.substr(sx + 11));
  EXPECT_EQ(pdf.compare(at, 6, "xref\r\n"), 0);
  const std::size_t countAt = at + 8;  // after "xref\r\n0 "
  const int size = std::stoi(pdf.substr(countAt));
  std::size_t p = pdf.find("\r\n", countAt) + 2;
  EXPECT_EQ(pdf.substr(p, 20), "0000000000 65535 f\r\n");
  p += 20;
  const auto objects = ObjectOffsets(pdf);
  for (int n = 1; n < size; ++n, p += 20) {
    const std::string entry = pdf.substr(p, 20);
    EXPECT_EQ(entry.substr(10), " 00000 n\r\n") << n;
    const std::size_t offset = std::stoul(entry.substr(0, 10));
    EXPECT_EQ(pdf.compare(offset, std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0) << "object " << n;
    EXPECT_TRUE(objects.count(n)) << n;
  }
  EXPECT_EQ(pdf.compare(p, 9, "trailer\r\n"), 0);
  EXPECT_NE(pdf.find("/Size " + std::to_string(size) + "\r\n", p), std::string::npos);
  EXPECT_EQ(pdf.substr(pdf.size() - 7), "%%EOF\r\n");
  EXPECT_EQ(static_cast<int>(objects.size()), size - 1);
  return size;
}

std::string Between(const std::string& s, const std::string& from, const std::string& to) {
  const std::size_t a = s.find(from);
  if (a == std::string::npos) return {};
  const std::size_t b = s.find(to, a + from.size());
  return s.substr(a + from.size(), b == std::string::npos ? std::string::npos : b - a - from.size());
}

class PdfStructure : public ::testing::Test {
 protected:
  PdfScope scope;
};

TEST_F(PdfStructure, CrossReferenceOfZeroOneAndSeveralPages) {
  // No page at all: a filter driven by hand.
  {
    TfrxPDFExport filter;
    FixFilter(filter);
    rtl::TMemoryStream out;
    filter.Stream = &out;
    ASSERT_TRUE(filter.Start());
    filter.Finish();
    const std::string pdf = out.Bytes();
    EXPECT_EQ(pdf.substr(0, 10), "%PDF-1.5\r\n");
    EXPECT_NE(pdf.find("/Kids []\r\n/Count 0\r\n"), std::string::npos);
    EXPECT_EQ(CheckXref(pdf), 4);  // pages, information, catalog
  }
  for (int rows : {1, 60}) {
    SCOPED_TRACE(rows);
    PdfReportOptions o;
    o.rows = rows;
    PdfReport r(o);
    const std::string pdf = ExportToBytes(r, [](TfrxPDFExport& f) { f.Compressed = false; });
    CheckXref(pdf);
    EXPECT_NE(pdf.find("/Count " + std::to_string(r.PageCount()) + "\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/MediaBox [0 0 595.50 842.25 ]"), std::string::npos);
    EXPECT_NE(pdf.find("/ID [<" + std::string(report::MD5String("{00112233-4455-6677-8899-AABBCCDDEEFF}")) + "><"),
              std::string::npos);
    EXPECT_NE(pdf.find("/CreationDate (D:20261211102030)"), std::string::npos);
  }
}

TEST_F(PdfStructure, SameInputSameBytes) {
  PdfReport r;
  const std::string a = ExportToBytes(r), b = ExportToBytes(r);
  EXPECT_FALSE(a.empty());
  EXPECT_TRUE(a == b);
  const std::string c = ExportToBytes(r, [](TfrxPDFExport& f) { f.UserPassword = "x"; });
  const std::string d = ExportToBytes(r, [](TfrxPDFExport& f) { f.UserPassword = "x"; });
  EXPECT_TRUE(c == d);
}

TEST_F(PdfStructure, MediaBoxes) {
  struct Case {
    long double width, height;
    const char* box;
  } cases[] = {{794, 1123, "[0 0 595.50 842.25 ]"}, {800, 1000, "[0 0 600 750 ]"}};
  for (const Case& c : cases) {
    TfrxPDFExport filter;
    FixFilter(filter);
    rtl::TMemoryStream out;
    filter.Stream = &out;
    report::TfrxReportPage page(nullptr);
    page.SetBounds(0, 0, c.width, c.height);
    ASSERT_TRUE(filter.Start());
    filter.StartPage(&page, 0);
    filter.FinishPage(&page, 0);
    filter.Finish();
    EXPECT_NE(out.Bytes().find(std::string("/MediaBox ") + c.box), std::string::npos) << c.box;
  }
}

TEST_F(PdfStructure, OutlineFollowsTheExportedPages) {
  PdfReportOptions o;
  o.outline = true;
  o.rows = 100;
  PdfReport r(o);
  r.Report().PrepareReport(true);
  ASSERT_GE(r.PageCount(), 3);
  struct Case {
    const char* pages;
    bool outline;
    bool titleEntry;  // the first row sits on page 1
  } cases[] = {{"", true, true}, {"2-3", true, false}, {"", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pages);
    const std::string pdf = ExportToBytes(r, [&](TfrxPDFExport& f) {
      f.PageNumbers = c.pages;
      f.Compressed = false;
    });
    // ShowModal is not called without a dialog: Outline stays as set here
    CheckXref(pdf);
    const std::string pdf2 = ExportToBytes(r, [&](TfrxPDFExport& f) {
      f.PageNumbers = c.pages;
      f.Outline = c.outline;
    });
    CheckXref(pdf2);
    EXPECT_EQ(pdf2.find("/PageMode /UseOutlines") != std::string::npos, c.outline);
    EXPECT_EQ(pdf2.find("/Outlines ") != std::string::npos, c.outline);
    const std::string title = "/Title <FEFF" + report::StrToHex(u"Строка 1") + ">";
    EXPECT_EQ(pdf2.find(title) != std::string::npos, c.titleEntry);
    if (!c.outline) continue;
    // Every destination is a page object of this file.
    const auto objects = ObjectOffsets(pdf2);
    const std::regex dest(R"(/Dest \[(\d+) 0 R /XYZ 0 (-?\d+) 0\])");
    int dests = 0;
    for (std::sregex_iterator it(pdf2.begin(), pdf2.end(), dest), end; it != end; ++it, ++dests) {
      const int n = std::stoi((*it)[1].str());
      ASSERT_TRUE(objects.count(n));
      const std::string head = std::to_string(n) + " 0 obj\r\n<<\r\n/Type /Page\r\n";
      EXPECT_EQ(pdf2.compare(objects.at(n), head.size(), head), 0);
    }
    EXPECT_GT(dests, 0);
  }
}

TEST_F(PdfStructure, LinksTable) {
  PdfReport r;
  struct Case {
    const char* what;
    const char* pages;
    std::vector<std::string> present, absent;
  } cases[] = {
      {"all pages",
       "",
       {"/URI (https://example.org/%D0%BF%D1%83%D1%82%D1%8C)", "/Subtype /Link", "/Border [16 16 0]"},
       {"FEFF0068"}},
      // page 2 is not exported: the internal link is left out, the web link stays
      {"page 1 only", "1", {"/URI (https://"}, {"/Border [16 16 0]"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string pdf = ExportToBytes(r, [&](TfrxPDFExport& f) {
      f.PageNumbers = c.pages;
      f.Compressed = false;
    });
    CheckXref(pdf);
    for (const auto& s : c.present) EXPECT_NE(pdf.find(s), std::string::npos) << s;
    for (const auto& s : c.absent) EXPECT_EQ(pdf.find(s), std::string::npos) << s;
    // "@x" made no link, but its text is drawn
    EXPECT_EQ(std::count(pdf.begin(), pdf.end(), '\n') > 0, true);
    const std::string annots = Between(pdf, "/Annots [\r\n", "]");
    EXPECT_EQ(std::count(annots.begin(), annots.end(), 'R'), *c.pages ? 1 : 2) << annots;
  }
  // The internal link points at the second page object, at the page's top.
  const std::string pdf = ExportToBytes(r, [](TfrxPDFExport& f) { f.Compressed = false; });
  const std::string kids = Between(pdf, "/Kids [", "]");
  const std::string second = kids.substr(kids.find("R ") + 2, kids.find(" 0 R", kids.find("R ")) - kids.find("R ") - 2);
  EXPECT_NE(pdf.find("/Dest [" + second + " 0 R /XYZ null 842 null]"), std::string::npos)
      << Between(pdf, "/Border", "endobj");
}

TEST_F(PdfStructure, CatalogFlags) {
  struct Case {
    std::function<void(TfrxPDFExport&)> set;
    std::vector<std::string> lines;
  } cases[] = {
      {[](TfrxPDFExport&) {}, {"/PageMode /UseNone", "/PrintScaling /None"}},
      {[](TfrxPDFExport& f) {
         f.HideToolbar = f.HideMenubar = f.HideWindowUI = f.FitWindow = f.CenterWindow = f.PrintScaling = true;
         f.Title = WideString(1, u'T');
       },
       {"/DisplayDocTitle true\r\n/HideToolbar true\r\n/HideMenubar true\r\n/HideWindowUI true\r\n/FitWindow "
        "true\r\n/CenterWindow true\r\n>>"}},
  };
  for (const Case& c : cases) {
    TfrxPDFExport filter;
    FixFilter(filter);
    rtl::TMemoryStream out;
    filter.Stream = &out;
    c.set(filter);
    ASSERT_TRUE(filter.Start());
    filter.Finish();
    const std::string catalog = Between(out.Bytes(), "/Type /Catalog", "endobj");
    for (const auto& l : c.lines) EXPECT_NE(catalog.find(l), std::string::npos) << catalog;
    EXPECT_EQ(catalog.find("/PrintScaling") != std::string::npos, !filter.PrintScaling);
  }
}

TEST_F(PdfStructure, OutputLocationAndNothingHalfWritten) {
  support::ScratchFolder dir;
  PdfReport r;
  r.Report().PrepareReport(true);
  {  // a name without folder goes to DefaultPath
    TfrxPDFExport f;
    FixFilter(f);
    f.FileName = "out.pdf";
    f.DefaultPath = dir.Path();
    EXPECT_TRUE(r.Report().Export(&f));
    EXPECT_EQ(support::ReadFile(dir.Path() + "out.pdf").substr(0, 8), "%PDF-1.5");
  }
  {  // no name and no stream: nothing starts
    TfrxPDFExport f;
    FixFilter(f);
    EXPECT_FALSE(f.Start());
  }
  {  // a failure on the way: the old file stays as it was, no new file appears
    support::WriteFile(dir.Path() + "old.pdf", "old");
    struct Failing : TfrxPDFExport {
      void ExportObject(report::TfrxComponent* c) override {
        if (c->Name() == "Memo3") throw rtl::Exception("disk full");
        TfrxPDFExport::ExportObject(c);
      }
    } f;
    FixFilter(f);
    f.FileName = dir.Path() + "old.pdf";
    EXPECT_FALSE(r.Report().Export(&f));
    EXPECT_EQ(support::ReadFile(dir.Path() + "old.pdf"), "old");
    f.FileName = dir.Path() + "new.pdf";
    EXPECT_FALSE(r.Report().Export(&f));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "new.pdf"));
    int leftovers = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Folder()))
      leftovers += e.path().filename() != "old.pdf" && e.path().filename() != "out.pdf";
    EXPECT_EQ(leftovers, 0);
  }
}

TEST_F(PdfStructure, StoredSettingsOfTheMainWindow) {
  TfrxPDFExport f;
  EXPECT_TRUE(f.Compressed);
  EXPECT_FALSE(f.EmbeddedFonts);
  EXPECT_TRUE(f.EmbedFontsIfProtected);
  EXPECT_FALSE(f.OpenAfterExport);
  EXPECT_FALSE(f.PrintOptimized);
  EXPECT_FALSE(f.Outline);
  EXPECT_FALSE(f.Background);
  EXPECT_TRUE(f.HTMLTags);
  EXPECT_EQ(f.Quality, 95);
  EXPECT_EQ(f.Author, u"ReziZuzore");
  EXPECT_EQ(f.Subject, u"ReziZuzore PDF export");
  EXPECT_EQ(f.ProtectionFlags(), report::kAllPDFPermissions);
  EXPECT_EQ(f.PermissionValue(), -4);
  EXPECT_FALSE(f.HideToolbar || f.HideMenubar || f.HideWindowUI || f.FitWindow || f.CenterWindow || f.PrintScaling);
  EXPECT_EQ(f.DefaultExt, ".pdf");
  EXPECT_EQ(f.FileFilter, rtl::Utf8ToAnsi("Файл Adobe PDF (*.pdf)|*.pdf"));
  EXPECT_EQ(f.GetDescription(), rtl::Utf8ToAnsi("Документ PDF"));
  // The registry knows it by its class name, with its properties.
  report::vuzExportPDFStartup();
  const rtl::TClassEntry* entry = rtl::GetClass("TfrxPDFExport");
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(entry->info, nullptr);
  EXPECT_NE(entry->info->FindProperty("UserPassword"), nullptr);
}

TEST_F(PdfStructure, PermissionsAndKeys) {
  struct Case {
    unsigned flags;
    int p;
  } cases[] = {{0, -64}, {report::kAllPDFPermissions, -4}, {1u << report::ePrint, -60}, {1u << report::eAnnot, -32}};
  for (const Case& c : cases) EXPECT_EQ(report::vuzPDFPermissionValue(c.flags), c.p) << c.flags;
  EXPECT_EQ(TfrxPDFExport::PadPassword(std::string(40, 'a')), std::string(32, 'a'));
  EXPECT_EQ(TfrxPDFExport::PadPassword("").substr(0, 4), "\x28\xBF\x4E\x5E");
  TfrxPDFExport f;
  FixFilter(f);
  rtl::TMemoryStream out;
  f.Stream = &out;
  f.UserPassword = "secret";
  f.EmbeddedFonts = false;
  ASSERT_TRUE(f.Start());
  EXPECT_EQ(f.OwnerPassword, "secret");  // taken from the user password
  EXPECT_TRUE(f.EmbeddedFonts);          // EmbedFontsIfProtected
  EXPECT_EQ(f.DocumentKey().size(), 16u);
  EXPECT_EQ(f.UserValue().substr(16), std::string(16, '\0'));
  f.Finish();
  EXPECT_NE(out.Bytes().find("/Filter /Standard\r\n/V 2\r\n/R 3\r\n/Length 128\r\n/P -4\r\n"), std::string::npos);
}

TEST(PdfCipherUnits, MD5AndRC4) {
  EXPECT_EQ(report::MD5String("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(report::MD5String(""), "d41d8cd98f00b204e9800998ecf8427e");
  report::TfrxMD5 md5;
  md5.Update("a");
  md5.Update("bc");
  md5.Finalize();
  EXPECT_EQ(report::PrintMD5(md5.Digest()), "900150983cd24fb0d6963f7d28e17f72");
  rtl::TMemoryStream s(std::string("abc"));
  s.SetPosition(1);
  EXPECT_EQ(report::MD5Stream(s), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(s.Position(), 1);
  // RC4 test vector: key "Key", plaintext "Plaintext".
  EXPECT_EQ(report::RC4Crypt("Key", "Plaintext"), std::string("\xBB\xF3\x16\xE8\xD9\x40\xAF\x0A\xD3", 9));
  // A second Crypt starts its indexes again, over the permutation the first left.
  report::TfrxRC4 rc4;
  rc4.Start("Key", 3);
  std::string a = "Plaintext", b = "Plaintext";
  rc4.Crypt(a.data(), a.data(), a.size());
  rc4.Crypt(b.data(), b.data(), b.size());
  EXPECT_EQ(a, std::string("\xBB\xF3\x16\xE8\xD9\x40\xAF\x0A\xD3", 9));
  EXPECT_NE(b, a);
  report::TfrxRC4 unkeyed;
  unkeyed.Start("", 0);
  std::string c = "same";
  unkeyed.Crypt(c.data(), c.data(), c.size());
  EXPECT_EQ(c, "same");
}

}  // namespace

}  // namespace export_test
