// The report object: construction, clearing, the tree's services, datasets,
// loading and saving, and its reflection. Running and progress are in
// vuzClassReportRun.cpp.
#include "report/vuzClassReport.h"

#include <utility>

#include "platform/rtl/classes.h"
#include "platform/rtl/files.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/textcase.h"
#include "report/vuzEngine.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"
#include "report/vuzXML.h"
#include "report/vuzXMLSerializer.h"

namespace report {

// ---------------------------------------------------------------- hooks

TfrxReportHooks& vuzReportHooks() {
  static TfrxReportHooks hooks;
  return hooks;
}

namespace {

// The store a report uses until the preview layer installs the real one: it
// counts pages and routes progress, enough for a run to report its pages.
class TfrxBasicPreviewPages : public TfrxCustomPreviewPages {
 public:
  explicit TfrxBasicPreviewPages(TfrxReport* report) : TfrxCustomPreviewPages(report), report_(report) {}
  int GetCount() override { return count_; }
  void Clear() override {
    count_ = 0;
    CurPage = -1;
  }
  void Initialize() override { report_->InternalOnProgressStart(ptRunning); }
  void AddObject(TfrxComponent*) override {}
  void AddPage(TfrxComponent*) override {
    ++CurPage;
    if (CurPage >= count_ || AddPageAction == apAdd) {
      ++count_;
      CurPage = count_ - 1;
      report_->InternalOnProgress(ptRunning, CurPage + 1);
      AddPageAction = apWriteOver;
    }
  }
  void AddSourcePage(TfrxComponent*) override {}
  void AddToSourcePage(TfrxComponent*) override {}
  void BeginPass() override { passStart_ = count_; }
  void ClearFirstPassPages() override {
    count_ = passStart_;
    CurPage = count_ - 1;
  }
  void Finish() override { report_->InternalOnProgressStop(ptRunning); }
  void IncLogicalPageNumber() override {}
  void ResetLogicalPageNumber() override {}
  int GetCurPosition() override { return 0; }
  int GetAnchorCurPosition() override { return -1; }
  int GetLogicalPageNo() override { return CurPage + 1; }
  int GetLogicalTotalPages() override { return Engine ? Engine->TotalPages : count_; }
  bool BandExists(TfrxComponent*) override { return false; }
  long double GetLastY(long double) override { return 0; }

