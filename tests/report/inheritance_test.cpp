// Templates that inherit from a parent template: loading the parent, saving
// only the differences, clearing the parent, hostile parent chains, and
// merging a report into a template with the three modes.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzGuiHooks.h"
#include "tests/report/test_util.h"
#include "tests/support/watchdog.h"

namespace report_test {
namespace {

using namespace report;

std::string RunTool(const std::string& command) { return support::CommandOutput(command); }

class Inheritance : public ::testing::Test {
 public:
  void SetUp() override {
    ReportClassesStartup();
    savedAsk_ = vuzGuiHooks().AskInheritMode;
  }
  void TearDown() override {
    vuzGuiHooks().AskInheritMode = savedAsk_;
    ReportClassesShutdown();
  }
  std::function<int()> savedAsk_;

  // Page1 > MasterData1 > the named memos, each holding its own name as text.
  static void Build(TfrxReport& report, std::initializer_list<const char*> memos, const char* band = "MasterData1") {
    auto* page = new TfrxReportPage(&report);
    page->SetName("Page1");
    auto* data = new TfrxMasterData(page);
    data->SetName(band);
    for (const char* name : memos) {
      auto* memo = new TfrxMemoView(data);
      memo->SetName(name);
      memo->SetText(rtl::AnsiToWide(name));
    }
  }

  static TfrxMemoView* Memo(const TfrxReport& report, const char* name) {
    return dynamic_cast<TfrxMemoView*>(report.FindObject(name));
  }

  std::string Save(TfrxReport& report, const std::string& name) {
    const std::string path = folder_.File(name);
    // The default printer's name is Russian, written as 1251 bytes under a
    // "utf-8" header that the independent readers refuse; a plain name
    // keeps the files readable to them.
    report.PrintOptions()->Printer = "Default";
    report.SaveToFile(path);
    return path;
  }

  std::string SaveTemp(const std::string& name, const std::string& text) {
    support::WriteFile(folder_.File(name), text);
    return folder_.File(name);
  }

