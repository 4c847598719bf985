#include "report/vuzPropertyEditors.h"

#include <algorithm>
#include <map>

#include "platform/gfx/colors.h"
#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/components.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/format_settings.h"
#include "platform/rtl/textcase.h"
#include "report/vuzClass.h"
#include "report/vuzGuiHooks.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace report {

// ---------------------------------------------------------------- type aliases

namespace {
std::map<const rtl::TPropInfo*, AnsiString>& Aliases() {
  static std::map<const rtl::TPropInfo*, AnsiString> aliases;
  return aliases;
}

// The invalid-value error: the "prInvProp" text (the key itself while the
// table has no entry for it).
[[noreturn]] void InvalidProperty() { throw rtl::Exception(vuzResources().Get("prInvProp")); }
}  // namespace

void vuzSetPropertyTypeAlias(const rtl::TPropInfo* property, const AnsiString& typeName) {
  if (property) Aliases()[property] = typeName;
}

AnsiString vuzPropertyTypeName(const rtl::TPropInfo& property) {
  auto it = Aliases().find(&property);
  return it != Aliases().end() ? it->second : property.TypeName();
}

// ---------------------------------------------------------------- registry

void TfrxPropertyEditorCollection::Register(const AnsiString& propertyType, const rtl::TClassInfo* componentClass,
                                            const AnsiString& propertyName,
                                            const TfrxPropertyEditorClass* editorClass) {
  auto item = std::make_unique<TfrxPropertyEditorItem>();
  item->PropertyType = propertyType;
  item->ComponentClass = componentClass;
  item->PropertyName = propertyName;
  item->EditorClass = editorClass;
  items_.push_back(std::move(item));
}

void TfrxPropertyEditorCollection::RegisterEventEditor(const TfrxPropertyEditorClass* editorClass) {
  Register(AnsiString(), nullptr, AnsiString(), editorClass);
  eventEditorIndex_ = Count() - 1;
}

void TfrxPropertyEditorCollection::UnRegister(const TfrxPropertyEditorClass* editorClass) {
  for (std::size_t i = items_.size(); i-- > 0;) {
    if (items_[i]->EditorClass != editorClass) continue;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    if (eventEditorIndex_ == static_cast<int>(i))
      eventEditorIndex_ = -1;
    else if (eventEditorIndex_ > static_cast<int>(i))
      --eventEditorIndex_;
  }
}

int TfrxPropertyEditorCollection::GetPropertyEditor(const AnsiString& propertyType, const rtl::TObject* object,
                                                    const AnsiString& name) const {
  const AnsiString lower = rtl::LowerCase(propertyType);
  if (lower.starts_with("tfrx") && lower.ends_with("event")) return eventEditorIndex_;
  int typeOnly = -1;
  for (int i = Count() - 1; i >= 0; --i) {
    const TfrxPropertyEditorItem& item = *items_[static_cast<std::size_t>(i)];
    const bool sameType = !item.PropertyType.empty() && rtl::SameText(item.PropertyType, propertyType);
    if (!item.ComponentClass) {
      if (item.PropertyName.empty() && sameType)
        typeOnly = i;  // the first registered wins
      else if (sameType && rtl::SameText(item.PropertyName, name))
        return i;
    } else if (object && object->ClassType().InheritsFrom(*item.ComponentClass) &&
               rtl::SameText(item.PropertyName, name)) {
      return i;
    }
  }
  return typeOnly;
}

void vuzHideProperties(const rtl::TClassInfo* componentClass, const AnsiString& names) {
  rtl::TStringList list;
  vuzSetCommaText(names, list, ';');
  for (int i = 0; i < list.Count(); ++i)
    vuzPropertyEditors().Register(AnsiString(), componentClass, list.Strings(i), nullptr);
}

// ---------------------------------------------------------------- the base editor

TfrxPropertyEditor::TfrxPropertyEditor(rtl::TObject* designer) : designer_(designer) {}

void TfrxPropertyEditor::AddEdited(rtl::TPersistent* object, const rtl::TPropInfo* property) {
  objects_.push_back(object);
  props_.push_back(property);
}

rtl::TPersistent* TfrxPropertyEditor::GetComponent() const { return objects_.empty() ? nullptr : objects_[0]; }
TfrxComponent* TfrxPropertyEditor::GetfrComponent() const { return dynamic_cast<TfrxComponent*>(GetComponent()); }
const rtl::TPropInfo* TfrxPropertyEditor::GetPropInfo() const { return props_.empty() ? nullptr : props_[0]; }

