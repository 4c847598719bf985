// The RTF options dialog: its values without a toolkit (filled from the
// filter, applied back), and the window over them, scripted offscreen.
#include <gtest/gtest.h>

#include <functional>

#include "export/vuzExportDialogs.h"
#include "export/vuzExportHTMLDialog.h"
#include "export/vuzExportRTFDialog.h"
#include "export/vuzExportRTF_gui.h"
#include "export/vuzExportRes.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzRes.h"

namespace {

using namespace report;

TEST(RtfDialog, ValuesRoundTripAndMapping) {
  TfrxRTFExport f;
  f.ExportPictures = false;
  f.Wysiwyg = false;
  f.PageNumbers = "2-3";
  f.HeaderFooterMode = hfNone;
  f.SuppressPageHeadersFooters = true;
  TfrxRTFDialogValues v = vuzRTFDialogLoad(f);
  EXPECT_EQ(v.pages, TfrxRTFDialogValues::pgNumbers);
  EXPECT_EQ(v.pageNumbers, "2-3");
  EXPECT_FALSE(v.pictures);
  EXPECT_FALSE(v.wysiwyg);
  EXPECT_TRUE(v.pageBreaks);
  EXPECT_TRUE(v.continuous);
  EXPECT_EQ(v.headerFooter, hfNone);

  struct Case {
    TfrxRTFDialogValues::TPages pages;
    TfrxHeaderFooterMode mode;
    bool continuous;
    bool curPage, suppress;
    const char* numbers;
  } cases[] = {
      {TfrxRTFDialogValues::pgAll, hfText, false, false, false, ""},
      {TfrxRTFDialogValues::pgCurrent, hfNone, true, true, true, ""},
      {TfrxRTFDialogValues::pgNumbers, hfPrint, false, false, true, "1,4"},  // hfPrint makes it continuous
  };
  for (const Case& c : cases) {
    v.pages = c.pages;
    v.pageNumbers = "1,4";
    v.headerFooter = c.mode;
    v.continuous = c.continuous;
    vuzRTFDialogApply(v, f);
    EXPECT_EQ(f.CurPage, c.curPage);
    EXPECT_EQ(f.PageNumbers, c.numbers);
    EXPECT_EQ(f.HeaderFooterMode, c.mode);
    EXPECT_EQ(f.SuppressPageHeadersFooters, c.suppress);
  }
  // Exporting into the temporary folder hides "open after" and turns it off.
  f.ExportToTemp = true;
  f.OpenAfterExport = true;
  v = vuzRTFDialogLoad(f);
  EXPECT_FALSE(v.openAfterVisible);
  v.openAfter = true;
  vuzRTFDialogApply(v, f);
  EXPECT_FALSE(f.OpenAfterExport);

  TfrxRTFExport named;
  EXPECT_EQ(vuzExportSaveName(named), "");
  named.FileName = "x.rtf";
  EXPECT_EQ(vuzExportSaveName(named), "x.rtf");
  for (char k : {'7', ',', '-', '\b'}) EXPECT_TRUE(vuzPageNumberKey(k));
  for (char k : {'a', ' ', '.'}) EXPECT_FALSE(vuzPageNumberKey(k));
}

// Finds the control of a class with a caption among the form's controls.
template <class T>
T* Find(gui::TControl* parent, const AnsiString& caption = {}) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    gui::TControl* c = parent->Controls(i);
    if (auto* t = dynamic_cast<T*>(c); t && (caption.empty() || c->Caption() == caption)) return t;
    if (T* inner = Find<T>(c, caption)) return inner;
  }
  return nullptr;
}

TEST(RtfDialogGui, OptionsAndSaveDialogReachTheFilter) {
  gui::Application->Initialize();
  vuzLoadExportResources();
  vuzExportRTFGuiStartup();
  TfrxRTFExport f;
  f.DefaultPath = "/tmp";
  gui::DialogScript script;
  script.OnModal([](gui::TForm& form) {
    EXPECT_EQ(form.Caption(), vuzGet(8500));
    auto* mode = Find<gui::TComboBox>(&form);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->ItemCount(), 3);
    EXPECT_EQ(mode->ItemIndex(), 0);
    EXPECT_TRUE(mode->ReadOnly());
    mode->SetItemIndex(1);
    Find<gui::TCheckBox>(&form, vuzGet(8501))->SetChecked(false);
    Find<gui::TEdit>(&form)->SetText("1-2");
    form.SetModalResult(gui::mrOk);
  });
  script.ChooseFile("/tmp/out.rtf");
  EXPECT_EQ(f.ShowModal(), gui::mrOk);
  EXPECT_EQ(f.HeaderFooterMode, hfPrint);
  EXPECT_TRUE(f.SuppressPageHeadersFooters);
  EXPECT_FALSE(f.ExportPictures);
  EXPECT_EQ(f.PageNumbers, "1-2");
  EXPECT_EQ(f.FileName, "/tmp/out.rtf");
  ASSERT_EQ(script.FileDialogs().size(), 1u);
  EXPECT_TRUE(script.FileDialogs()[0].Save);
  EXPECT_EQ(script.FileDialogs()[0].Filter, vuzGet(8504));
  EXPECT_EQ(script.FileDialogs()[0].InitialDir, "/tmp");

  // Cancel in the window, or in the save dialog: no export.
  script.OnModal([](gui::TForm& form) { form.SetModalResult(gui::mrCancel); });
  EXPECT_EQ(f.ShowModal(), gui::mrCancel);
  script.OnModal([](gui::TForm& form) { form.SetModalResult(gui::mrOk); });
  script.CancelFileDialog();
  EXPECT_EQ(f.ShowModal(), gui::mrCancel);
  TfrxRTFExport::SetDialogHandler(nullptr);
  vuzRTFProgressHooks() = TfrxRTFProgressHooks{};
}

}  // namespace
