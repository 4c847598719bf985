// The report engine's printers: the process-wide list vuzPrinters with its
// current printer, the printers of the system (CUPS destinations, reached
// through platform/print), the virtual printer that stands in when none is
// installed, and the printer canvas, whose fonts follow the printer's
// resolution. Documents are rendered as PDF through the graphics layer and
// sent as jobs; print-to-file writes that same PDF.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/document_canvas.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "report/vuzPaperSizes.h"

namespace preview {

using rtl::AnsiString;

enum TPrinterOrientation { poPortrait, poLandscape };
enum TfrxDuplexMode { dmNone, dmVertical, dmHorizontal, dmSimplex };

// Windows bin numbers the engine knows by name.
inline constexpr int DMBIN_UPPER = 1;
inline constexpr int DMBIN_LOWER = 2;
inline constexpr int DMBIN_MIDDLE = 3;
inline constexpr int DMBIN_MANUAL = 4;
inline constexpr int DMBIN_ENVELOPE = 5;
inline constexpr int DMBIN_AUTO = 7;
inline constexpr int DMBIN_LARGECAPACITY = 11;
inline constexpr int DMBIN_USER = 256;
// Windows duplex numbers.
inline constexpr int DMDUP_SIMPLEX = 1;
inline constexpr int DMDUP_VERTICAL = 2;
inline constexpr int DMDUP_HORIZONTAL = 3;

inline constexpr const char* kDefaultDocumentTitle = "Rezi Zuzore Document";

// A list of (name, number) pairs: the papers and bins of a printer.
class TfrxNamedNumbers {
 public:
  void Add(const AnsiString& name, int number) { items_.emplace_back(name, number); }
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  const AnsiString& Name(int index) const { return items_[static_cast<std::size_t>(index)].first; }
  int Number(int index) const { return items_[static_cast<std::size_t>(index)].second; }
  int IndexOfNumber(int number) const;
  // 1251 case ignored; -1 when absent.
  int IndexOfName(const AnsiString& name) const;

 private:
  std::vector<std::pair<AnsiString, int>> items_;
};

class TfrxCustomPrinter;

// Draws the pages of one printer's documents into PDF. Before every drawing
// operation its font is brought to the printer's resolution (same point size).
class TfrxPrinterCanvas : public gfx::TDocumentCanvas {
 public:
  TfrxPrinterCanvas(TfrxCustomPrinter* printer, rtl::TStream& output, int dpiX, int dpiY);
  TfrxCustomPrinter* Printer() const { return printer_; }
  void UpdateFont();

 protected:
  void Changing() override;

 private:
  TfrxCustomPrinter* printer_;
};

class TfrxCustomPrinter {
 public:
  TfrxCustomPrinter(const AnsiString& name, const AnsiString& port);
  virtual ~TfrxCustomPrinter();
  TfrxCustomPrinter(const TfrxCustomPrinter&) = delete;
  TfrxCustomPrinter& operator=(const TfrxCustomPrinter&) = delete;

  virtual void Init() = 0;
  virtual void Abort() = 0;
  virtual void BeginDoc() = 0;
  virtual void BeginPage() = 0;
  virtual void BeginRAWDoc() = 0;
  virtual void EndDoc() = 0;
  virtual void EndPage() = 0;
  virtual void EndRAWDoc() = 0;
  virtual void WriteRAWDoc(const AnsiString& buffer) = 0;
  virtual void SetViewParams(int paperSize, long double paperWidth, long double paperHeight,
                             TPrinterOrientation orientation) = 0;
  virtual void SetPrintParams(int paperSize, long double paperWidth, long double paperHeight,
                              TPrinterOrientation orientation, int binNo, int duplex, int copies) = 0;
  virtual void PropertiesDlg() = 0;
  // Fonts the printer has of its own, besides the machine's (none for a
  // queue that prints what it is sent as PDF).
  virtual std::vector<AnsiString> DeviceFonts() const { return {}; }

  int BinIndex(int binNo) const { return bins_.IndexOfNumber(binNo); }
  int PaperIndex(int paperNo) const { return papers_.IndexOfNumber(paperNo); }
  // The number of the entry with that name, else of the first entry (7 or 256).
  int BinNameToNumber(const AnsiString& name) const;
  int PaperNameToNumber(const AnsiString& name) const;