long long TfrxPropertyEditor::GetOrdValue() const { return GetPropInfo()->GetOrd(*GetComponent()); }
long double TfrxPropertyEditor::GetFloatValue() const { return GetPropInfo()->GetFloat(*GetComponent()); }
AnsiString TfrxPropertyEditor::GetStrValue() const { return GetPropInfo()->GetStr(*GetComponent()); }
rtl::Variant TfrxPropertyEditor::GetVarValue() const { return GetPropInfo()->GetVariant(*GetComponent()); }

void TfrxPropertyEditor::SetOrdValue(long long value) {
  for (std::size_t i = 0; i < objects_.size(); ++i)
    if (props_[i]->HasSetter()) props_[i]->SetOrd(*objects_[i], value);
}
void TfrxPropertyEditor::SetFloatValue(long double value) {
  for (std::size_t i = 0; i < objects_.size(); ++i)
    if (props_[i]->HasSetter()) props_[i]->SetFloat(*objects_[i], value);
}
void TfrxPropertyEditor::SetStrValue(const AnsiString& value) {
  for (std::size_t i = 0; i < objects_.size(); ++i)
    if (props_[i]->HasSetter()) props_[i]->SetStr(*objects_[i], value);
}
void TfrxPropertyEditor::SetVarValue(const rtl::Variant& value) {
  for (std::size_t i = 0; i < objects_.size(); ++i)
    if (props_[i]->HasSetter()) props_[i]->SetVariant(*objects_[i], value);
}

bool TfrxPropertyEditor::Edit() {
  values_.Clear();
  GetValues();
  if (GetAttributes() & paSortList) values_.Sort();
  if (values_.Count() == 0) return false;
  const int at = values_.IndexOf(GetValue());
  // After the last entry back to the first; a value not in the list gives the first.
  SetValue(values_.Strings(at < 0 || at + 1 >= values_.Count() ? 0 : at + 1));
  return true;
}

TfrxPropertyAttributes TfrxPropertyEditor::GetAttributes() { return paMultiSelect; }
AnsiString TfrxPropertyEditor::GetName() { return GetPropInfo() ? GetPropInfo()->Name : AnsiString(); }
int TfrxPropertyEditor::GetExtraLBSize() { return ItemHeight + 2; }
AnsiString TfrxPropertyEditor::GetValue() { return "(Unknown)"; }
void TfrxPropertyEditor::GetValues() {}
void TfrxPropertyEditor::SetValue(const AnsiString&) {}

void TfrxPropertyEditor::OnDrawLBItem(gfx::TCanvas& canvas, int index, const gfx::TRect& rect) {
  canvas.FillRect(rect);
  if (index >= 0 && index < values_.Count())
    canvas.TextOut(rect.Left + ItemHeight + 4, rect.Top + 1, values_.Strings(index));
  canvas.Pen().SetColor(8421504);
}

void TfrxPropertyEditor::OnDrawItem(gfx::TCanvas& canvas, const gfx::TRect& rect) {
  canvas.TextOut(rect.Left + ItemHeight - 2, rect.Top, GetValue());
  canvas.Pen().SetColor(8421504);
}

// ---------------------------------------------------------------- the editor family

namespace {

class IntegerProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  AnsiString GetValue() override { return rtl::IntToStr(GetOrdValue()); }
  void SetValue(const AnsiString& value) override { SetOrdValue(rtl::StrToInt(value)); }
};

class FloatProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  AnsiString GetValue() override { return rtl::FloatToStr(GetFloatValue()); }
  void SetValue(const AnsiString& value) override {
    AnsiString text = value;
    const char separator = rtl::CurrentFormatSettings().DecimalSeparator;
    for (char& c : text)
      if (c == ',' || c == '.') c = separator;
    SetFloatValue(rtl::StrToFloat(rtl::Trim(text)));
  }
};

class CharProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  AnsiString GetValue() override {
    const long long code = GetOrdValue();
    if (code < 33) return "#" + rtl::IntToStr(code);
    return AnsiString(1, static_cast<char>(code));
  }
  void SetValue(const AnsiString& value) override {
    long long code = 0;
    if (value.size() == 1) {
      code = static_cast<unsigned char>(value[0]);
    } else if (!value.empty()) {
      if (value[0] != '#') InvalidProperty();
      code = rtl::StrToInt(value.substr(1));
    }
    SetOrdValue(code);
  }
};

class StringProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  AnsiString GetValue() override { return GetStrValue(); }
  void SetValue(const AnsiString& value) override { SetStrValue(value); }
};

