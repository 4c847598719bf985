// The report object: the root of a report's tree, owner of its datasets,
// variables, styles, script and options, and the driver of a run (save the
// template, prepare the script, let the engine fill the prepared pages, read
// the template back, report the errors, show the result).
//
// What lives in higher layers (the prepared-pages store, the engine, the
// preview window, the printers) is reached through the abstract bases of
// vuzClassServices.h and the hooks below, which those layers install at
// start-up; tests install fakes the same way.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "platform/gfx/picture.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/variant.h"
#include "report/vuzClass.h"
#include "report/vuzClassPage.h"  // TfrxDuplexMode
#include "report/vuzClassServices.h"
#include "report/vuzDataSet.h"
#include "report/vuzGuiHooks.h"
#include "report/vuzStyles.h"
#include "report/vuzVariables.h"
#include "script/fs_iinterpreter.h"

namespace report {

class TfrxReport;
class TfrxCustomProgress;
class TfrxExpressionCache;

// ---------------------------------------------------------------- option types

enum TfrxZoomMode { zmDefault, zmWholePage, zmPageWidth, zmManyPages };
enum TfrxPrintMode { pmDefault, pmSplit, pmJoin, pmScale };
enum TfrxPrintPages { ppAll, ppOdd, ppEven };
// The preview window's buttons (a set, member n is bit n).
enum TfrxPreviewButton {
  pbPrint,
  pbLoad,
  pbSave,
  pbExport,
  pbZoom,
  pbFind,
  pbOutline,
  pbPageSetup,
  pbTools,
  pbEdit,
  pbNavigator,
  pbExportQuick,
  pbNoClose,
  pbNoFullScreen,
  pbNoEmail
};
using TfrxPreviewButtons = unsigned;
inline constexpr TfrxPreviewButtons kDefaultPreviewButtons = (1u << (pbExportQuick + 1)) - 1;  // the first twelve

const rtl::TEnumType& SilentModeType();
const rtl::TEnumType& ZoomModeType();
const rtl::TEnumType& PrintModeType();
const rtl::TEnumType& PrintPagesType();
const rtl::TEnumType& PreviewButtonType();
const rtl::TSetType& PreviewButtonsType();

// ---------------------------------------------------------------- options

class TfrxEngineOptions : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  TfrxEngineOptions();
  // Copies ConvertNulls, DoublePass, MaxMemSize, PrintIfEmpty, NewSilentMode,
  // TempDir, UseFileCache and IgnoreDevByZero from another engine options object.
  void Assign(const rtl::TPersistent* source) override;
  // ConvertNulls on, IgnoreDevByZero and DoublePass off.
  void Clear();
  // True when NewSilentMode is simSilent; True sets simSilent, False simMessageBoxes.
  bool SilentMode() const { return NewSilentMode == simSilent; }
  void SetSilentMode(bool value) { NewSilentMode = value ? simSilent : simMessageBoxes; }

  bool ConvertNulls = true;
  bool DoublePass = false;
  int MaxMemSize = 10;
  bool PrintIfEmpty = true;
  TfrxSilentMode NewSilentMode = simMessageBoxes;
  AnsiString TempDir;
  bool UseFileCache = false;
  bool IgnoreDevByZero = false;
  // Not published.
  bool DestroyForms = true;
  bool EnableThreadSafe = false;  // progress operations return at once, no password test
  bool UseGlobalDataSetList = true;
};

class TfrxPreviewOptions : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  TfrxPreviewOptions() = default;
  void Assign(const rtl::TPersistent* source) override;
  // OutlineExpand on, OutlineVisible off, OutlineWidth 120, PagesInCache 50,
  // ThumbnailVisible off.
  void Clear();

  bool AllowEdit = true;
  TfrxPreviewButtons Buttons = kDefaultPreviewButtons;
  bool DoubleBuffered = true;
  bool Maximized = true;
  bool MDIChild = false;
  bool Modal = true;
  bool OutlineExpand = true;
  bool OutlineVisible = false;
  int OutlineWidth = 120;
  int PagesInCache = 50;
  bool ThumbnailVisible = false;
  bool ShowCaptions = false;
  long double Zoom = 1;
  TfrxZoomMode ZoomMode = zmDefault;
  bool PictureCacheInFile = false;
  bool RTLPreview = false;  // not published
};

