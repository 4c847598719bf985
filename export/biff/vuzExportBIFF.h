// The workbook export: prepared pages as an Excel 97-2003 workbook (a
// compound file with the "Workbook" record stream and the two property-set
// streams). Every page's objects go into a layout matrix that the converter
// turns into sheets: one sheet per page (the default, optionally converted
// on worker threads), one sheet for the whole report (SingleSheet), or the
// report cut into sheets of ChunkSize rows. The file is written through a
// temporary file and renamed; a failed or cancelled export leaves none.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "export/biff/vuzBiffConverter.h"
#include "platform/rtl/object.h"
#include "report/vuzClassServices.h"

namespace report {

class TBiffSheet;
class TBiffWorkbook;
class TDpDraftPool;
class TfrxIEMatrix;

// One page on its way through the draft pool: the options with the page's
// own matrix, and the sheet made of it.
class TfrxDraftSheet : public rtl::TObject {
 public:
  TfrxDraftSheet();
  ~TfrxDraftSheet() override;
  TfrxBiffPageOptions Options;
  std::unique_ptr<TfrxIEMatrix> Matrix;
  std::unique_ptr<TBiffSheet> Sheet;
};

class TfrxBIFFExport : public TfrxCustomExportFilter {
  RTL_CLASS_INFO
 public:
  explicit TfrxBIFFExport(rtl::TComponent* owner = nullptr);
  ~TfrxBIFFExport() override;

  AnsiString GetDescription() const override;
  int ShowModal() override;
  bool Start() override;
  void StartPage(TfrxComponent* page, int index) override;
  void ExportObject(TfrxComponent* object) override;
  void FinishPage(TfrxComponent* page, int index) override;
  void Finish() override;

  // ---- published
  bool OpenAfterExport = false;
  bool SingleSheet = false;
  bool DeleteEmptyRows = false;
  bool GridLines = true;
  long double Inaccuracy = 10;
  bool FitPages = false;
  bool Pictures = true;
  bool ExportFormulas = true;
  AnsiString Author, Comment, Keywords, Revision, AppName, Subject, Category, Company, Title, Manager;

  long double RowHeightScale() const { return rowHeightScale_; }
  // Not above 0: "RowHeightScale must be positive".
  void SetRowHeightScale(long double value);
  int ChunkSize() const { return chunkSize_; }
  // Negative: text 9160.
  void SetChunkSize(int value);
  const WideString& Password() const { return password_; }
  // 256 characters or more: text 9180 with the length and 255.
  void SetPassword(const WideString& value);
  int ParallelPages() const { return parallelPages_; }
  // Outside 0..64: "Invalid value of ParallelPages property: %d".
  void SetParallelPages(int value);

  // Pages go to the draft pool: ParallelPages set, one sheet per page.
  bool UseParallelPages() const;
  // The conversion options as the filter fills them for a sheet.
  TfrxBiffPageOptions GetExportOptionsDraft() const;

  // The salt of the next encryption comes from these bytes (tests).
  std::optional<std::string> EncryptionSeed;

  // The options dialog, installed by the GUI companion; without it the
  // filter runs with its settings.
  using DialogHandler = std::function<int(TfrxBIFFExport&)>;
  static void SetDialogHandler(DialogHandler handler);

 private:
  void CreateMatrix();
  // Converts a prepared matrix on a worker thread.
  void ExportPage(TfrxDraftSheet& draft);
  void AddSheet(const TfrxBiffPageOptions& options, bool showProgress);
  void FinishSingleSheet();
  void FinishChunks();
  void WriteFile();

  long double rowHeightScale_ = 1;
  int chunkSize_ = 0;
  WideString password_;
  int parallelPages_ = 0;

  std::unique_ptr<TBiffWorkbook> workbook_;
  std::unique_ptr<TfrxIEMatrix> matrix_;
  std::unique_ptr<TDpDraftPool> pool_;
  TfrxPageInfo pageInfo_;
  int zeroWidth_ = 0, spaceWidth_ = 0;
};

// Makes TfrxBIFFExport creatable by its class name (stored forms, the
// filters' start-up, the report tool).
void vuzExportBIFFStartup();

}  // namespace report