 private:
  TfrxReport* report_;
  int count_ = 0;
  int passStart_ = 0;
};

constexpr const char* kCRLF = "\r\n";

}  // namespace

// ---------------------------------------------------------------- preview seams

TfrxCustomPreview::~TfrxCustomPreview() {
  if (Report) Report->PreviewDestroyed(this);
}

// ---------------------------------------------------------------- construction

TfrxReport::TfrxReport(rtl::TComponent* owner) : TfrxComponent(owner) {
  version_ = "4.14";
  dataSets_ = std::make_unique<TfrxReportDataSets>(this);
  variables_ = std::make_unique<TfrxVariables>();
  script_ = std::make_unique<script::TfsScript>();
  script_->ExtendedIdentifiers = true;
  script_->AddRTTI();
  TfrxReportHooks& hooks = vuzReportHooks();
  timer_ = hooks.CreateTimer ? hooks.CreateTimer() : vuzCreateTimer();
  timer_->SetInterval(50);
  timer_->SetEnabled(false);
  timer_->OnTimer = [this] { OnTimer(); };
  engineOptions_ = std::make_unique<TfrxEngineOptions>();
  previewOptions_ = std::make_unique<TfrxPreviewOptions>();
  printOptions_ = std::make_unique<TfrxPrintOptions>();
  reportOptions_ = std::make_unique<TfrxReportOptions>();
  reportOptions_->SetReport(this);
  iniFile_ = "\\Software\\Dodo Vavezev";
  scriptText_ = std::make_unique<rtl::TStringList>();
  emptyScriptText_ = std::make_unique<rtl::TStringList>();
  expressionCache_ = vuzCreateExpressionCache(*this);
  errors_ = std::make_unique<rtl::TStringList>();
  errors_->Duplicates = rtl::dupIgnore;
  errors_->SetSorted(true);
  styles_ = std::make_unique<TfrxStyles>(this);
  sysVariables_ = std::make_unique<rtl::TStringList>();
  sysVariables_->OnChange = [this](rtl::TObject*) { sysVariableIndex_.clear(); };
  enabledDataSets_ = std::make_unique<TfrxReportDataSets>(this);
  showProgress_ = true;
  storeInDFM_ = true;
  SetEngine(hooks.CreateEngine ? hooks.CreateEngine(*this) : std::make_unique<TfrxEngine>(this));
  SetPreviewPages(hooks.CreatePreviewPages ? hooks.CreatePreviewPages(*this)
                                           : std::make_unique<TfrxBasicPreviewPages>(this));
  drillState_ = std::make_unique<rtl::TStringList>();
  DoClear();
}

TfrxReport::~TfrxReport() {
  timer_->SetEnabled(false);
  TfrxComponent::Clear();
  if (previewForm_) {
    TfrxCustomPreviewForm* form = previewForm_;
    previewForm_ = nullptr;
    form->Close();
  }
  SetPreview(nullptr);
  parentReportObject_.reset();
  progress_.reset();
  engine_.reset();
  previewPages_.reset();
  expressionCache_.reset();
}

void TfrxReport::SetEngine(std::unique_ptr<TfrxCustomEngine> engine) {
  engine_ = std::move(engine);
  if (!engine_) return;
  engine_->OnSetTerminated = [this](bool value) { SetTerminated(value); };
  engine_->OnGetDoublePass = [this] { return engineOptions_->DoublePass; };
  engine_->PreviewPages = previewPages_.get();
  if (previewPages_) previewPages_->Engine = engine_.get();
}

void TfrxReport::SetPreviewPages(std::unique_ptr<TfrxCustomPreviewPages> pages) {
  previewPages_ = std::move(pages);
  if (previewPages_) previewPages_->Engine = engine_.get();
  if (engine_) engine_->PreviewPages = previewPages_.get();
  if (preview_) preview_->PreviewPages = previewPages_.get();
}

// ---------------------------------------------------------------- clearing

void TfrxReport::Clear() { DoClear(); }

void TfrxReport::DoClear() {
  TfrxComponent::Clear();
  dataSets_->Clear();
  variables_->Clear();
  engineOptions_->Clear();
  previewOptions_->Clear();
  printOptions_->Clear();
  reportOptions_->Clear();
  styles_->Clear();
  dataSet_ = nullptr;
  dataSetName_.clear();
  dotMatrixReport_ = false;
  SetParentReport(AnsiString());
  scriptLanguage_ = "PascalScript";
  scriptText_->Clear();
  scriptText_->Add("begin");
  scriptText_->Add("");
  scriptText_->Add("end.");

  sysVariables_->Clear();
  for (const char* name : {"Date", "Time", "Page", "Page#", "TotalPages", "TotalPages#", "Line", "Line#", "CopyName#"})
    sysVariables_->Add(name);

  OnRunDialogs.clear();
  OnStartReport.clear();
  OnStopReport.clear();
}

AnsiString TfrxReport::GetDescription() const { return vuzResources().Get("obReport"); }

TfrxComponent* TfrxReport::FindAncestor(const AnsiString& name) {
  if (!parentReportObject_) return nullptr;
  // The report's own ancestor is the parent template's report.
  if (!name.empty() && rtl::AnsiSameText(name, Name())) return parentReportObject_.get();
  return parentReportObject_->FindObject(name);
}

TfrxComponent* TfrxReport::Pages(int index) const { return Objects().at(static_cast<std::size_t>(index)); }

int TfrxReport::PagesCount() const { return static_cast<int>(Objects().size()); }

void TfrxReport::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TfrxComponent::Notification(component, operation);
  if (operation != rtl::opRemove || !dataSets_) return;
  if (auto* dataSet = dynamic_cast<TfrxDataSet*>(component)) {
    if (TfrxDataSetItem* item = dataSets_->Find(dataSet)) delete item;
    if (TfrxDataSetItem* item = enabledDataSets_->Find(dataSet)) delete item;
    if (dataSet_ == dataSet) dataSet_ = nullptr;
  }
}

void TfrxReport::PreviewDestroyed(TfrxCustomPreview* preview) {
  if (preview_ != preview) return;
  preview_ = nullptr;
  previewForm_ = nullptr;
}

void TfrxReport::SetPreview(TfrxCustomPreview* value) {
  if (preview_ && !value) {
    preview_->Report = nullptr;
    preview_->PreviewPages = nullptr;
    previewForm_ = nullptr;
  }
  preview_ = value;
  if (value) {
    value->Report = this;
    value->PreviewPages = previewPages_.get();
    value->Init();
  }
}