class TfrxPrintOptions : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  TfrxPrintOptions();
  void Assign(const rtl::TPersistent* source) override;
  // Every value back to its default; Printer becomes the "prDefault" text.
  void Clear();

  int Copies = 1;
  bool Collate = true;
  AnsiString PageNumbers;
  AnsiString Printer;
  TfrxPrintMode PrintMode = pmDefault;
  int PrintOnSheet = 0;
  TfrxPrintPages PrintPages = ppAll;
  bool Reverse = false;
  bool ShowDialog = true;
  bool SwapPageSize = false;  // never stored
  // Not published.
  int PagesOnSheet = 0;
  int SplicingLine = 3;
  TfrxDuplexMode Duplex = dmNone;
};

class TfrxReportOptions : public rtl::TPersistent {
  RTL_CLASS_INFO
 public:
  TfrxReportOptions();
  ~TfrxReportOptions() override;
  void Assign(const rtl::TPersistent* source) override;
  // Empties ConnectionName, InitString, Name, Password and the previous
  // password; unless InfoOnly, also the author, description, picture and
  // version texts, Compressed off and both dates now.
  void Clear();
  // True unless a password is set that is neither the previous nor the
  // preset one and the password dialog is cancelled or answered wrongly
  // (then "Invalid password" is added to the report's errors and reported).
  bool CheckPassword();

  TfrxReport* Report() const { return report_; }
  void SetReport(TfrxReport* report) { report_ = report; }
  rtl::TStrings* Description() const { return description_.get(); }
  void SetDescription(const rtl::TStrings* value) { description_->Assign(value); }
  gfx::TPicture* Picture() const { return picture_.get(); }
  void SetPicture(const gfx::TPicture* value);
  // Stores the name and hands the connection strings stored under it in the
  // settings store to the report's OnSetConnection.
  void SetConnectionName(const AnsiString& value);

  AnsiString Author;
  bool Compressed = false;
  AnsiString ConnectionName;
  rtl::TDateTime CreateDate = 0;
  AnsiString InitString;
  AnsiString Name;
  rtl::TDateTime LastChange = 0;
  AnsiString Password;
  AnsiString VersionBuild, VersionMajor, VersionMinor, VersionRelease;
  // Not published.
  AnsiString HiddenPassword;  // the preset password: accepted without asking
  AnsiString PrevPassword;    // the last password accepted
  bool InfoOnly = false;

 private:
  TfrxReport* report_ = nullptr;
  std::unique_ptr<rtl::TStringList> description_;
  std::unique_ptr<gfx::TPicture> picture_;
};

// ---------------------------------------------------------------- preview seams

// The preview control a report shows its prepared pages in (the preview
// layer's control implements it). Its destructor detaches it from its report.
class TfrxCustomPreview {
 public:
  virtual ~TfrxCustomPreview();
  virtual void Init() = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  virtual void RefreshReport() = 0;
  virtual void InternalOnProgressStart(TfrxReport* report, TfrxProgressType type, int progress) = 0;
  virtual void InternalOnProgress(TfrxReport* report, TfrxProgressType type, int progress) = 0;
  virtual void InternalOnProgressStop(TfrxReport* report, TfrxProgressType type, int progress) = 0;

  TfrxReport* Report = nullptr;
  TfrxCustomPreviewPages* PreviewPages = nullptr;
  bool UseReportHints = true;
};

// The preview window ShowPreparedReport opens when the report has no
// preview control of its own.
class TfrxCustomPreviewForm {
 public:
  virtual ~TfrxCustomPreviewForm() = default;
  // The window's preview control.
  virtual TfrxCustomPreview* Preview() = 0;
  // Prepares the window from the report's PreviewOptions.
  virtual void Init() = 0;
  // Keeps the designed position (used for maximised windows).
  virtual void SetPositionDesigned() = 0;
  // Shows the window and waits until it closes; the report frees it then.
  virtual void ShowModal() = 0;
  // Shows the window without waiting; it frees itself when closed.
  virtual void ShowModeless(bool applicationWindowStyle) = 0;
  virtual void SetMessageText(const AnsiString& text, bool hint) = 0;
  virtual void Close() = 0;
};

// The 50 ms start timer of ShowReport. The GUI timer serves by default.
class TfrxTimer {
 public:
  virtual ~TfrxTimer() = default;
  virtual void SetInterval(unsigned ms) = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  std::function<void()> OnTimer;
};

