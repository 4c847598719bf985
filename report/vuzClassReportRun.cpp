// Running a report: PrepareReport (save the template, prepare the script,
// let the engine fill the prepared pages, read the template back, report
// the errors), ShowReport and the preview window, progress routing, the
// password test, the settings store and the preview's clicks.
#include <memory>

#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/registry.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClassReport.h"
#include "report/vuzPassw.h"
#include "report/vuzProgress.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

namespace {
constexpr const char* kCRLF = "\r\n";
}  // namespace

// ---------------------------------------------------------------- preparing

bool TfrxReport::PrepareReport(bool clearLastReport) {
  if (clearLastReport) previewPages_->Clear();
  errors_->Clear();
  terminated_ = false;
  bool result = false;

  for (int i = 0; i < dataSets_->Count(); ++i) {
    TfrxDataSetItem* item = dataSets_->GetItem(i);
    if (!item->DataSet())
      errors_->Add(rtl::Format(vuzResources().Get("clDSNotExist"), {rtl::Variant(item->DataSetName())}));
  }

  if (errors_->Count() == 0) {
    const AnsiString password = reportOptions_->Password;
    const bool destroyForms = engineOptions_->DestroyForms;
    std::unique_ptr<rtl::TStream> saved;
    AnsiString tempFile;
    int splicingLine = printOptions_->SplicingLine;
    if (destroyForms) {
      if (engineOptions_->UseFileCache) {
        tempFile = vuzCreateTempFile(engineOptions_->TempDir);
        saved = std::make_unique<rtl::TFileStream>(tempFile, rtl::fmCreate);
      } else {
        saved = std::make_unique<rtl::TMemoryStream>();
      }
      reportOptions_->Password.clear();
      splicingLine = printOptions_->SplicingLine;
      SaveToStream(*saved, true, false, false);
    }

    // Reads the template back, undoing what the run changed in it; also
    // runs when something other than an Exception leaves the run.
    auto restoreTemplate = [&] {
      progress_.reset();  // a run that raised leaves no progress window behind
      if (!destroyForms) return;
      const AnsiString errorText = errors_->Text();
      saved->SetPosition(0);
      reloading_ = true;
      try {
        LoadFromStream(*saved);
      } catch (...) {
        reloading_ = false;
        throw;
      }
      reloading_ = false;
      reportOptions_->Password = password;
      printOptions_->SplicingLine = splicingLine;
      saved.reset();
      if (!tempFile.empty()) rtl::DeleteFile(tempFile);
      errors_->SetText(errorText);
    };

    try {
      if (OnBeginDoc) OnBeginDoc(this);
      const bool scriptReady = PrepareScript();
      bool engineDone = false;
      if (scriptReady && !terminated_) engineDone = engine_->Run();
      if (engineDone) {
        if (OnEndDoc) OnEndDoc(this);
        result = true;
      } else if (scriptReady && previewForm_) {
        previewForm_->Close();
      }
    } catch (const rtl::Exception& e) {
      errors_->Add(e.Message());
    } catch (...) {
      restoreTemplate();
      throw;
    }
    restoreTemplate();
  }

  if (errors_->Count() > 0) {
    result = false;
    ReportErrors();
  }
  return result;
}

// ---------------------------------------------------------------- showing

void TfrxReport::ShowReport(bool clearLastReport) {
  if (clearLastReport) previewPages_->Clear();
  if (!oldStyleProgress_) {
    timer_->SetEnabled(true);
  } else if (!PrepareReport(false)) {
    return;
  }
  ShowPreparedReport();
}

void TfrxReport::OnTimer() {
  timer_->SetEnabled(false);
  PrepareReport(false);
}

void TfrxReport::ShowPreparedReport() {
  previewForm_ = nullptr;
  if (preview_) {
    preview_->Report = this;
    preview_->PreviewPages = previewPages_.get();
    preview_->Init();
    return;
  }
  TfrxReportHooks& hooks = vuzReportHooks();
  if (!hooks.CreatePreviewForm) {
    timer_->SetEnabled(false);
    throw rtl::Exception("The preview window is not available in this program");
  }
  std::unique_ptr<TfrxCustomPreviewForm> form = hooks.CreatePreviewForm(*this);
  TfrxCustomPreview* control = form->Preview();
  control->Report = this;
  control->PreviewPages = previewPages_.get();
  preview_ = control;
  previewForm_ = form.get();
  form->Init();
  if (OnPreview) OnPreview(this);
  if (previewOptions_->Maximized) form->SetPositionDesigned();
  if (previewOptions_->Modal) {
    form->ShowModal();
    form.reset();  // the control goes with it and detaches itself
    previewForm_ = nullptr;
  } else {
    form->ShowModeless(!previewOptions_->MDIChild);
    form.release();  // frees itself when closed
  }
}

bool TfrxReport::Print() { return previewPages_->Print(); }

bool TfrxReport::Export(TfrxCustomExportFilter* filter) { return previewPages_->Export(filter); }

void TfrxReport::SetTerminated(bool value) {
  terminated_ = value;
  if (value) script_->Terminate();
}

void TfrxReport::SelectPrinter() {
  if (vuzReportHooks().SelectPrinter) vuzReportHooks().SelectPrinter(printOptions_->Printer);
}

// ---------------------------------------------------------------- progress

bool TfrxReport::UseProgressWindow(TfrxProgressType type) const {
  return showProgress_ && (oldStyleProgress_ || type != ptRunning);
}