  const AnsiString& Name() const { return name_; }
  const AnsiString& Port() const { return port_; }
  const TfrxNamedNumbers& Bins() const { return bins_; }
  const TfrxNamedNumbers& Papers() const { return papers_; }
  TfrxPrinterCanvas& Canvas() { return *canvas_; }
  // What pages are drawn on (a recording printer of the tests answers its own).
  virtual gfx::TCanvas& PageCanvas();
  int Bin() const { return bin_; }
  int Duplex() const { return duplex_; }
  int DefPaper() const { return defPaper_; }
  long double DefPaperWidth() const { return defPaperWidth_; }
  long double DefPaperHeight() const { return defPaperHeight_; }
  TPrinterOrientation DefOrientation() const { return defOrientation_; }
  int DefDuplex() const { return defDuplex_; }
  int DefBin() const { return defBin_; }
  int DPIX() const { return dpiX_; }
  int DPIY() const { return dpiY_; }
  bool Initialized() const { return initialized_; }
  int Paper() const { return paper_; }
  long double PaperWidth() const { return paperWidth_; }
  long double PaperHeight() const { return paperHeight_; }
  long double LeftMargin() const { return leftMargin_; }
  long double TopMargin() const { return topMargin_; }
  long double RightMargin() const { return rightMargin_; }
  long double BottomMargin() const { return bottomMargin_; }
  TPrinterOrientation Orientation() const { return orientation_; }
  bool Printing() const { return printing_; }

  // When set, the next document is written into this file instead of printed.
  AnsiString FileName;
  // The document's name for the print queue; empty: kDefaultDocumentTitle.
  AnsiString Title;

 protected:
  // A fresh canvas at the printer's resolution writing into docStream_.
  void RecreateCanvas();
  AnsiString DocumentTitle() const { return Title.empty() ? AnsiString(kDefaultDocumentTitle) : Title; }

  int bin_ = -1;
  int duplex_ = -1;
  TfrxNamedNumbers bins_;
  std::unique_ptr<TfrxPrinterCanvas> canvas_;
  rtl::TMemoryStream docStream_;
  TPrinterOrientation defOrientation_ = poPortrait;
  int defPaper_ = 0;
  long double defPaperHeight_ = 0, defPaperWidth_ = 0;
  int defDuplex_ = 0;
  int defBin_ = 0;
  int dpiX_ = 0, dpiY_ = 0;
  bool initialized_ = false;
  AnsiString name_;
  int paper_ = 0;
  TfrxNamedNumbers papers_;
  long double paperHeight_ = 0, paperWidth_ = 0;
  long double leftMargin_ = 0, topMargin_ = 0, rightMargin_ = 0, bottomMargin_ = 0;
  TPrinterOrientation orientation_ = poPortrait;
  AnsiString port_;
  bool printing_ = false;
};

// Stands in when no printer is installed: a 600 dpi A4 device that prints nothing.
class TfrxVirtualPrinter : public TfrxCustomPrinter {
 public:
  using TfrxCustomPrinter::TfrxCustomPrinter;
  void Init() override;
  void Abort() override {}
  void BeginDoc() override {}
  void BeginPage() override {}
  void BeginRAWDoc() override {}
  void EndDoc() override {}
  void EndPage() override {}
  void EndRAWDoc() override {}
  void WriteRAWDoc(const AnsiString&) override {}
  void SetViewParams(int paperSize, long double paperWidth, long double paperHeight,
                     TPrinterOrientation orientation) override;
  void SetPrintParams(int paperSize, long double paperWidth, long double paperHeight, TPrinterOrientation orientation,
                      int binNo, int duplex, int copies) override;
  void PropertiesDlg() override {}
};

// What a job carries for one run of pages; a change of tray or sides between
// pages starts a new run (one print queue job each).
struct TfrxJobSettings {
  std::string Media;
  std::string Tray;
  std::string Sides;
  int Copies = 1;
  bool Collate = true;
  bool operator==(const TfrxJobSettings&) const = default;
};

// A printer of the system (a CUPS destination).
class TfrxPrinter : public TfrxCustomPrinter {
 public:
  using TfrxCustomPrinter::TfrxCustomPrinter;
  void Init() override;
  void Abort() override;
  void BeginDoc() override;
  void BeginPage() override;
  void BeginRAWDoc() override;
  void EndDoc() override;
  void EndPage() override;
  void EndRAWDoc() override;
  void WriteRAWDoc(const AnsiString& buffer) override;
  void SetViewParams(int paperSize, long double paperWidth, long double paperHeight,
                     TPrinterOrientation orientation) override;
  void SetPrintParams(int paperSize, long double paperWidth, long double paperHeight, TPrinterOrientation orientation,
                      int binNo, int duplex, int copies) override;
  // There is no driver dialog here; the print dialog may install one that
  // picks a bin and a duplex mode (answering false when cancelled).
  void PropertiesDlg() override;
  std::function<bool(TfrxPrinter& printer, int& bin, int& duplex)> OnPropertiesDialog;

