#include "script/fs_idialogsrtti_gui.h"

#include <memory>

#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/textcase.h"
#include "script/fs_ibindings.h"

namespace script {

namespace {

const rtl::TClassInfo* DialogClass(std::string_view name) {
  static const rtl::TClassInfo common("TCommonDialog", &rtl::TComponent::StaticClass());
  static const rtl::TClassInfo open("TOpenDialog", &common);
  static const rtl::TClassInfo save("TSaveDialog", &common);
  static const rtl::TClassInfo color("TColorDialog", &common);
  static const rtl::TClassInfo font("TFontDialog", &common);
  static const rtl::TClassInfo print("TPrintDialog", &common);
  static const rtl::TClassInfo setup("TPrinterSetupDialog", &common);
  for (const rtl::TClassInfo* info : {&common, &open, &save, &color, &font, &print, &setup})
    if (rtl::SameText(info->Name(), name)) return info;
  return nullptr;
}

Variant DialogMethod(rtl::TObject* instance, TClass, const AnsiString& name, TfsMethodHelper*) {
  if (name == "EXECUTE") {
    if (auto* open = dynamic_cast<gui::TOpenDialog*>(instance)) return Variant(open->Execute());
    fsNeed<rtl::TComponent>(instance);
    return Variant(false);
  }
  return Variant(0);
}

// The file dialogs' settings, as they publish them.
Variant FileDialogGet(rtl::TObject* instance, TClass, const AnsiString& name) {
  auto& d = fsNeed<gui::TOpenDialog>(instance);
  if (name == "FILENAME") return Variant(d.FileName);
  if (name == "FILTER") return Variant(d.Filter);
  if (name == "FILTERINDEX") return Variant(d.FilterIndex);
  if (name == "DEFAULTEXT") return Variant(d.DefaultExt);
  if (name == "INITIALDIR") return Variant(d.InitialDir);
  if (name == "TITLE") return Variant(d.Title);
  if (name == "OPTIONS") return Variant(static_cast<std::int32_t>(d.Options));
  return Variant(0);
}

void FileDialogSet(rtl::TObject* instance, TClass, const AnsiString& name, const Variant& value) {
  auto& d = fsNeed<gui::TOpenDialog>(instance);
  if (name == "FILENAME") d.FileName = value.AsString();
  if (name == "FILTER") d.Filter = value.AsString();
  if (name == "FILTERINDEX") d.FilterIndex = value.AsInteger();
  if (name == "DEFAULTEXT") d.DefaultExt = value.AsString();
  if (name == "INITIALDIR") d.InitialDir = value.AsString();
  if (name == "TITLE") d.Title = value.AsString();
  if (name == "OPTIONS") d.Options = static_cast<unsigned>(value.AsInteger());
}

Variant GlobalFunction(rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "MESSAGEDLG")
    return Variant(gui::MessageDlg(fsArgText(caller, 0),
                                   static_cast<gui::TMsgDlgType>(std::clamp(fsArgInt(caller, 1), 0, 4)),
                                   static_cast<gui::TMsgDlgButtons>(fsArgInt(caller, 2)), fsArgInt(caller, 3)));
  if (name == "INPUTBOX") {
    AnsiString value = fsArgText(caller, 2);
    fsInputQuery(fsArgText(caller, 0), fsArgText(caller, 1), value);
    return Variant(value);
  }
  if (name == "INPUTQUERY") {
    AnsiString value = fsArgText(caller, 2);
    const bool ok = fsInputQuery(fsArgText(caller, 0), fsArgText(caller, 1), value);
    caller->SetVParam(2, Variant(value));
    return Variant(ok);
  }
  return Variant(0);
}

}  // namespace