class NameProperty : public StringProperty {
 public:
  using StringProperty::StringProperty;
  TfrxPropertyAttributes GetAttributes() override { return 0; }
};

class EnumProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  TfrxPropertyAttributes GetAttributes() override { return paValueList | paSortList | paMultiSelect; }
  AnsiString GetValue() override { return Type().NameOf(GetOrdValue()); }
  void SetValue(const AnsiString& value) override {
    const int v = Type().ValueOf(value);
    if (v < 0) InvalidProperty();
    SetOrdValue(v);
  }
  void GetValues() override {
    for (const AnsiString& name : Type().Names) GetStrProc(name);
  }

 private:
  const rtl::TEnumType& Type() const {
    const rtl::TEnumType* type = GetPropInfo()->EnumType;
    return type ? *type : rtl::BooleanType();
  }
};

class SetProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  TfrxPropertyAttributes GetAttributes() override { return paMultiSelect | paSubProperties | paReadOnly; }
  AnsiString GetValue() override {
    const rtl::TSetType* type = GetPropInfo()->SetType;
    const long long bits = GetOrdValue();
    AnsiString text;
    if (type && type->Element)
      for (std::size_t i = 0; i < type->Element->Names.size(); ++i)
        if (bits & (1LL << i)) text += (text.empty() ? "" : ",") + type->Element->Names[i];
    return "[" + text + "]";
  }
};

class ClassProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  TfrxPropertyAttributes GetAttributes() override { return paMultiSelect | paSubProperties | paReadOnly; }
  AnsiString GetValue() override {
    const rtl::TClassInfo* cls = GetPropInfo()->PropClass;
    return "(" + (cls ? cls->Name() : AnsiString("TObject")) + ")";
  }
};

class ComponentProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  TfrxPropertyAttributes GetAttributes() override { return paValueList | paSortList | paMultiSelect; }
  AnsiString GetValue() override {
    auto* c = dynamic_cast<rtl::TComponent*>(GetPropInfo()->GetObject(*GetComponent()));
    return c ? c->Name() : AnsiString();
  }
  void SetValue(const AnsiString& value) override {
    rtl::TObject* found = nullptr;
    if (!value.empty()) {
      TfrxComponent* self = GetfrComponent();
      TfrxComponent* report = self ? self->GetReport() : nullptr;
      found = report ? report->FindObject(value) : nullptr;
      if (!found) InvalidProperty();
    }
    for (int i = 0; i < EditedCount(); ++i) GetPropInfo()->SetObject(*Edited(i), found);
  }
  void GetValues() override {
    TfrxComponent* self = GetfrComponent();
    if (!self) return;
    TfrxComponent* scope = self->AsReportComponent() ? self->GetPage() : self;
    if (!scope) return;
    const rtl::TClassInfo* wanted = GetPropInfo()->PropClass;
    for (TfrxComponent* c : scope->GetAllObjects())
      if (c != self && !c->Name().empty() && (!wanted || c->ClassType().InheritsFrom(*wanted))) GetStrProc(c->Name());
  }
};

// The colour identifiers the colour editor lists.
const char* const kColorNames[] = {"clBlack",
                                   "clMaroon",
                                   "clGreen",
                                   "clOlive",
                                   "clNavy",
                                   "clPurple",
                                   "clTeal",
                                   "clGray",
                                   "clSilver",
                                   "clRed",
                                   "clLime",
                                   "clYellow",
                                   "clBlue",
                                   "clFuchsia",
                                   "clAqua",
                                   "clWhite",
                                   "clMoneyGreen",
                                   "clSkyBlue",
                                   "clCream",
                                   "clMedGray",
                                   "clActiveBorder",
                                   "clActiveCaption",
                                   "clAppWorkSpace",
                                   "clBackground",
                                   "clBtnFace",
                                   "clBtnHighlight",
                                   "clBtnShadow",
                                   "clBtnText",
                                   "clCaptionText",
                                   "clDefault",
                                   "clGrayText",
                                   "clHighlight",
                                   "clHighlightText",
                                   "clInactiveBorder",
                                   "clInactiveCaption",
                                   "clInactiveCaptionText",
                                   "clInfoBk",
                                   "clInfoText",
                                   "clMenu",
                                   "clMenuText",
                                   "clNone",
                                   "clScrollBar",
                                   "cl3DDkShadow",
                                   "cl3DLight",
                                   "clWindow",
                                   "clWindowFrame",
                                   "clWindowText"};