// Process-wide hooks the higher layers install at start-up.
struct TfrxReportHooks {
  // The prepared-pages store of a new report; without it a small store that
  // counts pages and routes progress serves.
  std::function<std::unique_ptr<TfrxCustomPreviewPages>(TfrxReport&)> CreatePreviewPages;
  // The engine of a new report; without it the report engine (tests install fakes).
  std::function<std::unique_ptr<TfrxCustomEngine>(TfrxReport&)> CreateEngine;
  // The preview window (owned by the caller); without it ShowPreparedReport
  // on a report without a preview control raises.
  std::function<std::unique_ptr<TfrxCustomPreviewForm>(TfrxReport&)> CreatePreviewForm;
  // Makes the named printer current when the printer list knows it.
  std::function<void(const AnsiString& printerName)> SelectPrinter;
  // The start timer; without it vuzCreateTimer.
  std::function<std::unique_ptr<TfrxTimer>()> CreateTimer;
};
TfrxReportHooks& vuzReportHooks();

// The start timer the GUI installs (vuzGuiHooks); without a GUI one that
// never fires, as no message loop would run it.
std::unique_ptr<TfrxTimer> vuzCreateTimer();

// Frees an expression cache (the expression unit defines it).
struct TfrxExpressionCacheDeleter {
  void operator()(TfrxExpressionCache* cache) const;
};
// The report's expression cache (the expression unit defines it).
std::unique_ptr<TfrxExpressionCache, TfrxExpressionCacheDeleter> vuzCreateExpressionCache(TfrxReport& report);

// How InheritFromTemplate treats the report's objects whose names the
// template's objects already carry: ask (through the GUI), drop them, or keep
// them under new names.
enum TfrxInheriteMode { imDefault, imDelete, imRename };

// ---------------------------------------------------------------- the report

class TfrxReport : public TfrxComponent, public TfrxReportServices {
  RTL_CLASS_INFO
 public:
  explicit TfrxReport(rtl::TComponent* owner = nullptr);
  ~TfrxReport() override;
  TfrxReportServices* AsReportServices() override { return this; }
  TfrxReport* AsReport() override { return this; }

  // ---- services of the tree
  TfrxXMLSerializer* ActiveSerializer() const override { return activeSerializer_; }
  void SetActiveSerializer(TfrxXMLSerializer* serializer) override { activeSerializer_ = serializer; }
  rtl::TStrings& Errors() override { return *errors_; }
  bool EngineThreadSafe() const override { return engineOptions_->EnableThreadSafe; }
  TfrxSilentMode SilentMode() const override { return engineOptions_->NewSilentMode; }
  bool UseGlobalDataSetList() const override { return engineOptions_->UseGlobalDataSetList; }
  TfrxReportDataSets* ReportDataSets() override { return dataSets_.get(); }
  TfrxComponent* FindAncestor(const AnsiString& name) override;

  // ---- the tree
  void Clear() override;
  AnsiString GetDescription() const override;
  void DefineProperties(rtl::TFiler& filer) override;
  TfrxComponent* Pages(int index) const;
  int PagesCount() const;
  // Makes sure a data page exists at the first child position and moves the
  // dialog components onto it.
  void CheckDataPage();

