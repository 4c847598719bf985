// The report object: options and their defaults, loading and saving,
// passwords, the run with its error handling, and showing the preview.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/streams.h"
#include "report/vuzClass.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"
#include "report/vuzRes.h"
#include "report/vuzXML.h"
#include "report_fakes.h"
#include "tests/support/scratch_folder.h"

using namespace report;
using namespace report_test;
using namespace rtl::literals;
using support::ScratchFolder;

namespace {

const std::string kErrorsHeading = std::string("Были обнаружены следующие ошибки:"_cp) + "\r\n";

class ReportObject : public ::testing::Test {
 protected:
  void SetUp() override { ReportClassesStartup(); }
  void TearDown() override { ReportClassesShutdown(); }
  ReportHooksScope hooks;
  gui::DialogScript noBlockingDialogs;  // tests that look at the boxes open their own
};

std::string Save(TfrxReport& report) {
  rtl::TMemoryStream stream;
  report.SaveToStream(stream);
  stream.SetPosition(0);
  return stream.ReadRest();
}

void Load(TfrxReport& report, const std::string& bytes) {
  rtl::TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
  report.LoadFromStream(stream);
}

// A page with one view whose caption the runs change.
TfrxTestView* AddView(TfrxReport& report, const char* caption) {
  auto* page = new TfrxTestPage(&report);
  page->SetName("Page1");
  auto* view = new TfrxTestView(page);
  view->SetName("View1");
  view->SetCaption(caption);
  return view;
}

TfrxTestView* FindView(TfrxReport& report) { return dynamic_cast<TfrxTestView*>(report.FindObject("View1")); }

std::size_t FileCount(const ScratchFolder& dir) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Folder())) ++n;
  return n;
}

}  // namespace

// ---------------------------------------------------------------- defaults

TEST_F(ReportObject, ANewReportHasTheDocumentedDefaults) {
  TfrxReport r;
  EXPECT_EQ(r.Version(), "4.14");
  EXPECT_EQ(r.IniFile(), "\\Software\\Dodo Vavezev");
  EXPECT_TRUE(r.ShowProgress());
  EXPECT_TRUE(r.StoreInDFM());
  EXPECT_FALSE(r.OldStyleProgress());
  EXPECT_EQ(r.ScriptLanguage(), "PascalScript");
  EXPECT_EQ(r.ScriptText()->Text(), "begin\r\n\r\nend.\r\n");
  EXPECT_EQ(r.SysVariables()->CommaText(), "Date,Time,Page,Page#,TotalPages,TotalPages#,Line,Line#,CopyName#");
  EXPECT_FALSE(r.StartTimer()->Enabled());
  EXPECT_EQ(hooks.timers.at(0)->interval, 50u);

  const TfrxEngineOptions& e = *r.EngineOptions();
  EXPECT_TRUE(e.ConvertNulls);
  EXPECT_FALSE(e.DoublePass);
  EXPECT_EQ(e.MaxMemSize, 10);
  EXPECT_TRUE(e.PrintIfEmpty);
  EXPECT_EQ(e.NewSilentMode, simMessageBoxes);
  EXPECT_TRUE(e.DestroyForms);
  EXPECT_FALSE(e.EnableThreadSafe);
  EXPECT_TRUE(e.UseGlobalDataSetList);

  const TfrxPreviewOptions& p = *r.PreviewOptions();
  EXPECT_EQ(p.Buttons, 0xFFFu);  // pbPrint .. pbExportQuick
  EXPECT_TRUE(p.Maximized && p.Modal && p.AllowEdit && p.OutlineExpand);
  EXPECT_EQ(p.OutlineWidth, 120);
  EXPECT_EQ(p.PagesInCache, 50);
  EXPECT_EQ(p.Zoom, 1.0L);

  const TfrxPrintOptions& o = *r.PrintOptions();
  EXPECT_EQ(o.Printer, std::string("По умолчанию"_cp));
  EXPECT_EQ(o.Copies, 1);
  EXPECT_EQ(o.SplicingLine, 3);
}

