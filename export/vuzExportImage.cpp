// Page-to-picture exports. The picture is drawn by the objects themselves, so
// it matches what the preview shows at the same scale.
#include "export/vuzExportImage.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "export/Gif.h"
#include "export/vuzTiff.h"
#include "platform/gfx/jpeg_image.h"
#include "platform/rtl/files.h"
#include "report/frxpngimage.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzClassView.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

namespace {

TfrxCustomImageExport::DialogHandler& Dialog() {
  static TfrxCustomImageExport::DialogHandler handler;
  return handler;
}

// Rounding of picture positions: halves go to the even neighbour.
int RoundEven(long double v) { return static_cast<int>(std::nearbyint(v)); }

TfrxReport* ReportOf(TfrxComponent* report) { return dynamic_cast<TfrxReport*>(report); }

}  // namespace

// ---------------------------------------------------------------- the base

TfrxCustomImageExport::TfrxCustomImageExport(rtl::TComponent* owner) : TfrxCustomExportFilter(owner) { Defaults(); }
TfrxCustomImageExport::TfrxCustomImageExport() : TfrxCustomExportFilter() { Defaults(); }
TfrxCustomImageExport::~TfrxCustomImageExport() = default;

void TfrxCustomImageExport::Defaults() {
  CropImages = false;
  JPEGQuality = 90;
  Monochrome = false;
  Resolution = 96;
  SeparateFiles = true;
  MultiImage = false;
}

TfrxCustomImageExport::TPictureSize TfrxCustomImageExport::PictureSize(long double width, long double height,
                                                                       double scale) {
  TPictureSize size;
  size.Width = std::clamp(RoundEven(std::min<long double>(width * scale, kMaxSide)), 1, kMaxSide);
  size.Height = std::clamp(RoundEven(std::min<long double>(height * scale, kMaxSide)), 1, kMaxSide);
  size.Height = static_cast<int>(std::min<long long>(size.Height, std::max<long long>(1, kMaxPixels / size.Width)));
  return size;
}

void TfrxCustomImageExport::SetDialogHandler(DialogHandler handler) { Dialog() = std::move(handler); }

int TfrxCustomImageExport::ShowModal() { return Dialog() ? Dialog()(*this) : rtl::mrOk; }

bool TfrxCustomImageExport::Start() {
  if (ExportToTemp) {
    TfrxReport* report = ReportOf(Report);
    const AnsiString reportName = report ? rtl::ExtractFileName(report->FileName()) : AnsiString();
    FileName = reportName.empty() ? rtl::ChangeFileExt(GetTempFile(), DefaultExt)
                                  : GetTemporaryFolder() + rtl::ChangeFileExt(reportName, DefaultExt);
    SeparateFiles = false;
  }
  Resolution = std::clamp(Resolution, kMinResolution, kMaxResolution);
  JPEGQuality = std::clamp(JPEGQuality, 1, 100);
  CurPage = false;
  pageCounter_ = 0;
  yOffset_ = 0;
  written_.clear();
  if (!SeparateFiles) {
    NewPicture(1, 1);
    maxX_ = maxY_ = 0;
    firstPage_ = true;
  }
  const bool result = !FileName.empty() || Stream != nullptr;
  if (result && !DefaultPath.empty() && rtl::ExtractFilePath(FileName).empty()) FileName = DefaultPath + "/" + FileName;
  return result;
}

void TfrxCustomImageExport::NewPicture(int width, int height) {
  bitmap_ = std::make_unique<gfx::TBitmap>(std::max(1, width), std::max(1, height));
  scale_ = static_cast<double>(Resolution) / bitmap_->Canvas().Font().PixelsPerInch();
  if (Monochrome) bitmap_->SetMonochrome(true);
  gfx::TCanvas& canvas = bitmap_->Canvas();
  canvas.Brush().SetColor(gfx::clWhite);
  canvas.FillRect(gfx::TRect{0, 0, bitmap_->Width(), bitmap_->Height()});
}

void TfrxCustomImageExport::StartPage(TfrxComponent* page, int /*index*/) {
  ++pageCounter_;
  const double scale = static_cast<double>(std::clamp(Resolution, kMinResolution, kMaxResolution)) / 96.0;
  if (SeparateFiles) {
    const TPictureSize size = PictureSize(page->Width(), page->Height(), scale);
    NewPicture(size.Width, size.Height);
    maxX_ = maxY_ = 0;
    minX_ = bitmap_->Width();
    minY_ = bitmap_->Height();
  } else if (firstPage_) {
    long double width = 0, height = 0;
    TfrxReport* report = ReportOf(Report);
    TfrxCustomPreviewPages* pages = report ? report->PreviewPages() : nullptr;
    if (pages && pages->GetCount() > 0) {
      for (int i = 0; i < pages->GetCount(); ++i) {
        const TfrxPoint size = pages->GetPageSize(i);
        width = std::max<long double>(width, size.X);
        height += size.Y;
      }
    } else {
      width = page->Width();
      height = page->Height();
    }
    const TPictureSize size = PictureSize(width, height, scale);
    NewPicture(size.Width, size.Height);
    minX_ = bitmap_->Width();
    minY_ = bitmap_->Height();
    firstPage_ = false;
  }
}

