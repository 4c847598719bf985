#include "export/biff/vuzExportBIFF.h"

#include <cmath>
#include <exception>
#include <limits>

#include "export/biff/biffFile.h"
#include "export/biff/biffSheet.h"
#include "export/biff/biffWorkbook.h"
#include "export/biff/dpDraftPool.h"
#include "export/vuzExportMatrix.h"
#include "export/vuzExportRes.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/shell.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassView.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

TfrxBIFFExport::DialogHandler& DialogSlot() {
  static TfrxBIFFExport::DialogHandler handler;
  return handler;
}

// The highest row a sheet takes, 409.5 points, in whole pixels.
constexpr long double kMaxRowPixels = 546;

// A local date and time as a file time, field by field (no time-zone shift).
std::uint64_t FileTime(rtl::TDateTime when) {
  if (when == 0 || !std::isfinite(static_cast<double>(when))) return 0;
  constexpr double kDaysFrom1601 = 109205;  // 1601-01-01 to 1899-12-30
  const double ticks = std::round((static_cast<double>(when) + kDaysFrom1601) * 86400.0 * 1e7);
  return ticks > 0 ? static_cast<std::uint64_t>(ticks) : 0;
}

}  // namespace

TfrxDraftSheet::TfrxDraftSheet() = default;
TfrxDraftSheet::~TfrxDraftSheet() = default;

TfrxBIFFExport::TfrxBIFFExport(rtl::TComponent* owner) : TfrxCustomExportFilter(owner) {
  DefaultExt = ".xls";
  vuzLoadExportResources();
  FileFilter = vuzGet(9151);
}

TfrxBIFFExport::~TfrxBIFFExport() = default;

AnsiString TfrxBIFFExport::GetDescription() const {
  vuzLoadExportResources();
  return vuzGet(9151);
}

void TfrxBIFFExport::SetDialogHandler(DialogHandler handler) { DialogSlot() = std::move(handler); }

void TfrxBIFFExport::SetRowHeightScale(long double value) {
  if (!(value > 0)) throw rtl::Exception("RowHeightScale must be positive");
  rowHeightScale_ = value;
}

void TfrxBIFFExport::SetChunkSize(int value) {
  vuzLoadExportResources();
  if (value < 0) throw rtl::Exception(vuzGet(9160));
  chunkSize_ = value;
}

void TfrxBIFFExport::SetPassword(const WideString& value) {
  vuzLoadExportResources();
  if (value.size() >= 256) throw rtl::Exception(rtl::Format(vuzGet(9180), {static_cast<int>(value.size()), 255}));
  password_ = value;
}

void TfrxBIFFExport::SetParallelPages(int value) {
  if (value < 0 || value > 64)
    throw rtl::Exception(rtl::Format("Invalid value of ParallelPages property: %d", {value}));
  parallelPages_ = value;
}

bool TfrxBIFFExport::UseParallelPages() const { return parallelPages_ >= 1 && !SingleSheet && chunkSize_ == 0; }

TfrxBiffPageOptions TfrxBIFFExport::GetExportOptionsDraft() const {
  TfrxBiffPageOptions o;
  o.Matrix = matrix_.get();
  o.PageInfo = pageInfo_;
  o.Pictures = Pictures;
  o.SingleSheet = SingleSheet;
  o.Workbook = workbook_.get();
  o.FitPages = FitPages;
  o.SpaceWidth = spaceWidth_;
  o.ZeroWidth = zeroWidth_;
  o.GridLines = GridLines;
  o.RowHeightScale = rowHeightScale_;
  o.ExportFormulas = ExportFormulas;
  return o;
}

int TfrxBIFFExport::ShowModal() {
  if (Stream) return rtl::mrOk;
  if (ExportToTemp) OpenAfterExport = false;
  if (!DialogSlot()) return rtl::mrOk;
  return DialogSlot()(*this);
}