TEST_F(ReportObject, SilentModeAndNewSilentModeAreOneSetting) {
  TfrxEngineOptions e;
  e.NewSilentMode = simReThrow;
  EXPECT_FALSE(e.SilentMode());
  e.SetSilentMode(true);
  EXPECT_EQ(e.NewSilentMode, simSilent);
  e.SetSilentMode(false);
  EXPECT_EQ(e.NewSilentMode, simMessageBoxes);
}

TEST_F(ReportObject, ClearKeepsTheInformationFieldsOnlyWhenAsked) {
  for (bool infoOnly : {false, true}) {
    TfrxReportOptions o;
    o.Author = "A";
    o.Name = "N";
    o.Password = "P";
    o.VersionMajor = "2";
    o.InfoOnly = infoOnly;
    o.Clear();
    EXPECT_EQ(o.Name, "");
    EXPECT_EQ(o.Password, "");
    EXPECT_EQ(o.Author, infoOnly ? "A" : "");
    EXPECT_EQ(o.VersionMajor, infoOnly ? "2" : "");
  }
}

// ---------------------------------------------------------------- loading and saving

TEST_F(ReportObject, LoadingATemplateKeepsTheRunningProgramsSettings) {
  // The template: every option differs from the defaults.
  TfrxReport source;
  AddView(source, "x");
  {
    TfrxEngineOptions& e = *source.EngineOptions();
    e.ConvertNulls = false;
    e.IgnoreDevByZero = true;
    e.DoublePass = true;
    e.MaxMemSize = 77;
    e.PrintIfEmpty = false;
    e.TempDir = "/template/tmp";
    e.UseFileCache = true;
    TfrxPreviewOptions& p = *source.PreviewOptions();
    p.OutlineVisible = true;
    p.OutlineWidth = 333;
    p.OutlineExpand = false;
    p.PagesInCache = 7;
    p.ThumbnailVisible = true;
    p.Modal = false;
    p.Zoom = 3;
    p.AllowEdit = false;
    source.SetIniFile("template.ini");
    source.SetShowProgress(false);
    source.SetOldStyleProgress(true);
  }
  const std::string bytes = Save(source);

  TfrxReport target;
  FakePreview preview(&hooks.log);
  target.SetPreview(&preview);
  target.SetIniFile("program.ini");
  target.SetOldStyleProgress(false);
  target.SetStoreInDFM(false);
  target.EngineOptions()->MaxMemSize = 20;
  target.EngineOptions()->NewSilentMode = simSilent;
  target.EngineOptions()->TempDir = "/program/tmp";
  target.PreviewOptions()->Zoom = 2;

  Load(target, bytes);
  EXPECT_EQ(target.Errors().Count(), 0) << target.Errors().Text();
  ASSERT_NE(FindView(target), nullptr);

  struct Case {
    const char* what;
    bool kept;
  };
  const TfrxEngineOptions& e = *target.EngineOptions();
  const TfrxPreviewOptions& p = *target.PreviewOptions();
  // Taken from the template.
  EXPECT_FALSE(e.ConvertNulls);
  EXPECT_TRUE(e.IgnoreDevByZero);
  EXPECT_TRUE(e.DoublePass);
  EXPECT_TRUE(p.OutlineVisible);
  EXPECT_EQ(p.OutlineWidth, 333);
  EXPECT_FALSE(p.OutlineExpand);
  EXPECT_EQ(p.PagesInCache, 7);
  EXPECT_TRUE(p.ThumbnailVisible);
  // The program's own.
  const Case kept[] = {
      {"MaxMemSize", e.MaxMemSize == 20},
      {"PrintIfEmpty", e.PrintIfEmpty},
      {"NewSilentMode", e.NewSilentMode == simSilent},
      {"TempDir", e.TempDir == "/program/tmp"},
      {"UseFileCache", !e.UseFileCache},
      {"Modal", p.Modal},
      {"Zoom", p.Zoom == 2},
      {"AllowEdit", p.AllowEdit},
      {"IniFile", target.IniFile() == "program.ini"},
      {"Preview", target.Preview() == &preview},
      {"ShowProgress", target.ShowProgress()},
      {"OldStyleProgress", !target.OldStyleProgress()},
      {"StoreInDFM", !target.StoreInDFM()},
  };
  for (const Case& c : kept) EXPECT_TRUE(c.kept) << c.what;
  target.SetPreview(nullptr);
}

