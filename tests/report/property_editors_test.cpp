// The property-inspector model: which editor each property gets, hidden
// properties, sets with their member items, enumeration wrap, the shared
// properties of a multiple selection written to every object, character
// properties, and the texts of the integer editors.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/components.h"
#include "report/vuzPropertyEditors.h"
#include "report/vuzRes.h"
#include "tests/support/errors.h"

namespace report_test {
namespace {

using namespace report;

const rtl::TEnumType& SideType() {
  static const rtl::TEnumType type{"TSide", {"sdLeft", "sdMiddle", "sdRight"}};
  return type;
}

// A component with a property of each kind the editors care for.
class TEdited : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  using rtl::TComponent::TComponent;
  int Color = 0;
  int Count = 0;
  int Result = 0;
  int Side = 0;
  char Separator = ',';
  long double Ratio = 0;
  double When = 0;
  gfx::TFont* Font() const { return font_.get(); }
  void SetFont(const gfx::TFont* f) { font_->Assign(f); }
  rtl::TComponent* Link = nullptr;

 private:
  std::unique_ptr<gfx::TFont> font_ = std::make_unique<gfx::TFont>();
};

const rtl::TClassInfo& TEdited::StaticClass() {
  using C = TEdited;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<C>("TEdited", &rtl::TComponent::StaticClass())
          .Property(
              "Color", [](const C& c) { return c.Color; }, [](C& c, int v) { c.Color = v; })
          .Property(
              "Count", [](const C& c) { return c.Count; }, [](C& c, int v) { c.Count = v; })
          .Property(
              "Result", [](const C& c) { return c.Result; }, [](C& c, int v) { c.Result = v; })
          .Enum(
              "Side", SideType(), [](const C& c) { return c.Side; }, [](C& c, int v) { c.Side = v; })
          .Ordinal(
              "Separator", rtl::pkChar, [](const C& c) { return c.Separator; },
              [](C& c, long long v) { c.Separator = static_cast<char>(v); })
          .Property(
              "Ratio", [](const C& c) { return c.Ratio; }, [](C& c, long double v) { c.Ratio = v; })
          .Property(
              "When", [](const C& c) { return static_cast<long double>(c.When); },
              [](C& c, long double v) { c.When = static_cast<double>(v); })
          .Property("Font", &C::Font, &C::SetFont)
          .Build();
  return info;
}

class TOther : public rtl::TComponent {
  RTL_CLASS_INFO
 public:
  using rtl::TComponent::TComponent;
  int Count = 0;
  AnsiString Caption;
};

const rtl::TClassInfo& TOther::StaticClass() {
  using C = TOther;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<C>("TOther", &rtl::TComponent::StaticClass())
          .Property(
              "Count", [](const C& c) { return c.Count; }, [](C& c, int v) { c.Count = v; })
          .Property(
              "Caption", [](const C& c) { return c.Caption; }, [](C& c, const AnsiString& v) { c.Caption = v; })
          .Build();
  return info;
}

class TDerived : public TEdited {
  RTL_CLASS_INFO
 public:
  using TEdited::TEdited;
};
const rtl::TClassInfo& TDerived::StaticClass() {
  static const rtl::TClassInfo info = rtl::TClassBuilder<TDerived>("TDerived", &TEdited::StaticClass()).Build();
  return info;
}

// The invalid-value message: the language table's "prInvProp" text.
std::string InvalidText() { return vuzResources().Get("prInvProp"); }

class PropertyEditors : public ::testing::Test {
 protected:
  void SetUp() override {
    vuzPropertyEditors();
    const rtl::TClassInfo& c = TEdited::StaticClass();
    vuzSetPropertyTypeAlias(c.FindProperty("Color"), "TColor");
    vuzSetPropertyTypeAlias(c.FindProperty("Result"), "TModalResult");
    vuzSetPropertyTypeAlias(c.FindProperty("When"), "TDateTime");
  }
  void TearDown() override { vuzPropertyEditorsShutdown(); }