class ColorProperty : public IntegerProperty {
 public:
  using IntegerProperty::IntegerProperty;
  TfrxPropertyAttributes GetAttributes() override { return paValueList | paMultiSelect | paOwnerDraw; }
  AnsiString GetValue() override { return gfx::ColorToString(static_cast<gfx::TColor>(GetOrdValue())); }
  void SetValue(const AnsiString& value) override {
    gfx::TColor color = 0;
    if (gfx::IdentToColor(value, color))
      SetOrdValue(color);
    else
      SetOrdValue(rtl::StrToInt(value));
  }
  void GetValues() override {
    for (const char* name : kColorNames) GetStrProc(name);
  }
  bool Edit() override {
    int color = static_cast<int>(GetOrdValue());
    if (!vuzGuiHooks().ChooseColor || !vuzGuiHooks().ChooseColor(color)) return false;
    SetOrdValue(color);
    return true;
  }
  void OnDrawLBItem(gfx::TCanvas& canvas, int index, const gfx::TRect& rect) override {
    TfrxPropertyEditor::OnDrawLBItem(canvas, index, rect);
    gfx::TColor color = gfx::clNone;
    if (index >= 0 && index < Values().Count()) gfx::IdentToColor(Values().Strings(index), color);
    Swatch(canvas, rect, color);
  }
  void OnDrawItem(gfx::TCanvas& canvas, const gfx::TRect& rect) override {
    TfrxPropertyEditor::OnDrawItem(canvas, rect);
    Swatch(canvas, rect, static_cast<gfx::TColor>(GetOrdValue()));
  }

 private:
  // A square of the item's height less 4, left of the text.
  void Swatch(gfx::TCanvas& canvas, const gfx::TRect& rect, gfx::TColor color) {
    const int side = std::max(0, ItemHeight - 4);
    const gfx::TColor saved = canvas.Brush().Color();
    canvas.Brush().SetColor(color);
    canvas.Pen().SetColor(gfx::clBlack);
    canvas.Rectangle(rect.Left + 2, rect.Top + 2, rect.Left + 2 + side, rect.Top + 2 + side);
    canvas.Brush().SetColor(saved);
    canvas.Pen().SetColor(8421504);
  }
};

class FontProperty : public ClassProperty {
 public:
  using ClassProperty::ClassProperty;
  TfrxPropertyAttributes GetAttributes() override { return paDialog | paMultiSelect | paSubProperties | paReadOnly; }
  bool Edit() override {
    auto* font = dynamic_cast<gfx::TFont*>(GetPropInfo()->GetObject(*GetComponent()));
    if (!font || !vuzGuiHooks().ChooseFont) return false;
    gfx::TFont chosen;
    chosen.Assign(font);
    if (!vuzGuiHooks().ChooseFont(chosen)) return false;
    for (int i = 0; i < EditedCount(); ++i) GetPropInfo()->SetObject(*Edited(i), &chosen);
    return true;
  }
};

class FontNameProperty : public StringProperty {
 public:
  using StringProperty::StringProperty;
  TfrxPropertyAttributes GetAttributes() override { return paValueList | paSortList | paMultiSelect; }
  // The faces the graphics layer draws (Windows names mapped to
  // metric-compatible fonts).
  void GetValues() override {
    for (const char* name :
         {"Arial", "Courier New", "Microsoft Sans Serif", "MS Sans Serif", "Tahoma", "Times New Roman", "Verdana"})
      GetStrProc(name);
  }
};

// Identifier tables of integer editors.
struct Ident {
  const char* name;
  int value;
};

const Ident kCharsets[] = {
    {"ANSI_CHARSET", 0},          {"DEFAULT_CHARSET", 1},      {"SYMBOL_CHARSET", 2},    {"MAC_CHARSET", 77},
    {"SHIFTJIS_CHARSET", 128},    {"HANGEUL_CHARSET", 129},    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},
    {"CHINESEBIG5_CHARSET", 136}, {"GREEK_CHARSET", 161},      {"TURKISH_CHARSET", 162}, {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},      {"ARABIC_CHARSET", 178},     {"BALTIC_CHARSET", 186},  {"RUSSIAN_CHARSET", 204},
    {"THAI_CHARSET", 222},        {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255}};

const Ident kCursors[] = {{"crDefault", 0},     {"crNone", -1},     {"crArrow", -2},      {"crCross", -3},
                          {"crIBeam", -4},      {"crSizeNESW", -6}, {"crSizeNS", -7},     {"crSizeNWSE", -8},
                          {"crSizeWE", -9},     {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},
                          {"crNoDrop", -13},    {"crHSplit", -14},  {"crVSplit", -15},    {"crMultiDrag", -16},
                          {"crSQLWait", -17},   {"crNo", -18},      {"crAppStart", -19},  {"crHelp", -20},
                          {"crHandPoint", -21}, {"crSizeAll", -22}};

