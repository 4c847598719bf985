// The HTML and OpenDocument options dialogs: their values both ways, the
// temporary-folder rules, the picture formats, the windows driven through
// scripted answers, and the folder dialog's answer.
#include <gtest/gtest.h>

#include <vector>

#include "export/vuzBrowseDialog_gui.h"
#include "export/vuzExportDialogs.h"
#include "export/vuzExportHTMLDialog.h"
#include "export/vuzExportHTML_gui.h"
#include "export/vuzExportRes.h"
#include "export/vuzFileUtils.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"

namespace {

using namespace report;

// Every check box of a window, at any depth.
void CheckBoxes(gui::TControl& c, std::vector<gui::TCheckBox*>& out) {
  for (int i = 0; i < c.ControlCount(); ++i) {
    if (auto* box = dynamic_cast<gui::TCheckBox*>(c.Controls(i))) out.push_back(box);
    CheckBoxes(*c.Controls(i), out);
  }
}

TEST(HtmlDialog, PictureFormatsBothWays) {
  struct Case {
    bool pictures;
    TfrxPictureType type;
    int entry;
    TfrxPictureType back;  // what OK without a change gives
  } cases[] = {
      {true, gpPNG, 1, gpJPG},  // the box has no PNG: the stored PNG becomes JPEG
      {true, gpJPG, 1, gpJPG}, {true, gpBMP, 2, gpBMP},
      {true, gpGIF, 3, gpGIF}, {false, gpBMP, 0, gpPNG},  // no pictures
  };
  for (const Case& c : cases) {
    TfrxHTMLExport f;
    f.ExportPictures = c.pictures;
    f.PictureType = c.type;
    const TfrxHTMLDialogValues v = vuzHTMLDialogLoad(f);
    EXPECT_EQ(v.pictureFormat, c.entry) << c.type;
    vuzHTMLDialogApply(v, f);
    EXPECT_EQ(f.PictureType, c.back) << c.type;
    EXPECT_EQ(f.ExportPictures, c.entry > 0);
  }
}

TEST(HtmlDialog, OptionsPagesAndTemporaryFolder) {
  TfrxHTMLExport f;
  f.Multipage = f.Navigator = f.Background = f.OpenAfterExport = true;
  f.ExportStyles = false;
  f.PageNumbers = "2-3";
  TfrxHTMLDialogValues v = vuzHTMLDialogLoad(f);
  EXPECT_TRUE(v.multipage && v.navigator && v.background && v.openAfter && !v.styles);
  EXPECT_EQ(v.pages, dpNumbers);
  EXPECT_EQ(v.pageNumbers, "2-3");
  EXPECT_TRUE(v.openAfterVisible && v.multipageEnabled);
  v.pages = dpCurrent;
  v.fixedWidth = false;
  vuzHTMLDialogApply(v, f);
  EXPECT_TRUE(f.CurPage);
  EXPECT_TRUE(f.PageNumbers.empty());
  EXPECT_FALSE(f.FixedWidth);

  f.ExportToTemp = true;
  f.ExportPictures = f.PicsInSameFolder = false;
  v = vuzHTMLDialogLoad(f);
  EXPECT_FALSE(v.openAfterVisible || v.multipageEnabled || v.navigatorEnabled || v.backgroundEnabled ||
               v.picsSameEnabled);
  EXPECT_FALSE(f.Multipage || f.Navigator || f.Background || f.OpenAfterExport);
  EXPECT_TRUE(f.ExportPictures && f.PicsInSameFolder && v.picsSame);
}

TEST(OdfDialog, OptionsBothWaysAndCreationTime) {
  TfrxODSExport f;
  f.SingleSheet = true;
  f.Wysiwyg = false;
  f.OpenAfterExport = true;
  TfrxODFDialogValues v = vuzODFDialogLoad(f);
  EXPECT_TRUE(v.continuous && !v.wysiwyg && v.openAfter && v.pageBreaks && v.background);
  EXPECT_EQ(v.pages, dpAll);
  v.pageBreaks = false;
  v.pages = dpNumbers;
  v.pageNumbers = "1,3";
  vuzODFDialogApply(v, f);
  EXPECT_FALSE(f.ExportPageBreaks);
  EXPECT_EQ(f.PageNumbers, "1,3");
  EXPECT_GT(f.CreationTime, 40000);  // now, not the stored 0
  f.ExportToTemp = true;
  EXPECT_FALSE(vuzODFDialogLoad(f).openAfterVisible);
  EXPECT_FALSE(f.OpenAfterExport);
}

TEST(ExportDialogs, SaveNameFromTheReport) {
  TfrxReport r(nullptr);
  r.SetFileName(rtl::Utf8ToAnsi("/data/reports/Отчёт.fr3"));
  TfrxODTExport f;
  f.Report = &r;
  EXPECT_EQ(vuzExportSaveName(f), rtl::Utf8ToAnsi("Отчёт.odt"));
  f.FileName = "x.odt";
  EXPECT_EQ(vuzExportSaveName(f), "x.odt");
}

// The windows, with the user's answers scripted: OK takes the boxes and
// the save dialog's file; Cancel in the save dialog cancels the export.
TEST(ExportDialogs, WindowsTakeTheAnswers) {
  vuzExportHTMLGuiStartup();
  vuzExportODFGuiStartup();
  {
    gui::DialogScript script;
    script.OnModal([](gui::TForm& form) {
      std::vector<gui::TCheckBox*> boxes;
      CheckBoxes(form, boxes);
      for (gui::TCheckBox* box : boxes)
        if (box->Caption() == vuzGet(8207)) box->SetChecked(true);
      form.SetModalResult(gui::mrOk);
    });
    script.ChooseFile("/tmp/out.html");
    TfrxHTMLExport f;
    EXPECT_EQ(f.ShowModal(), gui::mrOk);
    EXPECT_TRUE(f.Multipage);
    EXPECT_EQ(f.FileName, "/tmp/out.html");
    ASSERT_EQ(script.FileDialogs().size(), 1u);
    EXPECT_TRUE(script.FileDialogs()[0].Save);
    EXPECT_EQ(script.FileDialogs()[0].Filter, vuzGet(8210));
  }
  {
    gui::DialogScript script;
    script.OnModal([](gui::TForm& form) { form.SetModalResult(gui::mrOk); });
    script.CancelFileDialog();
    TfrxODSExport f;
    EXPECT_EQ(f.ShowModal(), gui::mrCancel);
    EXPECT_GT(f.CreationTime, 40000);
  }
  TfrxHTMLExport::SetDialogHandler({});
  TfrxODFExport::SetDialogHandler({});
}

TEST(BrowseDialog, AnswersTheChosenOrTheGivenFolderWithADelimiter) {
  EXPECT_EQ(BrowseDialogResult("/a", false, ""), "/a/");
  EXPECT_EQ(BrowseDialogResult("/a", true, "/b/c"), "/b/c/");
  EXPECT_EQ(BrowseDialogResult("", false, ""), "");
  gui::DialogScript script;
  script.ChooseFile("/srv/out");
  EXPECT_EQ(BrowseDialog("/home", "Папка"), "/srv/out/");
  EXPECT_EQ(BrowseDialog("/home", "Папка"), "/home/");  // unscripted: cancelled
  ASSERT_EQ(script.FileDialogs().size(), 2u);
  EXPECT_TRUE(script.FileDialogs()[0].Folder);
  EXPECT_EQ(script.FileDialogs()[0].InitialDir, "/home");
}

}  // namespace