  support::ScratchFolder folder_;
};

TEST_F(Inheritance, ParentObjectsAreAncestorsAndOnlyDifferencesAreSaved) {
  {
    TfrxReport parent;
    Build(parent, {"ParentMemo"});
    Memo(parent, "ParentMemo")->SetLeft(10);
    Save(parent, "parent.fr3");
  }
  const std::string childPath = folder_.File("child.fr3");
  {
    TfrxReport child;
    child.SetFileName(childPath);
    child.SetParentReport("parent.fr3");
    ASSERT_NE(Memo(child, "ParentMemo"), nullptr);
    EXPECT_TRUE(Memo(child, "ParentMemo")->IsAncestor());
    ASSERT_NE(child.ParentReportObject(), nullptr);
    auto* own = new TfrxMemoView(child.FindObject("MasterData1"));
    own->SetName("ChildMemo");
    Memo(child, "ParentMemo")->SetTop(30);
    Save(child, "child.fr3");
  }
  EXPECT_EQ(RunTool("xmllint --noout " + childPath + " 2>&1 && echo ok"), "ok\n");
  // The parent's memo is written with its changed Top only; the child's own
  // memo in full.
  const std::string script =
      "import sys,xml.etree.ElementTree as E\n"
      "r=E.parse(sys.argv[1]).getroot()\n"
      "i=[e for e in r.iter() if e.get('Name')=='ParentMemo'][0]\n"
      "c=[e for e in r.iter() if e.get('Name')=='ChildMemo'][0]\n"
      "print(r.get('ParentReport'), i.get('Top'), i.get('Left'), i.get('Text'), c.tag)\n";
  EXPECT_EQ(RunTool("/usr/bin/python3 " + SaveTemp("read.py", script) + " " + childPath),
            "parent.fr3 30 None None TfrxMemoView\n");

  TfrxReport back;
  ASSERT_TRUE(back.LoadFromFile(childPath));
  EXPECT_EQ(back.Errors().Count(), 0) << back.Errors().Text();
  ASSERT_NE(Memo(back, "ParentMemo"), nullptr);
  EXPECT_EQ(Memo(back, "ParentMemo")->Left(), 10);
  EXPECT_EQ(Memo(back, "ParentMemo")->Top(), 30);
  EXPECT_TRUE(Memo(back, "ParentMemo")->IsAncestor());
  ASSERT_NE(Memo(back, "ChildMemo"), nullptr);
  EXPECT_FALSE(Memo(back, "ChildMemo")->IsAncestor());
  EXPECT_EQ(back.ParentReport(), "parent.fr3");

  // An empty parent clears the marks of every object.
  back.SetParentReport("");
  EXPECT_EQ(back.ParentReportObject(), nullptr);
  EXPECT_FALSE(back.IsAncestor());
  for (TfrxComponent* c : back.GetAllObjects()) EXPECT_FALSE(c->IsAncestor()) << c->Name();
}

TEST_F(Inheritance, ParentFoundBesideTheProgramWhenNotBesideTheReport) {
  TfrxReport parent;
  Build(parent, {"Shared"});
  const std::string parentPath = Save(parent, "shared.fr3");
  TfrxReport child;
  child.SetFileName("/nonexistent-folder/child.fr3");
  // An absolute Linux path is taken as it is.
  child.SetParentReport(parentPath);
  EXPECT_NE(Memo(child, "Shared"), nullptr);
  EXPECT_EQ(child.Errors().Count(), 0);
}

// Each chain ends with an error line naming the file, and never hangs.
TEST_F(Inheritance, HostileParentChainsEndWithAClearError) {
  support::Watchdog watchdog(std::chrono::seconds(60));
  struct Case {
    const char* what;
    std::function<std::string(Inheritance&)> make;  // answers the file to load
    const char* error;
  };
  auto writeWithParent = [](Inheritance& t, const std::string& name, const std::string& parent) {
    // Written by hand: setting ParentReport would load the parent now.
    support::WriteFile(t.folder_.File(name), "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport ParentReport=\"" +
                                                 parent + "\"><TfrxReportPage Name=\"P" +
                                                 name.substr(0, name.find('.')) + "\"/></TfrxReport>");
    return t.folder_.File(name);
  };
  const Case cases[] = {
      {"missing file", [&](Inheritance& t) { return writeWithParent(t, "a.fr3", "gone.fr3"); }, "gone.fr3"},
      {"cycle",
       [&](Inheritance& t) {
         writeWithParent(t, "b.fr3", "c.fr3");
         return writeWithParent(t, "c.fr3", "b.fr3");
       },
       "loops back"},
      {"self", [&](Inheritance& t) { return writeWithParent(t, "s.fr3", "s.fr3"); }, "loops back"},
      {"1000-deep chain",
       [&](Inheritance& t) {
         for (int i = 0; i < 1000; ++i)
           writeWithParent(t, "d" + std::to_string(i) + ".fr3", "d" + std::to_string(i + 1) + ".fr3");
         return t.folder_.File("d0.fr3");
       },
       "nested too deep"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TfrxReport report;
    report.LoadFromFile(c.make(*this));
    const std::string errors = report.Errors().Text();
    EXPECT_NE(errors.find(c.error), std::string::npos) << errors;
  }
}

TEST_F(Inheritance, InheritingFromTheReportsOwnFileChangesNothing) {
  TfrxReport report;
  Build(report, {"Memo1"});
  const std::string path = Save(report, "self.fr3");
  EXPECT_FALSE(report.InheritFromTemplate(path, imRename));
  EXPECT_EQ(report.ParentReport(), "");
  EXPECT_NE(Memo(report, "Memo1"), nullptr);
  EXPECT_FALSE(Memo(report, "Memo1")->IsAncestor());
}

// The template holds Memo1; the report holds a Memo2 that flows into its own
// Memo1 (written before it, so the reference waits in the fix-up list).
class InheritModes : public Inheritance {
 protected:
  void SetUp() override {
    Inheritance::SetUp();
    TfrxReport templ;
    Build(templ, {"Memo1"});
    templ.ScriptText()->SetText("parent script");
    templatePath_ = Save(templ, "template.fr3");
    Build(report_, {"Memo2", "Memo1"}, "OwnBand");
    Memo(report_, "Memo2")->SetFlowTo(Memo(report_, "Memo1"));
    report_.SetFileName(folder_.File("report.fr3"));
    report_.ScriptText()->SetText("own script");
  }
  std::string templatePath_;
  TfrxReport report_;
};

TEST_F(InheritModes, RenameKeepsTheObjectUnderANewNameAndReferencesFollow) {
  ASSERT_TRUE(report_.InheritFromTemplate(templatePath_, imRename));
  EXPECT_EQ(report_.ParentReport(), "template.fr3");
  TfrxMemoView* templ = Memo(report_, "Memo1");
  ASSERT_NE(templ, nullptr);
  EXPECT_EQ(rtl::WideToAnsi(templ->Text()), "Memo1\r\n");
  EXPECT_TRUE(templ->IsAncestor());
  TfrxMemoView* flowing = Memo(report_, "Memo2");
  ASSERT_NE(flowing, nullptr);
  ASSERT_NE(flowing->FlowTo(), nullptr);
  EXPECT_NE(flowing->FlowTo(), templ);
  EXPECT_NE(flowing->FlowTo()->Name(), "Memo1");
  EXPECT_EQ(rtl::WideToAnsi(flowing->FlowTo()->Text()), "Memo1\r\n");
  EXPECT_FALSE(flowing->FlowTo()->IsAncestor());
  EXPECT_EQ(flowing->FlowTo()->Parent()->Name(), "OwnBand");
}

TEST_F(InheritModes, DeleteDropsTheObjectAndTheTemplatesOneStays) {
  ASSERT_TRUE(report_.InheritFromTemplate(templatePath_, imDelete));
  TfrxMemoView* templ = Memo(report_, "Memo1");
  ASSERT_NE(templ, nullptr);
  EXPECT_TRUE(templ->IsAncestor());
  EXPECT_EQ(Memo(report_, "Memo2")->FlowTo(), templ);
  // The template's data page, Page1 (shared), MasterData1 and Memo1; the
  // report's own OwnBand and Memo2.
  std::vector<std::string> names;
  for (TfrxComponent* c : report_.GetAllObjects())
    if (!c->IsA("TfrxDataPage")) names.push_back(c->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Page1", "MasterData1", "Memo1", "OwnBand", "Memo2"}));
}

TEST_F(InheritModes, WithoutAnyoneToAskTheReportStaysAsItWas) {
  vuzGuiHooks().AskInheritMode = nullptr;  // as in a program without a GUI
  EXPECT_FALSE(report_.InheritFromTemplate(templatePath_, imDefault));
  EXPECT_EQ(report_.ParentReport(), "");
  ASSERT_NE(Memo(report_, "Memo1"), nullptr);
  EXPECT_FALSE(Memo(report_, "Memo1")->IsAncestor());
  EXPECT_EQ(Memo(report_, "Memo2")->FlowTo(), Memo(report_, "Memo1"));
  EXPECT_EQ(report_.FileName(), folder_.File("report.fr3"));
}

TEST_F(InheritModes, TheAskedAnswerChoosesTheMode) {
  vuzGuiHooks().AskInheritMode = [] { return static_cast<int>(imRename); };
  ASSERT_TRUE(report_.InheritFromTemplate(templatePath_, imDefault));
  EXPECT_NE(Memo(report_, "Memo2")->FlowTo(), Memo(report_, "Memo1"));
}

TEST_F(InheritModes, TheParentsScriptFollowsInTheLanguagesCommentMarkers) {
  struct Case {
    const char* language;
    const char* opener;
    const char* closer;
  };
  for (const Case& c : {Case{"PascalScript", "{", "}"}, Case{"C++Script", "/*", "*/"}, Case{"JScript", "/*", "*/"},
                        Case{"BasicScript", "/\\", "/\\"}}) {
    SCOPED_TRACE(c.language);
    TfrxReport report;
    Build(report, {"Own"}, "OwnBand");
    report.SetScriptLanguage(c.language);
    report.ScriptText()->SetText("own script");
    ASSERT_TRUE(report.InheritFromTemplate(templatePath_, imRename));
    EXPECT_EQ(report.ScriptText()->Text(), std::string("own script\r\n") + c.opener +
                                               "\r\n**********Script from parent report**********\r\n"
                                               "parent script\r\n" +
                                               c.closer + "\r\n");
    EXPECT_EQ(report.ScriptLanguage(), c.language);
  }
}

TEST_F(InheritModes, SavedInheritedReportReadsBackThroughIndependentReaders) {
  ASSERT_TRUE(report_.InheritFromTemplate(templatePath_, imRename));
  const std::string path = Save(report_, "report.fr3");
  EXPECT_EQ(RunTool("xmllint --noout " + path + " 2>&1 && echo ok"), "ok\n");
  const std::string script =
      "import sys,xml.etree.ElementTree as E\n"
      "r=E.parse(sys.argv[1]).getroot()\n"
      "print(r.get('ParentReport'), sorted(e.get('Name') for e in r.iter('TfrxMemoView')))\n";
  const std::string out = RunTool("/usr/bin/python3 " + SaveTemp("read2.py", script) + " " + path);
  EXPECT_EQ(out.substr(0, out.find('[')), "template.fr3 ");
  EXPECT_NE(out.find("'Memo1'"), std::string::npos) << out;
  EXPECT_NE(out.find("'Memo2'"), std::string::npos) << out;
  TfrxReport back;
  ASSERT_TRUE(back.LoadFromFile(path));
  EXPECT_EQ(back.Errors().Count(), 0) << back.Errors().Text();
  ASSERT_NE(Memo(back, "Memo2"), nullptr);
  ASSERT_NE(Memo(back, "Memo2")->FlowTo(), nullptr);
  EXPECT_EQ(rtl::WideToAnsi(Memo(back, "Memo2")->FlowTo()->Text()), "Memo1\r\n");
  EXPECT_NE(Memo(back, "Memo2")->FlowTo(), Memo(back, "Memo1"));
}

}  // namespace
}  // namespace report_test