template <const Ident* Table, std::size_t N>
class IdentProperty : public IntegerProperty {
 public:
  using IntegerProperty::IntegerProperty;
  TfrxPropertyAttributes GetAttributes() override { return paValueList | paSortList | paMultiSelect; }
  AnsiString GetValue() override {
    const long long v = GetOrdValue();
    for (std::size_t i = 0; i < N; ++i)
      if (Table[i].value == v) return Table[i].name;
    return rtl::IntToStr(v);
  }
  void SetValue(const AnsiString& value) override {
    for (std::size_t i = 0; i < N; ++i)
      if (rtl::SameText(Table[i].name, value)) return SetOrdValue(Table[i].value);
    SetOrdValue(rtl::StrToInt(value));
  }
  void GetValues() override {
    for (std::size_t i = 0; i < N; ++i) GetStrProc(Table[i].name);
  }
};
using FontCharsetProperty = IdentProperty<kCharsets, std::size(kCharsets)>;
using CursorProperty = IdentProperty<kCursors, std::size(kCursors)>;

const char* const kModalResults[] = {"mrNone", "mrOk", "mrCancel", "mrAbort",   "mrRetry",   "mrIgnore",
                                     "mrYes",  "mrNo", "mrAll",    "mrNoToAll", "mrYesToAll"};

class ModalResultProperty : public IntegerProperty {
 public:
  using IntegerProperty::IntegerProperty;
  TfrxPropertyAttributes GetAttributes() override { return paValueList | paMultiSelect; }
  AnsiString GetValue() override {
    const long long v = GetOrdValue();
    return v >= 0 && v <= 10 ? AnsiString(kModalResults[v]) : rtl::IntToStr(v);
  }
  void SetValue(const AnsiString& value) override {
    const AnsiString text = value.empty() ? AnsiString("0") : value;
    for (int i = 0; i <= 10; ++i)
      if (rtl::SameText(kModalResults[i], text)) return SetOrdValue(i);
    SetOrdValue(rtl::StrToInt(text));
  }
  void GetValues() override {
    for (const char* name : kModalResults) GetStrProc(name);
  }
};

// Shortcuts: a key code with the modifier bits Shift 0x2000, Ctrl 0x4000,
// Alt 0x8000.
constexpr int scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
const char* const kNoShortCut = "(None)";

AnsiString KeyName(int key) {
  if (key >= 'A' && key <= 'Z') return AnsiString(1, static_cast<char>(key));
  if (key >= 112 && key <= 123) return "F" + rtl::IntToStr(key - 111);
  if (key == 45) return "Ins";
  if (key == 46) return "Del";
  if (key == 8) return "BkSp";
  return rtl::IntToStr(key);
}

AnsiString ShortCutToText(int shortCut) {
  if (shortCut == 0) return kNoShortCut;
  AnsiString text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + KeyName(shortCut & 0xFF);
}

int TextToShortCut(const AnsiString& text) {
  AnsiString rest = text;
  int bits = 0;
  for (;;) {
    auto take = [&rest](const char* prefix) {
      const std::size_t n = std::char_traits<char>::length(prefix);
      if (rest.size() <= n || !rtl::SameText(rest.substr(0, n), prefix)) return false;
      rest = rest.substr(n);
      return true;
    };
    if (take("Shift+"))
      bits |= scShift;
    else if (take("Ctrl+"))
      bits |= scCtrl;
    else if (take("Alt+"))
      bits |= scAlt;
    else
      break;
  }
  for (int key = 1; key < 256; ++key)
    if (rtl::SameText(KeyName(key), rest)) return bits | key;
  InvalidProperty();
}

class ShortCutProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  TfrxPropertyAttributes GetAttributes() override { return paValueList | paMultiSelect; }
  AnsiString GetValue() override { return ShortCutToText(static_cast<int>(GetOrdValue())); }
  void SetValue(const AnsiString& value) override {
    SetOrdValue(value.empty() || value == kNoShortCut ? 0 : TextToShortCut(value));
  }
  void GetValues() override {
    GetStrProc(kNoShortCut);
    for (int k = 'A'; k <= 'Z'; ++k) GetStrProc(ShortCutToText(scCtrl | k));
    for (int k = 'A'; k <= 'Z'; ++k) GetStrProc(ShortCutToText(scCtrl | scAlt | k));
    for (int modifiers : {0, scCtrl, scShift, scShift | scCtrl})
      for (int k = 112; k <= 123; ++k) GetStrProc(ShortCutToText(modifiers | k));
    for (int shortCut : {45, scShift | 45, scCtrl | 45, 46, scShift | 46, scCtrl | 46, scAlt | 8, scShift | scAlt | 8})
      GetStrProc(ShortCutToText(shortCut));
  }
};

