#include "script/fs_iformsrtti_gui.h"

#include <memory>
#include <utility>
#include <vector>

#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/textcase.h"
#include "script/fs_ibindings.h"
#include "script/fs_idialogsrtti_gui.h"
#include "script/fs_ievents.h"
#include "script/fs_igraphicsrtti_gui.h"

namespace script {

namespace {

// The script classes of this module: name, ancestor's name, and whether
// TComponent.Create can make one (the GUI's control classes carry no
// reflection of their own, so each gets a description here).
struct FormsClass {
  const char* name;
  const char* parent;
  TfsClassFactory make;
};

template <class T>
TfsClassFactory Maker() {
  return [](rtl::TComponent* owner) -> rtl::TObject* { return new T(owner); };
}

const std::vector<FormsClass>& FormsClasses() {
  static const std::vector<FormsClass> classes = {
      {"TControl", "TComponent", nullptr},
      {"TWinControl", "TControl", nullptr},
      {"TCustomControl", "TWinControl", nullptr},
      {"TGroupBox", "TWinControl", Maker<gui::TGroupBox>()},
      {"TEdit", "TWinControl", Maker<gui::TEdit>()},
      {"TMemo", "TWinControl", Maker<gui::TMemo>()},
      {"TButton", "TWinControl", Maker<gui::TButton>()},
      {"TCheckBox", "TWinControl", Maker<gui::TCheckBox>()},
      {"TRadioButton", "TWinControl", Maker<gui::TRadioButton>()},
      {"TGraphicControl", "TControl", nullptr},
      {"TLabel", "TControl", Maker<gui::TLabel>()},
      {"TCustomComboBox", "TWinControl", nullptr},
      {"TComboBox", "TCustomComboBox", Maker<gui::TComboBox>()},
      {"TCustomListBox", "TWinControl", nullptr},
      {"TListBox", "TCustomListBox", Maker<gui::TListBox>()},
      {"TControlScrollBar", "TPersistent", nullptr},
      {"TScrollingWinControl", "TWinControl", nullptr},
      {"TScrollBox", "TScrollingWinControl", nullptr},
      {"TCustomForm", "TScrollingWinControl", nullptr},
      {"TForm", "TCustomForm", Maker<gui::TForm>()},
      {"TDataModule", "TComponent", nullptr},
      {"TApplication", "TComponent", nullptr},
  };
  return classes;
}

const rtl::TClassInfo* RuntimeParent(const char* name) {
  if (rtl::SameText(name, "TPersistent")) return &rtl::TPersistent::StaticClass();
  if (rtl::SameText(name, "TComponent")) return &rtl::TComponent::StaticClass();
  return nullptr;
}

unsigned ShiftBits(gui::TShiftState shift) { return shift.Bits(); }

// ---- connectors: a control's event of the GUI's own type <-> the adapter's
// method. An empty method empties the event.

template <class C>
C& Host(rtl::TObject* host) {
  return fsNeed<C>(host);
}

using NotifyMethod = TfsNotifyEvent::Method;
using NotifySlot = gui::TNotifyEvent& (*)(gui::TControl&);

TfsEventConnector<rtl::TObject*> NotifyConnector(std::function<gui::TNotifyEvent*(rtl::TObject*)> slot) {
  return [slot](rtl::TObject* host, NotifyMethod method) {
    if (gui::TNotifyEvent* event = slot(host)) *event = method ? gui::TNotifyEvent(method) : gui::TNotifyEvent();
  };
}

template <class C, gui::TNotifyEvent C::*Member>
TfsEventConnector<rtl::TObject*> Notify() {
  return NotifyConnector([](rtl::TObject* host) { return &(Host<C>(host).*Member); });
}

template <gui::TMouseEvent gui::TControl::*Member>
TfsEventConnector<rtl::TObject*, int, unsigned, int, int> Mouse() {
  return [](rtl::TObject* host, TfsMouseEvent::Method method) {
    auto& event = Host<gui::TControl>(host).*Member;
    if (!method) {
      event = nullptr;
      return;
    }
    event = [method](rtl::TObject* sender, gui::TMouseButton button, gui::TShiftState shift, int x, int y) {
      method(sender, static_cast<int>(button), ShiftBits(shift), x, y);
    };
  };
}

TfsEventConnector<rtl::TObject*, unsigned, int, int> MouseMove() {
  return [](rtl::TObject* host, TfsMouseMoveEvent::Method method) {
    auto& event = Host<gui::TControl>(host).OnMouseMove;
    if (!method) {
      event = nullptr;
      return;
    }
    event = [method](rtl::TObject* sender, gui::TShiftState shift, int x, int y) {
      method(sender, ShiftBits(shift), x, y);
    };
  };
}

template <gui::TKeyEvent gui::TControl::*Member>
TfsEventConnector<rtl::TObject*, std::uint16_t&, unsigned> Key() {
  return [](rtl::TObject* host, TfsKeyEvent::Method method) {
    auto& event = Host<gui::TControl>(host).*Member;
    if (!method) {
      event = nullptr;
      return;
    }
    event = [method](rtl::TObject* sender, gui::Word& key, gui::TShiftState shift) {
      method(sender, key, ShiftBits(shift));
    };
  };
}

TfsEventConnector<rtl::TObject*, char&> KeyPress() {
  return [](rtl::TObject* host, TfsKeyPressEvent::Method method) {
    auto& event = Host<gui::TControl>(host).OnKeyPress;
    event = method ? gui::TKeyPressEvent(method) : gui::TKeyPressEvent();
  };
}

TfsEventConnector<rtl::TObject*, int&> Close() {
  return [](rtl::TObject* host, TfsCloseEvent::Method method) {
    auto& event = Host<gui::TForm>(host).OnClose;
    if (!method) {
      event = nullptr;
      return;
    }
    event = [method](rtl::TObject* sender, gui::TCloseAction& action) {
      int value = static_cast<int>(action);
      method(sender, value);
      if (value >= gui::caNone && value <= gui::caMinimize) action = static_cast<gui::TCloseAction>(value);
    };
  };
}

TfsEventConnector<rtl::TObject*, bool&> CloseQuery() {
  return [](rtl::TObject* host, TfsCloseQueryEvent::Method method) {
    auto& event = Host<gui::TForm>(host).OnCloseQuery;
    event = method ? gui::TCloseQueryEvent(method) : gui::TCloseQueryEvent();
  };
}

// The GUI library has no can-resize event: the adapter is bound and kept,
// and never called.
TfsEventConnector<rtl::TObject*, int&, int&, bool&> CanResize() {
  return [](rtl::TObject*, TfsCanResizeEvent::Method) {};
}

}  // namespace

TClass fsFormsClass(std::string_view name) {
  static std::vector<std::unique_ptr<rtl::TClassInfo>> infos;
  if (infos.empty())
    for (const FormsClass& c : FormsClasses()) {
      const rtl::TClassInfo* parent = RuntimeParent(c.parent);
      if (!parent)
        for (auto& i : infos)
          if (rtl::SameText(i->Name(), c.parent)) parent = i.get();
      infos.push_back(std::make_unique<rtl::TClassInfo>(c.name, parent));
    }
  for (auto& i : infos)
    if (rtl::SameText(i->Name(), name)) return i.get();
  return nullptr;
}

namespace fs_iformsrtti {

namespace {

Variant CallMethod(rtl::TObject* instance, TClass classType, const AnsiString& name, TfsMethodHelper* caller) {
  if (classType == fsFormsClass("TControl")) {
    auto& c = Host<gui::TControl>(instance);
    if (name == "HIDE") c.Hide();
    if (name == "SHOW") c.Show();
    if (name == "SETBOUNDS")
      c.SetBounds(fsArgInt(caller, 0), fsArgInt(caller, 1), fsArgInt(caller, 2), fsArgInt(caller, 3));
  } else if (classType == fsFormsClass("TWinControl")) {
    if (name == "SETFOCUS") Host<gui::TControl>(instance).SetFocus();
  } else if (classType == fsFormsClass("TCustomListBox")) {
    auto& l = Host<gui::TListBox>(instance);
    if (name == "SELECTED.GET") return Variant(l.Selected(fsArgInt(caller, 0)));
    if (name == "SELECTED.SET") l.SetSelected(fsArgInt(caller, 0), fsArgBool(caller, 1));
  } else if (classType == fsFormsClass("TCustomForm")) {
    auto& f = Host<gui::TForm>(instance);
    if (name == "CLOSE") f.Close();
    if (name == "HIDE") f.Hide();
    if (name == "SHOW") f.Show();
    if (name == "SHOWMODAL") return Variant(static_cast<std::int32_t>(f.ShowModal()));
  } else if (classType == fsFormsClass("TApplication")) {
    auto& a = Host<gui::TApplication>(instance);
    if (name == "MINIMIZE" && a.MainForm()) a.MainForm()->SetWindowState(gui::wsMinimized);
    if (name == "PROCESSMESSAGES") a.ProcessMessages();
    if (name == "RESTORE" && a.MainForm()) a.MainForm()->SetWindowState(gui::wsNormal);
  }
  return Variant(0);
}

Variant GetProp(rtl::TObject* instance, TClass classType, const AnsiString& name) {
  if (classType == fsFormsClass("TControl")) {
    auto& c = Host<gui::TControl>(instance);
    if (name == "PARENT") return fsObjectToVariant(c.Parent());
    // What the GUI library's controls publish, by hand.
    if (name == "LEFT") return Variant(c.Left());
    if (name == "TOP") return Variant(c.Top());
    if (name == "WIDTH") return Variant(c.Width());
    if (name == "HEIGHT") return Variant(c.Height());
    if (name == "CLIENTWIDTH") return Variant(c.ClientWidth());
    if (name == "CLIENTHEIGHT") return Variant(c.ClientHeight());
    if (name == "CAPTION" || name == "TEXT") return Variant(c.Caption());
    if (name == "VISIBLE") return Variant(c.Visible());
    if (name == "ENABLED") return Variant(c.Enabled());
    if (name == "HINT") return Variant(c.Hint());
    if (name == "SHOWHINT") return Variant(c.ShowHint());
    if (name == "COLOR") return Variant(static_cast<std::int32_t>(c.Color()));
    if (name == "TABORDER") return Variant(c.TabOrder());
    if (name == "CHECKED") {
      if (auto* box = dynamic_cast<gui::TCheckBox*>(&c)) return Variant(box->Checked());
      if (auto* radio = dynamic_cast<gui::TRadioButton*>(&c)) return Variant(radio->Checked());
      return Variant(false);
    }
    if (name == "MODALRESULT")
      if (auto* button = dynamic_cast<gui::TButton*>(&c))
        return Variant(static_cast<std::int32_t>(button->ModalResult()));
  } else if (classType == fsFormsClass("TCustomComboBox")) {
    auto& c = Host<gui::TComboBox>(instance);
    if (name == "DROPPEDDOWN") return Variant(c.DroppedDown());
    if (name == "ITEMINDEX") return Variant(c.ItemIndex());
  } else if (classType == fsFormsClass("TCustomListBox")) {
    auto& l = Host<gui::TListBox>(instance);
    if (name == "ITEMINDEX") return Variant(l.ItemIndex());
    if (name == "SELCOUNT") return Variant(l.SelCount());
  } else if (classType == fsFormsClass("TCustomForm")) {
    auto& f = Host<gui::TForm>(instance);
    if (name == "CANVAS") return Variant(0);  // forms here draw through their controls
    if (name == "MODALRESULT") return Variant(static_cast<std::int32_t>(f.ModalResult()));
  } else if (classType == fsFormsClass("TApplication")) {
    if (name == "EXENAME") return Variant(Host<gui::TApplication>(instance).ExeName());
  }
  return Variant(0);
}

void SetProp(rtl::TObject* instance, TClass classType, const AnsiString& name, const Variant& value) {
  if (classType == fsFormsClass("TControl")) {
    auto& c = Host<gui::TControl>(instance);
    if (name == "PARENT") c.SetParent(fsAs<gui::TControl>(value));
    if (name == "LEFT") c.SetLeft(value.AsInteger());
    if (name == "TOP") c.SetTop(value.AsInteger());
    if (name == "WIDTH") c.SetWidth(value.AsInteger());
    if (name == "HEIGHT") c.SetHeight(value.AsInteger());
    if (name == "CLIENTWIDTH") c.SetClientWidth(value.AsInteger());
    if (name == "CLIENTHEIGHT") c.SetClientHeight(value.AsInteger());
    if (name == "CAPTION" || name == "TEXT") c.SetCaption(value.AsString());
    if (name == "VISIBLE") c.SetVisible(value.AsBoolean());
    if (name == "ENABLED") c.SetEnabled(value.AsBoolean());
    if (name == "HINT") c.SetHint(value.AsString());
    if (name == "SHOWHINT") c.SetShowHint(value.AsBoolean());
    if (name == "COLOR") c.SetColor(static_cast<gui::TColor>(value.AsInteger()));
    if (name == "TABORDER") c.SetTabOrder(value.AsInteger());
    if (name == "CHECKED") {
      if (auto* box = dynamic_cast<gui::TCheckBox*>(&c)) box->SetChecked(value.AsBoolean());
      if (auto* radio = dynamic_cast<gui::TRadioButton*>(&c)) radio->SetChecked(value.AsBoolean());
    }
    if (name == "MODALRESULT")
      if (auto* button = dynamic_cast<gui::TButton*>(&c)) button->SetModalResult(value.AsInteger());
  } else if (classType == fsFormsClass("TCustomComboBox")) {
    auto& c = Host<gui::TComboBox>(instance);
    if (name == "DROPPEDDOWN") c.SetDroppedDown(value.AsBoolean());
    if (name == "ITEMINDEX") c.SetItemIndex(value.AsInteger());
  } else if (classType == fsFormsClass("TCustomListBox")) {
    if (name == "ITEMINDEX") Host<gui::TListBox>(instance).SetItemIndex(value.AsInteger());
  } else if (classType == fsFormsClass("TCustomForm")) {
    if (name == "MODALRESULT") Host<gui::TForm>(instance).SetModalResult(value.AsInteger());
  }
}

}  // namespace

TFunctions::TFunctions(TfsScript* script) : TfsRTTIModule(script) {
  TfsScript& s = *script;
  auto add = [&s](const char* name, std::initializer_list<std::pair<const char*, int>> constants) {
    (void)name;
    for (const auto& [n, v] : constants) s.AddConst(n, "Integer", Variant(v));
  };
  add("modal results", {{"mrNone", 0},
                        {"mrOk", 1},
                        {"mrCancel", 2},
                        {"mrAbort", 3},
                        {"mrRetry", 4},
                        {"mrIgnore", 5},
                        {"mrYes", 6},
                        {"mrNo", 7},
                        {"mrAll", 8},
                        {"mrNoToAll", 9},
                        {"mrYesToAll", 10}});
  add("cursors", {{"crDefault", 0},   {"crNone", -1},       {"crArrow", -2},    {"crCross", -3},    {"crIBeam", -4},
                  {"crSize", -22},    {"crSizeNESW", -6},   {"crSizeNS", -7},   {"crSizeNWSE", -8}, {"crSizeWE", -9},
                  {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},    {"crNoDrop", -13},  {"crHSplit", -14},
                  {"crVSplit", -15},  {"crMultiDrag", -16}, {"crSQLWait", -17}, {"crNo", -18},      {"crAppStart", -19},
                  {"crHelp", -20},    {"crHandPoint", -21}, {"crSizeAll", -22}});
  add("border styles",
      {{"bsNone", 0}, {"bsSingle", 1}, {"bsSizeable", 2}, {"bsDialog", 3}, {"bsToolWindow", 4}, {"bsSizeToolWin", 5}});
  add("virtual keys",
      {{"VK_RBUTTON", 2},    {"VK_CANCEL", 3},    {"VK_MBUTTON", 4},    {"VK_BACK", 8},      {"VK_TAB", 9},
       {"VK_RETURN", 13},    {"VK_SHIFT", 16},    {"VK_CONTROL", 17},   {"VK_MENU", 18},     {"VK_PAUSE", 19},
       {"VK_CAPITAL", 20},   {"VK_ESCAPE", 27},   {"VK_SPACE", 32},     {"VK_PRIOR", 33},    {"VK_NEXT", 34},
       {"VK_END", 35},       {"VK_HOME", 36},     {"VK_LEFT", 37},      {"VK_UP", 38},       {"VK_RIGHT", 39},
       {"VK_DOWN", 40},      {"VK_INSERT", 45},   {"VK_DELETE", 46},    {"VK_HELP", 47},     {"VK_LWIN", 91},
       {"VK_RWIN", 92},      {"VK_APPS", 93},     {"VK_MULTIPLY", 106}, {"VK_ADD", 107},     {"VK_SEPARATOR", 108},
       {"VK_SUBTRACT", 109}, {"VK_DECIMAL", 110}, {"VK_DIVIDE", 111},   {"VK_NUMLOCK", 144}, {"VK_SCROLL", 145}});
  for (int i = 0; i <= 9; ++i) s.AddConst("VK_NUMPAD" + rtl::IntToStr(i), "Integer", Variant(96 + i));
  for (int i = 1; i <= 12; ++i) s.AddConst("VK_F" + rtl::IntToStr(i), "Integer", Variant(111 + i));

  for (const char* type : {"TFormBorderStyle", "TBorderStyle", "TAlignment", "TLeftRight"}) s.AddType(type, fvtInt);
  add("alignment", {{"taLeftJustify", 0}, {"taRightJustify", 1}, {"taCenter", 2}});

  s.AddEnumSet("TShiftState", "ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble");
  s.AddEnum("TAlign", "alNone, alTop, alBottom, alLeft, alRight, alClient");
  s.AddEnum("TMouseButton", "mbLeft, mbRight, mbMiddle");
  s.AddEnumSet("TAnchors", "akLeft, akTop, akRight, akBottom");
  s.AddEnum("TBevelCut", "bvNone, bvLowered, bvRaised, bvSpace");
  s.AddEnum("TTextLayout", "tlTop, tlCenter, tlBottom");
  s.AddEnum("TEditCharCase", "ecNormal, ecUpperCase, ecLowerCase");
  s.AddEnum("TScrollStyle", "ssNone, ssHorizontal, ssVertical, ssBoth");
  s.AddEnum("TComboBoxStyle", "csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable");
  s.AddEnum("TCheckBoxState", "cbUnchecked, cbChecked, cbGrayed");
  s.AddEnum("TListBoxStyle", "lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable");
  s.AddEnum("TWindowState", "wsNormal, wsMinimized, wsMaximized");
  s.AddEnum("TFormStyle", "fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop");
  s.AddEnumSet("TBorderIcons", "biSystemMenu, biMinimize, biMaximize, biHelp");
  s.AddEnum("TPosition", "poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter");
  s.AddEnum("TCloseAction", "caNone, caHide, caFree, caMinimize");

  for (const FormsClass& c : FormsClasses()) {
    TfsClassVariable* cls = s.AddClass(fsFormsClass(c.name), c.parent);
    if (!cls) continue;
    const AnsiString name = c.name;
    if (name == "TControl") {
      for (const char* d :
           {"procedure Hide", "procedure Show", "procedure SetBounds(ALeft, ATop, AWidth, AHeight: Integer)"})
        cls->AddMethod(d, CallMethod);
      cls->AddProperty("Parent", "TWinControl", GetProp, SetProp);
      for (const char* p :
           {"Left", "Top", "Width", "Height", "ClientWidth", "ClientHeight", "Color", "TabOrder", "ModalResult"})
        cls->AddProperty(p, "Integer", GetProp, SetProp);
      for (const char* p : {"Caption", "Text", "Hint"}) cls->AddProperty(p, "String", GetProp, SetProp);
      for (const char* p : {"Visible", "Enabled", "ShowHint", "Checked"})
        cls->AddProperty(p, "Boolean", GetProp, SetProp);
      cls->AddEvent("OnCanResize", fsEventClass<TfsCanResizeEvent>(CanResize()));
      cls->AddEvent("OnClick", fsEventClass<TfsNotifyEvent>(Notify<gui::TControl, &gui::TControl::OnClick>()));
      cls->AddEvent("OnDblClick", fsEventClass<TfsNotifyEvent>(Notify<gui::TControl, &gui::TControl::OnDblClick>()));
      cls->AddEvent("OnMouseDown", fsEventClass<TfsMouseEvent>(Mouse<&gui::TControl::OnMouseDown>()));
      cls->AddEvent("OnMouseMove", fsEventClass<TfsMouseMoveEvent>(MouseMove()));
      cls->AddEvent("OnMouseUp", fsEventClass<TfsMouseEvent>(Mouse<&gui::TControl::OnMouseUp>()));
      cls->AddEvent("OnResize", fsEventClass<TfsNotifyEvent>(Notify<gui::TControl, &gui::TControl::OnResize>()));
    } else if (name == "TWinControl") {
      cls->AddMethod("procedure SetFocus", CallMethod);
      cls->AddEvent("OnEnter", fsEventClass<TfsNotifyEvent>(Notify<gui::TControl, &gui::TControl::OnEnter>()));
      cls->AddEvent("OnExit", fsEventClass<TfsNotifyEvent>(Notify<gui::TControl, &gui::TControl::OnExit>()));
      cls->AddEvent("OnKeyDown", fsEventClass<TfsKeyEvent>(Key<&gui::TControl::OnKeyDown>()));
      cls->AddEvent("OnKeyPress", fsEventClass<TfsKeyPressEvent>(KeyPress()));
      cls->AddEvent("OnKeyUp", fsEventClass<TfsKeyEvent>(Key<&gui::TControl::OnKeyUp>()));
    } else if (name == "TCustomComboBox") {
      cls->AddProperty("DroppedDown", "Boolean", GetProp, SetProp);
      cls->AddProperty("ItemIndex", "Integer", GetProp, SetProp);
      cls->AddEvent("OnChange", fsEventClass<TfsNotifyEvent>(Notify<gui::TComboBox, &gui::TComboBox::OnChange>()));
      cls->AddEvent("OnDropDown", fsEventClass<TfsNotifyEvent>(Notify<gui::TComboBox, &gui::TComboBox::OnDropDown>()));
      // The GUI's combo box tells of its list closing as a selection.
      cls->AddEvent("OnCloseUp", fsEventClass<TfsNotifyEvent>(Notify<gui::TComboBox, &gui::TComboBox::OnSelect>()));
    } else if (name == "TCustomListBox") {
      cls->AddProperty("ItemIndex", "Integer", GetProp, SetProp);
      cls->AddProperty("SelCount", "Integer", GetProp);
      cls->AddIndexProperty("Selected", "Integer", "Boolean", CallMethod);
    } else if (name == "TCustomForm") {
      for (const char* d : {"procedure Close", "procedure Hide", "procedure Show", "function ShowModal: Integer"})
        cls->AddMethod(d, CallMethod);
      cls->AddProperty("Canvas", "TCanvas", GetProp);
      cls->AddProperty("ModalResult", "Integer", GetProp, SetProp);
      cls->AddEvent("OnActivate", fsEventClass<TfsNotifyEvent>(Notify<gui::TForm, &gui::TForm::OnActivate>()));
      cls->AddEvent("OnClose", fsEventClass<TfsCloseEvent>(Close()));
      cls->AddEvent("OnCloseQuery", fsEventClass<TfsCloseQueryEvent>(CloseQuery()));
      // The GUI's forms have no create event of their own: a script's form
      // exists before it could bind one, so OnCreate is bound and kept.
      cls->AddEvent("OnCreate", fsEventClass<TfsNotifyEvent>(TfsEventConnector<rtl::TObject*>()));
      cls->AddEvent("OnDestroy", fsEventClass<TfsNotifyEvent>(Notify<gui::TForm, &gui::TForm::OnDestroy>()));
      cls->AddEvent("OnDeactivate", fsEventClass<TfsNotifyEvent>(Notify<gui::TForm, &gui::TForm::OnDeactivate>()));
      cls->AddEvent("OnHide", fsEventClass<TfsNotifyEvent>(Notify<gui::TForm, &gui::TForm::OnHide>()));
      cls->AddEvent("OnPaint", fsEventClass<TfsNotifyEvent>(TfsEventConnector<rtl::TObject*>()));
      cls->AddEvent("OnShow", fsEventClass<TfsNotifyEvent>(Notify<gui::TForm, &gui::TForm::OnShow>()));
    } else if (name == "TApplication") {
      for (const char* d : {"procedure Minimize", "procedure ProcessMessages", "procedure Restore"})
        cls->AddMethod(d, CallMethod);
      cls->AddProperty("ExeName", "String", GetProp);
    }
  }
  if (gui::Application) s.AddObject("Application", gui::Application);
}

}  // namespace fs_iformsrtti

namespace {
TfsRTTIModule* MakeFormsRTTI(TfsScript* script) { return new fs_iformsrtti::TFunctions(script); }
}  // namespace

void fsFormsRTTIStartup() {
  for (const FormsClass& c : FormsClasses())
    if (c.make) fsRegisterClassFactory(c.name, c.make);
  fsAddBindingModule(&MakeFormsRTTI);
}

void fsFormsRTTIShutdown() { fsRemoveBindingModule(&MakeFormsRTTI); }

void fsGuiBindingsStartup() {
  fsFormsRTTIStartup();
  fsDialogsRTTIStartup();
  fsGraphicsRTTIStartup();
}

void fsGuiBindingsShutdown() {
  fsGraphicsRTTIShutdown();
  fsDialogsRTTIShutdown();
  fsFormsRTTIShutdown();
}

}  // namespace script