TEST_F(ReportObject, PasswordsAreStoredShiftedByTenModulo256) {
  struct Case {
    std::string plain;
    std::string stored;
  };
  const Case cases[] = {
      {"", ""},
      {"secret", "i[Yh[j"},                                // each byte lowered by 10
      {std::string("\x05\xFF"), std::string("\xFB\xF5")},  // wraps below 0
      {std::string("пароль"_cp), std::string("еЦждбт"_cp)},
  };
  for (const Case& c : cases) {
    TfrxReport source;
    source.ReportOptions()->Password = c.plain;
    const std::string bytes = Save(source);
    EXPECT_EQ(source.ReportOptions()->Password, c.plain) << "the plain password comes back after the write";

    // The stored attribute, read with the XML reader.
    TfrxXMLDocument doc;
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    doc.LoadFromStream(stream);
    EXPECT_EQ(std::string(doc.Root()->GetProp("ReportOptions.Password")), c.stored) << c.plain;

    // Loading raises each byte again; the thread-safe switch skips the dialog.
    TfrxReport target;
    target.EngineOptions()->EnableThreadSafe = true;
    Load(target, bytes);
    EXPECT_EQ(target.ReportOptions()->Password, c.plain);
  }
}

TEST_F(ReportObject, APasswordIsAskedForAndAWrongOneEmptiesTheReport) {
  TfrxReport source;
  AddView(source, "secret data");
  source.ReportOptions()->Password = "open";
  const std::string bytes = Save(source);

  struct Case {
    const char* typed;
    bool ok;
    bool loaded;
  };
  const Case cases[] = {{"open", true, true}, {"wrong", true, false}, {"open", false, false}};
  for (const Case& c : cases) {
    gui::DialogScript script;
    script.OnModal([&c](gui::TForm& form) {
      for (int i = 0; i < form.ComponentCount(); ++i)
        if (auto* edit = dynamic_cast<gui::TEdit*>(form.Components(i))) edit->SetText(c.typed);
      form.SetModalResult(c.ok ? gui::mrOk : gui::mrCancel);
    });
    TfrxReport target;
    target.EngineOptions()->NewSilentMode = simSilent;
    Load(target, bytes);
    EXPECT_EQ(FindView(target) != nullptr, c.loaded) << c.typed << c.ok;
    EXPECT_EQ(target.Errors().IndexOf("Invalid password") >= 0, !c.loaded);
    if (c.loaded) {
      EXPECT_EQ(target.ReportOptions()->PrevPassword, "open");
    }
  }
}

TEST_F(ReportObject, ReadErrorsAreCollectedAndReported) {
  gui::DialogScript script;
  TfrxReport r;
  Load(r, "<?xml version=\"1.0\"?><TfrxReport><TfrxNoSuchClass Name=\"X\"/></TfrxReport>");
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
  EXPECT_EQ(script.MessageBoxes()[0].Text.rfind(kErrorsHeading, 0), 0u) << script.MessageBoxes()[0].Text;
  EXPECT_GE(r.Errors().Count(), 1);
}

namespace {
// Stands for the bands' data page while this program has none.
class TfrxStandInDataPage : public TfrxTestPage {
  RTL_CLASS_INFO
 public:
  using TfrxTestPage::TfrxTestPage;
};
const rtl::TClassInfo& TfrxStandInDataPage::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxStandInDataPage>("TfrxDataPage", &TfrxTestPage::StaticClass()).Creatable().Build();
  return info;
}
}  // namespace

