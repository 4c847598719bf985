// The real program, started against a simulated recorder on a loopback
// RFC 2217 port and ended the way the desktop ends it: it must close its
// window, save its settings and exit with status 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/serial/rfc2217_server.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/simulated_recorder.h"

#ifdef ZARNIK_PROGRAM

namespace {

namespace fs = std::filesystem;

std::string FileText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs the program in folder until its configuration shows it has started,
// lets it settle, sends signalName and answers the exit status as the shell
// reports it (128 + n when signal n ended it).
int RunAndSignal(const ScratchFolder& folder, int serverPort, const std::string& signalName) {
  fs::create_directories(folder.Folder() / "config" / "zarnik");
  std::ofstream(folder.Folder() / "config" / "zarnik" / "ports") << "COM1=rfc2217://127.0.0.1:" << serverPort << "\n";
  fs::copy_file(ZARNIK_PROGRAM, folder.Folder() / "zarnik");
  const std::string script =
      "cd '" + folder.Path() + "' && export XDG_CONFIG_HOME=\"$PWD/config\" QT_QPA_PLATFORM=offscreen; " +
      "./zarnik >out.txt 2>&1 & pid=$!; "
      "for i in $(seq 300); do grep -q Uses Zarnik.ini 2>/dev/null && break; sleep 0.05; done; sleep 2; "
      "kill -" +
      signalName +
      " $pid; "
      "for i in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done; "
      "kill -KILL $pid 2>/dev/null; wait $pid; exit $?";
  const int status = std::system(script.c_str());
  return (status >> 8) & 0xFF;
}

TEST(ProgramExit, TerminationSignalsCloseTheWindowSavingSettings) {
  auto recorder = std::make_shared<sim::SimulatedRecorder>();
  serial::Rfc2217Server server(recorder);
  ASSERT_TRUE(server.Listen("127.0.0.1", 0));
  for (const char* signalName : {"TERM", "INT"}) {
    SCOPED_TRACE(signalName);
    ScratchFolder folder("zarnik-exit-");
    EXPECT_EQ(RunAndSignal(folder, server.BoundPort(), signalName), 0) << FileText(folder.Folder() / "out.txt");
    // The bounds are written only by the close handler.
    const std::string ini = FileText(folder.Folder() / "Zarnik.ini");
    EXPECT_NE(ini.find("Width="), std::string::npos) << ini;
    EXPECT_NE(ini.find("Maximized=0"), std::string::npos) << ini;
  }
  server.Stop();
}

}  // namespace

#endif