bool TfrxBIFFExport::Start() {
  vuzLoadExportResources();
  workbook_.reset();
  matrix_.reset();
  pool_.reset();
  if (chunkSize_ > 0 && SingleSheet) throw rtl::Exception(vuzGet(9161));
  if (ExportToTemp) {
    auto* report = dynamic_cast<TfrxReport*>(Report);
    const AnsiString name = report ? rtl::ExtractFileName(report->FileName()) : AnsiString();
    FileName = name.empty() ? rtl::ChangeFileExt(GetTempFile(), DefaultExt)
                            : GetTemporaryFolder() + rtl::ChangeFileExt(name, DefaultExt);
  }
  if (FileName.empty() && !Stream) return false;
  if (!Stream && rtl::ExtractFilePath(FileName).empty() && !DefaultPath.empty())
    FileName = DefaultPath + "/" + FileName;
  SuppressPageHeadersFooters = SingleSheet || chunkSize_ > 0;
  workbook_ = std::make_unique<TBiffWorkbook>();
  if (TBiffFont* font = workbook_->GetFont(0)) {
    zeroWidth_ = font->StrWidth(u"0");
    if (zeroWidth_ <= 0) zeroWidth_ = font->ZeroWidth();
    spaceWidth_ = font->StrWidth(u"   ");
  }
  if (UseParallelPages()) {
    auto* report = dynamic_cast<TfrxReport*>(Report);
    const int pages =
        report && report->PreviewPages() ? report->PreviewPages()->GetCount() : std::numeric_limits<int>::max();
    pool_ = std::make_unique<TDpDraftPool>(
        parallelPages_, pages, [this](rtl::TObject* draft) { ExportPage(*static_cast<TfrxDraftSheet*>(draft)); });
  }
  return true;
}

void TfrxBIFFExport::CreateMatrix() {
  auto* report = dynamic_cast<TfrxReport*>(Report);
  matrix_ = std::make_unique<TfrxIEMatrix>(UseFileCache, report ? report->EngineOptions()->TempDir : AnsiString());
  TfrxIEMatrix& m = *matrix_;
  m.Background = false;
  m.BackgroundAsPicture = false;
  m.ExportNotPrintable = ExportNotPrintable;
  m.RichAsPlainText = false;
  m.KeepRichText = false;
  m.Inaccuracy = Inaccuracy;
  m.StripHTMLTags = false;
  m.AllowPictures = true;
  m.WrapLines = false;
  m.EmptyLines = !DeleteEmptyRows;
  m.PatternAsPicture = false;
  m.MetafilePictures = true;
  m.MaxColumnWidth = 2000;
  // Rows no higher than the sheet takes once scaled.
  m.MaxRowHeight = kMaxRowPixels / rowHeightScale_;
  m.DotMatrixReport = report && report->DotMatrixReport();
  // Pages of the pool are prepared on worker threads: no window there.
  m.ShowProgress = ShowProgress && !pool_;
}

void TfrxBIFFExport::StartPage(TfrxComponent* /*page*/, int /*index*/) {
  if (!matrix_ && workbook_) CreateMatrix();
}

void TfrxBIFFExport::ExportObject(TfrxComponent* object) {
  if (!matrix_ || !object) return;
  // Objects are placed from the top of the page, not below its margin.
  if (TfrxComponent* page = object->GetPage()) page->SetTop(matrix_->Inaccuracy);
  auto* view = dynamic_cast<TfrxView*>(object);
  if (!view || object->Name() == "_pagebackground") return;
  if (ExportNotPrintable || view->Printable()) matrix_->AddObject(view);
}

void TfrxBIFFExport::FinishPage(TfrxComponent* page, int index) {
  if (auto* p = dynamic_cast<TfrxReportPage*>(page)) {
    pageInfo_.PaperWidth = p->PaperWidth();
    pageInfo_.PaperHeight = p->PaperHeight();
    pageInfo_.LeftMargin = p->LeftMargin();
    pageInfo_.RightMargin = p->RightMargin();
    pageInfo_.TopMargin = p->TopMargin();
    pageInfo_.BottomMargin = p->BottomMargin();
    pageInfo_.Orientation = p->Orientation() == poLandscape ? 1 : 0;
    pageInfo_.PageCount = p->PageCount();
    pageInfo_.PaperSize = p->PaperSize();
    if (matrix_)
      matrix_->AddPage(p->Orientation(), p->PaperWidth(), p->PaperHeight(), p->LeftMargin(), p->TopMargin(),
                       p->RightMargin(), p->BottomMargin(), p->MirrorMargins(), index);
  } else if (matrix_) {
    matrix_->AddPage(poPortrait, 0, 0, 0, 0, 0, 0, false, index);
  }
  if (chunkSize_ != 0 || SingleSheet || !matrix_) return;
  TfrxBiffPageOptions options = GetExportOptionsDraft();
  options.SheetIndex = index;
  if (pool_) {
    auto draft = std::make_unique<TfrxDraftSheet>();
    draft->Matrix = std::move(matrix_);
    options.Matrix = draft->Matrix.get();
    draft->Options = options;
    pool_->AddDraft(std::move(draft));
    return;
  }
  std::unique_ptr<TfrxIEMatrix> matrix = std::move(matrix_);
  matrix->Prepare();
  options.Matrix = matrix.get();
  AddSheet(options, false);
}

