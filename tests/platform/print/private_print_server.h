// A print server of the test's own: cupsd started on a free loopback port
// with its configuration, spool and logs in a scratch folder, and one queue
// "ZarnikPDF" whose jobs pass the PDF filters (copies, page ranges, sizes)
// and land as a PDF file. Stopped, and its folder removed, with the object.
// Available() is false, with Reason() saying why, when cupsd cannot run at
// all here; the tests skip then.
#pragma once
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/external_tools.h"
#include "support/scratch_folder.h"

class PrivatePrintServer {
 public:
  static constexpr const char* kQueue = "ZarnikPDF";

  PrivatePrintServer() : folder_("zarnik-cups-") { Start(); }
  ~PrivatePrintServer() { Stop(); }
  PrivatePrintServer(const PrivatePrintServer&) = delete;
  PrivatePrintServer& operator=(const PrivatePrintServer&) = delete;

  bool Available() const { return pid_ > 0 && queueReady_; }
  const std::string& Reason() const { return reason_; }
  // "127.0.0.1:port", for the client library.
  std::string Server() const { return "127.0.0.1:" + std::to_string(port_); }
  // Where the queue writes the last job.
  std::string OutputFile() const { return folder_.File("out/job.pdf"); }

  // Adds a queue without a driver (a raw queue): its jobs pass no filter,
  // and SpooledDocument keeps each job's bytes as the server received them.
  // False when lpadmin refused it.
  bool AddRawQueue(const std::string& queue) const {
    Run("lpadmin -h " + Server() + " -p " + queue + " -E -v file:///dev/null 2>&1");
    return Run("lpstat -h " + Server() + " -p " + queue + " 2>&1").find(queue) != std::string::npos;
  }

  // Adds a queue made from the given PPD text (its jobs go nowhere). False
  // when lpadmin refused it.
  bool AddPpdQueue(const std::string& queue, const std::string& ppd) const {
    Write("ppd/" + queue + ".ppd", ppd);
    Run("lpadmin -h " + Server() + " -p " + queue + " -E -v file:///dev/null -P " +
        folder_.File("ppd/" + queue + ".ppd") + " 2>&1");
    return Run("lpstat -h " + Server() + " -p " + queue + " 2>&1").find(queue) != std::string::npos;
  }

  // Adds a driverless queue the way the scheduler makes one for an IPP
  // Everywhere printer: lpadmin asks the printer (here the scheduler's own
  // queue kQueue, which answers IPP) and writes the PPD from its answers.
  bool AddDriverlessQueue(const std::string& queue) const {
    Run("timeout 60 lpadmin -h " + Server() + " -p " + queue + " -E -v ipp://127.0.0.1:" + std::to_string(port_) +
        "/printers/" + kQueue + " -m everywhere 2>&1");
    return Run("lpstat -h " + Server() + " -p " + queue + " 2>&1").find(queue) != std::string::npos;
  }