  // ---- loading and saving
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream, bool saveChildren = true, bool saveDefaultValues = false,
                    bool useGetAncestor = false) override;
  bool LoadFromFile(const AnsiString& fileName, bool exceptionIfNotFound = false);
  void SaveToFile(const AnsiString& fileName);
  const AnsiString& FileName() const { return fileName_; }
  void SetFileName(const AnsiString& value) { fileName_ = value; }

  // ---- running
  bool PrepareReport(bool clearLastReport = true);
  void ShowReport(bool clearLastReport = true);
  void ShowPreparedReport();
  bool Print();
  bool Export(TfrxCustomExportFilter* filter);
  // The start timer's tick: disables the timer and prepares the report.
  void OnTimer();
  bool Terminated() const { return terminated_; }
  // Also asks the script to stop when set.
  void SetTerminated(bool value);
  void SelectPrinter();
  // A new settings store for IniFile (the caller frees it): the settings
  // store under that key for "\Software\..." names, else an ini file.
  std::unique_ptr<rtl::TCustomIniFile> GetIniFile();
  AnsiString GetApplicationFolder() const;
  void DoBeforePrint(TfrxReportComponent* object);
  void DoAfterPrint(TfrxReportComponent* object);
  void DoPreviewClick(TfrxComponent* view, int button, unsigned shift, bool& modified, bool doubleClick);
  // Script handlers are stored but not run in this system.
  void DoNotifyEvent(rtl::TObject* object, const AnsiString& eventName, bool runAlways = false);
  void DoParamEvent(const AnsiString& eventName, rtl::Variant& params, bool runAlways = false);
  // No designer exists in this system.
  void DesignReport() {}
  // The modified mark a designer sets (TfrxCustomDesigner::SetModified).
  bool Modified = false;
  bool DesignPreviewPage() { return false; }

  // ---- progress
  virtual void InternalOnProgressStart(TfrxProgressType type);
  virtual void InternalOnProgress(TfrxProgressType type, int progress);
  virtual void InternalOnProgressStop(TfrxProgressType type);
  void SetProgressMessage(const AnsiString& text, bool hint = false);
  TfrxCustomProgress* ProgressWindow() const { return progress_.get(); }

  // ---- datasets
  TfrxDataSet* GetDataset(const AnsiString& alias) const;
  // Splits `Alias."Field"` into the dataset and the field (nil and empty when
  // the name has no `."`).
  void GetDatasetAndField(const AnsiString& complexName, TfrxDataSet*& dataSet, AnsiString& field) const;
  AnsiString GetAlias(TfrxDataSet* dataSet) const;
  void GetDataSetList(rtl::TStrings& list, bool onlyDB = false) const;
  void GetActiveDataSetList(rtl::TStrings& list) const;
  TfrxReportDataSets* DataSets() const { return dataSets_.get(); }
  TfrxReportDataSets* EnabledDataSets() const { return enabledDataSets_.get(); }
  TfrxDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TfrxDataSet* value);
  AnsiString DataSetName() const;
  void SetDataSetName(const AnsiString& value);

  // ---- expressions (the expression unit defines these)
  // Evaluates an expression: the report's names first, else the compiled
  // expression. A nil script means the report's; ScriptCallMarker() marks a
  // call of Report.Calc from a script. Raises on error.
  rtl::Variant Calc(const AnsiString& expression, script::TfsScript* script = nullptr);
  static script::TfsScript* ScriptCallMarker() { return reinterpret_cast<script::TfsScript*>(1); }
  // True when the name was resolved without compiling.
  bool DoGetValue(const AnsiString& name, rtl::Variant& value);
  // The value of a dataset field named Alias."Field"; false for any other name.
  bool FieldValue(const AnsiString& name, rtl::Variant& value);
  bool PrepareScript();
  rtl::Variant GetScriptValue(rtl::TObject* instance, script::TClass classType, const AnsiString& methodName,
                              rtl::Variant& params);
  rtl::Variant SetScriptValue(rtl::TObject* instance, script::TClass classType, const AnsiString& methodName,
                              rtl::Variant& params);
  rtl::Variant CallMethod(rtl::TObject* instance, script::TClass classType, const AnsiString& methodName,
                          rtl::Variant& params);
  rtl::Variant DoUserFunction(rtl::TObject* instance, script::TClass classType, const AnsiString& methodName,
                              rtl::Variant& params);
  void AddFunction(const AnsiString& syntax, const AnsiString& category = AnsiString(),
                   const AnsiString& description = AnsiString());
  rtl::Variant GetLocalValue() const;
  void SetLocalValue(const rtl::Variant& value);
  TfrxComponent* GetSelfValue() const;
  void SetSelfValue(TfrxComponent* value);
  bool CaseSensitive() const;
  void SetCaseSensitive(bool value);
  TfrxExpressionCache* ExpressionCache() const { return expressionCache_.get(); }
  // The object being worked on; prefixes expression errors.
  const AnsiString& CurObject() const { return curObject_; }
  void SetCurObject(const AnsiString& value) { curObject_ = value; }
  // "Date", "Time", "Page", "Page#", "TotalPages", "TotalPages#", "Line", "Line#", "CopyName#".
  rtl::TStrings* SysVariables() const { return sysVariables_.get(); }

  // ---- parts
  TfrxCustomEngine* Engine() const { return engine_.get(); }
  // Replaces the engine (tests and the engine's start-up); the pages learn it.
  void SetEngine(std::unique_ptr<TfrxCustomEngine> engine);
  TfrxCustomPreviewPages* PreviewPages() const { return previewPages_.get(); }
  void SetPreviewPages(std::unique_ptr<TfrxCustomPreviewPages> pages);
  TfrxCustomPreview* Preview() const { return preview_; }
  void SetPreview(TfrxCustomPreview* value);
  TfrxCustomPreviewForm* PreviewForm() const { return previewForm_; }
  script::TfsScript* Script() const { return script_.get(); }
  TfrxVariables* Variables() const { return variables_.get(); }
  void SetVariables(const TfrxVariables* value);
  TfrxStyles* Styles() const { return styles_.get(); }
  // Nil empties the styles; otherwise they are copied and applied.
  void SetStyles(const TfrxStyles* value);
  rtl::TStringList* DrillState() const { return drillState_.get(); }
  TfrxTimer* StartTimer() const { return timer_.get(); }
  bool Reloading() const { return reloading_; }
  bool Loading() const { return loading_; }
  rtl::TStream* LoadStream() const { return loadStream_; }

  // ---- published
  TfrxEngineOptions* EngineOptions() const { return engineOptions_.get(); }
  void SetEngineOptions(const TfrxEngineOptions* value) { engineOptions_->Assign(value); }
  TfrxPreviewOptions* PreviewOptions() const { return previewOptions_.get(); }
  void SetPreviewOptions(const TfrxPreviewOptions* value) { previewOptions_->Assign(value); }
  TfrxPrintOptions* PrintOptions() const { return printOptions_.get(); }
  void SetPrintOptions(const TfrxPrintOptions* value) { printOptions_->Assign(value); }
  TfrxReportOptions* ReportOptions() const { return reportOptions_.get(); }
  void SetReportOptions(const TfrxReportOptions* value) { reportOptions_->Assign(value); }
  AnsiString Version() const { return version_; }
  void SetVersion(const AnsiString&) { version_ = "4.14"; }
  const AnsiString& ParentReport() const { return parentReport_; }
  // Loads the parent template into the report, marked as ancestors, and keeps
  // a copy of it to save only the differences; empty clears the marks. A
  // parent that cannot be found, loops back or lies too deep becomes an error
  // line naming the file (vuzClassReportInherit.cpp).
  void SetParentReport(const AnsiString& value);
  // Makes the report inherit from the template: its own objects are merged
  // into the template's, name clashes resolved by the mode. False for the
  // report's own file or when the user cancels (the report stays as it was).
  bool InheritFromTemplate(const AnsiString& templateName, TfrxInheriteMode mode = imDefault);
  // The parent template's copy (nil without a parent).
  TfrxReport* ParentReportObject() const { return parentReportObject_.get(); }
  bool DotMatrixReport() const { return dotMatrixReport_; }
  void SetDotMatrixReport(bool value) { dotMatrixReport_ = value; }
  const AnsiString& IniFile() const { return iniFile_; }
  void SetIniFile(const AnsiString& value) { iniFile_ = value; }
  bool OldStyleProgress() const { return oldStyleProgress_; }
  void SetOldStyleProgress(bool value) { oldStyleProgress_ = value; }
  const AnsiString& ScriptLanguage() const { return scriptLanguage_; }
  void SetScriptLanguage(const AnsiString& value) { scriptLanguage_ = value; }
  // The empty list while writing with StoreInDFM off, else the script text.
  rtl::TStrings* GetScriptText() const;
  rtl::TStrings* ScriptText() const { return scriptText_.get(); }
  void SetScriptText(const rtl::TStrings* value) { scriptText_->Assign(value); }
  bool ShowProgress() const { return showProgress_; }
  void SetShowProgress(bool value) { showProgress_ = value; }
  bool StoreInDFM() const { return storeInDFM_; }
  void SetStoreInDFM(bool value) { storeInDFM_ = value; }

  // ---- events
  std::function<void(TfrxReportComponent*sender)> OnAfterPrint, OnBeforePrint;
  std::function<void(TfrxCustomDatabase* sender, bool& connected)> OnBeforeConnect;
  std::function<void(TfrxCustomDatabase* sender)> OnAfterDisconnect;
  rtl::TNotifyEvent OnBeginDoc, OnEndDoc, OnPreview, OnPrintReport, OnAfterPrintReport, OnClosePreview,
      OnAfterScriptCompile;
  std::function<void(TfrxComponent*view, int button, unsigned shift, bool&modified)> OnClickObject, OnDblClickObject;
  std::function<void(const AnsiString& varName, rtl::Variant& value)> OnGetValue;
  std::function<void(rtl::TObject* sender, const AnsiString& varName, rtl::Variant& value)> OnNewGetValue;
  std::function<void(TfrxComponent* page)> OnManualBuild;
  std::function<void(TfrxComponent* view)> OnMouseOverObject;
  std::function<void(TfrxComponent* page, int copyNo)> OnPrintPage;
  std::function<void(TfrxReport*sender, TfrxProgressType type, int progress)> OnProgressStart, OnProgress,
      OnProgressStop;
  std::function<rtl::Variant(const AnsiString& methodName, rtl::Variant& params)> OnUserFunction;
  std::function<void(TfrxReport* report, const AnsiString& templateName)> OnLoadTemplate;
  // Receives connection strings found for ReportOptions.ConnectionName.
  std::function<void(const AnsiString& connectionString)> OnSetConnection;
  // Script handler names: stored and loaded, never run.
  AnsiString OnRunDialogs, OnStartReport, OnStopReport, OnReportPrint;

 protected:
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  friend class TfrxCustomPreview;
  void DoClear();
  void ReportErrors();
  bool UseProgressWindow(TfrxProgressType type) const;
  void PreviewDestroyed(TfrxCustomPreview* preview);

  AnsiString curObject_;
  TfrxDataSet* dataSet_ = nullptr;
  AnsiString dataSetName_;
  std::unique_ptr<TfrxReportDataSets> dataSets_;
  bool dotMatrixReport_ = false;
  std::unique_ptr<rtl::TStringList> drillState_;
  std::unique_ptr<TfrxReportDataSets> enabledDataSets_;
  std::unique_ptr<TfrxEngineOptions> engineOptions_;
  std::unique_ptr<rtl::TStringList> errors_;
  std::unique_ptr<TfrxExpressionCache, TfrxExpressionCacheDeleter> expressionCache_;
  AnsiString fileName_;
  AnsiString iniFile_;
  rtl::TStream* loadStream_ = nullptr;
  script::TfsCustomVariable* localValue_ = nullptr;
  script::TfsCustomVariable* selfValue_ = nullptr;
  bool oldStyleProgress_ = false;
  AnsiString parentReport_;
  std::unique_ptr<TfrxReport> parentReportObject_;
  TfrxCustomPreview* preview_ = nullptr;
  TfrxCustomPreviewForm* previewForm_ = nullptr;
  std::unique_ptr<TfrxPreviewOptions> previewOptions_;
  std::unique_ptr<TfrxPrintOptions> printOptions_;
  std::unique_ptr<TfrxCustomProgress> progress_;
  bool reloading_ = false;
  std::unique_ptr<TfrxReportOptions> reportOptions_;
  std::unique_ptr<script::TfsScript> script_;
  AnsiString scriptLanguage_;
  std::unique_ptr<rtl::TStringList> scriptText_;
  std::unique_ptr<rtl::TStringList> emptyScriptText_;
  bool showProgress_ = true;
  bool storeInDFM_ = true;
  std::unique_ptr<TfrxStyles> styles_;
  std::unique_ptr<rtl::TStringList> sysVariables_;
  // The place of a name in the built-in names (-1: none), remembered per
  // exact name until the list changes: every name the report answers
  // otherwise would be compared with each built-in name at every row.
  int SysVariableIndex(const AnsiString& name);
  std::unordered_map<AnsiString, int> sysVariableIndex_;
  // Set by the progress window, the preview, a script's StopReport, the
  // engine's own limits, or another thread cancelling a thread-safe run.
  std::atomic<bool> terminated_{false};
  std::unique_ptr<TfrxTimer> timer_;
  std::unique_ptr<TfrxVariables> variables_;
  AnsiString version_ = "4.14";
  TfrxXMLSerializer* activeSerializer_ = nullptr;
  bool loading_ = false;
  // Owned last so that they go first: the engine and pages refer to the rest.
  std::unique_ptr<TfrxCustomPreviewPages> previewPages_;
  std::unique_ptr<TfrxCustomEngine> engine_;
};

}  // namespace report