void TfrxBIFFExport::ExportPage(TfrxDraftSheet& draft) {
  // A page that fails fails the export: the pool keeps the error and Finish
  // raises it, so no page goes missing without a word.
  std::unique_ptr<TfrxIEMatrix> matrix = std::move(draft.Matrix);
  draft.Options.Matrix = matrix.get();
  matrix->Prepare();
  draft.Sheet = vuzConvertMatrixToBiffSheet(draft.Options, false);
  draft.Options.Matrix = nullptr;
}

void TfrxBIFFExport::AddSheet(const TfrxBiffPageOptions& options, bool showProgress) {
  bool terminated = false;
  workbook_->AddSheet(vuzConvertMatrixToBiffSheet(options, showProgress, &terminated));
  // Cancel in the converter's window stops the whole export: no workbook
  // with a half sheet is written.
  if (terminated) throw EExportTerminated();
}

void TfrxBIFFExport::FinishSingleSheet() {
  matrix_->Prepare();
  TfrxBiffPageOptions options = GetExportOptionsDraft();
  AddSheet(options, ShowProgress);
}

void TfrxBIFFExport::FinishChunks() {
  matrix_->Prepare();
  std::vector<int> pictures;
  if (Pictures)
    for (int id = 0; id < matrix_->GetObjectsCount(); ++id) {
      TfrxIEMObject* object = matrix_->GetObjectById(id);
      if (object && object->HasMetafilePicture() && object->MetafilePicture().Width() != 0) pictures.push_back(id);
    }
  TfrxBiffPageOptions options = GetExportOptionsDraft();
  options.BlockRows = chunkSize_;
  options.PictureList = &pictures;
  // Every sheet holds rows, and there is at least one sheet: an exact
  // multiple of the chunk size gives no empty sheet at the end.
  const int rows = matrix_->RowCount - 1;
  do {
    AddSheet(options, ShowProgress);
    options.FirstRow += chunkSize_;
    ++options.SheetIndex;
  } while (options.FirstRow < rows);
}

void TfrxBIFFExport::Finish() {
  // Whatever happens, the workbook, the matrix and the pool go with this call
  // (the pool first: its drafts point into the workbook).
  struct Release {
    TfrxBIFFExport* f;
    ~Release() {
      f->pool_.reset();
      f->matrix_.reset();
      f->workbook_.reset();
    }
  } release{this};
  // Called while the driver handles a failure or a cancel: nothing is written.
  if (std::current_exception() || !workbook_) return;
  if (pool_) {
    pool_->WaitForThreads();
    pool_->RaiseFirstError();
    for (const auto& d : pool_->Drafts()) {
      auto* draft = static_cast<TfrxDraftSheet*>(d.get());
      if (draft->Sheet) workbook_->AddSheet(std::move(draft->Sheet));
    }
    pool_.reset();
  }
  if (matrix_ && SingleSheet)
    FinishSingleSheet();
  else if (matrix_ && chunkSize_ > 0)
    FinishChunks();
  matrix_.reset();
  // A workbook needs a sheet: an export of no page gets one empty sheet.
  if (workbook_->GetSheetsCount() == 0) {
    TfrxBiffPageOptions options = GetExportOptionsDraft();
    options.Matrix = nullptr;
    AddSheet(options, false);
  }
  WriteFile();
  if (OpenAfterExport && !Stream) rtl::ShellOpen(FileName);
}