void TfrxReport::SetVariables(const TfrxVariables* value) { variables_->Assign(value); }

void TfrxReport::SetStyles(const TfrxStyles* value) {
  if (!value) {
    styles_->Clear();
    return;
  }
  styles_->Assign(value);
  styles_->Apply();
}

rtl::TStrings* TfrxReport::GetScriptText() const {
  if (HasState(rtl::csWriting) && !storeInDFM_) return emptyScriptText_.get();
  return scriptText_.get();
}

void TfrxReport::DefineProperties(rtl::TFiler& filer) {
  TfrxComponent::DefineProperties(filer);
  // StoreInDFM concerns the program's own form streams, not templates.
  if (HasState(rtl::csWriting) && !storeInDFM_) return;
  auto define = [&](const char* name, rtl::TCollection& collection) {
    filer.DefineProperty(
        name, [this, &collection](rtl::TReader& reader) { vuzReadCollection(collection, reader, this); },
        [this, &collection](rtl::TWriter& writer) { vuzWriteCollection(collection, writer, this); },
        collection.Count() > 0);
  };
  define("Datasets", *dataSets_);
  define("Variables", *variables_);
  define("Style", *styles_);
}

// ---------------------------------------------------------------- datasets

TfrxDataSet* TfrxReport::GetDataset(const AnsiString& alias) const {
  TfrxDataSetItem* item = dataSets_->Find(alias);
  return item ? item->DataSet() : nullptr;
}

void TfrxReport::GetDatasetAndField(const AnsiString& complexName, TfrxDataSet*& dataSet, AnsiString& field) const {
  dataSet = nullptr;
  field.clear();
  const std::size_t at = complexName.find(".\"");
  if (at == AnsiString::npos) return;
  // The alias is looked up in place: this runs for every field of every row.
  TfrxDataSetItem* item = dataSets_->Find(std::string_view(complexName).substr(0, at));
  dataSet = item ? item->DataSet() : nullptr;
  field.assign(complexName, at + 2);
  if (!field.empty()) field.pop_back();
}

AnsiString TfrxReport::GetAlias(TfrxDataSet* dataSet) const {
  if (!dataSet) return AnsiString();
  if (dataSets_->Find(dataSet)) return dataSet->UserName();
  return vuzResources().Get("clDSNotIncl");
}

void TfrxReport::GetDataSetList(rtl::TStrings& list, bool onlyDB) const {
  list.Clear();
  for (int i = 0; i < dataSets_->Count(); ++i) {
    TfrxDataSet* d = dataSets_->GetItem(i)->DataSet();
    if (!d) continue;
    if (onlyDB && d->IsA("TfrxUserDataSet")) continue;
    list.AddObject(d->UserName(), d);
  }
}

void TfrxReport::GetActiveDataSetList(rtl::TStrings& list) const {
  if (engineOptions_->UseGlobalDataSetList) {
    vuzGetDataSetList(list);
    return;
  }
  list.Clear();
  for (int i = 0; i < enabledDataSets_->Count(); ++i)
    if (TfrxDataSet* d = enabledDataSets_->GetItem(i)->DataSet()) list.AddObject(d->UserName(), d);
}

void TfrxReport::SetDataSet(TfrxDataSet* value) {
  dataSet_ = value;
  dataSetName_ = value ? value->UserName() : AnsiString();
}

AnsiString TfrxReport::DataSetName() const { return dataSet_ ? dataSet_->UserName() : dataSetName_; }

void TfrxReport::SetDataSetName(const AnsiString& value) {
  dataSetName_ = value;
  dataSet_ = FindDataSet(dataSet_, value);
}

// ---------------------------------------------------------------- the data page

