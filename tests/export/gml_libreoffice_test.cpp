// RTF written back by the node tree, read by LibreOffice: the text survives.
#include <gtest/gtest.h>

#include "export/vuzGML.h"
#include "tests/export/export_tools.h"

namespace {

using namespace exporttest;

TEST(GmlRtfInLibreOffice, WrittenBackTextIsIntact) {
  const std::string soffice = FindTool("soffice");
  if (soffice.empty()) GTEST_SKIP() << "needs LibreOffice (libreoffice-writer-nogui)";
  struct Case {
    const char* name;
    std::string rtf;
    std::string text;  // UTF-8, as LibreOffice writes it
  };
  const Case cases[] = {
      {"russian",
       "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}{\\f1\\fnil\\fcharset0 Courier New;}}\r\n"
       "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
       "\\viewkind4\\uc1\\pard\\f0\\cf1\\fs20 \\'CF\\'F0\\'E8\\'E2\\'E5\\'F2, \\cf2\\f1 world\\par\r\n"
       "{}\\f0\\'d1\\'f3\\'f8\\'ea\\'e0 \\{105\\}\\par\r\n}",
       "Привет, world\nСушка {105}\n"},
      {"formatting",
       "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\pard\\plain\\f0\\fs24 Plain \\b bold\\b0 , \\i "
       "italic\\i0{} and\\tab tabbed\\line next line\\par\r\n"
       "\\pard\\qc Centred\\~text\\par}",
       "Plain bold, italic and\ttabbed\nnext line\nCentred\u00a0text\n"},
      {"unicode", "{\\rtf1\\ansi\\uc1\\pard Caf\\u233?\\'e9 \\u1046?\\par}", "Café\u00e9 Ж\n"},
  };
  TempDir dir;
  std::string files;
  for (const Case& c : cases) {
    report::TGmlRtf rtf(c.rtf);
    rtl::TMemoryStream out;
    rtf.Serialize(out);
    ASSERT_EQ(out.Bytes().find_first_of("\r\n"), std::string::npos);
    WriteFile(dir.File(std::string(c.name) + ".rtf"), out.Bytes());
    files += " " + Quote(dir.File(std::string(c.name) + ".rtf"));
  }
  Shell(support::LibreOfficeCommand(soffice, dir.Path() + "/profile") +
        " --convert-to 'txt:Text (encoded):UTF8' --outdir " + Quote(dir.File("out")) + files);
  for (const Case& c : cases) {
    std::string text = ReadFile(dir.File("out/" + std::string(c.name) + ".txt"));
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    EXPECT_EQ(text, c.text) << c.name;
  }
}

}  // namespace
