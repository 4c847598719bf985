#include "preview/vuzPrinter.h"

#include <algorithm>
#include <cmath>

#include "platform/print/print_destinations.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/textcase.h"
#include "report/vuzRes.h"

namespace preview {

using report::vuzResources;

// --- named numbers --------------------------------------------------------------

int TfrxNamedNumbers::IndexOfNumber(int number) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].second == number) return static_cast<int>(i);
  return -1;
}

int TfrxNamedNumbers::IndexOfName(const AnsiString& name) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (rtl::AnsiSameText(items_[i].first, name)) return static_cast<int>(i);
  return -1;
}

// --- canvas -----------------------------------------------------------------------

TfrxPrinterCanvas::TfrxPrinterCanvas(TfrxCustomPrinter* printer, rtl::TStream& output, int dpiX, int dpiY)
    : gfx::TDocumentCanvas(output, gfx::TDocumentFormat::Pdf, dpiX, dpiY, gfx::dkPrinter), printer_(printer) {}

void TfrxPrinterCanvas::Changing() {
  gfx::TDocumentCanvas::Changing();
  UpdateFont();
}

void TfrxPrinterCanvas::UpdateFont() {
  const int dpi = printer_ && printer_->DPIY() > 0 ? printer_->DPIY() : PixelsPerInchY();
  gfx::TFont& font = Font();
  if (font.PixelsPerInch() == dpi) return;
  const int points = font.Size();
  font.SetPixelsPerInch(dpi);
  font.SetSize(points);
}

// --- base printer -------------------------------------------------------------------

TfrxCustomPrinter::TfrxCustomPrinter(const AnsiString& name, const AnsiString& port) : name_(name), port_(port) {
  bins_.Add(vuzResources().Get("prDefault"), DMBIN_AUTO);
  papers_.Add(vuzResources().Get("prCustom"), report::DMPAPER_USER);
  RecreateCanvas();
}

TfrxCustomPrinter::~TfrxCustomPrinter() = default;

gfx::TCanvas& TfrxCustomPrinter::PageCanvas() { return *canvas_; }

void TfrxCustomPrinter::RecreateCanvas() {
  canvas_.reset();
  docStream_.Clear();
  canvas_ = std::make_unique<TfrxPrinterCanvas>(this, docStream_, dpiX_ > 0 ? dpiX_ : 96, dpiY_ > 0 ? dpiY_ : 96);
  if (!DocumentTitle().empty()) canvas_->SetTitle(rtl::AnsiToUtf8(DocumentTitle()));
}

int TfrxCustomPrinter::BinNameToNumber(const AnsiString& name) const {
  const int i = bins_.IndexOfName(name);
  return bins_.Number(i >= 0 ? i : 0);
}

int TfrxCustomPrinter::PaperNameToNumber(const AnsiString& name) const {
  const int i = papers_.IndexOfName(name);
  return papers_.Number(i >= 0 ? i : 0);
}

// --- virtual printer ------------------------------------------------------------------

void TfrxVirtualPrinter::Init() {
  if (initialized_) return;
  dpiX_ = dpiY_ = 600;
  defPaper_ = report::DMPAPER_A4;
  defOrientation_ = poPortrait;
  defPaperWidth_ = 210;
  defPaperHeight_ = 297;
  for (const report::TPaperInfo& p : report::vuzPaperInfo) papers_.Add(p.Name, p.Typ);
  bin_ = -1;
  duplex_ = -1;
  RecreateCanvas();
  initialized_ = true;
}

void TfrxVirtualPrinter::SetViewParams(int paperSize, long double paperWidth, long double paperHeight,
                                       TPrinterOrientation orientation) {
  long double w = 0, h = 0;
  if (paperSize != report::DMPAPER_USER && report::vuzGetPaperDimensions(paperSize, w, h)) {
    if (orientation == poLandscape) std::swap(w, h);
    paperWidth = w;
    paperHeight = h;
  } else {
    paperSize = report::DMPAPER_USER;
  }
  orientation_ = orientation;
  paper_ = paperSize;
  paperWidth_ = paperWidth;
  paperHeight_ = paperHeight;
  leftMargin_ = topMargin_ = rightMargin_ = bottomMargin_ = 5;
}

