// Saved templates and prepared-report files are UTF-8, as their header says,
// whatever 8-bit (Windows-1251) texts the report holds: readers we did not
// write take them and see the same texts. Files that hold bare 1251 bytes,
// as the ones written before do, still load the same.
#include <gtest/gtest.h>

#include <string>

#include "engine_fixture.h"
#include "platform/rtl/strings.h"
#include "support/external_tools.h"
#include "support/files.h"
#include "support/scratch_folder.h"

namespace engine_test {

using rtl::operator""_cp;

namespace {

// Every attribute holding a Cyrillic letter as Python's XML parser reads
// the file: "name=value" lines, sorted, UTF-8.
const char* const kCyrillicAttributes =
    "import sys,xml.etree.ElementTree as E\n"
    "r=E.parse(sys.argv[1]).getroot()\n"
    "v=sorted(set(k+'='+x for e in r.iter() for k,x in e.attrib.items() if any('\\u0400'<=c<='\\u04ff' for c in x)))\n"
    "sys.stdout.buffer.write(('\\n'.join(v)+'\\n').encode('utf-8'))\n";

// The file as the writer wrote it before: every reference to a character
// beyond Latin-1 as the bare 1251 byte.
std::string OldStyle(const std::string& file) {
  std::string out;
  for (std::size_t i = 0; i < file.size();) {
    const std::size_t semi = file.compare(i, 2, "&#") == 0 ? file.find(';', i) : std::string::npos;
    if (semi != std::string::npos) {
      const int code = std::stoi(file.substr(i + 2, semi - i - 2));
      if (code >= 0x100) {
        out += rtl::WideToAnsi(std::u16string(1, static_cast<char16_t>(code)));
        i = semi + 1;
        continue;
      }
    }
    out.push_back(file[i++]);
  }
  return out;
}

std::string Utf8(const std::string& cp1251) { return rtl::AnsiToUtf8(cp1251); }

class SavedFileEncoding : public ::testing::Test {
 protected:
  void SetUp() override {
    xmllint_ = support::FindTool("xmllint");
    python_ = support::FindTool("python3");
    if (xmllint_.empty()) GTEST_SKIP() << support::Missing("xmllint", "libxml2-utils");
    if (python_.empty()) GTEST_SKIP() << support::Missing("python3", "python3");
    support::WriteFile(folder_.File("cyrillic.py"), kCyrillicAttributes);
  }

  // A report whose 8-bit properties and memo text are Russian.
  void Build(ReportBuilder& b) {
    auto* page = b.AddPage();
    auto& rows = b.AddDataSet("Rows", {"Name"}, {{rtl::Variant(rtl::Utf8ToWide(Utf8("Кирпич"_cp)))}});
    auto* data = b.AddDataBand(page, 40, 20, rows);
    MemoSetup spec;
    spec.displayFormat = "%2.2f руб."_cp;
    b.AddMemo(data, 0, 0, 300, 20, Utf8("Партия: [Rows.\"Name\"]"_cp), spec, "Memo1");
    b.Report().PrintOptions()->Printer = "По умолчанию"_cp;
    b.Report().ReportOptions()->Name = "Отчёт о сушке"_cp;
  }

  // Checks the file with xmllint and answers the Cyrillic attributes
  // Python's parser sees.
  std::string ReadByOthers(const std::string& path) {
    EXPECT_EQ(support::CommandOutput(xmllint_ + " --noout " + path + " 2>&1 && echo ok"), "ok\n") << path;
    return support::CommandOutput(python_ + " " + folder_.File("cyrillic.py") + " " + path + " 2>&1");
  }

  std::string xmllint_, python_;
  support::ScratchFolder folder_;
};

TEST_F(SavedFileEncoding, TemplateIsUtf8AndLoadsBackTheSameTexts) {
  EngineScope scope;
  ReportBuilder b;
  Build(b);
  const std::string path = folder_.File("drying.fr3");
  b.Report().SaveToFile(path);
  const std::string seen = ReadByOthers(path);
  for (const std::string& line :
       {Utf8("PrintOptions.Printer=По умолчанию"_cp), Utf8("ReportOptions.Name=Отчёт о сушке"_cp),
        Utf8("DisplayFormat.FormatStr=%2.2f руб."_cp), Utf8("Text=Партия: [Rows.\"Name\"]"_cp)})
    EXPECT_NE(seen.find(line + "\n"), std::string::npos) << line << " in\n" << seen;

  // The file itself, and the same file as the writer used to write it.
  support::WriteFile(folder_.File("old.fr3"), OldStyle(support::ReadFile(path)));
  ASSERT_NE(support::ReadFile(folder_.File("old.fr3")), support::ReadFile(path));
  for (const std::string& file : {path, folder_.File("old.fr3")}) {
    ReportBuilder back;
    ASSERT_TRUE(back.Report().LoadFromFile(file)) << file;
    EXPECT_EQ(back.Report().PrintOptions()->Printer, "По умолчанию"_cp) << file;
    EXPECT_EQ(back.Report().ReportOptions()->Name, "Отчёт о сушке"_cp) << file;
    auto* memo = dynamic_cast<report::TfrxMemoView*>(back.Report().FindObject("Memo1"));
    ASSERT_NE(memo, nullptr) << file;
    EXPECT_EQ(memo->DisplayFormat()->FormatStr(), "%2.2f руб."_cp) << file;
    EXPECT_EQ(DumpObject(back.Report().FindObject("Page1")), DumpObject(b.Report().FindObject("Page1"))) << file;
  }
}

TEST_F(SavedFileEncoding, PreparedReportIsUtf8AndLoadsBackTheSamePages) {
  EngineScope scope;
  ReportBuilder b;
  Build(b);
  ASSERT_TRUE(b.Prepare()) << b.Errors();
  const std::string pages = DumpPages(b.Store());
  ASSERT_NE(pages.find(Utf8("Партия: Кирпич"_cp)), std::string::npos) << pages;
  const std::string path = folder_.File("drying.fp3");
  b.Store().SaveToFile(path);
  const std::string seen = ReadByOthers(path);
  for (const std::string& line : {Utf8("ReportOptions.Name=Отчёт о сушке"_cp), Utf8("u=Партия: Кирпич"_cp),
                                  Utf8("DisplayFormat.FormatStr=%2.2f руб."_cp)})
    EXPECT_NE(seen.find(line + "\n"), std::string::npos) << line << " in\n" << seen;

  support::WriteFile(folder_.File("old.fp3"), OldStyle(support::ReadFile(path)));
  ASSERT_NE(support::ReadFile(folder_.File("old.fp3")), support::ReadFile(path));
  for (const std::string& file : {path, folder_.File("old.fp3")}) {
    ReportBuilder back;
    ASSERT_TRUE(back.Store().LoadFromFile(file)) << file;
    EXPECT_EQ(DumpPages(back.Store()), pages) << file;
  }
}

}  // namespace

}  // namespace engine_test
