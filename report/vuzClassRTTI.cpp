#include "report/vuzClassRTTI.h"

#include <cmath>
#include <set>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClass.h"
#include "report/vuzClassRTTI_p.h"
#include "report/vuzClassServices.h"
#include "report/vuzDataSet.h"
#include "report/vuzStyles.h"
#include "report/vuzUnicodeUtils.h"
#include "report/vuzVariables.h"

namespace report {

using rtl::AnsiString;
using rtl::Variant;
using script::TClass;
using script::TfsClassVariable;
using script::TfsMethodHelper;
using script::TfsScript;

// ---------------------------------------------------------------- class information

namespace {

TfrxAnchorService& Anchors() {
  static TfrxAnchorService service;
  return service;
}

// Picture classes that are not runtime objects: scripts know only their names.
const rtl::TClassInfo& GraphicInfo() {
  static const rtl::TClassInfo info("TGraphic", &rtl::TPersistent::StaticClass());
  return info;
}
const rtl::TClassInfo& JPEGImageInfo() {
  static const rtl::TClassInfo info("TJPEGImage", &GraphicInfo());
  return info;
}
const rtl::TClassInfo& PNGObjectInfo() {
  static const rtl::TClassInfo info("TPNGObject", &GraphicInfo());
  return info;
}
const rtl::TClassInfo& CustomOutlineInfo() {
  return *script::fsHostClass<TfrxCustomOutline>("TfrxCustomOutline", &rtl::TPersistent::StaticClass());
}

// The classes of this library and its platform, known without the registry.
const rtl::TClassInfo* OwnClassInfo(std::string_view name) {
  using Getter = const rtl::TClassInfo& (*)();
  static const std::pair<const char*, Getter> own[] = {
      {"TWideStrings", &TWideStrings::StaticClass},
      {"TfrxDataSet", &TfrxDataSet::StaticClass},
      {"TfrxUserDataSet", &TfrxUserDataSet::StaticClass},
      {"TfrxCustomDBDataSet", &TfrxCustomDBDataSet::StaticClass},
      {"TfrxComponent", &TfrxComponent::StaticClass},
      {"TfrxReportComponent", &TfrxReportComponent::StaticClass},
      {"TfrxDialogComponent", &TfrxDialogComponent::StaticClass},
      {"TfrxVariable", &TfrxVariable::StaticClass},
      {"TfrxVariables", &TfrxVariables::StaticClass},
      {"TfrxArray", &TfrxArray::StaticClass},
      {"TfrxStyleItem", &TfrxStyleItem::StaticClass},
      {"TfrxStyles", &TfrxStyles::StaticClass},
      {"TfrxCustomEngine", &TfrxCustomEngine::StaticClass},
      {"TfrxCustomOutline", &CustomOutlineInfo},
      {"TGraphic", &GraphicInfo},
      {"TJPEGImage", &JPEGImageInfo},
      {"TPNGObject", &PNGObjectInfo},
  };
  for (const auto& [ownName, get] : own)
    if (rtl::SameText(ownName, name)) return &get();
  return nullptr;
}

// Every class reachable from the runtime's registry through parents and
// published object properties, by name; rebuilt when the registry grows.
class ReachableClasses {
 public:
  const rtl::TClassInfo* Find(std::string_view name) {
    std::vector<AnsiString> registered = rtl::RegisteredClassNames();
    if (registered.size() != registeredCount_) Rebuild(registered);
    auto it = byName_.find(rtl::AnsiUpperCase(name));
    return it == byName_.end() ? nullptr : it->second;
  }

