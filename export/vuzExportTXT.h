// The dot-matrix text export: prepared pages as plain 8-bit text, text
// objects placed on a character grid, frames drawn with line characters,
// pages separated by form feeds; optionally converted to the OEM code page,
// prefixed with a printer's initialisation sequence and sent to a printer
// as a RAW job.
#pragma once
#include <array>
#include <functional>
#include <vector>

#include "platform/rtl/streams.h"
#include "report/vuzClassServices.h"

namespace report {

struct TfrxTXTPrinterCommand {
  AnsiString Name, SequenceOn, SequenceOff;
  bool Enabled = false;
};

struct TfrxTXTPrinterType {
  AnsiString Name;
  int CommandsCount = 0;
  std::array<TfrxTXTPrinterCommand, 32> Commands;
};

class TfrxTXTExport : public TfrxCustomExportFilter {
  RTL_CLASS_INFO
 public:
  static constexpr int kMaxPrinterTypes = 16, kMaxPrinterCommands = 32;
  // At scale 1 one column is 7 pixels and one row 8 (96 pixels per inch).
  static constexpr int kColumnPixels = 7, kRowPixels = 8;

  explicit TfrxTXTExport(rtl::TComponent* owner = nullptr);
  ~TfrxTXTExport() override;

  AnsiString GetDescription() const override;
  int ShowModal() override;
  bool Start() override;
  void StartPage(TfrxComponent* page, int index) override;
  void ExportObject(TfrxComponent* object) override;
  void FinishPage(TfrxComponent* page, int index) override;
  void Finish() override;

  int RegisterPrinterType(const AnsiString& name);
  void RegisterPrinterCommand(int typeIndex, const AnsiString& name, const AnsiString& on, const AnsiString& off);
  void MakeInitString();
  void LoadPrinterInit(const AnsiString& fileName);
  void SavePrinterInit(const AnsiString& fileName) const;
  // Sends a file to the current printer as a RAW job in blocks of 1024 bytes.
  void SpoolFile(const AnsiString& fileName);
  // Prints the exported file when PrintAfter asks for it.
  void AfterExport(const AnsiString& fileName);

  // Published options.
  long double ScaleWidth = 1, ScaleHeight = 1;
  bool Borders = false, Pseudogrpahic = false, PageBreaks = true, OEMCodepage = false, EmptyLines = false,
       LeadSpaces = false, PrintAfter = false, PrinterDialog = true, UseSavedProps = true, StripHTMLTags = false;
  AnsiString InitString, CustomFrameSet;

  // Printer types and the selection the printer dialog changes.
  std::array<TfrxTXTPrinterType, kMaxPrinterTypes> PrinterTypes;
  int PrinterTypesCount = 0;
  int SelectedPrinterType = 0;
  int Copies = 1;
  // The dialog's live preview: no initialisation string, no closing form feed.
  bool PreviewMode = false;
  // Statistics of the page last written: its longest line and line count.
  int MaxLineLength = 0, LinesCount = 0;

  // The options dialog and the printer dialog, installed by the GUI
  // companion. Without them the filter runs with its settings and prints
  // without asking.
  using DialogHandler = std::function<int(TfrxTXTExport&)>;
  static void SetDialogHandler(DialogHandler handler);
  static void SetPrinterDialogHandler(DialogHandler handler);

 private:
  struct PageObject {
    AnsiString text;
    long double left = 0, top = 0, width = 0, height = 0;
    unsigned frame = 0;
    int vAlign = 0, hAlign = 0;
    int textLength = 0;
    int column = 0, row = 0, order = 0;
  };
  void ClearPage();
  void AddEdge(std::vector<long double>& list, long double value);
  void WriteBytes(const AnsiString& bytes);
  void WriteLine(const AnsiString& line);

  std::vector<PageObject> objects_;
  std::vector<long double> xs_, ys_;
  long double maxRight_ = 0, maxBottom_ = 0;
  rtl::TMemoryStream out_;
  bool started_ = false;
};

}  // namespace report
