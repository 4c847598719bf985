// The system's printers as CUPS destinations: their names and the default,
// what each one offers (resolution, media with unprintable margins, trays,
// two-sided printing), and jobs sent to them. Texts are UTF-8 as CUPS gives
// them; the callers convert at their edge. No CUPS type leaks out of here.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace print {

// A paper size the destination offers, sizes and margins in millimetres.
struct TMedia {
  std::string Name;         // the keyword sent back in a job ("iso_a4_210x297mm", "A4")
  std::string DisplayName;  // as the destination names it for people
  double WidthMM = 0, HeightMM = 0;
  double LeftMM = 0, TopMM = 0, RightMM = 0, BottomMM = 0;
};

struct TTray {
  std::string Keyword;  // "auto", "tray-1", "manual", ...
  std::string DisplayName;
};

struct TDestination {
  std::string Name;
  std::string Info;  // the description the administrator gave
  bool IsDefault = false;
  int DpiX = 0, DpiY = 0;  // 0 when the destination does not say
  std::vector<TMedia> Media;
  std::string DefaultMedia;  // a Name of Media, empty when unknown
  std::vector<TTray> Trays;
  std::string DefaultTray;
  bool CanDuplex = false;
  std::string DefaultSides;  // "one-sided", "two-sided-long-edge", ...
};

// The sides keywords of a job.
inline constexpr const char* kOneSided = "one-sided";
inline constexpr const char* kTwoSidedLongEdge = "two-sided-long-edge";
inline constexpr const char* kTwoSidedShortEdge = "two-sided-short-edge";

struct TJob {
  std::string Title;
  std::string Media;       // a media keyword, or "" for the destination's default
  std::string Tray;        // a tray keyword, or "" for automatic
  std::string Sides;       // a sides keyword, or "" for the default
  std::string PageRanges;  // "1-3,5", or "" for every page
  int Copies = 1;
  bool Collate = true;
  bool Raw = false;  // the bytes go to the printer as they are (else they are PDF)
};

// The server asked: "host:port" or a socket path; empty goes back to the
// system's choice (CUPS_SERVER, client.conf, the local scheduler).
void SetServer(const std::string& server);

// The destinations' names in the server's order; defaultName (when given)
// receives the default destination's name, empty when there is none.
std::vector<std::string> DestinationNames(std::string* defaultName = nullptr);

// What one destination offers; false with error set when it cannot be asked.
bool QueryDestination(const std::string& name, TDestination& out, std::string& error);

// Sends a document as one job; answers the job id, 0 with error set on failure.
int SubmitJob(const std::string& destination, const TJob& job, std::string_view document, std::string& error);

}  // namespace print