  static AnsiString EditorOf(TfrxPropertyList& list, const char* name) {
    TfrxPropertyItem* item = list.Find(name);
    if (!item) return "(not listed)";
    for (const char* e : {"TfrxIntegerProperty", "TfrxFloatProperty", "TfrxCharProperty", "TfrxStringProperty",
                          "TfrxEnumProperty", "TfrxSetProperty", "TfrxClassProperty", "TfrxComponentProperty",
                          "TfrxNameProperty", "TfrxColorProperty", "TfrxFontProperty", "TfrxFontNameProperty",
                          "TfrxFontCharsetProperty", "TfrxModalResultProperty", "TfrxDateTimeProperty"}) {
      auto probe = vuzEditorClass(e)->Create(nullptr);
      if (typeid(*probe) == typeid(*item->Editor)) return e;
    }
    return "(other)";
  }

  TEdited edited{nullptr};
};

TEST_F(PropertyEditors, EachPropertyGetsItsEditor) {
  TfrxPropertyList list(nullptr);
  list.SetComponent(&edited);
  struct Case {
    const char* property;
    const char* editor;
  };
  for (const Case& c :
       {Case{"Name", "TfrxNameProperty"}, Case{"Color", "TfrxColorProperty"}, Case{"Count", "TfrxIntegerProperty"},
        Case{"Result", "TfrxModalResultProperty"}, Case{"Side", "TfrxEnumProperty"},
        Case{"Separator", "TfrxCharProperty"}, Case{"Ratio", "TfrxFloatProperty"}, Case{"When", "TfrxDateTimeProperty"},
        Case{"Font", "TfrxFontProperty"}, Case{"Tag", "TfrxIntegerProperty"}})
    EXPECT_EQ(EditorOf(list, c.property), c.editor) << c.property;
  // Sorted by name.
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list.GetPropertyItem(i)->Editor->GetName());
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));

  // Inside the font: its Name and Charset have editors of their own.
  TfrxPropertyList* font = list.Find("Font")->SubProperty.get();
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(EditorOf(*font, "Name"), "TfrxFontNameProperty");
  EXPECT_EQ(EditorOf(*font, "Charset"), "TfrxFontCharsetProperty");
  EXPECT_EQ(EditorOf(*font, "Color"), "TfrxColorProperty");
  EXPECT_EQ(list.Find("Font")->Editor->GetValue(), "(TFont)");
}

TEST_F(PropertyEditors, HiddenPropertiesStayHiddenOnDescendantsOnly) {
  vuzHideProperties(&TEdited::StaticClass(), "Count;Ratio");
  TDerived derived(nullptr);
  TOther other(nullptr);
  TfrxPropertyList a(nullptr), b(nullptr), c(nullptr);
  a.SetComponent(&edited);
  b.SetComponent(&derived);
  c.SetComponent(&other);
  EXPECT_EQ(a.Find("Count"), nullptr);
  EXPECT_EQ(a.Find("Ratio"), nullptr);
  EXPECT_EQ(b.Find("Count"), nullptr);
  EXPECT_NE(a.Find("Side"), nullptr);
  EXPECT_NE(c.Find("Count"), nullptr);
}

TEST_F(PropertyEditors, SetsShowTheirMembersAndOneItemPerElement) {
  edited.Font()->SetStyle(gfx::TFontStyles::FromBits(1 | 2));
  TfrxPropertyList list(nullptr);
  list.SetComponent(&edited);
  TfrxPropertyItem* style = list.Find("Font")->SubProperty->Find("Style");
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->Editor->GetValue(), "[fsBold,fsItalic]");
  EXPECT_EQ(style->Editor->GetAttributes(), unsigned(paMultiSelect | paSubProperties | paReadOnly));
  ASSERT_NE(style->SubProperty, nullptr);
  ASSERT_EQ(style->SubProperty->Count(), 4);
  std::string members;
  for (int i = 0; i < 4; ++i) {
    TfrxPropertyEditor& e = *style->SubProperty->GetPropertyItem(i)->Editor;
    members += e.GetName() + "=" + e.GetValue() + " ";
  }
  EXPECT_EQ(members, "fsBold=True fsItalic=True fsUnderline=False fsStrikeOut=False ");
  TfrxPropertyEditor& underline = *style->SubProperty->GetPropertyItem(2)->Editor;
  underline.SetValue("true");
  style->SubProperty->GetPropertyItem(0)->Editor->SetValue("FALSE");
  EXPECT_EQ(style->Editor->GetValue(), "[fsItalic,fsUnderline]");
  EXPECT_EQ(support::ErrorOf([&] { underline.SetValue("maybe"); }), InvalidText());
}

