#include "report/vuzClassServices.h"

#include "platform/rtl/files.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzGZip.h"
#include "report/vuzUtils.h"

namespace report {

namespace {
[[noreturn]] void Abstract() { throw rtl::EAbstractError("Abstract Error"); }

const rtl::TClassInfo* g_compressorClass = nullptr;
const rtl::TClassInfo* g_crypterClass = nullptr;

TfrxCustomPreviewPages::OutlineFactory& Outlines() {
  static TfrxCustomPreviewPages::OutlineFactory factory;
  return factory;
}
}  // namespace

const rtl::TClassInfo* vuzCompressorClass() { return g_compressorClass; }
const rtl::TClassInfo* vuzCrypterClass() { return g_crypterClass; }

// ---------------------------------------------------------------- engine

TfrxCustomEngine::TfrxCustomEngine(TfrxComponent* report) : report_(report) {}
TfrxCustomEngine::~TfrxCustomEngine() = default;

void TfrxCustomEngine::EndPage() { Abstract(); }
void TfrxCustomEngine::NewColumn() { Abstract(); }
void TfrxCustomEngine::NewPage() { Abstract(); }
void TfrxCustomEngine::ShowBand(TfrxComponent*) { Abstract(); }
void TfrxCustomEngine::ShowBand(const rtl::TClassInfo&) { Abstract(); }
long double TfrxCustomEngine::HeaderHeight() { Abstract(); }
long double TfrxCustomEngine::FooterHeight() { Abstract(); }
long double TfrxCustomEngine::FreeSpace() { Abstract(); }
rtl::Variant TfrxCustomEngine::GetAggregateValue(const AnsiString&, const AnsiString&, TfrxComponent*, int) {
  Abstract();
}
bool TfrxCustomEngine::Run() { Abstract(); }

void TfrxCustomEngine::ShowBandByName(const AnsiString& name) {
  ShowBand(report_ ? report_->FindObject(name) : nullptr);
}

void TfrxCustomEngine::StopReport() {
  if (OnSetTerminated) OnSetTerminated(true);
}

bool TfrxCustomEngine::GetDoublePass() const { return OnGetDoublePass ? OnGetDoublePass() : false; }

// ---------------------------------------------------------------- outline

int TfrxCustomOutline::GetCount() { Abstract(); }
void TfrxCustomOutline::AddItem(const AnsiString&, int) { Abstract(); }
void TfrxCustomOutline::LevelDown(int) { Abstract(); }
void TfrxCustomOutline::LevelRoot() { Abstract(); }
void TfrxCustomOutline::LevelUp() { Abstract(); }
void TfrxCustomOutline::GetItem(int, AnsiString&, int&, int&) { Abstract(); }
void TfrxCustomOutline::ShiftItems(TfrxXMLItem*, int, bool) { Abstract(); }
TfrxXMLItem* TfrxCustomOutline::GetCurPosition() { Abstract(); }
TfrxCustomEngine* TfrxCustomOutline::Engine() const { return previewPages_ ? previewPages_->Engine : nullptr; }

// ---------------------------------------------------------------- prepared pages

void TfrxCustomPreviewPages::SetOutlineFactory(OutlineFactory factory) { Outlines() = std::move(factory); }

TfrxCustomPreviewPages::TfrxCustomPreviewPages(TfrxComponent* report) : report_(report) {
  if (Outlines()) outline_ = Outlines()(this);
}

TfrxCustomPreviewPages::~TfrxCustomPreviewPages() = default;

int TfrxCustomPreviewPages::GetCount() { Abstract(); }
TfrxComponent* TfrxCustomPreviewPages::GetPage(int) { Abstract(); }
TfrxPoint TfrxCustomPreviewPages::GetPageSize(int) { Abstract(); }
void TfrxCustomPreviewPages::Clear() { Abstract(); }
void TfrxCustomPreviewPages::Initialize() { Abstract(); }
void TfrxCustomPreviewPages::AddObject(TfrxComponent*) { Abstract(); }
void TfrxCustomPreviewPages::AddPage(TfrxComponent*) { Abstract(); }
void TfrxCustomPreviewPages::AddSourcePage(TfrxComponent*) { Abstract(); }
void TfrxCustomPreviewPages::AddToSourcePage(TfrxComponent*) { Abstract(); }
void TfrxCustomPreviewPages::BeginPass() { Abstract(); }
void TfrxCustomPreviewPages::ClearFirstPassPages() { Abstract(); }
void TfrxCustomPreviewPages::CutObjects(int) { Abstract(); }
void TfrxCustomPreviewPages::Finish() { Abstract(); }
void TfrxCustomPreviewPages::IncLogicalPageNumber() { Abstract(); }
void TfrxCustomPreviewPages::ResetLogicalPageNumber() { Abstract(); }
void TfrxCustomPreviewPages::PasteObjects(long double, long double) { Abstract(); }
void TfrxCustomPreviewPages::ShiftAnchors(int, int, bool) { Abstract(); }
void TfrxCustomPreviewPages::AddAnchor(const AnsiString&) { Abstract(); }
int TfrxCustomPreviewPages::GetAnchorPage(const AnsiString&) { Abstract(); }
void TfrxCustomPreviewPages::AddPicture(TfrxComponent*) { Abstract(); }
bool TfrxCustomPreviewPages::BandExists(TfrxComponent*) { Abstract(); }
int TfrxCustomPreviewPages::GetCurPosition() { Abstract(); }
int TfrxCustomPreviewPages::GetAnchorCurPosition() { Abstract(); }
long double TfrxCustomPreviewPages::GetLastY(long double) { Abstract(); }
int TfrxCustomPreviewPages::GetLogicalPageNo() { Abstract(); }
int TfrxCustomPreviewPages::GetLogicalTotalPages() { Abstract(); }
void TfrxCustomPreviewPages::AddEmptyPage(int) { Abstract(); }
void TfrxCustomPreviewPages::DeletePage(int) { Abstract(); }
void TfrxCustomPreviewPages::ModifyPage(int, TfrxComponent*) { Abstract(); }
void TfrxCustomPreviewPages::DrawPage(int, gfx::TCanvas&, long double, long double, long double, long double) {
  Abstract();
}
bool TfrxCustomPreviewPages::ObjectOver(int, int, int, int, unsigned, long double, long double, long double, bool, int&,
                                        bool) {
  Abstract();
}
void TfrxCustomPreviewPages::AddFrom(TfrxComponent*) { Abstract(); }
void TfrxCustomPreviewPages::LoadFromStream(rtl::TStream&, bool) { Abstract(); }
void TfrxCustomPreviewPages::SaveToStream(rtl::TStream&) { Abstract(); }
bool TfrxCustomPreviewPages::LoadFromFile(const AnsiString&, bool) { Abstract(); }
void TfrxCustomPreviewPages::SaveToFile(const AnsiString&) { Abstract(); }
bool TfrxCustomPreviewPages::Print() { Abstract(); }
bool TfrxCustomPreviewPages::Export(TfrxCustomExportFilter*) { Abstract(); }

// ---------------------------------------------------------------- export filters

TfrxCustomExportFilter::TfrxCustomExportFilter(rtl::TComponent* owner) : rtl::TComponent(owner) { Init(); }

TfrxCustomExportFilter::TfrxCustomExportFilter() : rtl::TComponent(nullptr) {
  NoRegister = true;
  Init();
}

void TfrxCustomExportFilter::Init() {
  if (!NoRegister) vuzExportFilters().Register(this);
  ShowDialog = true;
  UseFileCache = true;
  DefaultPath.clear();
  ShowProgress = true;
  OverwritePrompt = false;
  ExportToTemp = false;
}

TfrxCustomExportFilter::~TfrxCustomExportFilter() {
  // The registry may be gone already when the program ends oddly; never make it anew.
  if (!NoRegister && vuzExportFiltersExist()) vuzExportFilters().Unregister(this);
}

void TfrxCustomExportFilter::ExportObject(TfrxComponent*) { Abstract(); }

// ---------------------------------------------------------------- compressor, crypter, wizard

TfrxCustomCompressor::TfrxCustomCompressor(rtl::TComponent* owner, const rtl::TClassInfo& cls)
    : rtl::TComponent(owner), previous_(g_compressorClass) {
  g_compressorClass = &cls;
}

TfrxCustomCompressor::~TfrxCustomCompressor() {
  g_compressorClass = previous_;
  stream_.reset();
  if (!tempFile_.empty()) rtl::DeleteFile(tempFile_);
}

bool TfrxCustomCompressor::Decompress(rtl::TStream&) { Abstract(); }
void TfrxCustomCompressor::Compress(rtl::TStream&) { Abstract(); }

void TfrxCustomCompressor::CreateStream() {
  if (IsFR3File || !UseFileCache) {
    stream_ = std::make_unique<rtl::TMemoryStream>();
    return;
  }
  tempFile_ = vuzCreateTempFile(TempDir);
  stream_ = std::make_unique<rtl::TFileStream>(tempFile_, rtl::fmCreate);
}

bool TfrxGZipCompressor::Decompress(rtl::TStream& source) {
  const std::int64_t start = source.Position();
  unsigned char magic[2] = {0, 0};
  const std::int64_t got = source.Read(magic, 2);
  source.SetPosition(start);
  if (got != 2 || magic[0] != 0x1F || magic[1] != 0x8B) return false;
  CreateStream();
  vuzDecompressStream(source, *stream_);
  stream_->SetPosition(0);
  return true;
}

void TfrxGZipCompressor::Compress(rtl::TStream& dest) {
  if (!stream_) return;
  stream_->SetPosition(0);
  vuzCompressStream(*stream_, dest, gzDefault);
}

TfrxCustomCrypter::TfrxCustomCrypter(rtl::TComponent* owner, const rtl::TClassInfo& cls) : rtl::TComponent(owner) {
  g_crypterClass = &cls;
}

bool TfrxCustomCrypter::Decrypt(rtl::TStream&, const AnsiString&) { Abstract(); }
void TfrxCustomCrypter::Crypt(rtl::TStream&, const AnsiString&) { Abstract(); }

TfrxCustomWizard::TfrxCustomWizard(rtl::TComponent* owner) : rtl::TComponent(owner), designer_(owner) {}
bool TfrxCustomWizard::Execute() { Abstract(); }

// ---------------------------------------------------------------- reflection

const rtl::TClassInfo& TfrxCustomEngine::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxCustomEngine>("TfrxCustomEngine", &rtl::TPersistent::StaticClass())
          .Property(
              "CurColumn", [](const TfrxCustomEngine& e) { return e.CurColumn; },
              [](TfrxCustomEngine& e, int v) { e.CurColumn = v; })
          .Property(
              "CurVColumn", [](const TfrxCustomEngine& e) { return e.CurVColumn; },
              [](TfrxCustomEngine& e, int v) { e.CurVColumn = v; })
          .Property(
              "CurX", [](const TfrxCustomEngine& e) { return e.CurX; },
              [](TfrxCustomEngine& e, long double v) { e.CurX = v; })
          .Property(
              "CurY", [](const TfrxCustomEngine& e) { return e.CurY; },
              [](TfrxCustomEngine& e, long double v) { e.CurY = v; })
          .Property("DoublePass", &TfrxCustomEngine::GetDoublePass)
          .Property(
              "FinalPass", [](const TfrxCustomEngine& e) { return e.FinalPass; },
              [](TfrxCustomEngine& e, bool v) { e.FinalPass = v; })
          .Property(
              "PageHeight", [](const TfrxCustomEngine& e) { return const_cast<TfrxCustomEngine&>(e).GetPageHeight(); },
              [](TfrxCustomEngine& e, long double v) { e.PageHeight = v; })
          .Property(
              "PageWidth", [](const TfrxCustomEngine& e) { return e.PageWidth; },
              [](TfrxCustomEngine& e, long double v) { e.PageWidth = v; })
          .Property(
              "StartDate", [](const TfrxCustomEngine& e) { return static_cast<double>(e.StartDate); },
              [](TfrxCustomEngine& e, double v) { e.StartDate = v; })
          .Property(
              "StartTime", [](const TfrxCustomEngine& e) { return static_cast<double>(e.StartTime); },
              [](TfrxCustomEngine& e, double v) { e.StartTime = v; })
          .Property(
              "TotalPages", [](const TfrxCustomEngine& e) { return e.TotalPages; },
              [](TfrxCustomEngine& e, int v) { e.TotalPages = v; })
          .Property(
              "SecondScriptCall", [](const TfrxCustomEngine& e) { return e.SecondScriptCall; },
              [](TfrxCustomEngine& e, bool v) { e.SecondScriptCall = v; })
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxCustomExportFilter::StaticClass() {
  using F = TfrxCustomExportFilter;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<F>("TfrxCustomExportFilter", &rtl::TComponent::StaticClass())
          .Property(
              "ShowDialog", [](const F& f) { return f.ShowDialog; }, [](F& f, bool v) { f.ShowDialog = v; })
          .Default(true)
          .Property(
              "FileName", [](const F& f) { return f.FileName; }, [](F& f, const AnsiString& v) { f.FileName = v; })
          .Property(
              "ExportNotPrintable", [](const F& f) { return f.ExportNotPrintable; },
              [](F& f, bool v) { f.ExportNotPrintable = v; })
          .Default(false)
          .Property(
              "UseFileCache", [](const F& f) { return f.UseFileCache; }, [](F& f, bool v) { f.UseFileCache = v; })
          .Property(
              "DefaultPath", [](const F& f) { return f.DefaultPath; },
              [](F& f, const AnsiString& v) { f.DefaultPath = v; })
          .Property(
              "ShowProgress", [](const F& f) { return f.ShowProgress; }, [](F& f, bool v) { f.ShowProgress = v; })
          .Property(
              "OverwritePrompt", [](const F& f) { return f.OverwritePrompt; },
              [](F& f, bool v) { f.OverwritePrompt = v; })
          .Property(
              "CreationTime", [](const F& f) { return static_cast<double>(f.CreationTime); },
              [](F& f, double v) { f.CreationTime = v; })
          .Property(
              "DataOnly", [](const F& f) { return f.DataOnly; }, [](F& f, bool v) { f.DataOnly = v; })
          .Event("OnBeginExport")
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxCustomCompressor::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxCustomCompressor>("TfrxCustomCompressor", &rtl::TComponent::StaticClass()).Build();
  return info;
}

const rtl::TClassInfo& TfrxGZipCompressor::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxGZipCompressor>("TfrxGZipCompressor", &TfrxCustomCompressor::StaticClass())
          .Creatable()
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxCustomCrypter::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxCustomCrypter>("TfrxCustomCrypter", &rtl::TComponent::StaticClass()).Build();
  return info;
}

const rtl::TClassInfo& TfrxCustomWizard::StaticClass() {
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<TfrxCustomWizard>("TfrxCustomWizard", &rtl::TComponent::StaticClass()).Build();
  return info;
}

}  // namespace report
