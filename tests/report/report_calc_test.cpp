// Expression evaluation on the report: the order in which names are
// answered, the cache through the report, IIF, aggregates, errors and their
// kinds, variable cycles, and Report.Calc from a compiled expression.
#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassRTTI.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassShape.h"
#include "report/vuzDataSet.h"
#include "report/vuzExpressionCache.h"
#include "report/vuzVariables.h"

namespace report_test {
namespace {

using report::TfrxReport;
using rtl::AnsiString;
using rtl::Variant;
using namespace rtl::literals;

// An engine with fixed run figures that records aggregate requests.
class CalcEngine : public report::TfrxCustomEngine {
 public:
  using TfrxCustomEngine::TfrxCustomEngine;
  Variant GetAggregateValue(const AnsiString& name, const AnsiString& expression, report::TfrxComponent* band,
                            int flags) override {
    aggregates.push_back({name, expression, band, flags});
    return Variant(42);
  }
  struct Request {
    AnsiString name, expression;
    report::TfrxComponent* band;
    int flags;
  };
  std::vector<Request> aggregates;
};

// Prepared pages that answer fixed page numbers.
class CalcPages : public report::TfrxCustomPreviewPages {
 public:
  using TfrxCustomPreviewPages::TfrxCustomPreviewPages;
  int GetLogicalPageNo() override { return 2; }
  int GetLogicalTotalPages() override { return 7; }
};

// A dataset whose fields are all Null, each of its own type.
class NullDataSet : public report::TfrxUserDataSet {
 public:
  using TfrxUserDataSet::TfrxUserDataSet;
  report::TfrxFieldType GetFieldType(const AnsiString& field) override {
    if (field == "S") return report::fftString;
    if (field == "B") return report::fftBoolean;
    return report::fftNumeric;
  }
  Variant GetValue(const AnsiString& field) override { return field == "X" ? Variant(5) : Variant::Null(); }
};

struct ReportCalc : ::testing::Test {
  void SetUp() override {
    report::ReportClassesStartup();
    report::vuzClassRTTIStartup();
    report = std::make_unique<TfrxReport>();
    auto e = std::make_unique<CalcEngine>(report.get());
    engine = e.get();
    report->SetEngine(std::move(e));
    auto p = std::make_unique<CalcPages>(report.get());
    pages = p.get();
    report->SetPreviewPages(std::move(p));
    engine->StartDate = rtl::EncodeDate(2012, 3, 27);
    engine->StartTime = 0.5;
    engine->TotalPages = 9;
    engine->CurLine = 3;
    engine->CurLineThrough = 11;
    pages->CurPage = 4;
    report->EngineOptions()->NewSilentMode = report::simSilent;
  }
  void TearDown() override {
    dataSet.reset();
    report.reset();
    report::vuzClassRTTIShutdown();
    report::ReportClassesShutdown();
  }
  Variant Value(const AnsiString& name) {
    Variant v;
    EXPECT_TRUE(report->DoGetValue(name, v)) << name;
    return v;
  }
  AnsiString ErrorText() { return report->Errors().Text(); }
  // Raises the exception's message, or "" when Calc did not raise.
  AnsiString CalcError(const AnsiString& expression) {
    try {
      report->Calc(expression);
    } catch (const rtl::Exception& e) {
      return e.Message();
    }
    return "";
  }