TEST_F(ReportObject, ALoadedReportGetsADataPageFirstAndItsDialogComponents) {
  if (!rtl::GetClassInfo("TfrxDataPage")) rtl::RegisterClass(TfrxStandInDataPage::StaticClass());
  if (!rtl::GetClassInfo("TfrxUserDataSet")) rtl::RegisterClass(TfrxUserDataSet::StaticClass());
  TfrxReport source;
  auto* page = new TfrxTestPage(&source);
  page->SetName("Data");  // the name is taken: the data page gets another
  auto* a = new TfrxUserDataSet(&source);
  a->SetParent(page);
  a->SetName("A");
  auto* b = new TfrxUserDataSet(&source);
  b->SetParent(page);
  b->SetName("B");
  const std::string bytes = Save(source);

  TfrxReport r;
  Load(r, bytes);
  EXPECT_EQ(r.Errors().Count(), 0) << r.Errors().Text();
  ASSERT_EQ(r.PagesCount(), 2);
  TfrxComponent* dataPage = r.Pages(0);
  EXPECT_TRUE(dataPage->IsA("TfrxDataPage"));
  EXPECT_NE(dataPage->Name(), "Data");
  EXPECT_EQ(r.Pages(1)->Name(), "Data");
  ASSERT_EQ(dataPage->Objects().size(), 2u);
  EXPECT_EQ(dataPage->Objects()[0]->Name(), "A");
  EXPECT_EQ(dataPage->Objects()[0]->Left(), 60);
  EXPECT_EQ(dataPage->Objects()[1]->Left(), 124);
  EXPECT_EQ(dataPage->Objects()[1]->Top(), 20);

  // A second check finds the page and adds no other.
  r.CheckDataPage();
  EXPECT_EQ(r.PagesCount(), 2);
}

// ---------------------------------------------------------------- running

TEST_F(ReportObject, EveryMissingDatasetIsOneErrorLineAndNothingIsBuilt) {
  TfrxReport r;
  r.EngineOptions()->NewSilentMode = simSilent;
  for (const char* name : {"Orders", "Customers", "Orders"}) {
    auto* item = static_cast<TfrxDataSetItem*>(r.DataSets()->rtl::TCollection::Add());
    item->SetDataSetName(name);
  }
  EXPECT_FALSE(r.PrepareReport());
  EXPECT_EQ(ReportHooksScope::Engine(r).runs, 0);
  EXPECT_EQ(r.PreviewPages()->GetCount(), 0);
  ASSERT_EQ(r.Errors().Count(), 2) << r.Errors().Text();  // the same text is listed once
  EXPECT_EQ(r.Errors()[0], std::string("Набор данных \"Customers\" не найден"_cp));
  EXPECT_EQ(r.Errors()[1], std::string("Набор данных \"Orders\" не найден"_cp));
}

TEST_F(ReportObject, RunErrorsGoThroughTheSilentMode) {
  struct Case {
    TfrxSilentMode mode;
    bool raises;
    std::size_t boxes;
  };
  const Case cases[] = {{simMessageBoxes, false, 1}, {simSilent, false, 0}, {simReThrow, true, 0}};
  for (const Case& c : cases) {
    gui::DialogScript script;
    TfrxReport r;
    r.EngineOptions()->NewSilentMode = c.mode;
    ReportHooksScope::Engine(r).onRun = [](FakeEngine&) -> bool { throw rtl::Exception("engine broke"); };
    std::string raised;
    try {
      EXPECT_FALSE(r.PrepareReport());
    } catch (const rtl::Exception& e) {
      raised = e.Message();
    }
    EXPECT_EQ(!raised.empty(), c.raises);
    if (c.raises) {
      EXPECT_EQ(raised, kErrorsHeading + "engine broke\r\n");
    }
    ASSERT_EQ(script.MessageBoxes().size(), c.boxes);
    if (c.boxes) {
      EXPECT_EQ(script.MessageBoxes()[0].Text, kErrorsHeading + "engine broke\r\n");
      EXPECT_EQ(script.MessageBoxes()[0].Caption, std::string("Ошибка"_cp));
    }
  }
}

TEST_F(ReportObject, DestroyFormsUndoesWhatTheRunChangedInTheTemplate) {
  for (bool destroyForms : {true, false}) {
    TfrxReport r;
    AddView(r, "template");
    r.EngineOptions()->DestroyForms = destroyForms;
    ReportHooksScope::Engine(r).onRun = [&r](FakeEngine&) {
      FindView(r)->SetCaption("changed by the run");
      return true;
    };
    bool began = false, ended = false;
    r.OnBeginDoc = [&](rtl::TObject*) { began = true; };
    r.OnEndDoc = [&](rtl::TObject*) { ended = true; };
    EXPECT_TRUE(r.PrepareReport());
    EXPECT_TRUE(began && ended);
    ASSERT_NE(FindView(r), nullptr);
    EXPECT_EQ(FindView(r)->Caption(), destroyForms ? "template" : "changed by the run");
  }
}