 private:
  void Rebuild(const std::vector<AnsiString>& registered) {
    byName_.clear();
    registeredCount_ = registered.size();
    std::vector<const rtl::TClassInfo*> pending;
    for (const AnsiString& n : registered)
      if (const rtl::TClassInfo* info = rtl::GetClassInfo(n)) pending.push_back(info);
    std::set<const rtl::TClassInfo*> seen;
    while (!pending.empty()) {
      const rtl::TClassInfo* info = pending.back();
      pending.pop_back();
      if (!info || !seen.insert(info).second) continue;
      byName_.emplace(rtl::AnsiUpperCase(info->Name()), info);
      pending.push_back(info->Parent());
      for (const rtl::TPropInfo* prop : info->Properties())
        if (prop->PropClass) pending.push_back(prop->PropClass);
    }
  }
  std::unordered_map<AnsiString, const rtl::TClassInfo*> byName_;
  size_t registeredCount_ = static_cast<size_t>(-1);
};

}  // namespace

const rtl::TClassInfo* vuzFindReportClassInfo(const AnsiString& name) {
  if (const rtl::TClassInfo* own = OwnClassInfo(name)) return own;
  if (const rtl::TClassInfo* registered = rtl::GetClassInfo(name)) return registered;
  static ReachableClasses reachable;
  return reachable.Find(name);
}

// ---------------------------------------------------------------- arguments and objects

namespace rtti {

Variant Arg(TfsMethodHelper* caller, int index) { return caller->GetVParam(index); }
AnsiString ArgText(TfsMethodHelper* caller, int index) { return Arg(caller, index).AsString(); }

rtl::TObject* ArgObject(TfsMethodHelper* caller, int index) { return script::fsVariantToObject(Arg(caller, index)); }

[[noreturn]] void WrongObject(const char* className) {
  throw rtl::EInvalidCast(AnsiString("Invalid class typecast: ") + className + " expected");
}

rtl::TStream& ArgStream(TfsMethodHelper* caller, int index) {
  auto* stream = dynamic_cast<rtl::TStream*>(ArgObject(caller, index));
  if (!stream) WrongObject("TStream");
  return *stream;
}

rtl::TStrings& ArgStrings(TfsMethodHelper* caller, int index) {
  auto* list = dynamic_cast<rtl::TStrings*>(ArgObject(caller, index));
  if (!list) WrongObject("TStrings");
  return *list;
}

Variant Object(const rtl::TObject* object) { return script::fsObjectToVariant(const_cast<rtl::TObject*>(object)); }

Variant Float(long double value) { return Variant(static_cast<double>(value)); }

bool Is(TClass classType, std::string_view name) { return classType && rtl::SameText(classType->Name(), name); }

TfsClassVariable* AddReportClass(TfsScript& script, const char* name, const char* parent) {
  return script.AddClass(vuzFindReportClassInfo(name), parent);
}

}  // namespace rtti

namespace vuzClassRTTI {

using namespace rtti;

namespace {

// The dataset methods and field-indexed properties.
Variant DataSetMethod(TfrxDataSet& ds, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "OPEN")
    ds.Open();
  else if (name == "CLOSE")
    ds.Close();
  else if (name == "FIRST")
    ds.First();
  else if (name == "NEXT")
    ds.Next();
  else if (name == "PRIOR")
    ds.Prior();
  else if (name == "EOF")
    return Variant(ds.Eof());
  else if (name == "FIELDSCOUNT")
    return Variant(ds.FieldsCount());
  else if (name == "HASFIELD")
    return Variant(ds.HasField(ArgText(caller, 0)));
  else if (name == "ISBLOBFIELD")
    return Variant(ds.IsBlobField(ArgText(caller, 0)));
  else if (name == "RECORDCOUNT")
    return Variant(ds.RecordCount());
  else if (name == "GETFIELDLIST")
    ds.GetFieldList(ArgStrings(caller, 0));
  else if (name == "DISPLAYTEXT.GET")
    return Variant(ds.GetDisplayText(ArgText(caller, 0))).AsString();
  else if (name == "DISPLAYWIDTH.GET")
    return Variant(ds.GetDisplayWidth(ArgText(caller, 0)));
  else if (name == "FIELDTYPE.GET")
    return Variant(static_cast<int32_t>(ds.GetFieldType(ArgText(caller, 0))));
  else if (name == "VALUE.GET")
    return ds.GetValue(ArgText(caller, 0));
  return Variant(0);
}

Variant ComponentMethod(TfrxComponent& c, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "CLEAR")
    c.Clear();
  else if (name == "FINDOBJECT")
    return Object(c.FindObject(ArgText(caller, 0)));
  else if (name == "LOADFROMSTREAM")
    c.LoadFromStream(ArgStream(caller, 0));
  else if (name == "SAVETOSTREAM")
    c.SaveToStream(ArgStream(caller, 0), Arg(caller, 1).AsBoolean());
  else if (name == "SETBOUNDS")
    c.SetBounds(Arg(caller, 0).AsExtended(), Arg(caller, 1).AsExtended(), Arg(caller, 2).AsExtended(),
                Arg(caller, 3).AsExtended());
  return Variant(0);
}

Variant WideStringsMethod(TWideStrings* list, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "CREATE") return Object(new TWideStrings());
  if (!list) WrongObject("TWideStrings");
  if (name == "ADD") return Variant(list->Add(Arg(caller, 0).AsWideString()));
  if (name == "ADDOBJECT") return Variant(list->AddObject(Arg(caller, 0).AsWideString(), ArgObject(caller, 1)));
  if (name == "CLEAR")
    list->Clear();
  else if (name == "DELETE")
    list->Delete(Arg(caller, 0).AsInteger());
  else if (name == "INDEXOF")
    return Variant(list->IndexOf(Arg(caller, 0).AsWideString()));
  else if (name == "INSERT")
    list->Insert(Arg(caller, 0).AsInteger(), Arg(caller, 1).AsWideString());
  else if (name == "LOADFROMFILE")
    list->LoadFromFile(Arg(caller, 0).AsWideString());
  else if (name == "LOADFROMSTREAM")
    list->LoadFromStream(ArgStream(caller, 0));
  else if (name == "SAVETOFILE")
    list->SaveToFile(Arg(caller, 0).AsWideString());
  else if (name == "SAVETOSTREAM")
    list->SaveToStream(ArgStream(caller, 0));
  else if (name == "OBJECTS.GET")
    return Object(list->GetObject(Arg(caller, 0).AsInteger()));
  else if (name == "OBJECTS.SET")
    list->PutObject(Arg(caller, 0).AsInteger(), ArgObject(caller, 1));
  else if (name == "STRINGS.GET")
    return Variant(list->Get(Arg(caller, 0).AsInteger())).AsString();
  else if (name == "STRINGS.SET")
    list->Put(Arg(caller, 0).AsInteger(), Arg(caller, 1).AsWideString());
  return Variant(0);
}