  std::unique_ptr<TfrxReport> report;
  CalcEngine* engine = nullptr;
  CalcPages* pages = nullptr;
  std::unique_ptr<NullDataSet> dataSet;
};

TEST_F(ReportCalc, NamesAreAnsweredInTheirOrder) {
  report::vuzGlobalVariables()->SetVariable("CopyName0", Variant("Копия"_cp));
  report::vuzGlobalVariables()->SetVariable("Shared", Variant(77));
  report->Variables()->SetVariable("Sum", Variant("2+3"));
  report->Variables()->SetVariable("Lines", Variant("a\r\nb"));
  report->Variables()->SetVariable("Number", Variant(12));
  report->OnGetValue = [](const AnsiString& name, Variant& value) {
    if (name == "Recorder") value = Variant("Велдор-1"_cp);
    if (name == "Sum") value = Variant("from the program");  // the program is asked before the variables
  };
  report->PrepareScript();
  struct Case {
    const char* name;
    Variant expected;
  } cases[] = {
      {"Date", Variant::FromDate(rtl::EncodeDate(2012, 3, 27))},
      {"date", Variant::FromDate(rtl::EncodeDate(2012, 3, 27))},
      {"Time", Variant::FromDate(0.5)},
      {"Page", Variant(2)},
      {"Page#", Variant(5)},
      {"TotalPages", Variant(7)},
      {"TotalPages#", Variant(9)},
      {"Line", Variant(3)},
      {"Line#", Variant(11)},
      {"CopyName#", Variant("Копия"_cp)},
      {"Recorder", Variant("Велдор-1"_cp)},
      {"Sum", Variant("from the program")},
      {"Lines", Variant("a\r\nb")},
      {"Number", Variant(12)},
      {"Shared", Variant(77)},
      {"pbTree", Variant(64)},  // a value of the report's script
  };
  for (const Case& c : cases) EXPECT_EQ(Value(c.name), c.expected) << c.name;
  Variant v;
  EXPECT_FALSE(report->DoGetValue("1 + 1", v));
  EXPECT_FALSE(report->DoGetValue("IntToStr", v));  // functions are not values
  EXPECT_EQ(report->Errors().Count(), 0);
}

TEST_F(ReportCalc, AVariableHoldingATextIsEvaluatedAsAnExpression) {
  report->Variables()->SetVariable("Sum", Variant("2+3"));
  report->Variables()->SetVariable("Twice", Variant("<Sum> * 2"));
  report->PrepareScript();
  EXPECT_EQ(Value("Sum"), Variant(5));
  EXPECT_EQ(report->Calc("<Twice> + 1"), Variant(11));
}

TEST_F(ReportCalc, NullFieldsFollowConvertNulls) {
  dataSet = std::make_unique<NullDataSet>(nullptr);
  dataSet->SetName("Rows");
  report->DataSets()->Add(dataSet.get());
  report->PrepareScript();
  struct Case {
    const char* name;
    Variant converted;
  } cases[] = {
      {"Rows.\"N\"", Variant(0)},
      {"Rows.\"S\"", Variant(AnsiString())},
      {"Rows.\"B\"", Variant(false)},
      {"Rows.\"X\"", Variant(5)},
  };
  for (const Case& c : cases) EXPECT_EQ(Value(c.name), c.converted) << c.name;
  report->EngineOptions()->ConvertNulls = false;
  for (const char* name : {"Rows.\"N\"", "Rows.\"S\"", "Rows.\"B\""}) EXPECT_TRUE(Value(name).IsNull()) << name;
  // A field of an unknown dataset is not a field.
  Variant v;
  EXPECT_FALSE(report->DoGetValue("Other.\"N\"", v));
}

TEST_F(ReportCalc, EachTextCompilesOnceAndPrepareScriptEmptiesTheCache) {
  report->PrepareScript();
  report::TfrxExpressionCache& cache = *report->ExpressionCache();
  EXPECT_EQ(report->Calc("1 + 2"), Variant(3));
  EXPECT_EQ(report->Calc("1 + 2"), Variant(3));
  EXPECT_EQ(report->Calc("1 + 3"), Variant(4));
  EXPECT_EQ(cache.CompileCount(), 2u);
  EXPECT_EQ(cache.Find("1 + 3")->Name, "fr3f1");
  report->PrepareScript();
  EXPECT_EQ(cache.Count(), 0);
  EXPECT_EQ(report->Calc("1 + 3"), Variant(4));
  EXPECT_EQ(cache.Find("1 + 3")->Name, "fr3f0");
}

TEST_F(ReportCalc, IIFEvaluatesOnlyTheChosenBranch) {
  std::vector<AnsiString> asked;
  report->OnGetValue = [&](const AnsiString& name, Variant& value) {
    asked.push_back(name);
    if (name == "x") value = Variant(3);
    if (name == "a") value = Variant("A");
    if (name == "b") value = Variant("B");
  };
  report->PrepareScript();
  EXPECT_EQ(report->Calc("IIF(<x> > 1, <a>, <b>)"), Variant("A"));
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "b"), 0);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "a"), 1);
  asked.clear();
  EXPECT_EQ(report->Calc("IIF(<x> > 5, <a>, <b>)"), Variant("B"));
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "a"), 0);
  // Texts differing in case only are different functions.
  EXPECT_EQ(report->Calc("IIF(<x> > 1, 'Yes', 'No')"), Variant("Yes"));
  EXPECT_EQ(report->Calc("IIF(<x> > 1, 'YES', 'NO')"), Variant("YES"));
  // An error inside IIF does not raise but is listed.
  EXPECT_TRUE(report->Calc("IIF(<x> > 1, 1 / 0, 2)").IsEmpty());
  ASSERT_EQ(report->Errors().Count(), 1);
  EXPECT_EQ(report->Errors()[0], "Floating point division by zero");
}