  // Waits until the queue has no unfinished job; false after the time-out.
  bool WaitForJobs(std::chrono::seconds limit = std::chrono::seconds(60), const std::string& queue = kQueue) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      const std::string pending = Run("lpstat -h " + Server() + " -W not-completed -o " + queue + " 2>&1");
      if (pending.find(queue) == std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  // The completed jobs as lpstat lists them.
  std::string CompletedJobs() const { return Run("lpstat -h " + Server() + " -W completed -o " + kQueue + " 2>&1"); }
  // The document of a job as the server spooled it (kept after the job).
  std::string SpooledDocument(int jobId) const {
    char name[32];
    std::snprintf(name, sizeof name, "spool/d%05d-001", jobId);
    std::ifstream in(folder_.File(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string ErrorLog() const {
    std::ifstream in(folder_.File("log/error_log"));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static std::string Run(const std::string& command) { return support::CommandOutput(command); }

 private:
  static bool Executable(const char* path) { return access(path, X_OK) == 0; }

  static int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      port = ntohs(a.sin_port);
    close(s);
    return port;
  }

  bool Accepting() const {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port_));
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
  }

  void Write(const std::string& name, const std::string& text) const { std::ofstream(folder_.File(name)) << text; }

  void Start() {
    if (!Executable("/usr/sbin/cupsd") || !Executable("/usr/sbin/lpadmin")) {
      reason_ = "cupsd or lpadmin is not installed (Debian packages cups, cups-filters)";
      return;
    }
    if (!Executable("/usr/lib/cups/filter/pdftopdf")) {
      reason_ = "the PDF filters are not installed (Debian package cups-filters)";
      return;
    }
    port_ = FreePort();
    if (port_ == 0) {
      reason_ = "no free loopback port";
      return;
    }
    namespace fs = std::filesystem;
    for (const char* d : {"spool", "tmp", "cache", "state", "log", "out", "ppd"}) fs::create_directory(folder_.File(d));
    // The filters run as an unprivileged user: they must reach the folder.
    for (const char* d : {"", "spool", "tmp", "cache", "state", "log", "out", "ppd"})
      chmod(folder_.File(d).c_str(), 01777);
    Write("cupsd.conf", "Listen 127.0.0.1:" + std::to_string(port_) +
                            "\nLogLevel info\nBrowsing Off\nDefaultAuthType None\nWebInterface No\nDefaultPaperSize "
                            "A4\nPreserveJobFiles Yes\n"
                            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                            "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
    Write("cups-files.conf", "ServerRoot " + folder_.Path() + "\nRequestRoot " + folder_.File("spool") + "\nTempDir " +
                                 folder_.File("tmp") + "\nCacheDir " + folder_.File("cache") + "\nStateDir " +
                                 folder_.File("state") + "\nErrorLog " + folder_.File("log/error_log") +
                                 "\nAccessLog " + folder_.File("log/access_log") + "\nPageLog " +
                                 folder_.File("log/page_log") +
                                 "\nFileDevice Yes\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n");
    Write("ppd/zarnik.ppd", kPpd);
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      const std::string conf = folder_.File("cupsd.conf"), files = folder_.File("cups-files.conf");
      // A scheduler of its own must not talk to the system's.
      setenv("CUPS_SERVERROOT", folder_.Path().c_str(), 1);
      execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid_ < 0) {
      reason_ = "fork failed";
      return;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!Accepting()) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        reason_ = "cupsd could not start: " + ErrorLog();
        return;
      }
      if (std::chrono::steady_clock::now() > end) {
        reason_ = "cupsd did not listen within 15 s";
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string out = Run("lpadmin -h " + Server() + " -p " + kQueue + " -E -v file://" + OutputFile() + " -P " +
                                folder_.File("ppd/zarnik.ppd") + " -o PageSize=A4 2>&1 && lpadmin -h " + Server() +
                                " -d " + kQueue + " 2>&1");
    queueReady_ = Run("lpstat -h " + Server() + " -p " + kQueue + " 2>&1").find(kQueue) != std::string::npos;
    if (!queueReady_) reason_ = "the queue could not be made: " + out;
  }

  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // A PDF printer with three sizes (with unprintable margins), trays and
  // duplex; pdftopdf makes the copies.
  static constexpr const char* kPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "ZPDF.PPD"
*Manufacturer: "Zarnik"
*Product: "(Zarnik PDF)"
*ModelName: "Zarnik PDF"
*ShortNickName: "Zarnik PDF"
*NickName: "Zarnik PDF"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "10"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsManualCopies: True
*cupsFilter: "application/vnd.cups-pdf 0 -"
*OpenUI *PageSize/Page Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: ""
*PageSize A5/A5: ""
*PageSize Letter/US Letter: ""
*CloseUI: *PageSize
*OpenUI *PageRegion/Page Region: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: ""
*PageRegion A5/A5: ""
*PageRegion Letter/US Letter: ""
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "11.34 14.17 578.27 827.72"
*ImageableArea A5/A5: "11.34 14.17 408.19 581.1"
*ImageableArea Letter/US Letter: "18 36 594 756"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595.28 841.89"
*PaperDimension A5/A5: "419.53 595.28"
*PaperDimension Letter/US Letter: "612 792"
*OpenUI *InputSlot/Media Source: PickOne
*OrderDependency: 20 AnySetup *InputSlot
*DefaultInputSlot: Auto
*InputSlot Auto/Automatic: ""
*InputSlot Upper/Upper Tray: ""
*InputSlot Lower/Lower Tray: ""
*InputSlot Manual/Manual Feed: ""
*CloseUI: *InputSlot
*OpenUI *Duplex/Two-Sided: PickOne
*OrderDependency: 30 AnySetup *Duplex
*DefaultDuplex: None
*Duplex None/Off: ""
*Duplex DuplexNoTumble/Long Edge: ""
*Duplex DuplexTumble/Short Edge: ""
*CloseUI: *Duplex
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 40 AnySetup *Resolution
*DefaultResolution: 300dpi
*Resolution 300dpi/300 DPI: ""
*CloseUI: *Resolution
*DefaultFont: Courier
*Font Courier: Standard "(001.004)" Standard ROM
)PPD";

  support::ScratchFolder folder_;
  int port_ = 0;
  pid_t pid_ = -1;
  bool queueReady_ = false;
  std::string reason_;
};