Variant StylesMethod(TfrxStyles* styles, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "CREATE") return Object(new TfrxStyles(dynamic_cast<TfrxComponent*>(ArgObject(caller, 0))));
  if (!styles) WrongObject("TfrxStyles");
  if (name == "ITEMS.GET") return Object(styles->GetItem(Arg(caller, 0).AsInteger()));
  if (name == "ADD") return Object(styles->Add());
  if (name == "FIND") return Object(styles->Find(ArgText(caller, 0)));
  if (name == "APPLY")
    styles->Apply();
  else if (name == "GETLIST")
    styles->GetList(ArgStrings(caller, 0));
  else if (name == "LOADFROMFILE")
    styles->LoadFromFile(ArgText(caller, 0));
  else if (name == "LOADFROMSTREAM")
    styles->LoadFromStream(ArgStream(caller, 0));
  else if (name == "SAVETOFILE")
    styles->SaveToFile(ArgText(caller, 0));
  else if (name == "SAVETOSTREAM")
    styles->SaveToStream(ArgStream(caller, 0));
  return Variant(0);
}

TfrxCustomPreviewPages& PreviewPagesOf(TfrxCustomEngine& engine) {
  if (!engine.PreviewPages) throw rtl::EInvalidPointer("The engine has no prepared pages");
  return *engine.PreviewPages;
}

void AddAnchor(TfrxCustomEngine& engine, const AnsiString& text) {
  if (!Anchors().add) throw rtl::EAbstractError("Abstract Error");
  Anchors().add(PreviewPagesOf(engine), text);
}

int GetAnchorPage(TfrxCustomEngine& engine, const AnsiString& text) {
  if (!Anchors().page) throw rtl::EAbstractError("Abstract Error");
  return Anchors().page(PreviewPagesOf(engine), text);
}