void TfrxCustomImageExport::GrowExtent(long double left, long double top, long double width, long double height) {
  minX_ = std::min(minX_, RoundEven(left * scale_));
  minY_ = std::min(minY_, RoundEven(top * scale_) + yOffset_);
  maxX_ = std::max(maxX_, RoundEven((left + width) * scale_) + 1);
  maxY_ = std::max(maxY_, RoundEven((top + height) * scale_) + yOffset_ + 1);
}

void TfrxCustomImageExport::ExportObject(TfrxComponent* object) {
  auto* view = dynamic_cast<TfrxView*>(object);
  if (!view || !view->Printable() || !bitmap_) return;
  if (object->Name() != "_pagebackground")
    GrowExtent(object->GetAbsLeft(), object->GetAbsTop(), object->Width(), object->Height());
  view->Draw(bitmap_->Canvas(), scale_, scale_, 0, yOffset_);
}

void TfrxCustomImageExport::FinishPage(TfrxComponent* page, int /*index*/) {
  if (auto* reportPage = dynamic_cast<TfrxReportPage*>(page)) {
    paperWidthMM_ = static_cast<double>(reportPage->PaperWidth());
    paperHeightMM_ = static_cast<double>(reportPage->PaperHeight());
  }
  if (SeparateFiles)
    FinishExport();
  else
    yOffset_ += RoundEven(page->Height() * scale_);
}

void TfrxCustomImageExport::Finish() {
  // The export driver calls Finish also when the run fails or is stopped,
  // from inside its exception handler: then nothing is written and what this
  // run wrote goes away.
  if (std::current_exception()) {
    bitmap_.reset();
    ForgetFailedFiles();
    return;
  }
  if (!SeparateFiles) FinishExport();
}

void TfrxCustomImageExport::ForgetFailedFiles() {
  for (const AnsiString& name : written_) rtl::DeleteFile(name);
  written_.clear();
}

void TfrxCustomImageExport::Crop() {
  if (!bitmap_) return;
  // A page that drew no object leaves its picture as it is.
  if (maxX_ <= minX_ || maxY_ <= minY_) return;
  const int left = std::max(0, minX_), top = std::max(0, minY_);
  const int right = std::min(maxX_, bitmap_->Width()), bottom = std::min(maxY_, bitmap_->Height());
  if (right <= left || bottom <= top) return;
  auto cropped = std::make_unique<gfx::TBitmap>(right - left, bottom - top, bitmap_->PixelFormat());
  if (bitmap_->Monochrome()) cropped->SetPalette(bitmap_->Palette());
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) cropped->SetPixelColor(x - left, y - top, bitmap_->PixelColor(x, y));
  bitmap_ = std::move(cropped);
}

void TfrxCustomImageExport::FinishExport() {
  try {
    if (CropImages) Crop();
    Save();
  } catch (...) {
    bitmap_.reset();
    throw;
  }
  bitmap_.reset();
}

void TfrxCustomImageExport::Save() {
  suffix_ = SeparateFiles ? AnsiString("." + std::to_string(pageCounter_)) : AnsiString();
}

AnsiString TfrxCustomImageExport::PictureFileName() const { return rtl::ChangeFileExt(FileName, suffix_ + DefaultExt); }

void TfrxCustomImageExport::WritePicture(const std::function<void(rtl::TStream&)>& writer) {
  if (Stream) {
    writer(*Stream);
    return;
  }
  const AnsiString name = PictureFileName();
  rtl::SaveFileAtomically(name, writer);
  written_.push_back(name);
  if (CreatedFiles) CreatedFiles->Add(name);
}

void TfrxCustomImageExport::WriteHandled(const std::function<void(rtl::TStream&)>& writer) {
  try {
    WritePicture(writer);
  } catch (const rtl::Exception& e) {
    TfrxReport* report = ReportOf(Report);
    const TfrxSilentMode mode = report ? report->EngineOptions()->NewSilentMode : simMessageBoxes;
    if (mode == simReThrow) throw;
    if (mode == simSilent && report)
      report->Errors().Add(e.Message());
    else
      vuzErrorMsg(e.Message());
  }
}

// ---------------------------------------------------------------- the formats

