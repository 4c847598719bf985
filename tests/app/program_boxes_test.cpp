// The engines' questions and errors as the program's user meets them: with
// the program's start-up, a report that fails shows its error box and a
// confirmation asks, each a real toolkit box answered with a key; where no
// one can answer (offscreen, no display) the same calls do not wait: the
// error goes to the error output and the question takes its default button.
// ctest runs this suite both ways: offscreen, and on an X server
// (program_boxes_xvfb), where the error box is grabbed and compared with
// tests/app/data/report_error_box.png. That picture was written with
// ZARNIK_WRITE_REFERENCE=1 under Xvfb and looked at by eye: the error icon,
// "Были обнаружены следующие ошибки:" over "Memo1: Division by zero", and
// the OK button (the grab has no window frame, so no title).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/ProgramStartup.h"
#include "platform/gui/answering.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/simulate.h"
#include "platform/rtl/user_answers.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"
#include "tests/support/external_tools.h"

using namespace rtl::literals;

namespace {

// A one-page report whose title divides by zero.
void BuildFailingReport(report::TfrxReport& r) {
  r.SetShowProgress(false);
  auto* page = new report::TfrxReportPage(&r);
  page->SetName("Page1");
  page->SetPaperSize(9);
  auto* title = new report::TfrxReportTitle(page);
  title->SetName("ReportTitle1");
  title->SetBounds(0, 0, 700, 20);
  auto* memo = new report::TfrxMemoView(title);
  memo->SetName("Memo1");
  memo->SetBounds(0, 0, 200, 20);
  memo->SetText(rtl::Utf8ToWide("[10 div 0]"));
}

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return (std::filesystem::path(dir && *dir ? dir : "/tmp") / name).string();
}

}  // namespace

TEST(ProgramBoxes, AFailingReportShowsItsErrorBoxOrWritesTheErrorOutput) {
  const app::TProgramStartup startup;
  report::TfrxReport r;
  BuildFailingReport(r);
  const bool userCanAnswer = gui::UserCanAnswer();
  const std::string grab = TempPath("report_error_box.png");
  std::filesystem::remove(grab);
  auto seen = gui::simulate::PressKeyInNextDialog(gui::VK_RETURN, grab);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(r.PrepareReport());
  const std::string errorOutput = testing::internal::GetCapturedStderr();
  ASSERT_GT(r.Errors().Count(), 0);
  const rtl::AnsiString error = r.Errors()[0];

  if (!userCanAnswer) {
    EXPECT_FALSE(seen->Seen) << "no box where no one can answer";
    EXPECT_NE(errorOutput.find(rtl::AnsiToUtf8(error)), std::string::npos) << errorOutput;
    return;
  }
  ASSERT_TRUE(seen->Seen) << "the error box showed";
  EXPECT_EQ(seen->Title, report::vuzResources().Get("mbError"));
  EXPECT_EQ(seen->Text.rfind(report::vuzResources().Get("clErrors"), 0), 0u) << rtl::AnsiToUtf8(seen->Text);
  EXPECT_NE(seen->Text.find(error), rtl::AnsiString::npos) << rtl::AnsiToUtf8(seen->Text);
  EXPECT_EQ(errorOutput, "") << "the box, not the error output";

  ASSERT_TRUE(seen->Grabbed);
  const std::string kept = std::string(ZARNIK_APP_TEST_DATA) + "/report_error_box.png";
  if (std::getenv("ZARNIK_WRITE_REFERENCE"))
    std::filesystem::copy_file(grab, kept, std::filesystem::copy_options::overwrite_existing);
  ASSERT_TRUE(std::filesystem::exists(kept));
  if (support::FindTool("compare").empty()) GTEST_SKIP() << support::Missing("compare", "imagemagick");
  // The same box, give or take font smoothing: sizes must agree, and few
  // pixels may differ.
  const std::string out =
      support::CommandOutput("compare -metric AE -fuzz 25% '" + kept + "' '" + grab + "' null: 2>&1");
  EXPECT_LE(std::atol(out.c_str()), 400L) << out;
}

// What the engines ask goes to a question box with the message-box buttons;
// the answer is the button the key chose. Offscreen, nobody is asked and the
// default button is the answer.
TEST(ProgramBoxes, AConfirmationAsksWithItsButtons) {
  const app::TProgramStartup startup;
  struct Case {
    rtl::TMessageBoxFlags buttons;
    gui::Word key;
    rtl::TModalResult answer;      // with a user
    rtl::TModalResult unattended;  // nobody to ask
  };
  const Case cases[] = {
      {rtl::MB_YESNO, gui::VK_RETURN, rtl::mrYes, rtl::mrYes},
      {rtl::MB_YESNO | rtl::MB_DEFBUTTON2, gui::VK_RETURN, rtl::mrNo, rtl::mrNo},
      {rtl::MB_OKCANCEL, gui::VK_ESCAPE, rtl::mrCancel, rtl::mrOk},
      {rtl::MB_YESNOCANCEL, gui::VK_ESCAPE, rtl::mrCancel, rtl::mrYes},
  };
  const bool userCanAnswer = gui::UserCanAnswer();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buttons);
    auto seen = gui::simulate::PressKeyInNextDialog(c.key);
    const rtl::TModalResult answer = report::vuzConfirmMsg("Сохранить изменения?"_cp, c.buttons);
    if (!userCanAnswer) {
      EXPECT_EQ(answer, c.unattended);
      continue;
    }
    EXPECT_EQ(answer, c.answer);
    ASSERT_TRUE(seen->Seen);
    EXPECT_EQ(seen->Title, report::vuzResources().Get("mbConfirm"));
    EXPECT_EQ(seen->Text, "Сохранить изменения?"_cp);
  }
}
