// The spreadsheet export by automation: every exported page goes into one
// layout matrix, and at the end the matrix becomes one worksheet of a
// workbook made in the spreadsheet application (the automation server
// "Excel.Application", reached through TfrxExcel), which then saves it.
// Rows and columns get their sizes, each matrix style a named workbook style
// "S" + index, objects become cells or merged ranges, pictures are pasted
// at their cells and page ends become manual page breaks.
#pragma once
#include <functional>
#include <memory>

#include "report/vuzClassPage.h"
#include "report/vuzClassServices.h"

namespace report {

class TfrxIEMatrix;
class TfrxIEMObject;
class TfrxExcel;
class TfrxCustomProgress;

class TfrxXLSExport : public TfrxCustomExportFilter {
  RTL_CLASS_INFO
 public:
  explicit TfrxXLSExport(rtl::TComponent* owner = nullptr);
  ~TfrxXLSExport() override;

  AnsiString GetDescription() const override;
  int ShowModal() override;
  bool Start() override;
  void StartPage(TfrxComponent* page, int index) override;
  void ExportObject(TfrxComponent* object) override;
  void FinishPage(TfrxComponent* page, int index) override;
  void Finish() override;

  // Published options.
  bool ExportEMF = true, ExportStyles = true, ExportPictures = true, MergeCells = true, OpenExcelAfterExport = false,
       Wysiwyg = true, AsText = false, Background = true, FastExport = true, PageBreaks = true, EmptyLines = true,
       TruncateLongTexts = true, GridLines = true;

  // The options dialog, installed by the GUI companion; without it the
  // filter runs with its settings.
  using DialogHandler = std::function<int(TfrxXLSExport&)>;
  static void SetDialogHandler(DialogHandler handler);

  // The number format a display format's FormatStr asks for ("%2.2n" with
  // the thousand separator " " and the decimal separator ","  gives
  // "# # #0,00"); empty for kinds it does not know.
  static AnsiString NumberFormat(const AnsiString& formatStr, const AnsiString& decimalSeparator,
                                 const AnsiString& thousandSeparator);
  // The number in a displayed text: separators as the format says (else
  // the system's), every other character dropped. False when no number is
  // left, and the text is then written as text.
  static bool NumericValue(const rtl::WideString& text, const AnsiString& decimalSeparator,
                           const AnsiString& thousandSeparator, double& value);
  // Memo lines joined by line feeds, without carriage returns or trailing
  // line feeds.
  static rtl::WideString CleanReturns(const rtl::WideString& text);
  // The longest text a cell gets; longer ones are cut (as UTF-16, so no
  // character is split into bytes).
  static constexpr std::size_t kMaxCellText = 900;
  static constexpr int kMaxSheetRows = 65536, kMaxSheetColumns = 256;

 private:
  void WriteFast(TfrxExcel& excel, TfrxCustomProgress* progress);
  void WritePlain(TfrxExcel& excel, TfrxCustomProgress* progress);
  void WriteColumns(TfrxExcel& excel, TfrxCustomProgress* progress);
  void WriteStyles(TfrxExcel& excel, TfrxCustomProgress* progress, bool fast);
  void PageBreak(TfrxExcel& excel, int row, int& page);
  void PastePicture(TfrxExcel& excel, TfrxIEMObject& object, int column, int row, int spanX, int spanY, bool nudge);
  void Save(TfrxExcel& excel);

  std::unique_ptr<TfrxIEMatrix> matrix_;
  bool firstPage_ = false;
  int pictureCount_ = 0;
  long double margins_[4] = {0, 0, 0, 0};  // left, right, top, bottom in points
  TPrinterOrientation orientation_ = poPortrait;
};

// Makes the filter creatable by class name (stored forms, tools).
void vuzExportXLSStartup();

}  // namespace report