TEST_F(ReportObject, TheTemplateComesBackAlsoWhenTheRunFailsAndTheErrorsStay) {
  TfrxReport r;
  AddView(r, "template");
  r.ReportOptions()->Password = "kept";
  r.PrintOptions()->SplicingLine = 9;
  r.EngineOptions()->NewSilentMode = simSilent;
  ReportHooksScope::Engine(r).onRun = [&r](FakeEngine&) -> bool {
    FindView(r)->SetCaption("half done");
    r.Errors().Add("first");
    throw rtl::Exception("second");
  };
  EXPECT_FALSE(r.PrepareReport());
  EXPECT_EQ(FindView(r)->Caption(), "template");
  EXPECT_EQ(r.Errors().Text(), "first\r\nsecond\r\n");
  EXPECT_EQ(r.ReportOptions()->Password, "kept");
  EXPECT_EQ(r.PrintOptions()->SplicingLine, 9);

  // Something that is not an Exception passes through, the template restored.
  ReportHooksScope::Engine(r).onRun = [&r](FakeEngine&) -> bool {
    FindView(r)->SetCaption("half done");
    throw 42;
  };
  EXPECT_THROW(r.PrepareReport(), int);
  EXPECT_EQ(FindView(r)->Caption(), "template");
}

TEST_F(ReportObject, ATemporaryFileHoldsTheTemplateWithTheFileCache) {
  TfrxReport r;
  AddView(r, "template");
  r.EngineOptions()->UseFileCache = true;
  ScratchFolder dir("report-temp");
  r.EngineOptions()->TempDir = dir.Path();
  ReportHooksScope::Engine(r).onRun = [&](FakeEngine&) {
    FindView(r)->SetCaption("run");
    EXPECT_EQ(FileCount(dir), 1u);
    return true;
  };
  EXPECT_TRUE(r.PrepareReport());
  EXPECT_EQ(FindView(r)->Caption(), "template");
  EXPECT_EQ(FileCount(dir), 0u) << "the temporary file is deleted";
}

TEST_F(ReportObject, ShowReportOpensThePreviewBeforeTheBuild) {
  TfrxReport r;
  FakeEngine& engine = ReportHooksScope::Engine(r);
  engine.onRun = [&](FakeEngine& e) {
    hooks.log.push_back("engine.Run");
    e.PreviewPages->Initialize();
    e.PreviewPages->AddPage(nullptr);
    e.PreviewPages->AddPage(nullptr);
    e.PreviewPages->Finish();
    return true;
  };
  // The window's loop: 50 ms later the timer ticks.
  FakeTimer* timer = hooks.timers.at(0);
  hooks.duringModal = [&] {
    EXPECT_TRUE(timer->enabled);
    EXPECT_EQ(engine.runs, 0);
    timer->Fire();
  };
  // Forms are made by the hook when ShowPreparedReport runs, after this assignment.
  r.ShowReport();
  EXPECT_FALSE(timer->enabled);
  const Log expected = {"form.Init",      "form.designed",  "form.ShowModal", "engine.Run", "preview.start",
                        "preview.page 0", "preview.page 1", "preview.stop",   "form.freed"};
  EXPECT_EQ(hooks.log, expected);
  EXPECT_EQ(r.Preview(), nullptr) << "the window's control detached itself";
  EXPECT_EQ(r.PreviewPages()->GetCount(), 2);
}