enum class DateKind { DateTime, Date, Time };

template <DateKind Kind>
class DateProperty : public TfrxPropertyEditor {
 public:
  using TfrxPropertyEditor::TfrxPropertyEditor;
  AnsiString GetValue() override {
    const long double v = GetFloatValue();
    if (v == 0) return AnsiString();
    if (Kind == DateKind::Date) return rtl::DateToStr(v);
    if (Kind == DateKind::Time) return rtl::TimeToStr(v);
    return rtl::DateTimeToStr(v);
  }
  void SetValue(const AnsiString& value) override {
    if (value.empty()) return SetFloatValue(0);
    if (Kind == DateKind::Date) return SetFloatValue(rtl::StrToDate(value));
    if (Kind == DateKind::Time) return SetFloatValue(rtl::StrToTime(value));
    SetFloatValue(rtl::StrToDateTime(value));
  }
};

template <class E>
TfrxPropertyEditorClass MakeClass(const char* name) {
  return {name,
          [](rtl::TObject* designer) -> std::unique_ptr<TfrxPropertyEditor> { return std::make_unique<E>(designer); }};
}

const std::vector<TfrxPropertyEditorClass>& EditorClasses() {
  static const std::vector<TfrxPropertyEditorClass> classes = {
      MakeClass<TfrxPropertyEditor>("TfrxPropertyEditor"),
      MakeClass<IntegerProperty>("TfrxIntegerProperty"),
      MakeClass<FloatProperty>("TfrxFloatProperty"),
      MakeClass<CharProperty>("TfrxCharProperty"),
      MakeClass<StringProperty>("TfrxStringProperty"),
      MakeClass<EnumProperty>("TfrxEnumProperty"),
      MakeClass<SetProperty>("TfrxSetProperty"),
      MakeClass<ClassProperty>("TfrxClassProperty"),
      MakeClass<ComponentProperty>("TfrxComponentProperty"),
      MakeClass<NameProperty>("TfrxNameProperty"),
      MakeClass<ColorProperty>("TfrxColorProperty"),
      MakeClass<FontProperty>("TfrxFontProperty"),
      MakeClass<FontNameProperty>("TfrxFontNameProperty"),
      MakeClass<FontCharsetProperty>("TfrxFontCharsetProperty"),
      MakeClass<ModalResultProperty>("TfrxModalResultProperty"),
      MakeClass<ShortCutProperty>("TfrxShortCutProperty"),
      MakeClass<CursorProperty>("TfrxCursorProperty"),
      MakeClass<DateProperty<DateKind::DateTime>>("TfrxDateTimeProperty"),
      MakeClass<DateProperty<DateKind::Date>>("TfrxDateProperty"),
      MakeClass<DateProperty<DateKind::Time>>("TfrxTimeProperty"),
  };
  return classes;
}

std::unique_ptr<TfrxPropertyEditorCollection>& Registry() {
  static std::unique_ptr<TfrxPropertyEditorCollection> registry;
  return registry;
}

}  // namespace

const TfrxPropertyEditorClass* vuzEditorClass(const AnsiString& name) {
  for (const TfrxPropertyEditorClass& c : EditorClasses())
    if (rtl::SameText(c.Name, name)) return &c;
  return nullptr;
}