void TfrxReport::CheckDataPage() {
  TfrxComponent* dataPage = nullptr;
  for (TfrxComponent* c : GetAllObjects())
    if (c->IsA("TfrxDataPage")) {
      dataPage = c;
      break;
    }
  if (!dataPage) {
    const rtl::TClassInfo* info = rtl::GetClassInfo("TfrxDataPage");
    if (!info || !info->CanCreate()) return;  // the class is not linked into this program
    dataPage = dynamic_cast<TfrxComponent*>(info->Create(this));
    if (!dataPage) return;
    if (dataPage->Parent() != this) dataPage->SetParent(this);
    if (FindObject("Data"))
      dataPage->CreateUniqueName();
    else
      dataPage->SetName("Data");
    // To the first child position: the other children move behind it.
    std::vector<TfrxComponent*> others;
    for (TfrxComponent* c : Objects())
      if (c != dataPage) others.push_back(c);
    for (TfrxComponent* c : others) {
      c->SetParent(nullptr);
      c->SetParent(this);
    }
  }
  std::vector<TfrxComponent*> dialogComponents;
  for (TfrxComponent* c : GetAllObjects())
    if (c->IsA("TfrxDialogComponent")) dialogComponents.push_back(c);
  long double left = 60;
  for (TfrxComponent* c : dialogComponents) {
    c->SetParent(dataPage);
    c->SetLeft(left);
    c->SetTop(20);
    left += 64;
  }
}

// ---------------------------------------------------------------- loading and saving

namespace {

// Each character code moved by delta, modulo 256.
AnsiString ShiftPassword(const AnsiString& text, int delta) {
  AnsiString out = text;
  for (char& ch : out) ch = static_cast<char>(static_cast<unsigned char>(ch) + delta);
  return out;
}

template <class T>
std::unique_ptr<T> CreateRegistered(const rtl::TClassInfo* info) {
  if (!info || !info->CanCreate()) return nullptr;
  rtl::TObject* object = info->Create(nullptr);
  auto* typed = dynamic_cast<T*>(object);
  if (!typed) {
    delete object;
    return nullptr;
  }
  return std::unique_ptr<T>(typed);
}

}  // namespace

AnsiString vuzEncodeReportPassword(const AnsiString& plain) { return ShiftPassword(plain, -10); }
AnsiString vuzDecodeReportPassword(const AnsiString& stored) { return ShiftPassword(stored, 10); }

void TfrxReport::ReportErrors() {
  if (errors_->Count() == 0) return;
  vuzCommonErrorHandler(this, vuzResources().Get("clErrors") + kCRLF + errors_->Text());
}