Variant EngineMethod(TfrxCustomEngine& engine, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "ADDANCHOR")
    AddAnchor(engine, ArgText(caller, 0));
  else if (name == "NEWPAGE")
    engine.NewPage();
  else if (name == "NEWCOLUMN")
    engine.NewColumn();
  else if (name == "SHOWBAND")
    engine.ShowBand(dynamic_cast<TfrxComponent*>(ArgObject(caller, 0)));
  else if (name == "STOPREPORT")
    engine.StopReport();
  else if (name == "FREESPACE")
    return Float(engine.FreeSpace());
  else if (name == "GETANCHORPAGE")
    return Variant(GetAnchorPage(engine, ArgText(caller, 0)));
  return Variant(0);
}

Variant OutlineMethod(TfrxCustomOutline& outline, const AnsiString& name, TfsMethodHelper* caller) {
  if (name == "ADDITEM") {
    TfrxCustomEngine* engine = outline.Engine();
    long double y = engine ? engine->CurY : 0;
    outline.AddItem(ArgText(caller, 0), static_cast<int>(std::nearbyintl(y)));
  } else if (name == "LEVELROOT") {
    outline.LevelRoot();
  } else if (name == "LEVELUP") {
    outline.LevelUp();
  }
  return Variant(0);
}

}  // namespace

// ---------------------------------------------------------------- the module

TFunctions::TFunctions(TfsScript* script) : script::TfsRTTIModule(script) {
  TfsScript& s = *script;
  s.AddConst("fr01cm", "Extended", Variant(static_cast<double>(fr01cm)));
  s.AddConst("fr1cm", "Extended", Variant(static_cast<double>(fr1cm)));
  s.AddConst("fr01in", "Extended", Variant(static_cast<double>(fr01in)));
  s.AddConst("fr1in", "Extended", Variant(static_cast<double>(fr1in)));
  s.AddConst("fr1CharX", "Extended", Variant(static_cast<double>(fr1CharX)));
  s.AddConst("fr1CharY", "Extended", Variant(static_cast<double>(fr1CharY)));
  s.AddConst("clTransparent", "Integer", Variant(static_cast<int32_t>(clTransparent)));
  s.AddConst("crHand", "Integer", Variant(crHand));
  s.AddConst("crZoom", "Integer", Variant(crZoom));
  s.AddConst("crFormat", "Integer", Variant(crFormat));

  // The script-side lists: TfrxPreviewButtons has pbTree and pbRefresh and no
  // pbOutline, TfrxFrameStyle six names, TfrxRestrictions four.
  s.AddEnum("TfrxStretchMode", "smDontStretch, smActualHeight, smMaxHeight");
  s.AddEnum("TfrxShiftMode", "smDontShift, smAlways, smWhenOverlapped");
  s.AddEnum("TfrxDuplexMode", "dmNone, dmVertical, dmHorizontal, dmSimplex");
  s.AddEnum("TfrxAlign", "baNone, baLeft, baRight, baCenter, baWidth, baBottom, baClient");
  s.AddEnum("TfrxFrameStyle", "fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble");
  s.AddEnumSet("TfrxFrameTypes", "ftLeft, ftRight, ftTop, ftBottom");
  s.AddEnum("TfrxHAlign", "haLeft, haRight, haCenter, haBlock");
  s.AddEnum("TfrxVAlign", "vaTop, vaBottom, vaCenter");
  s.AddEnumSet("TfrxRestrictions", "rfDontModify, rfDontSize, rfDontMove, rfDontDelete");
  s.AddEnum("TfrxShapeKind",
            "skRectangle, skRoundRectangle, skEllipse, skTriangle, skDiamond, skDiagonal1, skDiagonal2");
  s.AddEnumSet("TfrxPreviewButtons",
               "pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbTree, pbPageSetup, pbRefresh, pbTools, pbEdit, "
               "pbNavigator, pbExportQuick");
  s.AddEnum("TfrxZoomMode", "zmDefault, zmWholePage, zmPageWidth, zmManyPages");
  s.AddEnum("TfrxPrintPages", "ppAll, ppOdd, ppEven");
  s.AddEnumSet("TfrxDMPFontStyles",
               "fsxBold, fsxItalic, fsxUnderline, fsxSuperScript, fsxSubScript, fsxCondensed, fsxWide, fsx12cpi, "
               "fsx15cpi");
  s.AddEnum("TfrxRangeBegin", "rbFirst, rbCurrent");
  s.AddEnum("TfrxRangeEnd", "reLast, reCurrent, reCount");
  s.AddEnum("TfrxFieldType", "fftNumeric, fftString, fftBoolean");
  s.AddEnum("TfrxFormatKind", "fkText, fkNumeric, fkDateTime, fkBoolean");

  RegisterClasses();

  if (TfrxVariables* globals = vuzGlobalVariables()) s.AddObject("vuzGlobalVariables", globals);

  auto dateHandler = [](rtl::TObject*, TClass, const AnsiString& name, TfsMethodHelper* caller) -> Variant {
    const char* format = name == "DAYOF" ? "d" : name == "MONTHOF" ? "m" : "yyyy";
    return Variant(rtl::StrToInt(rtl::FormatDateTime(format, Arg(caller, 0).AsExtended())));
  };
  s.AddMethod("function DayOf(Date: TDateTime): Integer", dateHandler, "ctDate");
  s.AddMethod("function MonthOf(Date: TDateTime): Integer", dateHandler, "ctDate");
  s.AddMethod("function YearOf(Date: TDateTime): Integer", dateHandler, "ctDate");
  // Declarations only: each report registers the working macro functions of
  // these names before a run, and those are found first.
  auto declarationOnly = [](rtl::TObject*, TClass, const AnsiString&, TfsMethodHelper*) { return Variant(0); };
  s.AddMethod("function IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant", declarationOnly, "ctOther");
  for (const char* declaration : {"function SUM(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
                                  "function AVG(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
                                  "function MIN(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
                                  "function MAX(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant",
                                  "function COUNT(Band: Variant = 0; Flags: Integer = 0): Variant"})
    s.AddMethod(declaration, declarationOnly, "ctAggregate");
}

