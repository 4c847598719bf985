#include "export/vuzExportRTF.h"

#include <exception>
#include <string>

#include "export/vuzExportMatrix.h"
#include "export/vuzExportRes.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/typinfo.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassView.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

TfrxRTFExport::DialogHandler& DialogSlot() {
  static TfrxRTFExport::DialogHandler handler;
  return handler;
}

const rtl::TEnumType& PictureTypeType() {
  static const rtl::TEnumType type{"TfrxPictureType", {"gpPNG", "gpBMP", "gpEMF", "gpWMF", "gpJPG", "gpGIF"}};
  return type;
}

const rtl::TEnumType& HeaderFooterModeType() {
  static const rtl::TEnumType type{"TfrxHeaderFooterMode", {"hfText", "hfPrint", "hfNone"}};
  return type;
}

}  // namespace

TfrxRTFProgressHooks& vuzRTFProgressHooks() {
  static TfrxRTFProgressHooks hooks;
  return hooks;
}

TfrxRTFExport::TfrxRTFExport(rtl::TComponent* owner) : TfrxCustomExportFilter(owner) {
  vuzLoadExportResources();
  ShowDialog = true;
  FileFilter = vuzGet(8504);
  DefaultExt = vuzGet(8505);
}

TfrxRTFExport::~TfrxRTFExport() = default;

AnsiString TfrxRTFExport::GetDescription() const {
  vuzLoadExportResources();
  return vuzResources().Get("RTFexport");
}

void TfrxRTFExport::SetDialogHandler(DialogHandler handler) { DialogSlot() = std::move(handler); }

int TfrxRTFExport::ShowModal() {
  if (Stream || !DialogSlot()) return rtl::mrOk;
  return DialogSlot()(*this);
}

bool TfrxRTFExport::Start() {
  vuzLoadExportResources();
  auto* report = dynamic_cast<TfrxReport*>(Report);
  if (ExportToTemp) {
    const AnsiString name = report ? rtl::ExtractFileName(report->FileName()) : AnsiString();
    FileName = name.empty() ? rtl::ChangeFileExt(GetTempFile(), DefaultExt)
                            : GetTemporaryFolder() + rtl::ChangeFileExt(name, DefaultExt);
  }
  matrix_.reset();
  if (FileName.empty() && !Stream) return false;
  if (!DefaultPath.empty() && !FileName.empty() && rtl::ExtractFilePath(FileName).empty())
    FileName = DefaultPath + "/" + FileName;
  matrix_ = std::make_unique<TfrxIEMatrix>(UseFileCache, report ? report->EngineOptions()->TempDir : AnsiString());
  TfrxIEMatrix& m = *matrix_;
  m.ShowProgress = ShowProgress;
  m.Inaccuracy = Wysiwyg ? 0.5L : 10;
  m.RotatedAsPicture = true;
  m.KeepRichText = true;
  m.RichAsPlainText = false;
  m.WhiteFill = true;
  m.WhiteFillCropped = true;
  m.StripHTMLTags = false;
  m.BackgroundAsPicture = false;
  m.Background = false;
  m.ExportNotPrintable = ExportNotPrintable;
  m.MetafilePictures = PictureType != gpBMP;
  return true;
}

void TfrxRTFExport::ExportObject(TfrxComponent* object) {
  if (!matrix_ || !object) return;
  if (object->IsA("TfrxPageHeader")) {
    matrix_->SetPageHeader(object);
    return;
  }
  if (object->IsA("TfrxPageFooter")) {
    matrix_->SetPageFooter(object);
    return;
  }
  auto* view = dynamic_cast<TfrxView*>(object);
  if (!view || (!view->Printable() && !ExportNotPrintable)) return;
  if (dynamic_cast<TfrxCustomMemoView*>(view) || ExportPictures) matrix_->AddObject(view);
}

void TfrxRTFExport::FinishPage(TfrxComponent* page, int index) {
  if (!matrix_) return;
  if (auto* p = dynamic_cast<TfrxReportPage*>(page))
    matrix_->AddPage(p->Orientation(), p->Width(), p->Height(), p->LeftMargin(), p->TopMargin(), p->RightMargin(),
                     p->BottomMargin(), p->MirrorMargins(), index);
}