bool fsInputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) {
  gui::TForm form(nullptr);
  form.SetBorderStyle(gui::bsDialog);
  form.SetPosition(gui::poScreenCenter);
  form.SetCaption(caption);
  form.SetClientWidth(260);
  form.SetClientHeight(100);
  auto* label = new gui::TLabel(&form);
  label->SetParent(&form);
  label->SetBounds(8, 8, 244, 16);
  label->SetCaption(prompt);
  auto* edit = new gui::TEdit(&form);
  edit->SetName("Edit");
  edit->SetParent(&form);
  edit->SetBounds(8, 28, 244, 21);
  edit->SetText(value);
  auto* ok = new gui::TButton(&form);
  ok->SetParent(&form);
  ok->SetBounds(96, 64, 75, 25);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  ok->SetModalResult(gui::mrOk);
  auto* cancel = new gui::TButton(&form);
  cancel->SetParent(&form);
  cancel->SetBounds(177, 64, 75, 25);
  cancel->SetCaption("Cancel");
  cancel->SetCancel(true);
  cancel->SetModalResult(gui::mrCancel);
  if (form.ShowModal() != gui::mrOk) return false;
  value = edit->Text();
  return true;
}

namespace fs_idialogsrtti {

TFunctions::TFunctions(TfsScript* script) : TfsRTTIModule(script) {
  TfsScript& s = *script;
  s.AddEnumSet("TOpenOptions",
               "ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, "
               "ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, "
               "ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, "
               "ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing");
  s.AddEnumSet("TColorDialogOptions", "cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor");
  s.AddEnumSet("TFontDialogOptions",
               "fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel, "
               "fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp, "
               "fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton");
  s.AddEnumSet("TPrintDialogOptions",
               "poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile");
  s.AddEnumSet("TMsgDlgButtons",
               "mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp");
  s.AddEnum("TFileEditStyle", "fsEdit, fsComboBox");
  s.AddEnum("TFontDialogDevice", "fdScreen, fdPrinter, fdBoth");
  s.AddEnum("TPrintRange", "prAllPages, prSelection, prPageNums");
  s.AddEnum("TMsgDlgType", "mtWarning, mtError, mtInformation, mtConfirmation, mtCustom");

  if (TfsClassVariable* c = s.AddClass(DialogClass("TCommonDialog"), "TComponent"))
    c->AddMethod("function Execute: Boolean", DialogMethod);
  for (const char* name : {"TOpenDialog", "TSaveDialog"})
    if (TfsClassVariable* c = s.AddClass(DialogClass(name), "TCommonDialog")) {
      for (const char* p : {"FileName", "Filter", "DefaultExt", "InitialDir", "Title"})
        c->AddProperty(p, "String", FileDialogGet, FileDialogSet);
      c->AddProperty("FilterIndex", "Integer", FileDialogGet, FileDialogSet);
      c->AddProperty("Options", "TOpenOptions", FileDialogGet, FileDialogSet);
    }
  for (const char* name : {"TColorDialog", "TFontDialog", "TPrintDialog", "TPrinterSetupDialog"})
    s.AddClass(DialogClass(name), "TCommonDialog");

  s.AddMethod(
      "function MessageDlg(Msg: string; DlgType: TMsgDlgType; Buttons: TMsgDlgButtons; HelpCtx: Longint): Integer",
      GlobalFunction, "ctOther");
  s.AddMethod("function InputBox(ACaption, APrompt, ADefault: string): string", GlobalFunction, "ctOther");
  s.AddMethod("function InputQuery(ACaption, APrompt: string; var Value: string): Boolean", GlobalFunction, "ctOther");
}

}  // namespace fs_idialogsrtti

namespace {
TfsRTTIModule* MakeDialogsRTTI(TfsScript* script) { return new fs_idialogsrtti::TFunctions(script); }
}  // namespace

void fsDialogsRTTIStartup() {
  fsRegisterClassFactory("TOpenDialog", [](rtl::TComponent* owner) { return new gui::TOpenDialog(owner); });
  fsRegisterClassFactory("TSaveDialog", [](rtl::TComponent* owner) { return new gui::TSaveDialog(owner); });
  for (const char* name : {"TColorDialog", "TFontDialog", "TPrintDialog", "TPrinterSetupDialog"})
    fsRegisterClassFactory(name, [](rtl::TComponent* owner) { return new TfsUnavailableDialog(owner); });
  fsAddBindingModule(&MakeDialogsRTTI);
}

void fsDialogsRTTIShutdown() { fsRemoveBindingModule(&MakeDialogsRTTI); }

}  // namespace script
