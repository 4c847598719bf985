#include "platform/print/print_destinations.h"

#include <cups/cups.h>

#include <mutex>

#include "platform/print/ppd_choices_p.h"
#include "platform/print/shown_names_p.h"

namespace print {

namespace {

std::mutex serverLock;

// The destination list of one look-up, freed on every path.
struct DestList {
  cups_dest_t* dests = nullptr;
  int count = 0;
  DestList() { count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests); }
  ~DestList() { cupsFreeDests(count, dests); }
  DestList(const DestList&) = delete;
  DestList& operator=(const DestList&) = delete;
  cups_dest_t* Find(const std::string& name) const { return cupsGetDest(name.c_str(), nullptr, count, dests); }
};

// A connection of our own to the server, for the names people see. The
// library's shared default connection (CUPS_HTTP_DEFAULT) serves every other
// call, but the localizing ones refuse it and answer nothing, so the bare
// keywords would reach the user.
struct Connection {
  http_t* http = nullptr;
  Connection() : http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr)) {}
  ~Connection() {
    if (http) httpClose(http);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  http_t* Get() const { return http ? http : CUPS_HTTP_DEFAULT; }
};

struct DestInfo {
  cups_dinfo_t* info = nullptr;
  explicit DestInfo(cups_dest_t* dest) : info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {}
  ~DestInfo() {
    if (info) cupsFreeDestInfo(info);
  }
  DestInfo(const DestInfo&) = delete;
  DestInfo& operator=(const DestInfo&) = delete;
};

std::string Str(const char* s) { return s ? s : ""; }

// Where the names people see come from: the queue's PPD, and CUPS's texts
// asked over a connection of our own.
struct Names {
  http_t* http;
  TPpdChoices ppd;
};

TMedia MediaOf(const Names& names, cups_dest_t* dest, cups_dinfo_t* info, cups_size_t& size) {
  TMedia m;
  m.Name = size.media;
  // CUPS measures in hundredths of a millimetre.
  m.WidthMM = size.width / 100.0;
  m.HeightMM = size.length / 100.0;
  m.LeftMM = size.left / 100.0;
  m.TopMM = size.top / 100.0;
  m.RightMM = size.right / 100.0;
  m.BottomMM = size.bottom / 100.0;
  const std::string cupsText = Str(cupsLocalizeDestMedia(names.http, dest, info, CUPS_MEDIA_FLAGS_DEFAULT, &size));
  m.DisplayName = ShownMediaName(m.Name, FindPageSize(names.ppd.PageSizes, m.Name, m.WidthMM, m.HeightMM), cupsText);
  return m;
}

void ReadResolution(cups_dest_t* dest, cups_dinfo_t* info, TDestination& out) {
  ipp_attribute_t* res = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
  if (!res) res = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution");
  if (!res || ippGetValueTag(res) != IPP_TAG_RESOLUTION) return;
  int y = 0;
  ipp_res_t units = IPP_RES_PER_INCH;
  int x = ippGetResolution(res, 0, &y, &units);
  if (units == IPP_RES_PER_CM) {
    x = static_cast<int>(x * 2.54 + 0.5);
    y = static_cast<int>(y * 2.54 + 0.5);
  }
  out.DpiX = x;
  out.DpiY = y;
}

void ReadTrays(const Names& names, cups_dest_t* dest, cups_dinfo_t* info, TDestination& out) {
  ipp_attribute_t* sources = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "media-source");
  const int count = sources ? ippGetCount(sources) : 0;
  for (int i = 0; i < count; ++i) {
    TTray t;
    t.Keyword = Str(ippGetString(sources, i, nullptr));
    if (t.Keyword.empty()) continue;
    const std::string cupsText = Str(cupsLocalizeDestValue(names.http, dest, info, "media-source", t.Keyword.c_str()));
    const TPpdChoice* slot =
        FindInputSlot(names.ppd.InputSlots, t.Keyword, static_cast<std::size_t>(i), static_cast<std::size_t>(count));
    t.DisplayName = ShownTrayName(t.Keyword, slot, cupsText);
    out.Trays.push_back(t);
  }
  if (ipp_attribute_t* d = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "media-source"))
    out.DefaultTray = Str(ippGetString(d, 0, nullptr));
}

}  // namespace

void SetServer(const std::string& server) {
  std::lock_guard<std::mutex> lock(serverLock);
  cupsSetServer(server.empty() ? nullptr : server.c_str());
}

std::vector<std::string> DestinationNames(std::string* defaultName) {
  DestList list;
  std::vector<std::string> names;
  if (defaultName) defaultName->clear();
  for (int i = 0; i < list.count; ++i) {
    if (list.dests[i].instance) continue;  // instances share their printer's name
    names.emplace_back(list.dests[i].name);
    if (defaultName && list.dests[i].is_default) *defaultName = list.dests[i].name;
  }
  return names;
}