  // Whether collated copies are asked for (the print dialog sets it).
  bool Collate = true;
  // The tray keyword of a bin number, "" for automatic or unknown.
  std::string TrayOfBin(int binNo) const;
  // The sides keyword of a Windows duplex number.
  static std::string SidesOfDuplex(int duplex);
  // What the next page's job will carry (set by SetPrintParams).
  const TfrxJobSettings& PendingJob() const { return pending_; }
  // The job ids the last document was sent as (one per run of pages).
  const std::vector<int>& LastJobs() const { return lastJobs_; }
  // Why the last document failed, empty after a success.
  const AnsiString& LastError() const { return lastError_; }

 private:
  struct TfrxMediaEntry {
    std::string Keyword;
    int Paper;
    long double Width, Height, Left, Top, Right, Bottom;
  };
  const TfrxMediaEntry* MediaOfPaper(int paperNo) const;
  void ApplyMedia(const TfrxMediaEntry& m, TPrinterOrientation orientation);
  void SendDocument(const std::string& bytes, bool raw);

  std::vector<TfrxMediaEntry> media_;
  std::vector<std::pair<std::string, int>> trays_;  // keyword, bin number
  std::string defaultSides_;
  bool canDuplex_ = false;
  TfrxJobSettings pending_;                            // set by SetPrintParams
  std::vector<std::pair<int, TfrxJobSettings>> runs_;  // first page (1-based) of each run
  int pagesBegun_ = 0;
  std::string rawBuffer_;
  bool rawDoc_ = false;
  std::vector<int> lastJobs_;
  AnsiString lastError_;
};

class TfrxPrinters {
 public:
  TfrxPrinters();
  ~TfrxPrinters();
  TfrxPrinters(const TfrxPrinters&) = delete;
  TfrxPrinters& operator=(const TfrxPrinters&) = delete;

  void Clear();
  void FillPrinters();
  TfrxCustomPrinter* GetItem(int index) const;
  int IndexOf(const AnsiString& name) const;
  void SetPrinterIndex(int index);
  // Adds a printer beside the system's (the tests' recording printer); it
  // replaces the virtual stand-in, so the list then has a physical printer.
  // Answers its index.
  int AddPrinter(std::unique_ptr<TfrxCustomPrinter> printer);
  int PrinterIndex() const { return printerIndex_; }
  TfrxCustomPrinter* GetCurrentPrinter() const { return GetItem(printerIndex_); }
  AnsiString GetDefaultPrinter() const;
  int Count() const { return static_cast<int>(printers_.size()); }
  bool HasPhysicalPrinters() const { return hasPhysicalPrinters_; }
  const std::vector<AnsiString>& Printers() const { return names_; }

 private:
  bool hasPhysicalPrinters_ = false;
  std::vector<AnsiString> names_;
  int printerIndex_ = -1;
  std::vector<std::unique_ptr<TfrxCustomPrinter>> printers_;
  AnsiString defaultName_;
};

// The one printer list of the process, made on first use.
TfrxPrinters& vuzPrinters();
// Frees the list; the next vuzPrinters() enumerates the printers again
// (tests, and a program that wants to see printers added meanwhile).
void vuzResetPrinters();

// A bin number for a tray keyword: the known keywords have the Windows
// numbers (auto 7, top 1, bottom 2, ...), "tray-N" is 256 + N, anything
// else 512 + its position in the printer's list, so numbers stay stable.
int vuzBinOfTray(const std::string& keyword, int position);

}  // namespace preview