TFunctions::~TFunctions() = default;

void TFunctions::RegisterClasses() {
  TfsScript& s = *TargetScript;
  auto method = [this](rtl::TObject* instance, TClass classType, const AnsiString& name, TfsMethodHelper* caller) {
    return CallMethod(instance, classType, name, caller);
  };
  auto getter = [this](rtl::TObject* instance, TClass classType, const AnsiString& name) {
    return GetProp(instance, classType, name);
  };
  auto setter = [this](rtl::TObject* instance, TClass classType, const AnsiString& name, const Variant& value) {
    SetProp(instance, classType, name, value);
  };
  auto add = [&](const char* name, const char* parent) { return AddReportClass(s, name, parent); };

  if (s.Find("TPersistent"))
    if (TfsClassVariable* c = add("TWideStrings", "TPersistent")) {
      c->AddConstructor("constructor Create", method);
      for (const char* d :
           {"function Add(const S: string): Integer", "function AddObject(const S: string; AObject: TObject): Integer",
            "procedure Clear", "procedure Delete(Index: Integer)", "function IndexOf(const S: string): Integer",
            "procedure Insert(Index: Integer; const S: string)", "procedure LoadFromFile(const FileName: string)",
            "procedure LoadFromStream(Stream: TStream)", "procedure SaveToFile(const FileName: string)",
            "procedure SaveToStream(Stream: TStream)"})
        c->AddMethod(d, method);
      c->AddProperty("Count", "Integer", getter);
      c->AddIndexProperty("Objects", "Integer", "TObject", method);
      c->AddDefaultProperty("Strings", "Integer", "string", method);
      c->AddProperty("Text", "string", getter, setter);
    }

  if (TfsClassVariable* c = add("TfrxDataSet", "TComponent")) {
    for (const char* d :
         {"procedure Open", "procedure Close", "procedure First", "procedure Next", "procedure Prior",
          "function Eof: Boolean", "function FieldsCount: Integer", "function HasField(const fName: String): Boolean",
          "function IsBlobField(const fName: String): Boolean", "function RecordCount: Integer",
          "procedure GetFieldList(List: TStrings)"})
      c->AddMethod(d, method);
    c->AddProperty("RecNo", "Integer", getter);
    c->AddIndexProperty("DisplayText", "String", "String", method, true);
    c->AddIndexProperty("DisplayWidth", "String", "Integer", method, true);
    c->AddIndexProperty("FieldType", "String", "TfrxFieldType", method, true);
    c->AddIndexProperty("Value", "String", "Variant", method, true);
  }

  if (TfsClassVariable* c = add("TfrxComponent", "TComponent")) {
    for (const char* d : {"procedure Clear", "function FindObject(s: String): TfrxComponent",
                          "procedure LoadFromStream(Stream: TStream)",
                          "procedure SaveToStream(Stream: TStream; SaveChildren: Boolean = True)",
                          "procedure SetBounds(ALeft, ATop, AWidth, AHeight: Extended)"})
      c->AddMethod(d, method);
    c->AddProperty("Objects", "TList", getter);
    c->AddProperty("AllObjects", "TList", getter);
    c->AddProperty("Parent", "TfrxComponent", getter, setter);
    c->AddProperty("Page", "TfrxPage", getter);
    c->AddProperty("AbsLeft", "Extended", getter);
    c->AddProperty("AbsTop", "Extended", getter);
  }

  RegisterViewClasses(s, method, getter, setter);

  if (TfsClassVariable* c = add("TfrxVariables", "TCollection")) {
    c->AddConstructor("constructor Create", method);
    c->AddDefaultProperty("Variables", "String", "Variant", method);
  }
  if (TfsClassVariable* c = add("TfrxStyles", "TCollection")) {
    c->AddConstructor("constructor Create(AReport: TfrxReport)", method);
    c->AddDefaultProperty("Items", "Integer", "TfrxStyleItem", method, true);
    for (const char* d : {"function Add: TfrxStyleItem", "function Find(const Name: String): TfrxStyleItem",
                          "procedure Apply", "procedure GetList(List: TStrings)",
                          "procedure LoadFromFile(const FileName: String)", "procedure LoadFromStream(Stream: TStream)",
                          "procedure SaveToFile(const FileName: String)", "procedure SaveToStream(Stream: TStream)"})
      c->AddMethod(d, method);
  }
  if (TfsClassVariable* c = add("TfrxArray", "TCollection")) {
    c->AddConstructor("constructor Create", method);
    c->AddDefaultProperty("Variables", "Variant", "Variant", method);
  }

  RegisterReportClasses(s, method, getter, setter);

  if (TfsClassVariable* c = add("TfrxCustomEngine", "TPersistent")) {
    for (const char* d : {"procedure AddAnchor(const Text: String)", "procedure NewPage", "procedure NewColumn",
                          "procedure ShowBand(Band: TfrxBand)", "procedure StopReport", "function FreeSpace: Extended",
                          "function GetAnchorPage(const Text: String): Integer"})
      c->AddMethod(d, method);
  }
  if (TfsClassVariable* c = add("TfrxCustomOutline", "TPersistent")) {
    for (const char* d : {"procedure AddItem(const Text: String)", "procedure LevelRoot", "procedure LevelUp"})
      c->AddMethod(d, method);
  }

  // Classes without members of their own: their published properties only.
  static const std::pair<const char*, const char*> plain[] = {
      {"TJPEGImage", "TGraphic"},
      {"TPNGObject", "TGraphic"},
      {"TfrxUserDataSet", "TfrxDataSet"},
      {"TfrxCustomDBDataSet", "TfrxDataSet"},
      {"TfrxReportComponent", "TfrxComponent"},
      {"TfrxDialogComponent", "TfrxReportComponent"},
      {"TfrxFrameLine", "TPersistent"},
      {"TfrxFrame", "TPersistent"},
      {"TfrxHighlight", "TPersistent"},
      {"TfrxFormat", "TPersistent"},
      {"TfrxPrintOptions", "TPersistent"},
      {"TfrxPreviewOptions", "TPersistent"},
      {"TfrxReportOptions", "TPersistent"},
      {"TfrxShapeView", "TfrxView"},
      {"TfrxDMPCommand", "TfrxView"},
      {"TfrxSubreport", "TfrxView"},
      {"TfrxMemoView", "TfrxCustomMemoView"},
      {"TfrxSysMemoView", "TfrxCustomMemoView"},
      {"TfrxDMPMemoView", "TfrxCustomMemoView"},
      {"TfrxCustomLineView", "TfrxStretcheable"},
      {"TfrxLineView", "TfrxCustomLineView"},
      {"TfrxDMPLineView", "TfrxCustomLineView"},
      {"TfrxDataBand", "TfrxBand"},
      {"TfrxHeader", "TfrxBand"},
      {"TfrxFooter", "TfrxBand"},
      {"TfrxPageHeader", "TfrxBand"},
      {"TfrxPageFooter", "TfrxBand"},
      {"TfrxColumnHeader", "TfrxBand"},
      {"TfrxColumnFooter", "TfrxBand"},
      {"TfrxGroupHeader", "TfrxBand"},
      {"TfrxGroupFooter", "TfrxBand"},
      {"TfrxReportTitle", "TfrxBand"},
      {"TfrxReportSummary", "TfrxBand"},
      {"TfrxChild", "TfrxBand"},
      {"TfrxOverlay", "TfrxBand"},
      {"TfrxMasterData", "TfrxDataBand"},
      {"TfrxDetailData", "TfrxDataBand"},
      {"TfrxSubdetailData", "TfrxDataBand"},
      {"TfrxDataBand4", "TfrxDataBand"},
      {"TfrxDataBand5", "TfrxDataBand"},
      {"TfrxDataBand6", "TfrxDataBand"},
      {"TfrxPage", "TfrxComponent"},
      {"TfrxReportPage", "TfrxPage"},
      {"TfrxDataPage", "TfrxPage"},
      {"TfrxDMPPage", "TfrxReportPage"},
      {"TfrxVariable", "TCollectionItem"},
      {"TfrxStyleItem", "TCollectionItem"},
      {"TfrxEngine", "TfrxCustomEngine"},
      {"TfrxOutline", "TfrxCustomOutline"},
  };
  for (const auto& [name, parent] : plain) add(name, parent);
}