TEST_F(ReportCalc, ACompileErrorAddsOneLineNamingTheObjectAndRaises) {
  report->PrepareScript();
  report->SetCurObject("Memo1");
  AnsiString message = CalcError("1 +");
  const AnsiString prefix = "Memo1: Ошибка в выражении '1 +': "_cp;
  ASSERT_EQ(message.substr(0, prefix.size()), prefix);
  EXPECT_GT(message.size(), prefix.size());
  EXPECT_EQ(CalcError("1 +"), message);
  ASSERT_EQ(report->Errors().Count(), 1);
  EXPECT_EQ(report->Errors()[0], message);
  // The failed text is compiled again each time.
  EXPECT_EQ(report->ExpressionCache()->CompileCount(), 2u);
  EXPECT_EQ(report->ExpressionCache()->Count(), 0);
}

TEST_F(ReportCalc, IgnoreDevByZeroIgnoresTheErrorKindNotTheMessage) {
  report->OnUserFunction = [](const AnsiString&, Variant&) -> Variant {
    throw rtl::EConvertError("Floating point division by zero");
  };
  report->PrepareScript();
  report->AddFunction("function Lookalike: Integer", "ctOther");
  EXPECT_EQ(CalcError("10 / 0"), "Floating point division by zero");
  report->EngineOptions()->IgnoreDevByZero = true;
  report->Errors().Clear();
  EXPECT_EQ(CalcError("10 / 0"), "");
  EXPECT_EQ(CalcError("10 div 0"), "");
  EXPECT_EQ(report->Errors().Count(), 0);
  // Same message, other kind: still an error.
  EXPECT_EQ(CalcError("Lookalike"), "Floating point division by zero");
  EXPECT_EQ(report->Errors().Count(), 1);
}

TEST_F(ReportCalc, VariableCyclesEndWithOneErrorLine) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> variables;
    const char* expression;
    bool raises;  // IIF never raises: the line is listed and the value left unassigned
  } cases[] = {
      {{{"A", "A"}}, "A", true},
      {{{"A", "<A>"}}, "<A>", true},
      {{{"A", "<B> + 1"}, {"B", "<A> * 2"}}, "<A>", true},
      {{{"A", "<B> + 1"}, {"B", "<C>"}, {"C", "IIF(True, <A>, 0)"}}, "<A>", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    report->Variables()->Clear();
    for (const auto& [name, value] : c.variables) report->Variables()->SetVariable(name, Variant(value));
    report->PrepareScript();
    report->Errors().Clear();
    AnsiString message = CalcError(c.expression);
    EXPECT_EQ(message.empty(), !c.raises) << message;
    ASSERT_EQ(report->Errors().Count(), 1) << ErrorText();
    EXPECT_EQ(report->Errors()[0], "Циклическая ссылка в переменной 'A'"_cp);
    if (c.raises) {
      EXPECT_EQ(message, report->Errors()[0]);
    }
  }
  // A chain without a cycle is fine.
  report->Variables()->Clear();
  report->Variables()->SetVariable("A", Variant("<B> + 1"));
  report->Variables()->SetVariable("B", Variant("2"));
  report->PrepareScript();
  EXPECT_EQ(report->Calc("<A> + <A>"), Variant(6));
}

TEST_F(ReportCalc, ReportCalcFromAnExpressionReportsItsOwnError) {
  report->PrepareScript();
  AnsiString message = CalcError("Report.Calc('1/0')");
  EXPECT_EQ(message.rfind("Error in Calc expression:", 0), 0u) << message;
  EXPECT_EQ(report->Calc("Report.Calc('2*3') + 1"), Variant(7));
}

