// The notes dialog: both notes of the selected process and the two note
// titles, which caption the list's note columns.
#pragma once
#include "app/NoteFile.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/strings.h"

namespace app {

class TForm1;

// Titles are read back into 40 bytes.
constexpr int kNoteTitleMaxLength = 39;

class TfrmNoteEdit : public gui::TForm {
 public:
  TfrmNoteEdit(gui::TComponent* owner, TForm1& main);

  gui::TCheckBox* CheckBoxTitle;
  gui::TGroupBox* GroupBox1;
  gui::TGroupBox* GroupBox2;
  gui::TEdit* EditTitle1;
  gui::TEdit* EditTitle2;
  gui::TEdit* EditNote1;
  gui::TEdit* EditNote2;
  gui::TButton* btnCancel;
  gui::TButton* btnSave;

  void CheckBoxTitleClick(gui::TObject* Sender);
  void btnSaveClick(gui::TObject* Sender);
  void btnCancelClick(gui::TObject* Sender);

 private:
  TForm1& main_;
  rtl::AnsiString fileName_;
  bool changed1_ = false, changed2_ = false;
};

}  // namespace app
