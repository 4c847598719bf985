// Message boxes and file dialogs under the test hook: what was asked is
// recorded, scripted answers come back, unscripted ones take the default.
#include "platform/gui/dialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/gui/application.h"
#include "platform/gui/simulate.h"
#include "tests/support/scratch_folder.h"

using namespace gui;
using namespace rtl::literals;

TEST(MessageBoxHook, QuestionIsAnsweredAndRecordedWithTextCaptionAndButtons) {
  DialogScript script;
  script.AnswerMessageBox(IDYES);
  AnsiString text = "Удалить выбранный процесс?"_cp;
  int answer = gui::Application->MessageBox(text, "Zudazuzira zirudoradid",
                                            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL);
  EXPECT_EQ(answer, IDYES);
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
  const MessageBoxRecord& r = script.MessageBoxes()[0];
  EXPECT_EQ(r.Text, text);
  EXPECT_EQ(r.Caption, "Zudazuzira zirudoradid");
  EXPECT_EQ(r.Buttons(), unsigned{MB_YESNO});
  EXPECT_EQ(r.Icon(), unsigned{MB_ICONQUESTION});
  EXPECT_EQ(r.DefaultButton(), unsigned{MB_DEFBUTTON2});
  EXPECT_TRUE(r.Flags & MB_TASKMODAL);
  EXPECT_TRUE(r.Scripted);
}

TEST(MessageBoxHook, UnscriptedBoxTakesItsDefaultButton) {
  struct Case {
    unsigned flags;
    int expected;
  };
  const Case cases[] = {
      {MB_OK, IDOK},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_YESNO, IDYES},
      {MB_RETRYCANCEL, IDRETRY},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
      {MB_OKCANCEL | MB_DEFBUTTON3, IDOK},  // no third button: the first
  };
  for (const Case& c : cases) {
    DialogScript script;
    EXPECT_EQ(MessageBox("?", "t", c.flags), c.expected) << c.flags;
    EXPECT_FALSE(script.MessageBoxes()[0].Scripted);
  }
}

TEST(MessageBoxHook, ButtonSetsInOrder) {
  EXPECT_EQ(MessageBoxButtons(MB_ABORTRETRYIGNORE), (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
  EXPECT_EQ(MessageBoxButtons(MB_YESNOCANCEL), (std::vector<int>{IDYES, IDNO, IDCANCEL}));
  EXPECT_EQ(MessageBoxButtons(MB_RETRYCANCEL), (std::vector<int>{IDRETRY, IDCANCEL}));
}

TEST(MessageBoxHook, ScriptsNestAndAnswerInOrder) {
  DialogScript outer;
  outer.AnswerMessageBox(IDNO);
  {
    DialogScript inner;
    inner.AnswerMessageBox(IDRETRY);
    inner.AnswerMessageBox(IDCANCEL);
    EXPECT_EQ(MessageBox("a", "t", MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(MessageBox("b", "t", MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(inner.MessageBoxes().size(), 2u);
  }
  EXPECT_EQ(MessageBox("c", "t", MB_YESNO), IDNO);
  EXPECT_EQ(outer.MessageBoxes().size(), 1u);
}

TEST(MessageDlg, TypeAndButtonsMapOntoTheBox) {
  DialogScript script;
  script.AnswerMessageBox(IDNO);
  EXPECT_EQ(MessageDlg("Save?", mtConfirmation, mbYesNoCancel), mrNo);
  const MessageBoxRecord& r = script.MessageBoxes()[0];
  EXPECT_EQ(r.Buttons(), unsigned{MB_YESNOCANCEL});
  EXPECT_EQ(r.Icon(), unsigned{MB_ICONQUESTION});
  EXPECT_EQ(r.Caption, "Confirm");
}

TEST(FileDialogHook, SaveDialogRecordsWhatWasAskedAndAddsTheDefaultExtension) {
  DialogScript script;
  script.ChooseFile("/tmp/data/131105_0930");
  TSaveDialog dlg;
  dlg.Filter = "Файлы *.zrn|*.zrn|Все файлы (*.*)|*.*"_cp;
  dlg.DefaultExt = "*.zrn";
  dlg.InitialDir = "/tmp/data";
  dlg.FileName = "131105_0930";
  dlg.Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/tmp/data/131105_0930.zrn");
  ASSERT_EQ(script.FileDialogs().size(), 1u);
  const FileDialogRecord& r = script.FileDialogs()[0];
  EXPECT_TRUE(r.Save);
  EXPECT_EQ(r.Filter, dlg.Filter);
  EXPECT_EQ(r.InitialDir, "/tmp/data");
  EXPECT_EQ(r.FileName, "131105_0930");
  EXPECT_TRUE(r.Options & ofOverwritePrompt);
}

TEST(FileDialogHook, ANameWithAnExtensionKeepsItAndCancelAnswersFalse) {
  DialogScript script;
  script.ChooseFile("/tmp/Flash.bin");
  script.CancelFileDialog();
  TOpenDialog dlg;
  dlg.DefaultExt = "zrn";
  dlg.Options |= ofFileMustExist;
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/tmp/Flash.bin");
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/tmp/Flash.bin");  // unchanged by a cancel
  EXPECT_FALSE(script.FileDialogs()[0].Save);
  EXPECT_FALSE(script.FileDialogs()[1].Accepted);
}

TEST(FileDialogHook, ADotInAFolderNameIsNoExtension) {
  DialogScript script;
  script.ChooseFile("/tmp/v1.2/131105_0930");
  TSaveDialog dlg;
  dlg.DefaultExt = "zrn";
  ASSERT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/tmp/v1.2/131105_0930.zrn");
}

TEST(RealMessageBox, EnterTakesTheDefaultButtonEscTheCancel) {
  // No script: the toolkit's box opens, a key answers it.
  struct Case {
    unsigned flags;
    Word key;
    int expected;
  };
  const Case cases[] = {
      {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, VK_RETURN, IDNO},
      {MB_YESNO | MB_ICONQUESTION, VK_RETURN, IDYES},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, VK_RETURN, IDRETRY},
      {MB_RETRYCANCEL | MB_ICONWARNING, VK_ESCAPE, IDCANCEL},
      {MB_OK | MB_ICONERROR, VK_ESCAPE, IDOK},
  };
  for (const Case& c : cases) {
    simulate::PressKeyInNextDialog(c.key);
    EXPECT_EQ(MessageBox("Вопрос"_cp, "t", c.flags), c.expected) << c.flags;
  }
}

TEST(RealFileDialog, EscCancelsAndEnterTakesTheProposedNameWithTheExtension) {
  support::ScratchFolder scratch("gui_dialog_test_");
  const std::string dir = scratch.Folder().string();
  TOpenDialog open;
  open.InitialDir = dir;
  open.Filter = "Файлы *.zrn|*.zrn|Все файлы (*.*)|*.*"_cp;
  simulate::PressKeyInNextDialog(VK_ESCAPE);
  EXPECT_FALSE(open.Execute());

  TSaveDialog save;
  save.InitialDir = dir;
  save.Filter = open.Filter;
  save.DefaultExt = "*.zrn";
  save.FileName = "131105_0930";
  save.Options |= ofOverwritePrompt;
  simulate::PressKeyInNextDialog(VK_RETURN);
  ASSERT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, dir + "/131105_0930.zrn");
}
