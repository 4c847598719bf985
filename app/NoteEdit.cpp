#include "app/NoteEdit.h"

#include "app/FormMain.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

TfrmNoteEdit::TfrmNoteEdit(TComponent* owner, TForm1& main) : TForm(owner), main_(main) {
  SetName("frmNoteEdit");
  SetCaption("Примечания к текущему процессу"_cp);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetBounds(0, 0, 520, 190);

  CheckBoxTitle = new TCheckBox(this);
  CheckBoxTitle->SetParent(this);
  CheckBoxTitle->SetCaption("Редактировать названия примечаний"_cp);
  CheckBoxTitle->SetBounds(8, 8, 300, 20);
  CheckBoxTitle->OnClick = [this](TObject* s) { CheckBoxTitleClick(s); };

  auto box = [this](int left, TEdit*& title, TEdit*& note) {
    auto* g = new TGroupBox(this);
    g->SetParent(this);
    g->SetBounds(left, 32, 248, 90);
    title = new TEdit(this);
    title->SetParent(g);
    title->SetBounds(8, 20, 232, 22);
    title->SetEnabled(false);
    title->SetMaxLength(kNoteTitleMaxLength);
    note = new TEdit(this);
    note->SetParent(g);
    note->SetBounds(8, 54, 232, 22);
    note->SetMaxLength(static_cast<int>(kNoteMaxLength));
    return g;
  };
  GroupBox1 = box(8, EditTitle1, EditNote1);
  GroupBox2 = box(264, EditTitle2, EditNote2);

  btnCancel = new TButton(this);
  btnCancel->SetParent(this);
  btnCancel->SetCaption("Отмена"_cp);
  btnCancel->SetBounds(336, 132, 80, 26);
  btnCancel->SetCancel(true);
  btnCancel->OnClick = [this](TObject* s) { btnCancelClick(s); };
  btnSave = new TButton(this);
  btnSave->SetParent(this);
  btnSave->SetCaption("Сохранить"_cp);
  btnSave->SetBounds(424, 132, 80, 26);
  btnSave->SetDefault(true);
  btnSave->OnClick = [this](TObject* s) { btnSaveClick(s); };

  EditTitle1->SetText(main_.NoteTitle(1));
  EditTitle2->SetText(main_.NoteTitle(2));
  fileName_ = main_.RowFileName(main_.StringGridProcessList->Row());
  EditNote1->SetText(TForm1::ReadNote(fileName_, 1));
  EditNote2->SetText(TForm1::ReadNote(fileName_, 2));
  changed1_ = changed2_ = false;
  EditNote1->OnChange = [this](TObject*) { changed1_ = true; };
  EditNote2->OnChange = [this](TObject*) { changed2_ = true; };
}

void TfrmNoteEdit::CheckBoxTitleClick(TObject*) {
  EditTitle1->SetEnabled(CheckBoxTitle->Checked());
  EditTitle2->SetEnabled(CheckBoxTitle->Checked());
}

void TfrmNoteEdit::btnCancelClick(TObject*) { SetModalResult(mrCancel); }

void TfrmNoteEdit::btnSaveClick(TObject*) {
  if (changed1_) TForm1::WriteNote(fileName_, 1, EditNote1->Text());
  if (changed2_) TForm1::WriteNote(fileName_, 2, EditNote2->Text());
  if (EditTitle1->Text() != main_.NoteTitle(1)) {
    main_.SetNoteTitle(1, EditTitle1->Text());
    TForm1::IniWrite("Config", "Note1Name", EditTitle1->Text());
  }
  if (EditTitle2->Text() != main_.NoteTitle(2)) {
    main_.SetNoteTitle(2, EditTitle2->Text());
    TForm1::IniWrite("Config", "Note2Name", EditTitle2->Text());
  }
  SetModalResult(mrOk);
}

}  // namespace app