TfrxPropertyEditorCollection& vuzPropertyEditors() {
  auto& registry = Registry();
  if (!registry) {
    registry = std::make_unique<TfrxPropertyEditorCollection>();
    TfrxPropertyEditorCollection& r = *registry;
    // The names the reflection keeps as plain kinds.
    vuzSetPropertyTypeAlias(rtl::TComponent::StaticClass().FindProperty("Name"), "TComponentName");
    for (const rtl::TClassInfo* cls :
         {&gfx::TFont::StaticClass(), &gfx::TPen::StaticClass(), &gfx::TBrush::StaticClass()})
      vuzSetPropertyTypeAlias(cls->FindProperty("Color"), "TColor");
    r.Register("TComponentName", nullptr, "Name", vuzEditorClass("TfrxNameProperty"));
    r.Register("TColor", nullptr, AnsiString(), vuzEditorClass("TfrxColorProperty"));
    r.Register("TFont", nullptr, AnsiString(), vuzEditorClass("TfrxFontProperty"));
    r.Register("String", &gfx::TFont::StaticClass(), "Name", vuzEditorClass("TfrxFontNameProperty"));
    r.Register("Integer", &gfx::TFont::StaticClass(), "Charset", vuzEditorClass("TfrxFontCharsetProperty"));
    r.Register("TModalResult", nullptr, AnsiString(), vuzEditorClass("TfrxModalResultProperty"));
    r.Register("TShortCut", nullptr, AnsiString(), vuzEditorClass("TfrxShortCutProperty"));
    r.Register("TCursor", nullptr, AnsiString(), vuzEditorClass("TfrxCursorProperty"));
    r.Register("TDateTime", nullptr, AnsiString(), vuzEditorClass("TfrxDateTimeProperty"));
    r.Register("TDate", nullptr, AnsiString(), vuzEditorClass("TfrxDateProperty"));
    r.Register("TTime", nullptr, AnsiString(), vuzEditorClass("TfrxTimeProperty"));
  }
  return *registry;
}

void vuzPropertyEditorsShutdown() { Registry().reset(); }

// ---------------------------------------------------------------- set elements

TfrxSetElementProperty::TfrxSetElementProperty(rtl::TObject* designer, int element)
    : TfrxPropertyEditor(designer), element_(element) {}

TfrxPropertyAttributes TfrxSetElementProperty::GetAttributes() { return paValueList | paSortList | paMultiSelect; }

AnsiString TfrxSetElementProperty::GetName() {
  const rtl::TSetType* type = GetPropInfo()->SetType;
  if (!type || !type->Element) return rtl::IntToStr(element_);
  return type->Element->NameOf(element_);
}

AnsiString TfrxSetElementProperty::GetValue() { return (GetOrdValue() & (1LL << element_)) ? "True" : "False"; }

void TfrxSetElementProperty::GetValues() {
  GetStrProc("False");
  GetStrProc("True");
}

void TfrxSetElementProperty::SetValue(const AnsiString& value) {
  long long bits = GetOrdValue();
  if (rtl::SameText(value, "True"))
    bits |= 1LL << element_;
  else if (rtl::SameText(value, "False"))
    bits &= ~(1LL << element_);
  else
    InvalidProperty();
  SetOrdValue(bits);
}

// ---------------------------------------------------------------- lists

TfrxPropertyList::TfrxPropertyList(rtl::TObject* designer) : designer_(designer) {}
TfrxPropertyList::~TfrxPropertyList() = default;

TfrxPropertyItem* TfrxPropertyList::Add() {
  items_.push_back(std::make_unique<TfrxPropertyItem>());
  return items_.back().get();
}

TfrxPropertyItem* TfrxPropertyList::Find(const AnsiString& name) const {
  for (const auto& item : items_)
    if (item->Editor->GetPropInfo() && item->Editor->GetPropInfo()->Name == name) return item.get();
  return nullptr;
}

void TfrxPropertyList::SetComponent(rtl::TPersistent* object) {
  items_.clear();
  FillProperties(object);
}

namespace {
const TfrxPropertyEditorClass* DefaultEditor(rtl::TPropKind kind) {
  switch (kind) {
    case rtl::pkInteger:
    case rtl::pkInt64: return vuzEditorClass("TfrxIntegerProperty");
    case rtl::pkChar:
    case rtl::pkWideChar: return vuzEditorClass("TfrxCharProperty");
    case rtl::pkEnumeration: return vuzEditorClass("TfrxEnumProperty");
    case rtl::pkFloat: return vuzEditorClass("TfrxFloatProperty");
    case rtl::pkString:
    case rtl::pkWideString: return vuzEditorClass("TfrxStringProperty");
    case rtl::pkSet: return vuzEditorClass("TfrxSetProperty");
    case rtl::pkComponent: return vuzEditorClass("TfrxComponentProperty");
    case rtl::pkStrings:
    case rtl::pkWideStrings:
    case rtl::pkPersistent: return vuzEditorClass("TfrxClassProperty");
    default: return nullptr;  // variants and events are not listed
  }
}
}  // namespace