rtl::TList* TFunctions::ListFor(const rtl::TObject* owner, bool all) {
  const auto* component = static_cast<const TfrxComponent*>(owner);
  // One list per component and kind, refreshed at every read.
  const void* key = static_cast<const char*>(static_cast<const void*>(component)) + (all ? 1 : 0);
  std::unique_ptr<rtl::TList>& list = lists_[key];
  if (!list) list = std::make_unique<rtl::TList>();
  list->Clear();
  for (TfrxComponent* child : all ? component->GetAllObjects() : component->Objects()) list->Add(child);
  return list.get();
}

Variant TFunctions::CallMethod(rtl::TObject* instance, TClass classType, const AnsiString& name,
                               TfsMethodHelper* caller) {
  if (Is(classType, "TWideStrings")) return WideStringsMethod(dynamic_cast<TWideStrings*>(instance), name, caller);
  if (Is(classType, "TfrxDataSet")) return DataSetMethod(Need<TfrxDataSet>(instance, "TfrxDataSet"), name, caller);
  if (Is(classType, "TfrxComponent"))
    return ComponentMethod(Need<TfrxComponent>(instance, "TfrxComponent"), name, caller);
  if (Is(classType, "TfrxVariables")) {
    if (name == "CREATE") return Object(new TfrxVariables());
    auto& variables = Need<TfrxVariables>(instance, "TfrxVariables");
    if (name == "VARIABLES.GET") return variables.GetVariable(ArgText(caller, 0));
    if (name == "VARIABLES.SET") variables.SetVariable(ArgText(caller, 0), Arg(caller, 1));
    return Variant(0);
  }
  if (Is(classType, "TfrxStyles")) return StylesMethod(dynamic_cast<TfrxStyles*>(instance), name, caller);
  if (Is(classType, "TfrxArray")) {
    if (name == "CREATE") return Object(new TfrxArray());
    auto& array = Need<TfrxArray>(instance, "TfrxArray");
    if (name == "VARIABLES.GET") return array.GetVariable(Arg(caller, 0));
    if (name == "VARIABLES.SET") array.SetVariable(Arg(caller, 0), Arg(caller, 1));
    return Variant(0);
  }
  if (Is(classType, "TfrxCustomEngine"))
    return EngineMethod(Need<TfrxCustomEngine>(instance, "TfrxCustomEngine"), name, caller);
  if (Is(classType, "TfrxCustomOutline"))
    return OutlineMethod(Need<TfrxCustomOutline>(instance, "TfrxCustomOutline"), name, caller);
  Variant result(0);
  if (CallViewMethod(instance, classType, name, caller, result)) return result;
  if (CallReportMethod(instance, classType, name, caller, result)) return result;
  return Variant(0);
}