TfrxBMPExport::TfrxBMPExport(rtl::TComponent* owner) : TfrxCustomImageExport(owner) {
  FileFilter = vuzResources().Get("BMPexportFilter");
  DefaultExt = ".bmp";
}
AnsiString TfrxBMPExport::GetDescription() const { return vuzResources().Get("BMPexport"); }
void TfrxBMPExport::Save() {
  TfrxCustomImageExport::Save();
  WritePicture([&](rtl::TStream& s) { bitmap_->SaveToStream(s); });
}

TfrxTIFFExport::TfrxTIFFExport(rtl::TComponent* owner) : TfrxCustomImageExport(owner) {
  FileFilter = vuzResources().Get("TIFFexportFilter");
  DefaultExt = ".tif";
}
AnsiString TfrxTIFFExport::GetDescription() const { return vuzResources().Get("TIFFexport"); }
void TfrxTIFFExport::Save() {
  TfrxCustomImageExport::Save();
  const TfrxTiffPaper paper{paperWidthMM_, paperHeightMM_, Resolution};
  WriteHandled([&](rtl::TStream& s) { SaveTiffToStream(s, *bitmap_, true, MultiImage && !SeparateFiles, paper); });
}

TfrxJPEGExport::TfrxJPEGExport(rtl::TComponent* owner) : TfrxCustomImageExport(owner) {
  FileFilter = vuzResources().Get("JPEGexportFilter");
  DefaultExt = ".jpg";
}
AnsiString TfrxJPEGExport::GetDescription() const { return vuzResources().Get("JPEGexport"); }
void TfrxJPEGExport::Save() {
  TfrxCustomImageExport::Save();
  WriteHandled([&](rtl::TStream& s) {
    gfx::TJPEGImage jpeg;
    jpeg.SetCompressionQuality(std::clamp(JPEGQuality, 1, 100));
    jpeg.Assign(*bitmap_);
    jpeg.SaveToStream(s);
  });
}

TfrxGIFExport::TfrxGIFExport(rtl::TComponent* owner) : TfrxCustomImageExport(owner) {
  FileFilter = vuzResources().Get("GifexportFilter");
  DefaultExt = ".gif";
}
AnsiString TfrxGIFExport::GetDescription() const { return vuzResources().Get("GIFexport"); }
void TfrxGIFExport::Save() {
  TfrxCustomImageExport::Save();
  WriteHandled([&](rtl::TStream& s) { GIFSaveToStream(s, *bitmap_); });
}

TfrxPNGExport::TfrxPNGExport(rtl::TComponent* owner) : TfrxCustomImageExport(owner) {
  FileFilter = vuzResources().Get("PNGexportFilter");
  DefaultExt = ".png";
}
AnsiString TfrxPNGExport::GetDescription() const { return vuzResources().Get("PNGexport"); }
void TfrxPNGExport::Save() {
  TfrxCustomImageExport::Save();
  WritePicture([&](rtl::TStream& s) {
    TPNGObject png;
    png.Assign(*bitmap_);
    png.SaveToStream(s);
  });
}

// ---------------------------------------------------------------- EMF

TfrxEMFExport::TfrxEMFExport(rtl::TComponent* owner) : TfrxCustomImageExport(owner) {
  FileFilter = vuzResources().Get("EMFexportFilter");
  DefaultExt = ".emf";
}
TfrxEMFExport::~TfrxEMFExport() { canvas_.reset(); }
AnsiString TfrxEMFExport::GetDescription() const { return vuzResources().Get("EMFexport"); }

void TfrxEMFExport::NewMetafile(int width, int height) {
  canvas_.reset();
  metafile_ = std::make_unique<gfx::TMetafile>();
  metafile_->SetWidth(std::max(1, width));
  metafile_->SetHeight(std::max(1, height));
  canvas_ = std::make_unique<gfx::TMetafileCanvas>(*metafile_);
  canvas_->Brush().SetColor(gfx::clWhite);
  scale_ = kMetafileScale;
}

bool TfrxEMFExport::Start() {
  const bool result = TfrxCustomImageExport::Start();
  bitmap_.reset();
  if (!SeparateFiles) NewMetafile(1, 1);
  return result;
}

void TfrxEMFExport::StartPage(TfrxComponent* page, int /*index*/) {
  ++pageCounter_;
  if (SeparateFiles) {
    NewMetafile(RoundEven(page->Width() * kMetafileScale), RoundEven(page->Height() * kMetafileScale));
    maxX_ = maxY_ = 0;
    minX_ = metafile_->Width();
    minY_ = metafile_->Height();
  } else if (firstPage_) {
    TfrxReport* report = ReportOf(Report);
    TfrxCustomPreviewPages* pages = report ? report->PreviewPages() : nullptr;
    const int count = pages ? std::max(1, pages->GetCount()) : 1;
    const int width = std::max(metafile_->Width(), RoundEven(page->Width() * kMetafileScale));
    const int height = static_cast<int>(
        std::min<long double>(kMaxSide, static_cast<long double>(count) * page->Height() * kMetafileScale));
    NewMetafile(width, height);
    minX_ = width;
    minY_ = height;
    firstPage_ = false;
  }
}

