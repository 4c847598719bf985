// The GUI bindings from scripts, offscreen: a script in each of the four
// languages reads an ini file, builds a dialog form with an edit and a
// button, changes typed keys in a key-press handler, refuses the first close
// in a close-query handler and shows the form modally; the test types and
// clicks through gui::DialogScript. Also the constants and the members a
// form inherits from TCustomForm, and the dialogs.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/textcase.h"
#include "script/fs_iclassesrtti.h"
#include "script/fs_iformsrtti_gui.h"
#include "script/fs_iinirtti.h"
#include "script/fs_iinterpreter.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/watchdog.h"

namespace script {
namespace {

struct GuiBindings : ::testing::Test {
  void SetUp() override {
    gui::Application->Initialize();
    fsClassesRTTIStartup();
    fsIniRTTIStartup();
    fsGuiBindingsStartup();
    support::WriteFile(iniPath, "[Dialog]\r\nCaption=Hello\r\n");
  }
  void TearDown() override {
    fsGuiBindingsShutdown();
    fsIniRTTIShutdown();
    fsClassesRTTIShutdown();
  }
  std::unique_ptr<TfsScript> Compiled(const char* language, const AnsiString& program) {
    auto script = std::make_unique<TfsScript>(nullptr);
    script->AddRTTI();
    script->SyntaxType = language;
    script->Lines.SetText(program);
    EXPECT_TRUE(script->Compile()) << language << ": " << script->ErrorMessage << " at " << script->ErrorPosition;
    return script;
  }
  support::ScratchFolder folder;
  const std::string iniPath = folder.File("dialog.ini");
};

AnsiString Replace(AnsiString text, const AnsiString& from, const AnsiString& to) {
  return rtl::StringReplace(text, from, to, rtl::rfReplaceAll);
}

TEST_F(GuiBindings, ScriptsInEveryLanguageBuildAndDriveADialog) {
  support::Watchdog watchdog(std::chrono::seconds(60));
  struct Case {
    const char* language;
    const char* program;
  };
  const Case cases[] = {
      {"PascalScript",
       "var ini: TIniFile; f: TForm; e: TEdit; b: TButton; tries, r: Integer; typed, caption: String;\r\n"
       "procedure EditKeyPress(Sender: TObject; var Key: Char);\r\n"
       "begin\r\n  if Key = 'a' then Key := 'b';\r\nend;\r\n"
       "procedure FormCloseQuery(Sender: TObject; var CanClose: Boolean);\r\n"
       "begin\r\n  tries := tries + 1;\r\n  CanClose := tries > 1;\r\nend;\r\n"
       "begin\r\n"
       "  ini := TIniFile.Create('INI');\r\n"
       "  f := TForm.Create(nil);\r\n"
       "  f.Caption := ini.ReadString('Dialog', 'Caption', 'none');\r\n"
       "  e := TEdit.Create(f); e.Parent := f; e.SetBounds(8, 8, 120, 21);\r\n"
       "  e.OnKeyPress := 'EditKeyPress';\r\n"
       "  b := TButton.Create(f); b.Parent := f; b.Caption := 'OK'; b.ModalResult := mrOk;\r\n"
       "  b.SetBounds(8, 40, 75, 25);\r\n"
       "  f.OnCloseQuery := 'FormCloseQuery';\r\n"
       "  r := f.ShowModal;\r\n"
       "  typed := e.Text; caption := f.Caption;\r\n"
       "  f.Free; ini.Free;\r\n"
       "end.\r\n"},
      {"C++Script",
       "TIniFile ini; TForm f; TEdit e; TButton b; int tries = 0, r; string typed, caption;\r\n"
       "void EditKeyPress(TObject Sender, string &Key) { if (Key == \"a\") Key = \"b\"; }\r\n"
       "void FormCloseQuery(TObject Sender, bool &CanClose) { tries = tries + 1; CanClose = tries > 1; }\r\n"
       "{\r\n"
       "  ini = new TIniFile(\"INI\");\r\n"
       "  f = new TForm(nil);\r\n"
       "  f.Caption = ini.ReadString(\"Dialog\", \"Caption\", \"none\");\r\n"
       "  e = new TEdit(f); e.Parent = f; e.SetBounds(8, 8, 120, 21);\r\n"
       "  e.OnKeyPress = \"EditKeyPress\";\r\n"
       "  b = new TButton(f); b.Parent = f; b.Caption = \"OK\"; b.ModalResult = mrOk;\r\n"
       "  b.SetBounds(8, 40, 75, 25);\r\n"
       "  f.OnCloseQuery = \"FormCloseQuery\";\r\n"
       "  r = f.ShowModal();\r\n"
       "  typed = e.Text; caption = f.Caption;\r\n"
       "  f.Free(); ini.Free();\r\n"
       "}\r\n"},
      {"JScript",
       "var ini, f, e, b, tries = 0, r, typed, caption;\r\n"
       "function EditKeyPress(Sender, &Key) { if (Key == \"a\") Key = \"b\"; }\r\n"
       "function FormCloseQuery(Sender, &CanClose) { tries = tries + 1; CanClose = tries > 1; }\r\n"
       "ini = new TIniFile(\"INI\");\r\n"
       "f = new TForm(nil);\r\n"
       "f.Caption = ini.ReadString(\"Dialog\", \"Caption\", \"none\");\r\n"
       "e = new TEdit(f); e.Parent = f; e.SetBounds(8, 8, 120, 21);\r\n"
       "e.OnKeyPress = \"EditKeyPress\";\r\n"
       "b = new TButton(f); b.Parent = f; b.Caption = \"OK\"; b.ModalResult = mrOk;\r\n"
       "b.SetBounds(8, 40, 75, 25);\r\n"
       "f.OnCloseQuery = \"FormCloseQuery\";\r\n"
       "r = f.ShowModal();\r\n"
       "typed = e.Text; caption = f.Caption;\r\n"
       "f.Free(); ini.Free();\r\n"},
      {"BasicScript",
       "dim ini, f, e, b, tries, r, typed, caption\r\n"
       "sub EditKeyPress(Sender, byref Key)\r\n"
       "  if Key = \"a\" then Key = \"b\"\r\n"
       "end sub\r\n"
       "sub FormCloseQuery(Sender, byref CanClose)\r\n"
       "  tries = tries + 1\r\n"
       "  CanClose = tries > 1\r\n"
       "end sub\r\n"
       "tries = 0\r\n"
       "ini = new TIniFile(\"INI\")\r\n"
       "f = new TForm(nil)\r\n"
       "f.Caption = ini.ReadString(\"Dialog\", \"Caption\", \"none\")\r\n"
       "e = new TEdit(f)\r\n"
       "e.Parent = f\r\n"
       "e.SetBounds(8, 8, 120, 21)\r\n"
       "e.OnKeyPress = \"EditKeyPress\"\r\n"
       "b = new TButton(f)\r\n"
       "b.Parent = f\r\n"
       "b.Caption = \"OK\"\r\n"
       "b.ModalResult = mrOk\r\n"
       "b.SetBounds(8, 40, 75, 25)\r\n"
       "f.OnCloseQuery = \"FormCloseQuery\"\r\n"
       "r = f.ShowModal()\r\n"
       "typed = e.Text\r\n"
       "caption = f.Caption\r\n"
       "f.Free()\r\n"
       "ini.Free()\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    auto script = Compiled(c.language, Replace(c.program, "INI", iniPath));
    if (!script) continue;
    gui::DialogScript dialogs;
    bool stayedOpen = false;
    dialogs.OnModal([&](gui::TForm& form) {
      gui::TEdit* edit = nullptr;
      gui::TButton* button = nullptr;
      for (int i = 0; i < form.ControlCount(); ++i) {
        if (!edit) edit = dynamic_cast<gui::TEdit*>(form.Controls(i));
        if (!button) button = dynamic_cast<gui::TButton*>(form.Controls(i));
      }
      ASSERT_NE(edit, nullptr);
      ASSERT_NE(button, nullptr);
      edit->SetFocus();
      gui::simulate::TypeText(*edit, "cat");
      // The first close is refused by the script's close-query handler...
      stayedOpen = !form.CloseQuery() && form.Visible();
      // ...the button's close, the second, goes through.
      gui::simulate::Click(*button, 5, 5);
    });
    script->Execute();
    EXPECT_EQ(script->ErrorMessage, "");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(script->GetVariables("typed").AsString(), "cbt");
    EXPECT_EQ(script->GetVariables("caption").AsString(), "Hello");
    EXPECT_EQ(script->GetVariables("r").AsInteger(), 1);
    EXPECT_EQ(script->GetVariables("tries").AsInteger(), 2);
  }
}

TEST_F(GuiBindings, ConstantsAndMembersOnDescendantClasses) {
  auto script =
      Compiled("PascalScript",
               "var f: TForm; l: TListBox; r: String;\r\n"
               "begin\r\n"
               "  f := TForm.Create(nil); f.ModalResult := mrCancel;\r\n"
               "  l := TListBox.Create(f); l.Parent := f;\r\n"
               "  r := IntToStr(f.ModalResult) + ',' + IntToStr(VK_F12) + ',' + IntToStr(crHandPoint) + ','\r\n"
               "    + IntToStr(clMoneyGreen) + ',' + IntToStr(VK_NUMPAD9) + ',' + IntToStr(l.SelCount);\r\n"
               "  f.Free;\r\n"
               "end.");
  script->Execute();
  EXPECT_EQ(script->ErrorMessage, "");
  EXPECT_EQ(script->GetVariables("r").AsString(), "2,123,-21,12639424,105,0");
}

TEST_F(GuiBindings, InputQueryWritesTheTypedTextBack) {
  support::Watchdog watchdog(std::chrono::seconds(30));
  auto script = Compiled("PascalScript",
                         "var s: String; ok: Boolean;\r\n"
                         "begin s := 'old'; ok := InputQuery('Title', 'Name:', s); end.");
  gui::DialogScript dialogs;
  dialogs.OnModal([](gui::TForm& form) {
    auto* edit = dynamic_cast<gui::TEdit*>(form.FindComponent("Edit"));
    ASSERT_NE(edit, nullptr);
    edit->SetText("new");
    form.SetModalResult(gui::mrOk);
  });
  script->Execute();
  EXPECT_TRUE(script->GetVariables("ok").AsBoolean());
  EXPECT_EQ(script->GetVariables("s").AsString(), "new");
}

}  // namespace
}  // namespace script
