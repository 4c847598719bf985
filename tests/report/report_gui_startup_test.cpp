// The GUI side of the report classes' start-up (hidden parent form, the
// engine's cursors), the designer base, the repaint helper and the finder of
// the application's forms.
#include <gtest/gtest.h>

#include <set>

#include "platform/gui/application.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/stringlists.h"
#include "report/vuzClass.h"
#include "report/vuzClassReport.h"
#include "report/vuzClass_gui.h"
#include "report/vuzDesigner_gui.h"
#include "report/vuzUtils.h"
#include "report/vuzUtils_gui.h"

namespace report_test {
namespace {

using namespace report;

TEST(ReportGuiStartup, InstallsTheEnginesCursorsAndTheHiddenParentForm) {
  ASSERT_FALSE(gui::Screen->HasCursorImage(crHand));
  ReportClassesGuiStartup();
  ReportClassesGuiStartup();  // counted: the second does nothing
  for (int cursor : {crHand, crZoom, crFormat}) EXPECT_TRUE(gui::Screen->HasCursorImage(cursor)) << cursor;
  ASSERT_TRUE(vuzParentFormExists());
  gui::TForm* parent = vuzParentForm();
  EXPECT_EQ(parent, vuzParentForm());  // one form
  EXPECT_FALSE(parent->Visible());
  EXPECT_EQ(parent->Owner(), nullptr);

  // A control parked on the form is taken off it, not freed with it.
  auto* edit = new gui::TEdit(nullptr);
  edit->SetParent(parent);
  ReportClassesGuiShutdown();
  EXPECT_TRUE(vuzParentFormExists());  // the first start-up still holds
  ReportClassesGuiShutdown();
  EXPECT_FALSE(vuzParentFormExists());
  EXPECT_EQ(edit->Parent(), nullptr);
  delete edit;
  for (int cursor : {crHand, crZoom, crFormat}) EXPECT_FALSE(gui::Screen->HasCursorImage(cursor)) << cursor;
}

TEST(ReportGuiStartup, CursorPicturesAreBlackAndWhiteWithTheirHotSpots) {
  struct Case {
    int cursor, hotX, hotY;
  };
  for (const Case& c : {Case{crHand, 8, 8}, Case{crZoom, 6, 5}, Case{crFormat, 0, 0}}) {
    const TfrxCursorPicture p = vuzCursorPicture(c.cursor);
    ASSERT_EQ(p.Image->Width(), 32);
    ASSERT_EQ(p.Image->Height(), 32);
    EXPECT_EQ(p.HotX, c.hotX);
    EXPECT_EQ(p.HotY, c.hotY);
    std::set<std::uint32_t> colours;
    for (std::uint32_t px : p.Image->ToRGB32()) colours.insert(px & 0xFFFFFFu);
    // Black, white and the transparent colour (olive), nothing in between.
    EXPECT_EQ(colours, (std::set<std::uint32_t>{0x000000u, 0xFFFFFFu, 0x808000u})) << c.cursor;
  }
  EXPECT_TRUE(vuzCursorPicture(0).Image->Empty());
}

TEST(ReportGuiStartup, AControlShowsAnEngineCursorFromTheTable) {
  ReportClassesGuiStartup();
  gui::TForm form(nullptr);
  form.SetCursor(crZoom);
  EXPECT_EQ(form.Cursor(), crZoom);
  gui::Screen->SetCursor(crHand);
  EXPECT_EQ(gui::Screen->Cursor(), crHand);
  gui::Screen->SetCursor(gui::crDefault);
  ReportClassesGuiShutdown();
}

TEST(ReportDesigner, TheBaseMarksTheReportModifiedAndLeavesTheRestToADesigner) {
  ReportClassesStartup();
  {
    TfrxReport report;
    TfrxCustomDesigner designer(nullptr, &report);
    EXPECT_EQ(designer.Report(), &report);
    EXPECT_FALSE(designer.IsPreviewDesigner());
    designer.SetModified(false);
    EXPECT_FALSE(report.Modified);
    designer.SetModified(true);
    EXPECT_TRUE(designer.Modified());
    EXPECT_TRUE(report.Modified);
    designer.SetModified(false);
    EXPECT_TRUE(report.Modified);  // only a designer's "modified" is passed on
    EXPECT_THROW(designer.GetCode(), rtl::EAbstractError);
    EXPECT_THROW(designer.InsertExpression("[A]"), rtl::EAbstractError);
    EXPECT_THROW(designer.ReloadReport(), rtl::EAbstractError);
    EXPECT_THROW(designer.UpdatePage(), rtl::EAbstractError);
  }
  ReportClassesShutdown();
}

TEST(FormComponentFinder, DottedNamesReachTheComponentsOfTheApplicationsForms) {
  gui::TForm form(nullptr);
  form.SetName("Form1");
  auto* owned = new rtl::TComponent(&form);
  owned->SetName("vuzReport1");
  auto* nested = new rtl::TComponent(owned);
  nested->SetName("Inner");
  vuzInstallFormComponentFinder();
  EXPECT_EQ(vuzFindComponent(nullptr, "Form1.vuzReport1"), owned);
  EXPECT_EQ(vuzFindComponent(nullptr, "form1.VUZREPORT1"), owned);  // names ignore case
  EXPECT_EQ(vuzFindComponent(nullptr, "Form1.vuzReport1.Inner"), nested);
  EXPECT_EQ(vuzFindComponent(nullptr, "Form2.vuzReport1"), nullptr);
  EXPECT_EQ(vuzFindComponent(nullptr, ".vuzReport1"), nullptr);  // an unnamed form is no global
  EXPECT_EQ(vuzGetFullName(nullptr, owned), "Form1.vuzReport1");

  rtl::TStringList list;
  vuzGetComponents(nullptr, rtl::TComponent::StaticClass(), list, nullptr);
  bool listed = false;
  for (int i = 0; i < list.Count(); ++i) listed |= list[i] == "Form1.vuzReport1" && list.Objects(i) == owned;
  EXPECT_TRUE(listed) << list.Text();
  vuzSetGlobalComponentFinder(nullptr);
  vuzSetGlobalComponentLister(nullptr);
}

TEST(UpdateControl, RepaintPaintsAtOnce) {
  gui::TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  auto* box = new gui::TPaintBox(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 100, 50);
  int paints = 0;
  box->OnPaint = [&](rtl::TObject*) { ++paints; };
  form.Show();
  gui::Application->ProcessMessages();
  const int before = paints;
  vuzUpdateControl(box, true);
  EXPECT_GT(paints, before);
  vuzUpdateControl(box, false);  // paints what is pending; nothing to check but that it runs
  vuzUpdateControl(nullptr, true);
  form.Hide();
}

}  // namespace
}  // namespace report_test