void TfrxEMFExport::ExportObject(TfrxComponent* object) {
  auto* view = dynamic_cast<TfrxView*>(object);
  if (!view || !view->Printable() || !canvas_) return;
  if (object->Name() != "_pagebackground")
    GrowExtent(object->GetAbsLeft(), object->GetAbsTop(), object->Width(), object->Height());
  view->Draw(*canvas_, scale_, scale_, 0, yOffset_);
}

void TfrxEMFExport::FinishExport() {
  try {
    TfrxCustomImageExport::Save();  // the suffix
    canvas_.reset();                // completes the recording
    if (CropImages && maxX_ > minX_ && maxY_ > minY_ && metafile_) {
      // The same crop on a metafile: play the recording shifted into a
      // metafile of the covered size.
      auto cropped = std::make_unique<gfx::TMetafile>();
      cropped->SetWidth(maxX_ - minX_);
      cropped->SetHeight(maxY_ - minY_);
      {
        gfx::TMetafileCanvas c(*cropped);
        c.Draw(-minX_, -minY_, *metafile_);
      }
      metafile_ = std::move(cropped);
    }
    if (!std::current_exception() && metafile_) WritePicture([&](rtl::TStream& s) { metafile_->SaveToStream(s); });
  } catch (...) {
    metafile_.reset();
    throw;
  }
  metafile_.reset();
}

void vuzCreatePictureExports(rtl::TComponent* owner) {
  new TfrxBMPExport(owner);
  new TfrxTIFFExport(owner);
  new TfrxJPEGExport(owner);
  new TfrxGIFExport(owner);
  new TfrxPNGExport(owner);
  new TfrxEMFExport(owner);
}

void GIFSaveToFile(const AnsiString& fileName, gfx::TBitmap& bitmap) {
  rtl::SaveFileAtomically(fileName, [&](rtl::TStream& s) { GIFSaveToStream(s, bitmap); });
}

// ---------------------------------------------------------------- published properties

const rtl::TClassInfo& TfrxCustomImageExport::StaticClass() {
  using F = TfrxCustomImageExport;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<F>("TfrxCustomImageExport", &TfrxCustomExportFilter::StaticClass())
          .Property(
              "Resolution", [](const F& f) { return f.Resolution; }, [](F& f, int v) { f.Resolution = v; })
          .Property(
              "SeparateFiles", [](const F& f) { return f.SeparateFiles; }, [](F& f, bool v) { f.SeparateFiles = v; })
          .Build();
  return info;
}

namespace {
template <class F>
rtl::TClassBuilder<F> ImageClass(const char* name, bool monochrome) {
  rtl::TClassBuilder<F> b(name, &TfrxCustomImageExport::StaticClass());
  b.Creatable().Property(
      "CropImages", [](const F& f) { return f.CropImages; }, [](F& f, bool v) { f.CropImages = v; });
  if (monochrome)
    b.Property(
        "Monochrome", [](const F& f) { return f.Monochrome; }, [](F& f, bool v) { f.Monochrome = v; });
  return b;
}
}  // namespace

const rtl::TClassInfo& TfrxBMPExport::StaticClass() {
  static const rtl::TClassInfo info = ImageClass<TfrxBMPExport>("TfrxBMPExport", true).Build();
  return info;
}
const rtl::TClassInfo& TfrxTIFFExport::StaticClass() {
  using F = TfrxTIFFExport;
  static const rtl::TClassInfo info =
      ImageClass<F>("TfrxTIFFExport", true)
          .Property(
              "MultiImage", [](const F& f) { return f.MultiImage; }, [](F& f, bool v) { f.MultiImage = v; })
          .Build();
  return info;
}
const rtl::TClassInfo& TfrxJPEGExport::StaticClass() {
  using F = TfrxJPEGExport;
  static const rtl::TClassInfo info =
      ImageClass<F>("TfrxJPEGExport", true)
          .Property(
              "JPEGQuality", [](const F& f) { return f.JPEGQuality; }, [](F& f, int v) { f.JPEGQuality = v; })
          .Build();
  return info;
}
const rtl::TClassInfo& TfrxGIFExport::StaticClass() {
  static const rtl::TClassInfo info = ImageClass<TfrxGIFExport>("TfrxGIFExport", true).Build();
  return info;
}
const rtl::TClassInfo& TfrxPNGExport::StaticClass() {
  static const rtl::TClassInfo info = ImageClass<TfrxPNGExport>("TfrxPNGExport", true).Build();
  return info;
}
const rtl::TClassInfo& TfrxEMFExport::StaticClass() {
  static const rtl::TClassInfo info = ImageClass<TfrxEMFExport>("TfrxEMFExport", false).Build();
  return info;
}

}  // namespace report