bool QueryDestination(const std::string& name, TDestination& out, std::string& error) {
  out = TDestination{};
  DestList list;
  cups_dest_t* dest = list.Find(name);
  if (!dest) {
    error = "No printer named " + name;
    return false;
  }
  DestInfo info(dest);
  if (!info.info) {
    error = "The printer " + name + " does not answer: " + Str(cupsLastErrorString());
    return false;
  }
  const Connection connection;
  const Names names{connection.Get(), ReadPpdChoices(connection.Get(), name)};
  out.Name = name;
  out.Info = Str(cupsGetOption("printer-info", dest->num_options, dest->options));
  out.IsDefault = dest->is_default != 0;
  ReadResolution(dest, info.info, out);

  const int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest, info.info, CUPS_MEDIA_FLAGS_DEFAULT);
  for (int i = 0; i < count; ++i) {
    cups_size_t size{};
    if (cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest, info.info, i, CUPS_MEDIA_FLAGS_DEFAULT, &size))
      out.Media.push_back(MediaOf(names, dest, info.info, size));
  }
  // The server's own default first: the library's fallback follows the
  // client's locale, not the printer.
  cups_size_t def{};
  bool haveDefault = false;
  if (ipp_attribute_t* md = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info.info, "media")) {
    const char* keyword = ippGetString(md, 0, nullptr);
    haveDefault =
        keyword && cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, dest, info.info, keyword, CUPS_MEDIA_FLAGS_DEFAULT, &def);
  }
  if (!haveDefault)
    haveDefault = cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info.info, CUPS_MEDIA_FLAGS_DEFAULT, &def);
  if (haveDefault) {
    out.DefaultMedia = def.media;
    bool listed = false;
    for (const TMedia& m : out.Media) listed = listed || m.Name == out.DefaultMedia;
    if (!listed) out.Media.push_back(MediaOf(names, dest, info.info, def));
  }
  ReadTrays(names, dest, info.info, out);
  out.CanDuplex = cupsCheckDestSupported(CUPS_HTTP_DEFAULT, dest, info.info, "sides", kTwoSidedLongEdge) != 0;
  if (ipp_attribute_t* sides = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info.info, "sides"))
    out.DefaultSides = Str(ippGetString(sides, 0, nullptr));
  return true;
}

int SubmitJob(const std::string& destination, const TJob& job, std::string_view document, std::string& error) {
  DestList list;
  cups_dest_t* dest = list.Find(destination);
  if (!dest) {
    error = "No printer named " + destination;
    return 0;
  }
  DestInfo info(dest);
  if (!info.info) {
    error = "The printer " + destination + " does not answer: " + Str(cupsLastErrorString());
    return 0;
  }
  cups_option_t* options = nullptr;
  int n = 0;
  n = cupsAddIntegerOption("copies", job.Copies > 0 ? job.Copies : 1, n, &options);
  if (!job.Raw) {
    if (!job.Media.empty()) n = cupsAddOption("media", job.Media.c_str(), n, &options);
    if (!job.Tray.empty()) n = cupsAddOption("media-source", job.Tray.c_str(), n, &options);
    if (!job.Sides.empty()) n = cupsAddOption("sides", job.Sides.c_str(), n, &options);
    if (!job.PageRanges.empty()) n = cupsAddOption("page-ranges", job.PageRanges.c_str(), n, &options);
    n = cupsAddOption("multiple-document-handling",
                      job.Collate ? "separate-documents-collated-copies" : "separate-documents-uncollated-copies", n,
                      &options);
    n = cupsAddOption("collate", job.Collate ? "true" : "false", n, &options);
  }
  int jobId = 0;
  const char* title = job.Title.c_str();
  ipp_status_t status = cupsCreateDestJob(CUPS_HTTP_DEFAULT, dest, info.info, &jobId, title, n, options);
  if (status > IPP_STATUS_OK_CONFLICTING || jobId <= 0) {
    error = "The job could not be created: " + Str(cupsLastErrorString());
    cupsFreeOptions(n, options);
    return 0;
  }
  const char* format = job.Raw ? CUPS_FORMAT_RAW : CUPS_FORMAT_PDF;
  bool ok = cupsStartDestDocument(CUPS_HTTP_DEFAULT, dest, info.info, jobId, title, format, n, options, 1) ==
            HTTP_STATUS_CONTINUE;
  if (ok && !document.empty())
    ok = cupsWriteRequestData(CUPS_HTTP_DEFAULT, document.data(), document.size()) == HTTP_STATUS_CONTINUE;
  const ipp_status_t finished = cupsFinishDestDocument(CUPS_HTTP_DEFAULT, dest, info.info);
  cupsFreeOptions(n, options);
  if (!ok || finished > IPP_STATUS_OK_CONFLICTING) {
    error = "The job could not be sent: " + Str(cupsLastErrorString());
    cupsCancelDestJob(CUPS_HTTP_DEFAULT, dest, jobId);
    return 0;
  }
  return jobId;
}

}  // namespace print
