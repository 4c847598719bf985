#include "app/GetSHTType.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

TGetSHT::TGetSHT(TComponent* owner) : TForm(owner) {
  SetName("GetSHT");
  SetCaption("Тип датчика влажности"_cp);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetBounds(0, 0, 300, 210);
  Memo1 = new TMemo(this);
  Memo1->SetParent(this);
  Memo1->SetBounds(8, 8, 276, 84);
  Memo1->SetLines({"Неизвестен тип датчика "_cp, "температуры-влажности. "_cp, "При неверном выборе "_cp,
                   "показания будут отличаться от "_cp, "действительных"_cp});
  Memo1->SetReadOnly(true);
  auto radio = [this](const AnsiString& caption, int top, int result) {
    auto* r = new TRadioButton(this);
    r->SetParent(this);
    r->SetCaption(caption);
    r->SetBounds(16, top, 200, 20);
    r->OnClick = [this, result](TObject*) { Choose(result); };
    return r;
  };
  RadioButtonSHT15 = radio("SHT15", 100, 21);
  RadioButtonSHT21 = radio("SHT21", 124, 33);
  RadioButtonUnknown = radio("Не известно"_cp, 148, -1);
}

void TGetSHT::Choose(int result) {
  result_ = result;
  SetModalResult(mrOk);
}

}  // namespace app
