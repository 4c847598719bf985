// The program-information dialog: the program's name, the application
// title, its version with the build date, and the copyright.
#pragma once
#include "app/VersionInfo.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"

namespace app {

class TAboutBox : public gui::TForm {
 public:
  explicit TAboutBox(gui::TComponent* owner);

  gui::TLabel* ProductName;
  gui::TLabel* Version;
  gui::TLabel* Copyright;
  gui::TButton* OKButton;

  // Fills the caption, the version line and the copyright from a version block.
  void ShowVersionInfo(const TVersionInfo& info);

 private:
  void FormCreate();
};

}  // namespace app