void TfrxVirtualPrinter::SetPrintParams(int paperSize, long double paperWidth, long double paperHeight,
                                        TPrinterOrientation orientation, int binNo, int, int) {
  SetViewParams(paperSize, paperWidth, paperHeight, orientation);
  bin_ = binNo;
}

// --- trays ------------------------------------------------------------------------------

int vuzBinOfTray(const std::string& keyword, int position) {
  static const std::pair<const char*, int> kKnown[] = {
      {"auto", DMBIN_AUTO},         {"top", DMBIN_UPPER},
      {"main", DMBIN_UPPER},        {"bottom", DMBIN_LOWER},
      {"middle", DMBIN_MIDDLE},     {"manual", DMBIN_MANUAL},
      {"envelope", DMBIN_ENVELOPE}, {"large-capacity", DMBIN_LARGECAPACITY}};
  for (const auto& [name, bin] : kKnown)
    if (keyword == name) return bin;
  if (keyword.rfind("tray-", 0) == 0 && keyword.size() > 5 &&
      std::all_of(keyword.begin() + 5, keyword.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
      keyword.size() < 9)
    return DMBIN_USER + std::stoi(keyword.substr(5));
  return 2 * DMBIN_USER + position;
}

// --- system printer -----------------------------------------------------------------------

void TfrxPrinter::Init() {
  if (initialized_) return;
  print::TDestination dest;
  std::string error;
  if (!print::QueryDestination(rtl::AnsiToUtf8(name_), dest, error)) return;  // stays uninitialized

  dpiX_ = dest.DpiX > 0 ? dest.DpiX : 300;
  dpiY_ = dest.DpiY > 0 ? dest.DpiY : dpiX_;
  media_.clear();
  for (const print::TMedia& m : dest.Media) {
    const int paper = report::vuzFindPaperNumber(m.WidthMM, m.HeightMM);
    media_.push_back({m.Name, paper, m.WidthMM, m.HeightMM, m.LeftMM, m.TopMM, m.RightMM, m.BottomMM});
    if (paper != report::DMPAPER_USER) papers_.Add(rtl::Utf8ToAnsi(m.DisplayName), paper);
  }
  trays_.clear();
  for (std::size_t i = 0; i < dest.Trays.size(); ++i) {
    const int bin = vuzBinOfTray(dest.Trays[i].Keyword, static_cast<int>(i));
    trays_.emplace_back(dest.Trays[i].Keyword, bin);
    if (bin != DMBIN_AUTO) bins_.Add(rtl::Utf8ToAnsi(dest.Trays[i].DisplayName), bin);
  }
  canDuplex_ = dest.CanDuplex;
  defaultSides_ = dest.DefaultSides;
  defDuplex_ = defaultSides_ == print::kTwoSidedLongEdge    ? DMDUP_VERTICAL
               : defaultSides_ == print::kTwoSidedShortEdge ? DMDUP_HORIZONTAL
                                                            : DMDUP_SIMPLEX;
  defBin_ = dest.DefaultTray.empty() ? DMBIN_AUTO : vuzBinOfTray(dest.DefaultTray, 0);
  for (const auto& [keyword, bin] : trays_)
    if (keyword == dest.DefaultTray) defBin_ = bin;

  const TfrxMediaEntry* def = nullptr;
  for (const TfrxMediaEntry& m : media_)
    if (m.Keyword == dest.DefaultMedia) def = &m;
  if (!def && !media_.empty()) def = &media_.front();
  if (def) {
    ApplyMedia(*def, poPortrait);
    defPaper_ = def->Paper;
  } else {
    // A destination that names no media: A4 without margins.
    const TfrxMediaEntry a4{"iso_a4_210x297mm", report::DMPAPER_A4, 210, 297, 0, 0, 0, 0};
    ApplyMedia(a4, poPortrait);
    defPaper_ = report::DMPAPER_A4;
  }
  paper_ = defPaper_;
  defPaperWidth_ = paperWidth_;
  defPaperHeight_ = paperHeight_;
  defOrientation_ = poPortrait;
  orientation_ = poPortrait;
  bin_ = -1;
  duplex_ = -1;
  RecreateCanvas();
  initialized_ = true;
}

const TfrxPrinter::TfrxMediaEntry* TfrxPrinter::MediaOfPaper(int paperNo) const {
  for (const TfrxMediaEntry& m : media_)
    if (m.Paper == paperNo) return &m;
  return nullptr;
}

void TfrxPrinter::ApplyMedia(const TfrxMediaEntry& m, TPrinterOrientation orientation) {
  // Sizes and margins are whole millimetres, as the device reports them.
  auto mm = [](long double v) { return static_cast<long double>(rtl::Round(static_cast<double>(v))); };
  paperWidth_ = mm(m.Width);
  paperHeight_ = mm(m.Height);
  leftMargin_ = mm(m.Left);
  topMargin_ = mm(m.Top);
  rightMargin_ = mm(m.Right);
  bottomMargin_ = mm(m.Bottom);
  if (orientation == poLandscape) {
    // The paper turns a quarter anticlockwise: the left margin goes to the bottom.
    std::swap(paperWidth_, paperHeight_);
    const long double l = leftMargin_, t = topMargin_, r = rightMargin_, b = bottomMargin_;
    leftMargin_ = t;
    bottomMargin_ = l;
    rightMargin_ = b;
    topMargin_ = r;
  }
}

void TfrxPrinter::SetViewParams(int paperSize, long double paperWidth, long double paperHeight,
                                TPrinterOrientation orientation) {
  if (paperSize == report::DMPAPER_USER) {
    SetViewParams(report::DMPAPER_A4, 0, 0, orientation);
    paperWidth_ = paperWidth;
    paperHeight_ = paperHeight;
  } else if (const TfrxMediaEntry* m = MediaOfPaper(paperSize)) {
    ApplyMedia(*m, orientation);
  } else {
    long double w = 0, h = 0;
    if (!report::vuzGetPaperDimensions(paperSize, w, h)) {
      w = paperWidth;
      h = paperHeight;
    }
    // A paper the device does not list keeps the margins of the current one.
    const TfrxMediaEntry table{"", paperSize, w, h, 0, 0, 0, 0};
    const long double l = leftMargin_, t = topMargin_, r = rightMargin_, b = bottomMargin_;
    ApplyMedia(table, orientation);
    leftMargin_ = l;
    topMargin_ = t;
    rightMargin_ = r;
    bottomMargin_ = b;
  }
  paper_ = paperSize;
  orientation_ = orientation;
}

std::string TfrxPrinter::TrayOfBin(int binNo) const {
  if (binNo == DMBIN_AUTO) return {};
  for (const auto& [keyword, bin] : trays_)
    if (bin == binNo) return keyword;
  return {};
}

std::string TfrxPrinter::SidesOfDuplex(int duplex) {
  switch (duplex) {
    case DMDUP_VERTICAL: return print::kTwoSidedLongEdge;
    case DMDUP_HORIZONTAL: return print::kTwoSidedShortEdge;
    default: return print::kOneSided;
  }
}

void TfrxPrinter::SetPrintParams(int paperSize, long double paperWidth, long double paperHeight,
                                 TPrinterOrientation orientation, int binNo, int duplex, int copies) {
  SetViewParams(paperSize, paperWidth, paperHeight, orientation);
  TfrxJobSettings s;
  if (paperSize == report::DMPAPER_USER) {
    // A self-describing custom size: what the sheet measures in portrait.
    const long double w = orientation == poLandscape ? paperHeight : paperWidth;
    const long double h = orientation == poLandscape ? paperWidth : paperHeight;
    const std::string size = rtl::FloatToStr(static_cast<double>(rtl::Round(static_cast<double>(w) * 10) / 10.0)) +
                             "x" + rtl::FloatToStr(static_cast<double>(rtl::Round(static_cast<double>(h) * 10) / 10.0));
    std::string dotted = size;
    std::replace(dotted.begin(), dotted.end(), ',', '.');
    s.Media = "custom_" + dotted + "mm_" + dotted + "mm";
  } else if (const TfrxMediaEntry* m = MediaOfPaper(paperSize)) {
    s.Media = m->Keyword;
  }
  // Automatic: the bin chosen in the properties dialog, else the default.
  const int bin = binNo == DMBIN_AUTO ? (bin_ != -1 ? bin_ : defBin_) : binNo;
  s.Tray = TrayOfBin(bin);
  int dup = duplex != dmNone ? duplex + 1 : defDuplex_;
  if (duplex_ != -1) dup = duplex_;
  if (dup == 4) dup = DMDUP_SIMPLEX;
  s.Sides = canDuplex_ ? SidesOfDuplex(dup) : std::string();
  s.Copies = std::max(1, copies);
  s.Collate = Collate;
  pending_ = s;
}

void TfrxPrinter::PropertiesDlg() {
  if (!OnPropertiesDialog) return;
  int bin = bin_, duplex = duplex_;
  if (OnPropertiesDialog(*this, bin, duplex)) {
    bin_ = bin;
    duplex_ = duplex;
  }
}

void TfrxPrinter::BeginDoc() {
  printing_ = true;
  lastJobs_.clear();
  lastError_.clear();
  runs_.clear();
  pagesBegun_ = 0;
  RecreateCanvas();
}

void TfrxPrinter::BeginPage() {
  TfrxJobSettings s = pending_;
  if (runs_.empty() || !(runs_.back().second == s)) runs_.emplace_back(pagesBegun_ + 1, s);
  ++pagesBegun_;
  auto dots = [](long double mm, int dpi) { return static_cast<int>(std::lround(mm / 25.4L * dpi)); };
  canvas_->BeginPage({dots(paperWidth_, dpiX_), dots(paperHeight_, dpiY_)});
  canvas_->UpdateFont();
}

void TfrxPrinter::EndPage() { canvas_->EndPage(); }

void TfrxPrinter::SendDocument(const std::string& bytes, bool raw) {
  if (!FileName.empty()) {
    rtl::SaveFileAtomically(FileName, bytes);
    return;
  }
  const std::string destination = rtl::AnsiToUtf8(name_);
  const std::string title = rtl::AnsiToUtf8(DocumentTitle());
  std::vector<std::pair<int, TfrxJobSettings>> runs = runs_;
  if (raw || runs.empty()) runs.assign(1, {1, pending_});
  for (std::size_t i = 0; i < runs.size(); ++i) {
    print::TJob job;
    job.Title = title;
    job.Raw = raw;
    job.Media = runs[i].second.Media;
    job.Tray = runs[i].second.Tray;
    job.Sides = runs[i].second.Sides;
    job.Copies = runs[i].second.Copies;
    job.Collate = runs[i].second.Collate;
    if (runs.size() > 1) {
      const int last = i + 1 < runs.size() ? runs[i + 1].first - 1 : pagesBegun_;
      job.PageRanges = std::to_string(runs[i].first) + "-" + std::to_string(last);
    }
    std::string error;
    const int id = print::SubmitJob(destination, job, bytes, error);
    if (id <= 0) throw rtl::EInOutError(rtl::Utf8ToAnsi(error));
    lastJobs_.push_back(id);
  }
}

void TfrxPrinter::EndDoc() {
  printing_ = false;
  try {
    canvas_->EndDocument();
    if (pagesBegun_ > 0) SendDocument(docStream_.Bytes(), false);
  } catch (const rtl::Exception& e) {
    // Never raises: the caller learns of a failure through LastError.
    lastError_ = e.Message();
  }
  RecreateCanvas();
  bin_ = -1;
  duplex_ = -1;
  runs_.clear();
  pagesBegun_ = 0;
}

void TfrxPrinter::Abort() {
  printing_ = false;
  rawDoc_ = false;
  rawBuffer_.clear();
  runs_.clear();
  pagesBegun_ = 0;
  RecreateCanvas();  // the rendered pages are dropped, nothing is sent
  bin_ = -1;
  duplex_ = -1;
}

void TfrxPrinter::BeginRAWDoc() {
  rawDoc_ = true;
  rawBuffer_.clear();
  lastJobs_.clear();
  lastError_.clear();
}

void TfrxPrinter::WriteRAWDoc(const AnsiString& buffer) {
  if (rawDoc_) rawBuffer_ += buffer;
}

void TfrxPrinter::EndRAWDoc() {
  if (!rawDoc_) return;
  rawDoc_ = false;
  try {
    SendDocument(rawBuffer_, true);
  } catch (const rtl::Exception& e) {
    lastError_ = e.Message();
  }
  rawBuffer_.clear();
}

// --- the list ------------------------------------------------------------------------------------

TfrxPrinters::TfrxPrinters() {
  FillPrinters();
  if (!printers_.empty()) {
    hasPhysicalPrinters_ = true;
    const int def = IndexOf(GetDefaultPrinter());
    SetPrinterIndex(def >= 0 ? def : 0);
  } else {
    printers_.push_back(std::make_unique<TfrxVirtualPrinter>(vuzResources().Get("prVirtual"), ""));
    hasPhysicalPrinters_ = false;
    SetPrinterIndex(0);
  }
}

TfrxPrinters::~TfrxPrinters() { Clear(); }

int TfrxPrinters::AddPrinter(std::unique_ptr<TfrxCustomPrinter> printer) {
  if (!hasPhysicalPrinters_) {
    printers_.clear();
    names_.clear();
    hasPhysicalPrinters_ = true;
  }
  names_.push_back(printer->Name());
  printers_.push_back(std::move(printer));
  return static_cast<int>(printers_.size()) - 1;
}

void TfrxPrinters::Clear() {
  printers_.clear();
  names_.clear();
}

void TfrxPrinters::FillPrinters() {
  Clear();
  std::string def;
  for (const std::string& name : print::DestinationNames(&def)) {
    const AnsiString ansi = rtl::Utf8ToAnsi(name);
    printers_.push_back(std::make_unique<TfrxPrinter>(ansi, ""));
    names_.push_back(ansi);
  }
  defaultName_ = rtl::Utf8ToAnsi(def);
}

TfrxCustomPrinter* TfrxPrinters::GetItem(int index) const {
  if (index < 0 || index >= static_cast<int>(printers_.size())) return nullptr;
  return printers_[static_cast<std::size_t>(index)].get();
}

int TfrxPrinters::IndexOf(const AnsiString& name) const {
  for (std::size_t i = 0; i < printers_.size(); ++i)
    if (rtl::AnsiSameText(printers_[i]->Name(), name)) return static_cast<int>(i);
  return -1;
}

void TfrxPrinters::SetPrinterIndex(int index) {
  if (index == -1) index = IndexOf(GetDefaultPrinter());
  printerIndex_ = index;
  if (TfrxCustomPrinter* p = GetItem(index)) p->Init();
}

AnsiString TfrxPrinters::GetDefaultPrinter() const { return defaultName_; }

namespace {
std::unique_ptr<TfrxPrinters>& PrinterList() {
  static std::unique_ptr<TfrxPrinters> list;
  return list;
}
}  // namespace

TfrxPrinters& vuzPrinters() {
  auto& list = PrinterList();
  if (!list) list = std::make_unique<TfrxPrinters>();
  return *list;
}

void vuzResetPrinters() { PrinterList().reset(); }

}  // namespace preview