TEST_F(PropertyEditors, EditMovesToTheNextNameAndWrapsAround) {
  TfrxPropertyList list(nullptr);
  list.SetComponent(&edited);
  TfrxPropertyEditor& side = *list.Find("Side")->Editor;
  edited.Side = 2;
  EXPECT_TRUE(side.Edit());
  EXPECT_EQ(side.GetValue(), "sdLeft");
  EXPECT_TRUE(side.Edit());
  EXPECT_EQ(side.GetValue(), "sdMiddle");
  EXPECT_EQ(support::ErrorOf([&] { side.SetValue("sdTop"); }), InvalidText());
  EXPECT_EQ(edited.Side, 1);
  // An editor without values answers False.
  EXPECT_FALSE(list.Find("Count")->Editor->Edit());
}

TEST_F(PropertyEditors, AMultipleSelectionSharesItsCommonPropertiesAndWritesAll) {
  TOther other(nullptr);
  auto list = vuzCreatePropertyList({&edited, &other}, nullptr);
  ASSERT_NE(list, nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < list->Count(); ++i) names.push_back(list->GetPropertyItem(i)->Editor->GetName());
  // Name is not multi-select; Caption, Color, Font... are not shared.
  EXPECT_EQ(names, (std::vector<std::string>{"Count", "Tag"}));
  list->Find("Count")->Editor->SetValue("7");
  EXPECT_EQ(edited.Count, 7);
  EXPECT_EQ(other.Count, 7);
  EXPECT_EQ(vuzCreatePropertyList({}, nullptr), nullptr);
}

TEST_F(PropertyEditors, CharacterProperties) {
  TfrxPropertyList list(nullptr);
  list.SetComponent(&edited);
  TfrxPropertyEditor& sep = *list.Find("Separator")->Editor;
  struct Case {
    const char* text;
    int code;
    const char* shown;
  };
  for (const Case& c :
       {Case{"#9", 9, "#9"}, Case{";", ';', ";"}, Case{"", 0, "#0"}, Case{"#32", 32, "#32"}, Case{"#33", 33, "!"}}) {
    sep.SetValue(c.text);
    EXPECT_EQ(edited.Separator, static_cast<char>(c.code)) << c.text;
    EXPECT_EQ(sep.GetValue(), c.shown) << c.text;
  }
  EXPECT_EQ(support::ErrorOf([&] { sep.SetValue("ab"); }), InvalidText());
  EXPECT_EQ(edited.Separator, '!');
}

TEST_F(PropertyEditors, IntegerEditorsTexts) {
  TfrxPropertyList list(nullptr);
  list.SetComponent(&edited);
  struct Case {
    const char* property;
    const char* set;
    int stored;
    const char* shown;
  };
  for (const Case& c : {Case{"Result", "mrcancel", 2, "mrCancel"}, Case{"Result", "", 0, "mrNone"},
                        Case{"Result", "42", 42, "42"}, Case{"Color", "clRed", 255, "clRed"},
                        Case{"Color", "123456", 123456, "$0001E240"}, Case{"Count", "-5", -5, "-5"}}) {
    TfrxPropertyEditor& e = *list.Find(c.property)->Editor;
    e.SetValue(c.set);
    EXPECT_EQ(e.GetValue(), c.shown) << c.property << " " << c.set;
  }
  TfrxPropertyEditor& result = *list.Find("Result")->Editor;
  result.GetValues();
  EXPECT_EQ(result.Values().Count(), 11);
  EXPECT_EQ(list.Find("When")->Editor->GetValue(), "");
}

TEST_F(PropertyEditors, ComponentEditorsFillTheirMenu) {
  struct Editor : TfrxComponentEditor {
    using TfrxComponentEditor::TfrxComponentEditor;
    void GetMenuItems() override {
      AddItem("Edit...", 1);
      AddItem("Visible", 2, true);
    }
  };
  TfrxEditorMenu menu;
  Editor editor(nullptr, nullptr, &menu);
  EXPECT_FALSE(editor.Edit());
  EXPECT_FALSE(editor.HasEditor());
  editor.GetMenuItems();
  ASSERT_EQ(menu.Items.size(), 2u);
  EXPECT_EQ(menu.Items[1].Caption, "Visible");
  EXPECT_TRUE(menu.Items[1].Checked);
  EXPECT_EQ(menu.Items[0].Tag, 1);
}

}  // namespace
}  // namespace report_test