Variant TFunctions::GetProp(rtl::TObject* instance, TClass classType, const AnsiString& name) {
  if (Is(classType, "TWideStrings")) {
    auto& list = Need<TWideStrings>(instance, "TWideStrings");
    if (name == "COUNT") return Variant(list.Count());
    if (name == "TEXT") return Variant(list.Text()).AsString();
  } else if (Is(classType, "TfrxDataSet")) {
    if (name == "RECNO") return Variant(Need<TfrxDataSet>(instance, "TfrxDataSet").RecNo());
  } else if (Is(classType, "TfrxComponent")) {
    auto& c = Need<TfrxComponent>(instance, "TfrxComponent");
    if (name == "OBJECTS") return Object(ListFor(&c, false));
    if (name == "ALLOBJECTS") return Object(ListFor(&c, true));
    if (name == "PARENT") return Object(c.Parent());
    if (name == "PAGE") return Object(c.GetPage());
    if (name == "ABSLEFT") return Float(c.GetAbsLeft());
    if (name == "ABSTOP") return Float(c.GetAbsTop());
  } else {
    Variant result(0);
    if (GetViewProp(instance, classType, name, result)) return result;
    if (GetReportProp(instance, classType, name, result)) return result;
  }
  return Variant(0);
}

void TFunctions::SetProp(rtl::TObject* instance, TClass classType, const AnsiString& name, const Variant& value) {
  if (Is(classType, "TWideStrings")) {
    if (name == "TEXT") Need<TWideStrings>(instance, "TWideStrings").SetTextStr(value.AsWideString());
  } else if (Is(classType, "TfrxComponent")) {
    if (name == "PARENT")
      Need<TfrxComponent>(instance, "TfrxComponent")
          .SetParent(dynamic_cast<TfrxComponent*>(script::fsVariantToObject(value)));
  } else if (!SetViewProp(instance, classType, name, value)) {
    SetReportProp(instance, classType, name, value);
  }
}

}  // namespace vuzClassRTTI