void TfrxRTFExport::Finish() {
  std::unique_ptr<TfrxIEMatrix> matrix = std::move(matrix_);
  // The export driver calls Finish also while it handles a failed or
  // stopped run: then nothing is written.
  if (std::current_exception() || !matrix) return;
  matrix_ = std::move(matrix);
  struct Release {
    std::unique_ptr<TfrxIEMatrix>& m;
    ~Release() {
      m.reset();
      if (vuzRTFProgressHooks().Stop) vuzRTFProgressHooks().Stop();
    }
  } release{matrix_};
  auto* report = dynamic_cast<TfrxReport*>(Report);
  try {
    WriteDocument();
  } catch (const rtl::Exception& e) {
    const TfrxSilentMode mode = report ? report->EngineOptions()->NewSilentMode : simMessageBoxes;
    if (mode == simReThrow) throw;
    if (mode == simSilent && report)
      report->Errors().Add(e.Message());
    else
      vuzErrorMsg(e.Message());
  }
}

void TfrxRTFExport::WriteDocument() {
  TfrxIEMatrix& m = *matrix_;
  m.Prepare();
  auto* report = dynamic_cast<TfrxReport*>(Report);
  TfrxRTFDocumentOptions options;
  options.PictureType = PictureType;
  options.ExportPageBreaks = ExportPageBreaks;
  options.ExportPictures = ExportPictures;
  options.AutoSize = AutoSize;
  options.HeaderFooterMode = HeaderFooterMode;
  options.Title = rtl::AnsiToWide(report ? report->ReportOptions()->Name : AnsiString());
  options.Author = rtl::AnsiToWide(Creator);
  options.Created = CreationTime;
  const TfrxRTFProgressHooks& hooks = vuzRTFProgressHooks();
  if (ShowProgress && hooks.Start && hooks.Tick) {
    hooks.Start(m.RowCount - 1, vuzResources().Get("ProgressWait"));
    options.Cancelled = hooks.Tick;
  }
  if (Stream) {
    // A cancelled export takes back what it wrote into the stream.
    const std::int64_t start = Stream->Position();
    if (!vuzWriteRTFDocument(m, options, *Stream)) {
      Stream->SetSize(start);
      Stream->SetPosition(start);
    }
    return;
  }
  // Through a temporary file: a cancel (a part of a document is no result)
  // or a failure leaves any older file as it was.
  struct TCancelled {};
  try {
    rtl::SaveFileAtomically(FileName, [&](rtl::TStream& file) {
      if (!vuzWriteRTFDocument(m, options, file)) throw TCancelled{};
    });
  } catch (const TCancelled&) {
    return;
  }
  if (OpenAfterExport) rtl::ShellOpen(FileName);
}

// ---------------------------------------------------------------- published properties

const rtl::TClassInfo& TfrxRTFExport::StaticClass() {
  using F = TfrxRTFExport;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<F>("TfrxRTFExport", &TfrxCustomExportFilter::StaticClass())
          .Creatable()
          .Enum(
              "PictureType", PictureTypeType(), [](const F& f) { return f.PictureType; },
              [](F& f, TfrxPictureType v) { f.PictureType = v; })
          .Property(
              "ExportPageBreaks", [](const F& f) { return f.ExportPageBreaks; },
              [](F& f, bool v) { f.ExportPageBreaks = v; })
          .Property(
              "ExportPictures", [](const F& f) { return f.ExportPictures; }, [](F& f, bool v) { f.ExportPictures = v; })
          .Property(
              "OpenAfterExport", [](const F& f) { return f.OpenAfterExport; },
              [](F& f, bool v) { f.OpenAfterExport = v; })
          .Property(
              "Wysiwyg", [](const F& f) { return f.Wysiwyg; }, [](F& f, bool v) { f.Wysiwyg = v; })
          .Property(
              "Creator", [](const F& f) { return f.Creator; }, [](F& f, const AnsiString& v) { f.Creator = v; })
          .Enum(
              "HeaderFooterMode", HeaderFooterModeType(), [](const F& f) { return f.HeaderFooterMode; },
              [](F& f, TfrxHeaderFooterMode v) { f.HeaderFooterMode = v; })
          .Property(
              "AutoSize", [](const F& f) { return f.AutoSize; }, [](F& f, bool v) { f.AutoSize = v; })
          .Build();
  return info;
}

void vuzExportRTFStartup() { rtl::RegisterClass<TfrxRTFExport>("TfrxRTFExport"); }

}  // namespace report
