// Dialog pages: their defaults, the window's client size, templates, and the
// modal run.
#include <gtest/gtest.h>

#include <string>

#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/streams.h"
#include "report/vuzClassReport.h"
#include "report/vuzDialogPage.h"
#include "report/vuzRes.h"

namespace report_test {
namespace {

using namespace report;
using namespace rtl::literals;

class DialogPage : public ::testing::Test {
 protected:
  void SetUp() override { ReportClassesStartup(); }
  void TearDown() override { ReportClassesShutdown(); }
  gui::DialogScript noBlockingDialogs;
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

TEST_F(DialogPage, ANewPageIsASizeableWindowCentredOnTheScreenInButtonFace) {
  TfrxReport report;
  auto* page = new TfrxDialogPage(&report);
  EXPECT_EQ(page->BorderStyle(), bsSizeable);
  EXPECT_EQ(page->Position(), poScreenCenter);
  EXPECT_EQ(page->WindowState(), wsNormal);
  EXPECT_EQ(page->Color(), gfx::clBtnFace);
  EXPECT_EQ(page->Font()->Name(), "Tahoma");
  EXPECT_EQ(page->Font()->Size(), 8);
  EXPECT_EQ(page->BaseName(), "DialogPage");
  EXPECT_EQ(page->GetDescription(), vuzResources().Get("obDlgPage"));
  EXPECT_FALSE(page->HasWindow());  // made only when needed
  // The template reader finds the class by its name.
  EXPECT_EQ(rtl::GetClassInfo("TfrxDialogPage"), &TfrxDialogPage::StaticClass());
}

TEST_F(DialogPage, AClientSizeMakesThePageTheWindowsOuterSize) {
  TfrxReport report;
  auto* page = new TfrxDialogPage(&report);
  page->SetClientWidth(300);
  page->SetClientHeight(200);
  EXPECT_EQ(page->ClientWidth(), 300);
  EXPECT_EQ(page->ClientHeight(), 200);
  EXPECT_EQ(page->Width(), page->Window().Width());
  EXPECT_EQ(page->Height(), page->Window().Height());
  EXPECT_GE(page->Width(), 300);
  EXPECT_GE(page->Height(), 200);
  // Objects on a dialog page are placed in the window, not on the report's
  // sheet: the page's own position does not move them.
  page->SetLeft(500);
  auto* inner = new TfrxDialogPage(page);
  inner->SetLeft(7);
  EXPECT_EQ(inner->GetAbsLeft(), 7);
}

TEST_F(DialogPage, ATemplateKeepsThePageAndStoresOnlyWhatDiffers) {
  TfrxReport source;
  auto* page = new TfrxDialogPage(&source);
  page->SetName("Ask");
  page->SetCaption("Выбор периода"_cp);
  page->SetBorderStyle(bsDialog);
  page->SetClientWidth(320);
  page->SetClientHeight(140);
  page->SetLeft(10);
  page->OnShow = "AskShow";
  const std::string bytes = Save(source);
  EXPECT_NE(bytes.find("BorderStyle=\"bsDialog\""), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("ClientWidth=\"320\""), std::string::npos) << bytes;
  EXPECT_EQ(bytes.find(" Position="), std::string::npos) << bytes;  // the default
  EXPECT_EQ(bytes.find(" Color="), std::string::npos) << bytes;

  TfrxReport target;
  Load(target, bytes);
  EXPECT_EQ(target.Errors().Count(), 0) << target.Errors().Text();
  auto* read = dynamic_cast<TfrxDialogPage*>(target.FindObject("Ask"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Caption(), "Выбор периода"_cp);
  EXPECT_EQ(read->BorderStyle(), bsDialog);
  EXPECT_EQ(read->ClientWidth(), 320);
  EXPECT_EQ(read->ClientHeight(), 140);
  EXPECT_EQ(read->Width(), page->Width());
  EXPECT_EQ(read->Left(), 10);
  EXPECT_EQ(read->OnShow, "AskShow");
}

TEST_F(DialogPage, ShowModalAnswersTheWindowsResultAndThePageFollowsTheWindow) {
  TfrxReport report;
  auto* page = new TfrxDialogPage(&report);
  page->SetCaption("Период"_cp);
  page->SetClientWidth(240);
  noBlockingDialogs.OnModal([](gui::TForm& form) {
    EXPECT_EQ(form.Caption(), "Период"_cp);
    EXPECT_EQ(form.BorderStyle(), gui::bsSizeable);
    form.SetModalResult(gui::mrOk);
  });
  EXPECT_EQ(page->ShowModal(), gui::mrOk);
  EXPECT_EQ(page->GetModalResult(), gui::mrOk);
  page->DoModify();
  EXPECT_EQ(page->Width(), page->Window().Width());
}

TEST_F(DialogPage, KeysPassThroughWhenNoHandlerIsSet) {
  TfrxReport report;
  auto* page = new TfrxDialogPage(&report);
  std::uint16_t key = 13;
  page->DoOnKeyDown(key, 0);
  EXPECT_EQ(key, 13);
  char c = 'a';
  page->DoOnKeyPress(c);
  EXPECT_EQ(c, 'a');
  bool canClose = true;
  page->DoOnCloseQuery(canClose);
  EXPECT_TRUE(canClose);
}

}  // namespace
}  // namespace report_test
