// The recorder program.
#include <exception>

#include "app/FormMain.h"
#include "platform/gui/application.h"

int main() {
  using namespace gui;
  Application->Initialize();
  Application->SetTitle(app::kApplicationTitle);
  try {
    Application->CreateForm<app::TForm1>();
    Application->Run();
  } catch (const std::exception& e) {
    Application->ShowException(e);
  }
  return 0;
}