void TfrxReport::InternalOnProgressStart(TfrxProgressType type) {
  if (engineOptions_->EnableThreadSafe) return;
  if (OnProgressStart) OnProgressStart(this, type, 0);
  if (UseProgressWindow(type)) {
    progress_.reset();
    progress_ = vuzCreateProgress();
    if (progress_) progress_->Execute(0, AnsiString(), false, true);
  }
  if (preview_ && type == ptRunning) preview_->InternalOnProgressStart(this, type, 0);
  vuzProcessMessages();
}

void TfrxReport::InternalOnProgress(TfrxProgressType type, int progress) {
  if (engineOptions_->EnableThreadSafe) return;
  if (OnProgress) OnProgress(this, type, progress);
  if (UseProgressWindow(type) && progress_) {
    const char* key = "prRunning";
    if (type == ptRunning) {
      if (engineOptions_->DoublePass && engine_ && !engine_->FinalPass) key = "prRunningFirst";
    } else if (type == ptExporting) {
      key = "prExporting";
    } else {
      key = "prPrinting";
    }
    progress_->SetMessage(rtl::Format(vuzResources().Get(key), {rtl::Variant(progress)}));
    if (progress_->Terminated()) SetTerminated(true);
  }
  if (preview_ && type == ptRunning) preview_->InternalOnProgress(this, type, progress - 1);
  vuzProcessMessages();
}

void TfrxReport::InternalOnProgressStop(TfrxProgressType type) {
  if (engineOptions_->EnableThreadSafe) return;
  if (OnProgressStop) OnProgressStop(this, type, 0);
  progress_.reset();
  if (preview_ && type == ptRunning) preview_->InternalOnProgressStop(this, type, 0);
  vuzProcessMessages();
}

void TfrxReport::SetProgressMessage(const AnsiString& text, bool hint) {
  if (engineOptions_->EnableThreadSafe) return;
  if (oldStyleProgress_ && engine_ && engine_->Running && showProgress_ && progress_) progress_->SetMessage(text);
  if (previewForm_) previewForm_->SetMessageText(text, hint);
  vuzProcessMessages();
}

// ---------------------------------------------------------------- the password

bool TfrxReportOptions::CheckPassword() {
  if (Password.empty() || Password == PrevPassword || Password == HiddenPassword) return true;
  AnsiString typed;
  if (vuzAskPassword(typed) && typed == Password) {
    PrevPassword = Password;
    return true;
  }
  if (report_) {
    report_->Errors().Add("Invalid password");
    vuzCommonErrorHandler(report_, vuzResources().Get("clErrors") + kCRLF + report_->Errors().Text());
  }
  return false;
}

// ---------------------------------------------------------------- settings and clicks

void TfrxReportOptions::SetConnectionName(const AnsiString& value) {
  ConnectionName = value;
  if (value.empty() || !report_ || !report_->OnSetConnection) return;
  // The machine's settings first, then the user's; the "FIB" keys after both.
  for (const char* key : {"\\Software\\Dodo Vavezev\\Connections", "\\Software\\Dodo Vavezev\\ConnectionsFIB"})
    for (rtl::HKEY root : {rtl::HKEY_LOCAL_MACHINE, rtl::HKEY_CURRENT_USER}) {
      rtl::TRegistry registry;
      registry.SetRootKey(root);
      if (!registry.OpenKeyReadOnly(key)) continue;
      AnsiString connection;
      try {
        connection = registry.ReadString(value);
      } catch (const rtl::Exception&) {
        continue;  // a value of another type holds no connection string
      }
      if (!connection.empty()) report_->OnSetConnection(connection);
    }
}

std::unique_ptr<rtl::TCustomIniFile> TfrxReport::GetIniFile() {
  static constexpr std::string_view kRegistryPrefix = "\\Software\\";
  if (iniFile_.size() >= kRegistryPrefix.size() &&
      rtl::AnsiCompareText(iniFile_.substr(0, kRegistryPrefix.size()), kRegistryPrefix) == 0)
    return std::make_unique<rtl::TRegistryIniFile>(iniFile_);
  return std::make_unique<rtl::TIniFile>(iniFile_);
}

AnsiString TfrxReport::GetApplicationFolder() const {
  if (IsDesigning()) return rtl::IncludeTrailingPathDelimiter(rtl::GetCurrentDir());
  return GetAppPath();
}

void TfrxReport::DoNotifyEvent(rtl::TObject*, const AnsiString&, bool) {}

void TfrxReport::DoParamEvent(const AnsiString&, rtl::Variant&, bool) {}

void TfrxReport::DoBeforePrint(TfrxReportComponent* object) {
  if (OnBeforePrint) OnBeforePrint(object);
  DoNotifyEvent(object, object->OnBeforePrint);
}

void TfrxReport::DoAfterPrint(TfrxReportComponent* object) {
  if (OnAfterPrint) OnAfterPrint(object);
  DoNotifyEvent(object, object->OnAfterPrint);
}

void TfrxReport::DoPreviewClick(TfrxComponent* view, int button, unsigned shift, bool& modified, bool doubleClick) {
  rtl::Variant params =
      rtl::VarArrayOf({rtl::Variant(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(view))),
                       rtl::Variant(button), rtl::Variant(static_cast<int>(shift)), rtl::Variant(modified)});
  const auto* printable = dynamic_cast<TfrxReportComponent*>(view);
  const AnsiString handler =
      printable ? (doubleClick ? printable->OnPreviewDblClick : printable->OnPreviewClick) : AnsiString();
  DoParamEvent(handler, params);
  modified = params[3].AsBoolean();
  if (doubleClick) {
    if (OnDblClickObject) OnDblClickObject(view, button, shift, modified);
  } else if (OnClickObject) {
    OnClickObject(view, button, shift, modified);
  }
}

}  // namespace report
