#include "app/ShrinkBase.h"

#include "app/FormMain.h"
#include "platform/rtl/format.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

bool ParseShrinkBase(const AnsiString& text, double& millimetres) {
  AnsiString t = text;
  const char sep = rtl::CurrentFormatSettings().DecimalSeparator;
  for (char& c : t)
    if (c == '.') c = sep;
  double v = 0;
  if (!rtl::TryStrToFloat(t, v)) return false;
  if (!(v > 0)) return false;
  millimetres = v;
  return true;
}

float StoredShrinkBase() {
  double v = 150;
  if (!ParseShrinkBase(TForm1::IniRead("Config", "ShrinkBase", ""), v)) v = 150;
  return static_cast<float>(v * 1000);
}

TfrmShrinkBase::TfrmShrinkBase(TComponent* owner, float& base) : TForm(owner), base_(base) {
  SetName("frmShrinkBase");
  SetCaption("База датчика усадки"_cp);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetBounds(0, 0, 360, 150);
  SetKeyPreview(true);
  auto label = [this](int top, const AnsiString& text) {
    auto* l = new TLabel(this);
    l->SetParent(this);
    l->SetBounds(12, top, 336, 16);
    l->SetCaption(text);
  };
  label(10, "Введите значение расстояния между точками крепления прибора"_cp);
  label(28, "при полностью вдвинутом положении датчика усадки"_cp);
  EditShrinkBase = new TEdit(this);
  EditShrinkBase->SetName("EditShrinkBase");
  EditShrinkBase->SetParent(this);
  EditShrinkBase->SetBounds(120, 54, 90, 21);
  auto* unit = new TLabel(this);
  unit->SetParent(this);
  unit->SetBounds(216, 57, 30, 16);
  unit->SetCaption("мм"_cp);
  ButtonOK = new TButton(this);
  ButtonOK->SetName("ButtonOK");
  ButtonOK->SetParent(this);
  ButtonOK->SetBounds(140, 88, 75, 25);
  ButtonOK->SetCaption("ОК"_cp);
  ButtonOK->SetModalResult(mrOk);

  double v = 150;
  if (!ParseShrinkBase(TForm1::IniRead("Config", "ShrinkBase", ""), v)) v = 150;
  base_ = static_cast<float>(v * 1000);
  EditShrinkBase->SetText(rtl::FloatToStr(v));
  EditShrinkBase->OnChange = [this](TObject*) { EditShrinkBaseChange(); };
  EditShrinkBase->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) SetModalResult(mrOk);
  };
  OnKeyUp = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) SetModalResult(mrOk);
    if (key == VK_ESCAPE) SetModalResult(mrCancel);
  };
}

void TfrmShrinkBase::EditShrinkBaseChange() {
  double v = 0;
  if (ParseShrinkBase(EditShrinkBase->Text(), v)) {
    base_ = static_cast<float>(v * 1000);
    TForm1::IniWrite("Config", "ShrinkBase", rtl::FormatFloat("0.###", v));
    EditShrinkBase->Font().SetColor(clBlack);
  } else {
    EditShrinkBase->Font().SetColor(clRed);
  }
}

}  // namespace app
