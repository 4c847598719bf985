#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/rtl/shell.h"
#include "preview/vuzLinks.h"
#include "support/scratch_folder.h"

using namespace preview;

using support::ScratchFolder;

namespace {

struct LinkCase {
  std::string url;
  TfrxLinkKind kind;
  int page = 0;
  std::string anchor = {};
};

TEST(Links, ClassifiedBeforeAnythingIsOpened) {
  ScratchFolder folder;
  const std::string doc = folder.File("report.pdf"), program = folder.File("tool.sh"), noExt = folder.File("tool"),
                    desktop = folder.File("x.desktop");
  for (const std::string& f : {doc, program, noExt, desktop}) std::ofstream(f) << "x";
  const LinkCase cases[] = {
      {"@3", TfrxLinkKind::PageNumber, 3},
      {"@ 12", TfrxLinkKind::PageNumber, 12},
      {"@", TfrxLinkKind::None},
      {"@abc", TfrxLinkKind::None},  // ignored, where it used to raise on every click
      {"@3x", TfrxLinkKind::None},
      {"@-2", TfrxLinkKind::None},
      {"@99999999999", TfrxLinkKind::None},
      {"#total", TfrxLinkKind::Anchor, 0, "total"},
      {"#", TfrxLinkKind::Anchor, 0, ""},
      {"http://example.org/a?b=1", TfrxLinkKind::External},
      {"HTTPS://example.org", TfrxLinkKind::External},
      {"mailto:lab@example.org", TfrxLinkKind::External},
      {"ftp://example.org/f", TfrxLinkKind::External},
      {"javascript:alert(1)", TfrxLinkKind::None},
      {"file:///bin/sh", TfrxLinkKind::None},
      {"/bin/sh", TfrxLinkKind::None},
      {"calc.exe", TfrxLinkKind::None},
      {"http://example.org/\nrm", TfrxLinkKind::None},
      {doc, TfrxLinkKind::External},
      {"file://" + doc, TfrxLinkKind::External},
      {program, TfrxLinkKind::None},
      {noExt, TfrxLinkKind::None},
      {desktop, TfrxLinkKind::None},
      {folder.File("missing.pdf"), TfrxLinkKind::None},
      {"", TfrxLinkKind::None},
  };
  for (const LinkCase& c : cases) {
    const TfrxLinkTarget link = vuzClassifyLink(c.url);
    EXPECT_EQ(link.Kind, c.kind) << c.url;
    EXPECT_EQ(link.Page, c.page) << c.url;
    EXPECT_EQ(link.Anchor, c.anchor) << c.url;
    if (c.kind != TfrxLinkKind::External) {
      EXPECT_FALSE(vuzOpenExternalLink(link)) << c.url;
    }
  }
  EXPECT_EQ(vuzClassifyLink("file://" + doc).Target, doc);
}

TEST(Links, ExternalLinksGoToTheDesktopOpener) {
  ScratchFolder folder;
  const std::string log = folder.File("opened.txt"), opener = folder.File("opener.sh");
  std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > " << log << "\n";
  std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
  const rtl::AnsiString saved = rtl::ShellOpenProgram();
  rtl::SetShellOpenProgram(opener);
  EXPECT_TRUE(vuzOpenExternalLink(vuzClassifyLink("https://example.org/x")));
  std::string opened;
  for (int i = 0; i < 100 && opened.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ifstream in(log);
    std::getline(in, opened);
  }
  rtl::SetShellOpenProgram(saved);
  EXPECT_EQ(opened, "https://example.org/x");
}

}  // namespace
