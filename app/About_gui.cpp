#include "app/About_gui.h"

#include "platform/gui/application.h"
#include "platform/rtl/files.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

TAboutBox::TAboutBox(TComponent* owner) : TForm(owner) {
  SetName("AboutBox");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetBounds(0, 0, 330, 190);
  SetKeyPreview(true);
  auto label = [this](const char* name, int top, int height) {
    auto* l = new TLabel(this);
    l->SetName(name);
    l->SetParent(this);
    l->SetAutoSize(false);
    l->SetWordWrap(true);
    l->SetAlignment(taCenter);
    l->SetBounds(12, top, 306, height);
    return l;
  };
  ProductName = label("ProductName", 16, 20);
  ProductName->Font().SetBold(true);
  Version = label("Version", 48, 20);
  Copyright = label("Copyright", 76, 40);
  OKButton = new TButton(this);
  OKButton->SetName("OKButton");
  OKButton->SetParent(this);
  OKButton->SetCaption("OK");
  OKButton->SetBounds(127, 124, 75, 25);
  OKButton->SetModalResult(mrOk);
  OKButton->SetDefault(true);
  OnKeyUp = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_ESCAPE) SetModalResult(mrCancel);
  };
  FormCreate();
}

void TAboutBox::FormCreate() {
  const AnsiString program = rtl::ExtractFileName(rtl::ParamStr(0));
  SetCaption("О программе "_cp + rtl::ChangeFileExt(program, ""));
  ProductName->SetCaption(Application->Title());
}

void TAboutBox::ShowVersionInfo(const TVersionInfo& info) {
  SetCaption("О программе "_cp + info.InternalName);
  Version->SetCaption(VersionLine(info.FileVersion, info.BuildDate));
  Copyright->SetCaption(info.LegalCopyright);
}

}  // namespace app
