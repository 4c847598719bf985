// The four option classes of a report and their reflection.
#include "platform/rtl/datetime.h"
#include "report/vuzClassReport.h"
#include "report/vuzRes.h"

namespace report {

const rtl::TEnumType& SilentModeType() {
  static const rtl::TEnumType type{"TfrxSilentMode", {"simMessageBoxes", "simSilent", "simReThrow"}};
  return type;
}

const rtl::TEnumType& ZoomModeType() {
  static const rtl::TEnumType type{"TfrxZoomMode", {"zmDefault", "zmWholePage", "zmPageWidth", "zmManyPages"}};
  return type;
}

const rtl::TEnumType& PrintModeType() {
  static const rtl::TEnumType type{"TfrxPrintMode", {"pmDefault", "pmSplit", "pmJoin", "pmScale"}};
  return type;
}

const rtl::TEnumType& PrintPagesType() {
  static const rtl::TEnumType type{"TfrxPrintPages", {"ppAll", "ppOdd", "ppEven"}};
  return type;
}

const rtl::TEnumType& PreviewButtonType() {
  static const rtl::TEnumType type{
      "TfrxPreviewButton",
      {"pbPrint", "pbLoad", "pbSave", "pbExport", "pbZoom", "pbFind", "pbOutline", "pbPageSetup", "pbTools", "pbEdit",
       "pbNavigator", "pbExportQuick", "pbNoClose", "pbNoFullScreen", "pbNoEmail"}};
  return type;
}

const rtl::TSetType& PreviewButtonsType() {
  static const rtl::TSetType type{"TfrxPreviewButtons", &PreviewButtonType()};
  return type;
}

// ---------------------------------------------------------------- engine options

TfrxEngineOptions::TfrxEngineOptions() = default;

void TfrxEngineOptions::Assign(const rtl::TPersistent* source) {
  const auto* o = dynamic_cast<const TfrxEngineOptions*>(source);
  if (!o) return;
  ConvertNulls = o->ConvertNulls;
  DoublePass = o->DoublePass;
  MaxMemSize = o->MaxMemSize;
  PrintIfEmpty = o->PrintIfEmpty;
  NewSilentMode = o->NewSilentMode;
  TempDir = o->TempDir;
  UseFileCache = o->UseFileCache;
  IgnoreDevByZero = o->IgnoreDevByZero;
}

void TfrxEngineOptions::Clear() {
  ConvertNulls = true;
  IgnoreDevByZero = false;
  DoublePass = false;
}

// ---------------------------------------------------------------- preview options

void TfrxPreviewOptions::Assign(const rtl::TPersistent* source) {
  const auto* o = dynamic_cast<const TfrxPreviewOptions*>(source);
  if (!o) return;
  AllowEdit = o->AllowEdit;
  Buttons = o->Buttons;
  DoubleBuffered = o->DoubleBuffered;
  Maximized = o->Maximized;
  MDIChild = o->MDIChild;
  Modal = o->Modal;
  OutlineExpand = o->OutlineExpand;
  OutlineVisible = o->OutlineVisible;
  OutlineWidth = o->OutlineWidth;
  PagesInCache = o->PagesInCache;
  ThumbnailVisible = o->ThumbnailVisible;
  ShowCaptions = o->ShowCaptions;
  Zoom = o->Zoom;
  ZoomMode = o->ZoomMode;
  PictureCacheInFile = o->PictureCacheInFile;
  RTLPreview = o->RTLPreview;
}

void TfrxPreviewOptions::Clear() {
  OutlineExpand = true;
  OutlineVisible = false;
  OutlineWidth = 120;
  PagesInCache = 50;
  ThumbnailVisible = false;
}

// ---------------------------------------------------------------- print options

TfrxPrintOptions::TfrxPrintOptions() { Clear(); }

void TfrxPrintOptions::Assign(const rtl::TPersistent* source) {
  const auto* o = dynamic_cast<const TfrxPrintOptions*>(source);
  if (!o) return;
  Copies = o->Copies;
  Collate = o->Collate;
  PageNumbers = o->PageNumbers;
  Printer = o->Printer;
  PrintMode = o->PrintMode;
  PrintOnSheet = o->PrintOnSheet;
  PrintPages = o->PrintPages;
  Reverse = o->Reverse;
  ShowDialog = o->ShowDialog;
  SplicingLine = o->SplicingLine;
}

void TfrxPrintOptions::Clear() {
  Copies = 1;
  Collate = true;
  PageNumbers.clear();
  PagesOnSheet = 0;
  Printer = vuzResources().Get("prDefault");
  PrintMode = pmDefault;
  PrintOnSheet = 0;
  PrintPages = ppAll;
  Reverse = false;
  ShowDialog = true;
  SwapPageSize = false;
  SplicingLine = 3;
  Duplex = dmNone;
}

// ---------------------------------------------------------------- report options

TfrxReportOptions::TfrxReportOptions()
    : description_(std::make_unique<rtl::TStringList>()), picture_(std::make_unique<gfx::TPicture>()) {
  CreateDate = rtl::Now();
  LastChange = rtl::Now();
}

TfrxReportOptions::~TfrxReportOptions() = default;

void TfrxReportOptions::SetPicture(const gfx::TPicture* value) {
  if (value)
    picture_->Assign(*value);
  else
    picture_->Assign(gfx::TPicture());
}

void TfrxReportOptions::Assign(const rtl::TPersistent* source) {
  const auto* o = dynamic_cast<const TfrxReportOptions*>(source);
  if (!o) return;
  Author = o->Author;
  Compressed = o->Compressed;
  ConnectionName = o->ConnectionName;
  CreateDate = o->CreateDate;
  description_->Assign(o->description_.get());
  InitString = o->InitString;
  Name = o->Name;
  LastChange = o->LastChange;
  Password = o->Password;
  picture_->Assign(*o->picture_);
  VersionBuild = o->VersionBuild;
  VersionMajor = o->VersionMajor;
  VersionMinor = o->VersionMinor;
  VersionRelease = o->VersionRelease;
}

void TfrxReportOptions::Clear() {
  if (!InfoOnly) {
    Author.clear();
    Compressed = false;
    description_->Clear();
    picture_->Assign(gfx::TPicture());
    CreateDate = rtl::Now();
    LastChange = rtl::Now();
    VersionBuild.clear();
    VersionMajor.clear();
    VersionMinor.clear();
    VersionRelease.clear();
  }
  ConnectionName.clear();
  InitString.clear();
  Name.clear();
  Password.clear();
  PrevPassword.clear();
}

// ---------------------------------------------------------------- reflection

namespace {
template <class C, class T>
auto Field(T C::*member) {
  return [member](const C& o) { return o.*member; };
}
template <class C, class T>
auto SetField(T C::*member) {
  return [member](C& o, T v) { o.*member = std::move(v); };
}
}  // namespace

const rtl::TClassInfo& TfrxEngineOptions::StaticClass() {
  using C = TfrxEngineOptions;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<C>("TfrxEngineOptions", &rtl::TPersistent::StaticClass())
          .Property("ConvertNulls", Field(&C::ConvertNulls), SetField(&C::ConvertNulls))
          .Default(true)
          .Property("DoublePass", Field(&C::DoublePass), SetField(&C::DoublePass))
          .Default(false)
          .Property("MaxMemSize", Field(&C::MaxMemSize), SetField(&C::MaxMemSize))
          .Default(10)
          .Property("PrintIfEmpty", Field(&C::PrintIfEmpty), SetField(&C::PrintIfEmpty))
          .Default(true)
          .Property("SilentMode", &C::SilentMode, &C::SetSilentMode)
          .Default(false)
          .Enum("NewSilentMode", SilentModeType(), Field(&C::NewSilentMode), SetField(&C::NewSilentMode))
          .Default(simMessageBoxes)
          .Property("TempDir", Field(&C::TempDir), SetField(&C::TempDir))
          .Property("UseFileCache", Field(&C::UseFileCache), SetField(&C::UseFileCache))
          .Default(false)
          .Property("IgnoreDevByZero", Field(&C::IgnoreDevByZero), SetField(&C::IgnoreDevByZero))
          .Default(false)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxPreviewOptions::StaticClass() {
  using C = TfrxPreviewOptions;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<C>("TfrxPreviewOptions", &rtl::TPersistent::StaticClass())
          .Property("AllowEdit", Field(&C::AllowEdit), SetField(&C::AllowEdit))
          .Default(true)
          .Set("Buttons", PreviewButtonsType(), Field(&C::Buttons), SetField(&C::Buttons))
          .Property("DoubleBuffered", Field(&C::DoubleBuffered), SetField(&C::DoubleBuffered))
          .Default(true)
          .Property("Maximized", Field(&C::Maximized), SetField(&C::Maximized))
          .Default(true)
          .Property("MDIChild", Field(&C::MDIChild), SetField(&C::MDIChild))
          .Default(false)
          .Property("Modal", Field(&C::Modal), SetField(&C::Modal))
          .Default(true)
          .Property("OutlineExpand", Field(&C::OutlineExpand), SetField(&C::OutlineExpand))
          .Default(true)
          .Property("OutlineVisible", Field(&C::OutlineVisible), SetField(&C::OutlineVisible))
          .Default(false)
          .Property("OutlineWidth", Field(&C::OutlineWidth), SetField(&C::OutlineWidth))
          .Default(120)
          .Property("PagesInCache", Field(&C::PagesInCache), SetField(&C::PagesInCache))
          .Default(50)
          .Property("ThumbnailVisible", Field(&C::ThumbnailVisible), SetField(&C::ThumbnailVisible))
          .Default(false)
          .Property("ShowCaptions", Field(&C::ShowCaptions), SetField(&C::ShowCaptions))
          .Default(false)
          .Property("Zoom", Field(&C::Zoom), SetField(&C::Zoom))
          .Enum("ZoomMode", ZoomModeType(), Field(&C::ZoomMode), SetField(&C::ZoomMode))
          .Default(zmDefault)
          .Property("PictureCacheInFile", Field(&C::PictureCacheInFile), SetField(&C::PictureCacheInFile))
          .Default(false)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxPrintOptions::StaticClass() {
  using C = TfrxPrintOptions;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<C>("TfrxPrintOptions", &rtl::TPersistent::StaticClass())
          .Property("Copies", Field(&C::Copies), SetField(&C::Copies))
          .Default(1)
          .Property("Collate", Field(&C::Collate), SetField(&C::Collate))
          .Default(true)
          .Property("PageNumbers", Field(&C::PageNumbers), SetField(&C::PageNumbers))
          .Property("Printer", Field(&C::Printer), SetField(&C::Printer))
          .Enum("PrintMode", PrintModeType(), Field(&C::PrintMode), SetField(&C::PrintMode))
          .Default(pmDefault)
          .Property("PrintOnSheet", Field(&C::PrintOnSheet), SetField(&C::PrintOnSheet))
          .Default(0)
          .Enum("PrintPages", PrintPagesType(), Field(&C::PrintPages), SetField(&C::PrintPages))
          .Default(ppAll)
          .Property("Reverse", Field(&C::Reverse), SetField(&C::Reverse))
          .Default(false)
          .Property("ShowDialog", Field(&C::ShowDialog), SetField(&C::ShowDialog))
          .Default(true)
          .Property("SwapPageSize", Field(&C::SwapPageSize), SetField(&C::SwapPageSize))
          .Stored(false)
          .Build();
  return info;
}

const rtl::TClassInfo& TfrxReportOptions::StaticClass() {
  using C = TfrxReportOptions;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<C>("TfrxReportOptions", &rtl::TPersistent::StaticClass())
          .Property("Author", Field(&C::Author), SetField(&C::Author))
          .Property("Compressed", Field(&C::Compressed), SetField(&C::Compressed))
          .Default(false)
          .Property("ConnectionName", Field(&C::ConnectionName), SetField(&C::ConnectionName))
          .Property(
              "CreateDate", [](const C& o) { return static_cast<long double>(o.CreateDate); },
              [](C& o, long double v) { o.CreateDate = static_cast<rtl::TDateTime>(v); })
          .Property("Description", &C::Description, &C::SetDescription)
          .Property("InitString", Field(&C::InitString), SetField(&C::InitString))
          .Property("Name", Field(&C::Name), SetField(&C::Name))
          .Property(
              "LastChange", [](const C& o) { return static_cast<long double>(o.LastChange); },
              [](C& o, long double v) { o.LastChange = static_cast<rtl::TDateTime>(v); })
          .Property("Password", Field(&C::Password), SetField(&C::Password))
          .Property("Picture", &C::Picture, &C::SetPicture)
          .Property("VersionBuild", Field(&C::VersionBuild), SetField(&C::VersionBuild))
          .Property("VersionMajor", Field(&C::VersionMajor), SetField(&C::VersionMajor))
          .Property("VersionMinor", Field(&C::VersionMinor), SetField(&C::VersionMinor))
          .Property("VersionRelease", Field(&C::VersionRelease), SetField(&C::VersionRelease))
          .Build();
  return info;
}

}  // namespace report