void TfrxBIFFExport::WriteFile() {
  std::unique_ptr<TfrxCustomProgress> progress;
  if (ShowProgress) progress = vuzCreateProgress();
  if (progress) progress->Execute(2, vuzGet(9406), true, false);
  if (!password_.empty()) {
    workbook_->SetEncryptionSeed(EncryptionSeed);
    workbook_->SetPassword(password_);
  }
  TBiffDocumentInfo info;
  info.Title = rtl::AnsiToWide(Title);
  info.Subject = rtl::AnsiToWide(Subject);
  info.Author = rtl::AnsiToWide(Author);
  info.Keywords = rtl::AnsiToWide(Keywords);
  info.Revision = rtl::AnsiToWide(Revision);
  info.Application = rtl::AnsiToWide(AppName);
  info.Comments = rtl::AnsiToWide(Comment);
  info.Category = rtl::AnsiToWide(Category);
  info.Company = rtl::AnsiToWide(Company);
  info.Manager = rtl::AnsiToWide(Manager);
  info.Created = FileTime(CreationTime);
  if (Stream) {
    BiffWriteWorkbookFile(*workbook_, *Stream, info, UseFileCache);
    return;
  }
  rtl::SaveFileAtomically(FileName,
                          [&](rtl::TStream& out) { BiffWriteWorkbookFile(*workbook_, out, info, UseFileCache); });
}

// ---------------------------------------------------------------- registration

const rtl::TClassInfo& TfrxBIFFExport::StaticClass() {
  using F = TfrxBIFFExport;
  auto flag = [](bool F::*field) {
    return std::make_pair([field](const F& f) { return f.*field; }, [field](F& f, bool v) { f.*field = v; });
  };
  auto text = [](AnsiString F::*field) {
    return std::make_pair([field](const F& f) { return f.*field; },
                          [field](F& f, const AnsiString& v) { f.*field = v; });
  };
  static const rtl::TClassInfo info = [&] {
    rtl::TClassBuilder<F> b("TfrxBIFFExport", &TfrxCustomExportFilter::StaticClass());
    b.Creatable();
    const std::pair<const char*, bool F::*> flags[] = {{"OpenAfterExport", &F::OpenAfterExport},
                                                       {"SingleSheet", &F::SingleSheet},
                                                       {"DeleteEmptyRows", &F::DeleteEmptyRows},
                                                       {"GridLines", &F::GridLines},
                                                       {"FitPages", &F::FitPages},
                                                       {"Pictures", &F::Pictures},
                                                       {"ExportFormulas", &F::ExportFormulas}};
    for (const auto& [name, field] : flags) {
      auto [get, set] = flag(field);
      b.Property(name, get, set);
    }
    const std::pair<const char*, AnsiString F::*> texts[] = {
        {"Author", &F::Author},   {"Comment", &F::Comment}, {"Keywords", &F::Keywords}, {"Revision", &F::Revision},
        {"AppName", &F::AppName}, {"Subject", &F::Subject}, {"Category", &F::Category}, {"Company", &F::Company},
        {"Title", &F::Title},     {"Manager", &F::Manager}};
    for (const auto& [name, field] : texts) {
      auto [get, set] = text(field);
      b.Property(name, get, set);
    }
    b.Property(
        "RowHeightScale", [](const F& f) { return f.RowHeightScale(); },
        [](F& f, long double v) { f.SetRowHeightScale(v); });
    b.Property(
        "ChunkSize", [](const F& f) { return f.ChunkSize(); }, [](F& f, int v) { f.SetChunkSize(v); });
    b.Property(
        "Inaccuracy", [](const F& f) { return f.Inaccuracy; }, [](F& f, long double v) { f.Inaccuracy = v; });
    b.Property(
        "Password", [](const F& f) { return f.Password(); }, [](F& f, const WideString& v) { f.SetPassword(v); });
    b.Property(
        "ParallelPages", [](const F& f) { return f.ParallelPages(); }, [](F& f, int v) { f.SetParallelPages(v); });
    return b.Build();
  }();
  return info;
}

void vuzExportBIFFStartup() { rtl::RegisterClass<TfrxBIFFExport>("TfrxBIFFExport"); }

}  // namespace report