void TfrxReport::LoadFromStream(rtl::TStream& stream) {
  errors_->Clear();
  rtl::TStream* source = &stream;

  std::unique_ptr<TfrxCustomCompressor> compressor = CreateRegistered<TfrxCustomCompressor>(vuzCompressorClass());
  if (compressor) {
    compressor->Report = this;
    compressor->IsFR3File = true;
    try {
      compressor->CreateStream();
      if (compressor->Decompress(stream)) source = compressor->Stream();
    } catch (const rtl::Exception& e) {
      compressor.reset();
      errors_->Add(vuzResources().Get("clDecompressError"));
      vuzCommonErrorHandler(this, vuzResources().Get("clErrors") + kCRLF + e.Message());
      return;
    }
  }

  reportOptions_->Password = reportOptions_->HiddenPassword;
  bool decrypted = false;
  std::unique_ptr<TfrxCustomCrypter> crypter = CreateRegistered<TfrxCustomCrypter>(vuzCrypterClass());
  if (crypter) {
    try {
      crypter->CreateStream();
      decrypted = crypter->Decrypt(*source, reportOptions_->Password);
      if (decrypted) source = crypter->Stream();
    } catch (const rtl::Exception& e) {
      crypter.reset();
      errors_->Add(vuzResources().Get("clDecryptError"));
      vuzCommonErrorHandler(this, vuzResources().Get("clErrors") + kCRLF + e.Message());
      return;
    }
  }

  // What a template must not change: the running program's settings.
  TfrxEngineOptions engineCopy;
  engineCopy.Assign(engineOptions_.get());
  engineCopy.DestroyForms = engineOptions_->DestroyForms;
  engineCopy.EnableThreadSafe = engineOptions_->EnableThreadSafe;
  engineCopy.UseGlobalDataSetList = engineOptions_->UseGlobalDataSetList;
  TfrxPreviewOptions previewCopy;
  previewCopy.Assign(previewOptions_.get());
  const AnsiString savedIniFile = iniFile_;
  TfrxCustomPreview* const savedPreview = preview_;
  const bool savedOldStyleProgress = oldStyleProgress_;
  const bool savedShowProgress = showProgress_;
  const bool savedStoreInDFM = storeInDFM_;

  auto restore = [&] {
    crypter.reset();
    compressor.reset();
    loadStream_ = nullptr;
    CheckDataPage();
    {
      TfrxEngineOptions& e = *engineOptions_;
      const bool convertNulls = e.ConvertNulls, ignoreDevByZero = e.IgnoreDevByZero, doublePass = e.DoublePass;
      e.Assign(&engineCopy);
      e.DestroyForms = engineCopy.DestroyForms;
      e.EnableThreadSafe = engineCopy.EnableThreadSafe;
      e.UseGlobalDataSetList = engineCopy.UseGlobalDataSetList;
      e.ConvertNulls = convertNulls;
      e.IgnoreDevByZero = ignoreDevByZero;
      e.DoublePass = doublePass;
    }
    {
      TfrxPreviewOptions& p = *previewOptions_;
      const bool outlineVisible = p.OutlineVisible, outlineExpand = p.OutlineExpand,
                 thumbnailVisible = p.ThumbnailVisible;
      const int outlineWidth = p.OutlineWidth, pagesInCache = p.PagesInCache;
      p.Assign(&previewCopy);
      p.OutlineVisible = outlineVisible;
      p.OutlineWidth = outlineWidth;
      p.OutlineExpand = outlineExpand;
      p.PagesInCache = pagesInCache;
      p.ThumbnailVisible = thumbnailVisible;
    }
    iniFile_ = savedIniFile;
    if (preview_ != savedPreview) preview_ = savedPreview;
    oldStyleProgress_ = savedOldStyleProgress;
    showProgress_ = savedShowProgress;
    storeInDFM_ = savedStoreInDFM;
    if (!decrypted) reportOptions_->Password = vuzDecodeReportPassword(reportOptions_->Password);
  };

  loading_ = true;
  loadStream_ = source;
  try {
    TfrxComponent::LoadFromStream(*source);
    loading_ = false;
  } catch (const TfrxInvalidXMLException& e) {
    loading_ = false;
    errors_->Add(decrypted ? AnsiString("Invalid password") : e.Message());
  } catch (const rtl::Exception& e) {
    loading_ = false;
    errors_->Add(e.Message());
  } catch (...) {
    loading_ = false;
    restore();
    throw;
  }
  restore();

  if (!reportOptions_->InfoOnly &&
      (reloading_ || engineOptions_->EnableThreadSafe || decrypted || reportOptions_->CheckPassword())) {
    ReportErrors();
  } else {
    DoClear();
  }
}

void TfrxReport::SaveToStream(rtl::TStream& stream, bool saveChildren, bool saveDefaultValues, bool useGetAncestor) {
  std::unique_ptr<TfrxCustomCompressor> compressor;
  if (reportOptions_->Compressed) compressor = CreateRegistered<TfrxCustomCompressor>(vuzCompressorClass());
  std::unique_ptr<TfrxCustomCrypter> crypter;
  if (!reportOptions_->Password.empty()) crypter = CreateRegistered<TfrxCustomCrypter>(vuzCrypterClass());
  rtl::TStream* target = &stream;
  if (compressor) {
    compressor->Report = this;
    compressor->IsFR3File = true;
    compressor->CreateStream();
    target = compressor->Stream();
  }
  rtl::TStream* afterCrypt = target;
  if (crypter) {
    crypter->CreateStream();
    target = crypter->Stream();
  }

  const AnsiString password = reportOptions_->Password;
  reportOptions_->PrevPassword = password;
  if (!crypter) reportOptions_->Password = vuzEncodeReportPassword(password);
  TfrxCustomPreview* const savedPreview = preview_;
  preview_ = nullptr;
  struct Restore {
    TfrxReport& report;
    const AnsiString& password;
    TfrxCustomPreview* preview;
    ~Restore() {
      report.preview_ = preview;
      report.reportOptions_->Password = password;
    }
  };
  {
    Restore restore{*this, password, savedPreview};
    TfrxComponent::SaveToStream(*target, saveChildren, saveDefaultValues, useGetAncestor || !parentReport_.empty());
  }
  if (crypter) crypter->Crypt(*afterCrypt, password);
  if (compressor) compressor->Compress(stream);
}