TEST_F(ReportCalc, AggregatesGoToTheEngineWithTheirArgumentTexts) {
  auto* page = new report::TfrxReportPage(report.get());
  page->SetName("Page1");
  auto* band = new report::TfrxMasterData(page);
  band->SetName("MasterData1");
  report->PrepareScript();
  EXPECT_EQ(report->Calc("SUM(<Rows.\"T\">, MasterData1, 1)"), Variant(42));
  EXPECT_EQ(report->Calc("COUNT(MasterData1)"), Variant(42));
  EXPECT_EQ(report->Calc("MAX(<Rows.\"T\">)"), Variant(42));
  ASSERT_EQ(engine->aggregates.size(), 3u);
  EXPECT_EQ(engine->aggregates[0].name, "SUM");
  EXPECT_EQ(engine->aggregates[0].expression, "<Rows.\"T\">");
  EXPECT_EQ(engine->aggregates[0].band, band);
  EXPECT_EQ(engine->aggregates[0].flags, 1);
  EXPECT_EQ(engine->aggregates[1].name, "COUNT");
  EXPECT_EQ(engine->aggregates[1].expression, "");
  EXPECT_EQ(engine->aggregates[1].band, band);
  EXPECT_EQ(engine->aggregates[2].band, nullptr);
  EXPECT_EQ(engine->aggregates[2].flags, 0);
  // An aggregate written inside <...> goes the same way.
  EXPECT_EQ(report->Calc("<SUM(<Rows.\"T\">)>"), Variant(42));
}

TEST_F(ReportCalc, AnUnknownNameThroughGetIsListedAndLeftUnassigned) {
  report->PrepareScript();
  EXPECT_TRUE(report->Calc("<Nothing>").IsEmpty());
  ASSERT_EQ(report->Errors().Count(), 1);
  EXPECT_EQ(report->Errors()[0], "Неизвестная переменная или поле БД: Nothing"_cp);
}

TEST_F(ReportCalc, ScriptItemsOfARun) {
  report->AddFunction("function Twice(X: Integer): Integer", "ctOther", "doubles");
  report->OnUserFunction = [](const AnsiString& name, Variant& params) -> Variant {
    return name == "TWICE" ? Variant(params[0].AsInteger() * 2) : Variant();
  };
  report->PrepareScript();
  EXPECT_EQ(report->Calc("Twice(21)"), Variant(42));
  report->SetLocalValue(Variant(5));
  EXPECT_EQ(report->Calc("Value + 1"), Variant(6));
  EXPECT_EQ(report->GetLocalValue(), Variant(5));
  report->SetSelfValue(report.get());
  EXPECT_EQ(report->GetSelfValue(), report.get());
  EXPECT_EQ(report->Calc("Report.Variables <> nil"), Variant(true));
}

TEST_F(ReportCalc, ReportAndViewMembersInExpressions) {
  auto* page = new report::TfrxReportPage(report.get());
  page->SetName("Page1");
  auto* shape = new report::TfrxShapeView(page);
  shape->SetName("Shape1");
  shape->SetTagStr("tag");
  report->PrepareScript();
  EXPECT_EQ(report->Calc("Shape1.TagStr + '!'"), Variant("tag!"));
  EXPECT_EQ(report->Calc("Report.Terminated"), Variant(false));
  report->SetTerminated(true);
  EXPECT_EQ(report->Calc("Report.Terminated"), Variant(true));
  EXPECT_EQ(report->Calc("Report.EngineOptions.DestroyForms"), Variant(true));
  EXPECT_EQ(report->Calc("Report.GetDataset('none') = nil"), Variant(true));
  // Self holds the view being printed.
  report->SetSelfValue(shape);
  EXPECT_EQ(report->Calc("Self.TagStr"), Variant("tag"));
}

TEST(ReportCalcLanguages, TheFourLanguagesGiveTheSameValuesThroughTheReport) {
  report::ReportClassesStartup();
  report::vuzClassRTTIStartup();
  struct Case {
    const char* language;
    const char* expression;
  } cases[] = {
      {"PascalScript", "<Base> * 2 + Length('abc')"},
      {"C++Script", "<Base> * 2 + Length(\"abc\")"},
      {"JScript", "<Base> * 2 + Length(\"abc\")"},
      {"BasicScript", "<Base> * 2 + Length(\"abc\")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    TfrxReport report;
    report.SetScriptLanguage(c.language);
    report.Variables()->SetVariable("Base", Variant(10));
    report.PrepareScript();
    EXPECT_EQ(report.Calc(c.expression), Variant(23));
    EXPECT_EQ(report.Calc(c.expression), Variant(23));
    EXPECT_EQ(report.ExpressionCache()->CompileCount(), 1u);
  }
  report::vuzClassRTTIShutdown();
  report::ReportClassesShutdown();
}

}  // namespace
}  // namespace report_test
