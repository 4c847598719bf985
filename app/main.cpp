// The recorder program.
#include <exception>

#include "app/FormMain.h"
#include "app/ProgramStartup.h"
#include "platform/gui/application.h"
#include "platform/gui/termination.h"

int main() {
  using namespace gui;
  Application->Initialize();
  Application->SetTitle(app::kApplicationTitle);
  CloseMainFormOnTerminationSignals();
  const app::TProgramStartup startup;
  try {
    Application->CreateForm<app::TForm1>();
    Application->Run();
  } catch (const std::exception& e) {
    Application->ShowException(e);
  }
  // The windows go while the toolkit is still there: the application object
  // itself is static and would otherwise free them after the toolkit's own
  // statics have gone.
  Application->DestroyComponents();
  return 0;
}