TEST_F(ReportObject, OldStyleProgressBuildsFirstAndAFailedBuildShowsNothing) {
  for (bool engineOk : {true, false}) {
    TfrxReport r;
    r.SetOldStyleProgress(true);
    r.SetShowProgress(false);
    r.EngineOptions()->NewSilentMode = simSilent;
    ReportHooksScope::Engine(r).onRun = [&](FakeEngine&) {
      hooks.log.push_back("engine.Run");
      if (!engineOk) r.Errors().Add("no luck");
      return engineOk;
    };
    hooks.log.clear();
    r.ShowReport();
    const Log expected =
        engineOk ? Log{"engine.Run", "form.Init", "form.designed", "form.ShowModal", "form.freed"} : Log{"engine.Run"};
    EXPECT_EQ(hooks.log, expected);
  }
}

TEST_F(ReportObject, ReThrowFromShowReportStartsWithTheErrorsHeading) {
  TfrxReport r;
  r.SetOldStyleProgress(true);
  r.SetShowProgress(false);
  r.EngineOptions()->NewSilentMode = simReThrow;
  ReportHooksScope::Engine(r).onRun = [](FakeEngine&) -> bool { throw rtl::Exception("boom"); };
  try {
    r.ShowReport();
    FAIL() << "no exception";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(std::string(e.Message()).rfind(kErrorsHeading, 0), 0u);
  }
}

TEST_F(ReportObject, AModelessPreviewFreesItselfAndAnAttachedPreviewIsReused) {
  {
    TfrxReport r;
    r.PreviewOptions()->Modal = false;
    r.PreviewOptions()->Maximized = false;
    hooks.log.clear();
    r.ShowPreparedReport();
    EXPECT_EQ(hooks.log, (Log{"form.Init", "form.Show+appwindow"}));
    ASSERT_NE(r.PreviewForm(), nullptr);
    r.SetProgressMessage("hello", true);
    EXPECT_EQ(hooks.log.back(), "form.hint hello");
    delete r.PreviewForm();  // as the window does when closed
    EXPECT_EQ(r.Preview(), nullptr);
    EXPECT_EQ(r.PreviewForm(), nullptr);
  }
  {
    TfrxReport r;
    FakePreview preview(&hooks.log);
    r.SetPreview(&preview);
    hooks.log.clear();
    r.ShowPreparedReport();
    EXPECT_EQ(hooks.log, (Log{"preview.Init"}));
    EXPECT_EQ(preview.Report, &r);
    EXPECT_EQ(preview.PreviewPages, r.PreviewPages());
  }
}

TEST_F(ReportObject, ClicksReachTheReportsEvents) {
  TfrxReport r;
  auto* view = new TfrxTestView(&r);
  std::string seen;
  r.OnClickObject = [&](TfrxComponent* v, int button, unsigned shift, bool& modified) {
    seen = "click " + std::to_string(button) + " " + std::to_string(shift) + (v == view ? " view" : "");
    modified = true;
  };
  r.OnDblClickObject = [&](TfrxComponent*, int, unsigned, bool&) { seen = "double"; };
  bool modified = false;
  r.DoPreviewClick(view, 1, 4, modified, false);
  EXPECT_EQ(seen, "click 1 4 view");
  EXPECT_TRUE(modified);
  r.DoPreviewClick(view, 0, 0, modified, true);
  EXPECT_EQ(seen, "double");
}

TEST_F(ReportObject, SettingsStoreFollowsTheIniFileName) {
  TfrxReport r;
  EXPECT_NE(dynamic_cast<rtl::TRegistryIniFile*>(r.GetIniFile().get()), nullptr);
  ScratchFolder dir("report-ini");
  r.SetIniFile(dir.Path() + "/settings.ini");
  std::unique_ptr<rtl::TCustomIniFile> ini = r.GetIniFile();
  ASSERT_NE(dynamic_cast<rtl::TIniFile*>(ini.get()), nullptr);
  ini->WriteString("Preview", "Zoom", "2");
  EXPECT_EQ(r.GetIniFile()->ReadString("Preview", "Zoom", ""), "2");
}

TEST_F(ReportObject, SelectPrinterAsksThePrinterListThroughItsHook) {
  TfrxReport r;
  std::string selected = "(none)";
  vuzReportHooks().SelectPrinter = [&](const rtl::AnsiString& name) { selected = name; };
  r.PrintOptions()->Printer = "Office";
  r.SelectPrinter();
  EXPECT_EQ(selected, "Office");
}