void vuzSetAnchorService(TfrxAnchorService service) { Anchors() = std::move(service); }

// ---------------------------------------------------------------- start-up

namespace {
int g_classRTTINesting = 0;
int g_chBoxRTTINesting = 0;

script::TfsRTTIModule* MakeClassRTTI(TfsScript* script) { return new vuzClassRTTI::TFunctions(script); }
script::TfsRTTIModule* MakeChBoxRTTI(TfsScript* script) { return new vuzChBoxRTTI::TFunctions(script); }

void AddModule(script::TfsRTTIModuleClass module) {
  if (auto* modules = script::fsRTTIModules()) modules->push_back(module);
}
void RemoveModule(script::TfsRTTIModuleClass module) {
  if (auto* modules = script::fsRTTIModules()) std::erase(*modules, module);
}
}  // namespace

void vuzClassRTTIStartup() {
  if (g_classRTTINesting++ == 0) AddModule(&MakeClassRTTI);
}
void vuzClassRTTIShutdown() {
  if (g_classRTTINesting > 0 && --g_classRTTINesting == 0) RemoveModule(&MakeClassRTTI);
}
void vuzChBoxRTTIStartup() {
  if (g_chBoxRTTINesting++ == 0) AddModule(&MakeChBoxRTTI);
}
void vuzChBoxRTTIShutdown() {
  if (g_chBoxRTTINesting > 0 && --g_chBoxRTTINesting == 0) RemoveModule(&MakeChBoxRTTI);
}

}  // namespace report
