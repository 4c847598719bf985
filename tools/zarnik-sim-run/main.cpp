// zarnik-sim-run: starts the recorder program against a simulated recorder.
// It prepares a run folder beside the build's bin folder (the program with
// its own Data folder and Zarnik.ini), serves a simulated recorder holding a
// few processes of 3, 4 and 5 channels on a loopback RFC 2217 port, names it
// COM1 in a ports file of a configuration folder of its own (the user's
// configuration is never touched), runs the program (offscreen when there is
// no display) and stops the recorder when the program has ended.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/rtl/files.h"
#include "platform/serial/rfc2217_server.h"
#include "tests/support/simulated_recorder.h"

namespace fs = std::filesystem;

namespace {

void Usage() {
  std::printf(
      "usage: zarnik-sim-run [options]\n"
      "  --run-dir DIR   the run folder (default: run/ beside the build's bin/)\n"
      "  --fresh         empty the run folder's Data first\n"
      "  --no-pacing     the recorder answers at once instead of at 38400 baud\n"
      "  --seconds N     end the program after N seconds\n");
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path bin = rtl::NativePath(rtl::ProgramFolder());
  fs::path run = bin.parent_path().parent_path() / "run";
  bool fresh = false, pacing = true;
  long seconds = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--run-dir" && i + 1 < argc)
      run = argv[++i];
    else if (a == "--fresh")
      fresh = true;
    else if (a == "--no-pacing")
      pacing = false;
    else if (a == "--seconds" && i + 1 < argc)
      seconds = std::atol(argv[++i]);
    else {
      Usage();
      return a == "--help" || a == "-h" ? 0 : 2;
    }
  }

  const fs::path program = bin / "zarnik";
  if (!fs::exists(program)) {
    std::fprintf(stderr, "zarnik-sim-run: %s is not built\n", program.c_str());
    return 1;
  }
  // The program finds Data and Zarnik.ini beside its own file, so it runs from a copy.
  std::error_code ec;
  fs::create_directories(run / "Data", ec);
  if (fresh)
    for (auto& e : fs::directory_iterator(run / "Data")) fs::remove_all(e.path(), ec);
  // Copied beside and renamed into place: a copy of the program that still
  // runs from the old file keeps it, and writing over it would fail.
  fs::copy_file(program, run / "zarnik.new", fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(run / "zarnik.new", run / "zarnik", ec);
  if (ec) {
    std::fprintf(stderr, "zarnik-sim-run: cannot copy the program into %s: %s\n", run.c_str(), ec.message().c_str());
    return 1;
  }

  auto recorder = std::make_shared<sim::SimulatedRecorder>();
  recorder->WithModel([](sim::RecorderModel& m) {
    sim::AddDemoProcesses(m);
    return 0;
  });
  if (pacing) recorder->SetPacing(38400);
  serial::Rfc2217Server server(recorder);
  if (!server.Listen("127.0.0.1", 0)) {
    std::fprintf(stderr, "zarnik-sim-run: cannot listen on the loopback address\n");
    return 1;
  }
  const fs::path config = run / "config";
  fs::create_directories(config / "zarnik", ec);
  std::ofstream(config / "zarnik" / "ports")
      << "# written by zarnik-sim-run\nCOM1=rfc2217://127.0.0.1:" << server.BoundPort() << "\n";

  const bool headless = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
  std::string command = "cd " + Quote(run.string()) + " && XDG_CONFIG_HOME=" + Quote(config.string());
  if (headless) command += " QT_QPA_PLATFORM=offscreen";
#ifdef ZARNIK_LSAN_SUPPRESSIONS
  // A sanitizer build: the leaks the font and desktop libraries leave at
  // every exit are suppressed, so a clean session ends with status 0.
  if (!std::getenv("LSAN_OPTIONS"))
    command +=
        " LSAN_OPTIONS=" + Quote(std::string("suppressions=") + ZARNIK_LSAN_SUPPRESSIONS + ":print_suppressions=0");
#endif
  if (seconds > 0) command += " timeout " + std::to_string(seconds);
  command += " ./zarnik";
  std::printf("Recorder on COM1 = rfc2217://127.0.0.1:%d; program in %s%s\n", server.BoundPort(), run.c_str(),
              headless ? " (offscreen: no display)" : "");
  std::fflush(stdout);
  const int status = std::system(command.c_str());
  server.Stop();

  std::printf("Program ended. Archive in %s:\n", (run / "Data").c_str());
  for (auto& e : fs::directory_iterator(run / "Data"))
    std::printf("  %s  %ju bytes\n", e.path().filename().c_str(), static_cast<std::uintmax_t>(e.file_size()));
  // timeout(1) ends the program with 124 when --seconds ran out: that is the plan.
  const bool timedOut = seconds > 0 && ((status >> 8) & 0xFF) == 124;
  return status == 0 || timedOut ? 0 : 1;
}