bool TfrxReport::LoadFromFile(const AnsiString& fileName, bool exceptionIfNotFound) {
  DoClear();
  fileName_.clear();
  const bool exists = rtl::FileExists(fileName);
  if (exists || exceptionIfNotFound) {
    rtl::TFileStream stream(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
    fileName_ = fileName;
    LoadFromStream(stream);
  }
  return exists;
}

void TfrxReport::SaveToFile(const AnsiString& fileName) {
  // An absolute parent path becomes relative to the template's folder when
  // it lies inside it, so the pair of files can move together.
  const bool absolute = (parentReport_.size() > 1 && parentReport_[1] == ':') || parentReport_.starts_with('/');
  const AnsiString folder = rtl::ExtractFilePath(fileName);
  if (absolute && !folder.empty() && parentReport_.size() > folder.size() &&
      rtl::AnsiCompareText(parentReport_.substr(0, folder.size()), folder) == 0)
    parentReport_ = parentReport_.substr(folder.size());
  // Written beside and renamed over the old file, so a failed write keeps it.
  rtl::SaveFileAtomically(fileName, [this](rtl::TStream& stream) { SaveToStream(stream, true, false, false); });
  fileName_ = fileName;
}

// ---------------------------------------------------------------- reflection

const rtl::TClassInfo& TfrxReport::StaticClass() {
  using C = TfrxReport;
  static const rtl::TClassInfo info = rtl::TClassBuilder<C>("TfrxReport", &TfrxComponent::StaticClass())
                                          .Creatable()
                                          .Property("Version", &C::Version, &C::SetVersion)
                                          .Property("ParentReport", &C::ParentReport, &C::SetParentReport)
                                          .Property("DataSet", &C::DataSet, &C::SetDataSet)
                                          .Property("DataSetName", &C::DataSetName, &C::SetDataSetName)
                                          .Property("DotMatrixReport", &C::DotMatrixReport, &C::SetDotMatrixReport)
                                          .Property("EngineOptions", &C::EngineOptions, &C::SetEngineOptions)
                                          .Property("IniFile", &C::IniFile, &C::SetIniFile)
                                          .Property("OldStyleProgress", &C::OldStyleProgress, &C::SetOldStyleProgress)
                                          .Default(false)
                                          .Property("PreviewOptions", &C::PreviewOptions, &C::SetPreviewOptions)
                                          .Property("PrintOptions", &C::PrintOptions, &C::SetPrintOptions)
                                          .Property("ReportOptions", &C::ReportOptions, &C::SetReportOptions)
                                          .Property("ScriptLanguage", &C::ScriptLanguage, &C::SetScriptLanguage)
                                          .Property("ScriptText", &C::GetScriptText, &C::SetScriptText)
                                          .Property("ShowProgress", &C::ShowProgress, &C::SetShowProgress)
                                          .Default(true)
                                          .Property("StoreInDFM", &C::StoreInDFM, &C::SetStoreInDFM)
                                          .Default(true)
                                          .Event("OnAfterPrint")
                                          .Event("OnBeforeConnect")
                                          .Event("OnAfterDisconnect")
                                          .Event("OnBeforePrint")
                                          .Event("OnBeginDoc")
                                          .Event("OnClickObject")
                                          .Event("OnDblClickObject")
                                          .Event("OnEndDoc")
                                          .Event("OnGetValue")
                                          .Event("OnNewGetValue")
                                          .Event("OnManualBuild")
                                          .Event("OnMouseOverObject")
                                          .Event("OnPreview")
                                          .Event("OnPrintPage")
                                          .Event("OnPrintReport")
                                          .Event("OnAfterPrintReport")
                                          .Event("OnProgressStart")
                                          .Event("OnProgress")
                                          .Event("OnProgressStop")
                                          .Property(
                                              "OnRunDialogs", [](const C& r) { return r.OnRunDialogs; },
                                              [](C& r, const AnsiString& v) { r.OnRunDialogs = v; })
                                          .Property(
                                              "OnStartReport", [](const C& r) { return r.OnStartReport; },
                                              [](C& r, const AnsiString& v) { r.OnStartReport = v; })
                                          .Property(
                                              "OnStopReport", [](const C& r) { return r.OnStopReport; },
                                              [](C& r, const AnsiString& v) { r.OnStopReport = v; })
                                          .Event("OnUserFunction")
                                          .Event("OnClosePreview")
                                          .Property(
                                              "OnReportPrint", [](const C& r) { return r.OnReportPrint; },
                                              [](C& r, const AnsiString& v) { r.OnReportPrint = v; })
                                          .Event("OnAfterScriptCompile")
                                          .Build();
  return info;
}

}  // namespace report