void TfrxPropertyList::FillProperties(rtl::TPersistent* object) {
  component_ = object;
  if (!object) return;
  std::vector<const rtl::TPropInfo*> props;
  for (const rtl::TPropInfo* p : object->ClassType().Properties())
    if (p->Kind != rtl::pkEvent) props.push_back(p);
  std::stable_sort(props.begin(), props.end(), [](const rtl::TPropInfo* a, const rtl::TPropInfo* b) {
    return rtl::CompareText(a->Name, b->Name) < 0;
  });
  TfrxPropertyEditorCollection& registry = vuzPropertyEditors();
  for (const rtl::TPropInfo* p : props) {
    const TfrxPropertyEditorClass* editorClass = nullptr;
    const int found = registry.GetPropertyEditor(vuzPropertyTypeName(*p), object, p->Name);
    if (found >= 0) {
      editorClass = registry.GetPropertyEditorItem(found)->EditorClass;
      if (!editorClass) continue;  // hidden
    } else {
      editorClass = DefaultEditor(p->Kind);
      if (!editorClass) continue;
    }
    auto item = std::make_unique<TfrxPropertyItem>();
    item->Editor = editorClass->Create(designer_);
    item->Editor->AddEdited(object, p);
    if (p->Kind == rtl::pkSet && p->SetType && p->SetType->Element) {
      item->SubProperty = std::make_unique<TfrxPropertyList>(designer_);
      item->SubProperty->Parent = this;
      item->SubProperty->component_ = object;
      for (std::size_t e = 0; e < p->SetType->Element->Names.size(); ++e) {
        TfrxPropertyItem* sub = item->SubProperty->Add();
        sub->Editor = std::make_unique<TfrxSetElementProperty>(designer_, static_cast<int>(e));
        sub->Editor->AddEdited(object, p);
      }
    } else if (editorClass == vuzEditorClass("TfrxClassProperty") ||
               editorClass == vuzEditorClass("TfrxFontProperty")) {
      auto* value = dynamic_cast<rtl::TPersistent*>(p->GetObject(*object));
      if (!value && p->Kind != rtl::pkComponent) continue;
      item->SubProperty = std::make_unique<TfrxPropertyList>(designer_);
      item->SubProperty->Parent = this;
      item->SubProperty->FillProperties(value);
      if (item->SubProperty->Count() == 0) continue;  // nothing to show inside
    }
    items_.push_back(std::move(item));
  }
}

void TfrxPropertyList::FillCommonProperties(const TfrxPropertyList& other) {
  std::vector<std::unique_ptr<TfrxPropertyItem>> kept;
  for (auto& item : items_) {
    if (!(item->Editor->GetAttributes() & paMultiSelect)) continue;
    const rtl::TPropInfo* mine = item->Editor->GetPropInfo();
    bool shared = false;
    for (const auto& theirs : other.items_) {
      const rtl::TPropInfo* p = theirs->Editor->GetPropInfo();
      if (p->Kind == mine->Kind && p->Name == mine->Name) shared = true;
    }
    if (shared) kept.push_back(std::move(item));
  }
  items_ = std::move(kept);
}

void TfrxPropertyList::AddProperties(const TfrxPropertyList& other) {
  const std::size_t n = std::min(items_.size(), other.items_.size());
  for (std::size_t i = 0; i < n; ++i) {
    TfrxPropertyItem& mine = *items_[i];
    const TfrxPropertyItem& theirs = *other.items_[i];
    mine.Editor->AddEdited(theirs.Editor->GetComponent(), theirs.Editor->GetPropInfo());
    if (mine.SubProperty && theirs.SubProperty) mine.SubProperty->AddProperties(*theirs.SubProperty);
  }
}

std::unique_ptr<TfrxPropertyList> vuzCreatePropertyList(const std::vector<rtl::TPersistent*>& objects,
                                                        rtl::TObject* designer) {
  if (objects.empty()) return nullptr;
  std::vector<std::unique_ptr<TfrxPropertyList>> lists;
  for (rtl::TPersistent* object : objects) {
    lists.push_back(std::make_unique<TfrxPropertyList>(designer));
    lists.back()->FillProperties(object);
  }
  TfrxPropertyList& first = *lists[0];
  for (std::size_t i = 1; i < lists.size(); ++i) first.FillCommonProperties(*lists[i]);
  for (std::size_t i = 1; i < lists.size(); ++i) {
    lists[i]->FillCommonProperties(first);
    first.AddProperties(*lists[i]);
  }
  return std::move(lists[0]);
}

// ---------------------------------------------------------------- component editors

void TfrxComponentEditor::AddItem(const AnsiString& caption, int tag, bool checked) {
  if (auto* menu = dynamic_cast<TfrxEditorMenu*>(Menu)) menu->Items.push_back({caption, tag, checked});
}

}  // namespace report
