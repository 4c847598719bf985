// The report classes as scripts see them: constants, enumerations and sets,
// the functions, the hand-written members (indexed ones included) and the
// start-up counter of the modules.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/rtl/datetime.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzClassServices.h"
#include "report/vuzDataSet.h"
#include "report/vuzVariables.h"
#include "script/fs_iinterpreter.h"
#include "tests/report/model_fixture.h"

namespace report_test {
namespace {

using rtl::AnsiString;
using rtl::Variant;

// An engine whose free space and anchors the test sets.
class FakeEngine : public report::TfrxCustomEngine {
 public:
  using TfrxCustomEngine::TfrxCustomEngine;
  long double FreeSpace() override { return freeSpace; }
  void NewPage() override { ++newPages; }
  long double freeSpace = 0;
  int newPages = 0;
};

struct BindingsFixture : ::testing::Test {
  void SetUp() override {
    report::ReportClassesStartup();
    report::vuzClassRTTIStartup();
    report::vuzChBoxRTTIStartup();
    script = std::make_unique<script::TfsScript>(nullptr);
    script->AddRTTI();
  }
  void TearDown() override {
    script.reset();
    report::vuzChBoxRTTIShutdown();
    report::vuzClassRTTIShutdown();
    report::ReportClassesShutdown();
  }
  // The value of a PascalScript expression; a compile error fails the test.
  Variant Eval(const AnsiString& expression) {
    Variant v = script->Evaluate(expression);
    EXPECT_FALSE(script->EvaluateFailed) << expression << ": " << v.AsString();
    return v;
  }
  bool Compiles(const AnsiString& expression) {
    script->Evaluate(expression);
    return !script->EvaluateFailed;
  }
  // Compiles and runs a PascalScript program; answers the compile error.
  AnsiString Run(const AnsiString& program) {
    script->Lines.SetText(program);
    if (!script->Compile()) return script->ErrorMessage;
    script->Execute();
    return "";
  }
  std::unique_ptr<script::TfsScript> script;
};

TEST_F(BindingsFixture, ConstantsEnumerationsAndSetsAreTheScriptSideLists) {
  struct Case {
    const char* expression;
    Variant expected;
  } cases[] = {
      {"fr1cm", Variant(37.7953)},  {"fr01in", Variant(9.6)},
      {"fr1CharY", Variant(17.0)},  {"clTransparent", Variant(536870911)},
      {"crFormat", Variant(152)},   {"smMaxHeight", Variant(2)},
      {"fsDouble", Variant(5)},     {"ftBottom", Variant(8)},
      {"pbTree", Variant(64)},      {"pbExportQuick", Variant(4096)},
      {"rfDontDelete", Variant(8)}, {"fsx15cpi", Variant(256)},
      {"reCount", Variant(2)},      {"fftBoolean", Variant(2)},
      {"fkBoolean", Variant(3)},    {"csPlus", Variant(3)},
      {"usMinus", Variant(3)},
  };
  for (const Case& c : cases) EXPECT_EQ(Eval(c.expression), c.expected) << c.expression;
  // Names the component types have but scripts do not.
  for (const char* missing : {"pbOutline", "pbNoClose", "pbNoEmail", "fsWave", "rfDontEdit"})
    EXPECT_FALSE(Compiles(missing)) << missing;
}

TEST_F(BindingsFixture, DayMonthAndYearOfADate) {
  EXPECT_EQ(Eval("DayOf(EncodeDate(2012, 3, 27))"), Variant(27));
  EXPECT_EQ(Eval("MonthOf(EncodeDate(2012, 3, 27))"), Variant(3));
  EXPECT_EQ(Eval("YearOf(EncodeDate(2012, 3, 27))"), Variant(2012));
}

TEST_F(BindingsFixture, AggregatesAndIIFAreDeclarationsAnsweringZero) {
  EXPECT_EQ(Eval("IIF(True, 1, 2)"), Variant(0));
  EXPECT_EQ(Eval("SUM(5)"), Variant(0));
  EXPECT_EQ(Eval("COUNT"), Variant(0));
  auto* sum = static_cast<script::TfsMethodHelper*>(script->Find("SUM"));
  ASSERT_NE(sum, nullptr);
  EXPECT_EQ(sum->Category, "ctAggregate");
}

TEST_F(BindingsFixture, GlobalVariablesAreReachedThroughTheirDefaultIndexedProperty) {
  report::vuzGlobalVariables()->SetVariable("Total", Variant(12));
  EXPECT_EQ(Eval("vuzGlobalVariables['Total'] + 1"), Variant(13));
  EXPECT_EQ(Run("begin vuzGlobalVariables['Fresh'] := 'x' + 'y'; end."), "");
  EXPECT_EQ(report::vuzGlobalVariables()->GetVariable("Fresh"), Variant("xy"));
  // The full form of the indexed property and the ".GET"/".SET" names.
  EXPECT_EQ(Run("begin vuzGlobalVariables.Variables['Total'] := 5; end."), "");
  EXPECT_EQ(Eval("vuzGlobalVariables.Variables['Total']"), Variant(5));
}

TEST_F(BindingsFixture, DatasetFieldsAreIndexedByName) {
  report::TfrxUserDataSet ds(nullptr);
  ds.SetName("Rows");
  rtl::TStringList fields;
  fields.Add("Temp");
  ds.SetFields(&fields);
  ds.OnGetValue = [](const AnsiString& name, Variant& value) {
    if (name == "Temp") value = Variant(21.5);
  };
  script->AddObject("Rows", &ds);
  EXPECT_EQ(Eval("Rows.Value['Temp']"), Variant(21.5));
  EXPECT_EQ(Eval("Rows.DisplayText['Temp']").AsString(), Variant(21.5).AsString());
  EXPECT_EQ(Eval("Rows.FieldType['Temp']"), Variant(0));
  EXPECT_EQ(Eval("Rows.HasField('Temp')"), Variant(true));
  EXPECT_EQ(Eval("Rows.HasField('Other')"), Variant(false));
  EXPECT_EQ(Eval("Rows.FieldsCount"), Variant(1));
  EXPECT_EQ(Eval("Rows.RecNo"), Variant(0));
  // Read-only: the indexed fields cannot be written.
  EXPECT_NE(Run("begin Rows.Value['Temp'] := 1; end."), "");
}

TEST_F(BindingsFixture, ComponentMembersReachTheTree) {
  RegisterTestClasses();
  TfrxTestReport report;
  auto* page = new TfrxTestPage(&report);
  page->SetName("Page1");
  auto* view = new TfrxTestView(page);
  view->SetName("Memo1");
  view->SetLeft(10);
  page->SetLeft(5);
  // Objects go in under a class scripts know (the test classes are not bound).
  script->AddVariable("Report", "TfrxComponent", script::fsObjectToVariant(&report));
  script->AddVariable("Memo1", "TfrxComponent", script::fsObjectToVariant(view));
  script->AddVariable("Found", "TfrxComponent", Variant(0));
  EXPECT_EQ(Eval("Memo1.AbsLeft"), Variant(15.0));
  EXPECT_EQ(Run("begin Memo1.SetBounds(1, 2, 30, 40); end."), "");
  EXPECT_EQ(view->Width(), 30);
  EXPECT_EQ(view->Top(), 2);
  EXPECT_EQ(Run("begin Found := Report.FindObject('memo1'); end."), "");
  EXPECT_EQ(script->Find("Found")->GetValue(), script::fsObjectToVariant(view));
  EXPECT_EQ(Eval("Memo1.Parent"), script::fsObjectToVariant(page));
  // The child lists are handed over as lists of the objects.
  auto* list = dynamic_cast<rtl::TList*>(script::fsVariantToObject(Eval("Report.AllObjects")));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Items(1), view);
}

TEST_F(BindingsFixture, TheEngineAnswersItsFreeSpace) {
  RegisterTestClasses();
  TfrxTestReport report;
  FakeEngine engine(&report);
  engine.freeSpace = 123.5;
  script->AddVariable("Engine", "TfrxCustomEngine", script::fsObjectToVariant(&engine));
  EXPECT_EQ(Eval("Engine.FreeSpace"), Variant(123.5));
  EXPECT_EQ(Run("begin Engine.NewPage; Engine.NewPage; end."), "");
  EXPECT_EQ(engine.newPages, 2);
}

TEST_F(BindingsFixture, BandsAreBoundByTheirClassesWithTheirOverflowFlag) {
  report::TfrxMasterData band(nullptr);
  band.SetName("MasterData1");
  band.SetHeight(20);
  script->AddObject("MasterData1", &band);
  EXPECT_EQ(Eval("MasterData1.Overflow"), Variant(false));
  band.Overflow = true;
  EXPECT_EQ(Eval("MasterData1.Overflow"), Variant(true));
  // Published properties come from the class itself, members through the ancestors.
  EXPECT_EQ(Eval("MasterData1.Height"), Variant(20.0));
  EXPECT_EQ(Eval("MasterData1.AbsTop"), Variant(0.0));
  EXPECT_NE(script->FindClass("TfrxGroupHeader"), nullptr);
  EXPECT_NE(script->FindClass("TfrxBand"), nullptr);
  // Overflow is read-only.
  EXPECT_NE(Run("begin MasterData1.Overflow := False; end."), "");
}

TEST_F(BindingsFixture, EngineAnchorsGoToThePreparedPages) {
  RegisterTestClasses();
  TfrxTestReport report;
  FakeEngine engine(&report);
  report::TfrxCustomPreviewPages pages(&report);
  engine.PreviewPages = &pages;
  script->AddVariable("Engine", "TfrxCustomEngine", script::fsObjectToVariant(&engine));
  // Without the preview layer's service the members are abstract.
  EXPECT_THROW(script->Evaluate("Engine.GetAnchorPage('x')"), rtl::EAbstractError);
  std::vector<AnsiString> added;
  report::vuzSetAnchorService(
      {[&](report::TfrxCustomPreviewPages& p, const AnsiString& text) {
         EXPECT_EQ(&p, &pages);
         added.push_back(text);
       },
       [&](report::TfrxCustomPreviewPages&, const AnsiString& text) { return text == "total" ? 3 : 1; }});
  EXPECT_EQ(Run("begin Engine.AddAnchor('total'); end."), "");
  EXPECT_EQ(added, std::vector<AnsiString>{"total"});
  EXPECT_EQ(Eval("Engine.GetAnchorPage('total')"), Variant(3));
  report::vuzSetAnchorService({});
}

TEST_F(BindingsFixture, AMemberOnTheWrongObjectRaisesInsteadOfCrashing) {
  RegisterTestClasses();
  script->AddVariable("Nothing", "TfrxComponent", Variant(0));
  EXPECT_THROW(Run("var x: Extended; begin x := Nothing.AbsLeft; end."), rtl::EInvalidCast);
}

TEST(ClassRTTIStartup, TheModulesJoinTheListOnceAndLeaveWithTheLastShutDown) {
  auto count = [] { return script::fsRTTIModules()->size(); };
  const size_t before = count();
  report::vuzClassRTTIStartup();
  report::vuzClassRTTIStartup();
  EXPECT_EQ(count(), before + 1);
  report::vuzClassRTTIShutdown();
  EXPECT_EQ(count(), before + 1);
  report::vuzClassRTTIShutdown();
  EXPECT_EQ(count(), before);
  report::vuzClassRTTIShutdown();  // one too many does nothing
  EXPECT_EQ(count(), before);
}

}  // namespace
}  // namespace report_test
