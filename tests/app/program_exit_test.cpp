// The real program, started against a simulated recorder on a loopback
// RFC 2217 port and ended the way the desktop ends it: it must close its
// window, save its settings and exit with status 0. It runs on the platform
// the test is given (offscreen by default; ctest runs it on Xvfb too, where
// its windows and boxes are real X windows).
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
// lets it settle for settleSeconds (long enough for a box of the start-up or
// of a download to open), sends signalName and answers the exit status as
// the shell reports it (128 + n when signal n ended it, 137 when it still
// ran 5 s after the signal and had to be killed).
int RunAndSignal(const ScratchFolder& folder, const std::string& portsLine, const std::string& signalName,
                 int settleSeconds = 2) {
  fs::create_directories(folder.Folder() / "config" / "zarnik");
  std::ofstream(folder.Folder() / "config" / "zarnik" / "ports") << portsLine;
  fs::copy_file(ZARNIK_PROGRAM, folder.Folder() / "zarnik");
  const std::string script =
      "cd '" + folder.Path() + "' && export XDG_CONFIG_HOME=\"$PWD/config\" " +
      "QT_QPA_PLATFORM=\"${QT_QPA_PLATFORM:-offscreen}\"; " +
      "./zarnik >out.txt 2>&1 & pid=$!; "
      "for i in $(seq 300); do grep -q Uses Zarnik.ini 2>/dev/null && break; sleep 0.05; done; sleep " +
      std::to_string(settleSeconds) + "; kill -" + signalName +
      " $pid; "
      "for i in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done; "
      "kill -KILL $pid 2>/dev/null; wait $pid; exit $?";
  const int status = std::system(script.c_str());
  return (status >> 8) & 0xFF;
}

std::string PortsLine(int serverPort) { return "COM1=rfc2217://127.0.0.1:" + std::to_string(serverPort) + "\n"; }

// The bounds are written only by the close handler.
void ExpectSettingsSaved(const ScratchFolder& folder) {
  const std::string ini = FileText(folder.Folder() / "Zarnik.ini");
  EXPECT_NE(ini.find("Width="), std::string::npos) << ini;
  EXPECT_NE(ini.find("Maximized=0"), std::string::npos) << ini;
}

TEST(ProgramExit, TerminationSignalsCloseTheWindowSavingSettings) {
  auto recorder = std::make_shared<sim::SimulatedRecorder>();
  serial::Rfc2217Server server(recorder);
  ASSERT_TRUE(server.Listen("127.0.0.1", 0));
  for (const char* signalName : {"TERM", "INT"}) {
    SCOPED_TRACE(signalName);
    ScratchFolder folder("zarnik-exit-");
    EXPECT_EQ(RunAndSignal(folder, PortsLine(server.BoundPort()), signalName), 0)
        << FileText(folder.Folder() / "out.txt");
    ExpectSettingsSaved(folder);
  }
  server.Stop();
}

// No port named: the start-up asks whether to go on without the recorder.
// The signal closes that box and the program ends as it would otherwise.
TEST(ProgramExit, TerminationSignalsEndTheStartUpQuestion) {
  for (const char* signalName : {"TERM", "INT"}) {
    SCOPED_TRACE(signalName);
    ScratchFolder folder("zarnik-exit-");
    EXPECT_EQ(RunAndSignal(folder, "", signalName, 3), 0) << FileText(folder.Folder() / "out.txt");
    ExpectSettingsSaved(folder);
  }
}

// The archive folder cannot hold files, so the first download stops at the
// box "cannot create the archive file": the signal ends it as a cancel.
TEST(ProgramExit, TerminationSignalEndsTheBoxOfADownload) {
  auto recorder = std::make_shared<sim::SimulatedRecorder>();
  recorder->WithModel([](sim::RecorderModel& m) {
    sim::AddDemoProcesses(m);
    return 0;
  });
  serial::Rfc2217Server server(recorder);
  ASSERT_TRUE(server.Listen("127.0.0.1", 0));
  ScratchFolder folder("zarnik-exit-");
  fs::create_directory_symlink("/proc/1/fdinfo", folder.Folder() / "Data");
  EXPECT_EQ(RunAndSignal(folder, PortsLine(server.BoundPort()), "TERM", 4), 0) << FileText(folder.Folder() / "out.txt");
  ExpectSettingsSaved(folder);
  server.Stop();
}

}  // namespace

#endif
