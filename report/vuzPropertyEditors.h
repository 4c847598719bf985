// The designer-side model of a property inspector: the registry of property
// editors (vuzPropertyEditors), the editors that turn one published property
// of one or several objects into text and back, the property lists that
// group them for a selection, and the base of component editors. No designer
// window exists in this system; this is the model a designer would drive.
//
// A property's type is its reflected type name, or the alias registered for
// it (vuzSetPropertyTypeAlias: "TColor", "TComponentName", "TDateTime"...),
// since the runtime's reflection keeps such aliases as their plain kind.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/typinfo.h"

namespace report {

using rtl::AnsiString;

class TfrxComponent;
class TfrxPropertyEditor;
class TfrxPropertyList;

enum TfrxPropertyAttribute : unsigned {
  paValueList = 1,
  paSortList = 2,
  paDialog = 4,
  paMultiSelect = 8,
  paSubProperties = 16,
  paReadOnly = 32,
  paOwnerDraw = 64,
};
using TfrxPropertyAttributes = unsigned;

// An editor class: its name and how to make one for a designer.
struct TfrxPropertyEditorClass {
  AnsiString Name;
  std::function<std::unique_ptr<TfrxPropertyEditor>(rtl::TObject* designer)> Create;
};

// The alias a property's type carries for the editors (nil property: none).
void vuzSetPropertyTypeAlias(const rtl::TPropInfo* property, const AnsiString& typeName);
AnsiString vuzPropertyTypeName(const rtl::TPropInfo& property);

struct TfrxPropertyEditorItem {
  AnsiString PropertyType;                               // empty: any type
  const rtl::TClassInfo* ComponentClass = nullptr;       // nil: any class
  AnsiString PropertyName;                               // empty: any name
  const TfrxPropertyEditorClass* EditorClass = nullptr;  // nil hides the property
};

class TfrxPropertyEditorCollection {
 public:
  void Register(const AnsiString& propertyType, const rtl::TClassInfo* componentClass, const AnsiString& propertyName,
                const TfrxPropertyEditorClass* editorClass);
  void RegisterEventEditor(const TfrxPropertyEditorClass* editorClass);
  void UnRegister(const TfrxPropertyEditorClass* editorClass);
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxPropertyEditorItem* GetPropertyEditorItem(int index) const {
    return items_.at(static_cast<std::size_t>(index)).get();
  }
  // The index of the item that serves the property, or -1.
  int GetPropertyEditor(const AnsiString& propertyType, const rtl::TObject* object, const AnsiString& name) const;
  int EventEditorIndex() const { return eventEditorIndex_; }

 private:
  std::vector<std::unique_ptr<TfrxPropertyEditorItem>> items_;
  int eventEditorIndex_ = -1;
};

// The registry, made on first use with the standard editors registered.
TfrxPropertyEditorCollection& vuzPropertyEditors();
void vuzPropertyEditorsShutdown();
// Hides the ";"-separated properties of the class and its descendants.
void vuzHideProperties(const rtl::TClassInfo* componentClass, const AnsiString& names);

// ---------------------------------------------------------------- editors

class TfrxPropertyEditor {
 public:
  explicit TfrxPropertyEditor(rtl::TObject* designer);
  virtual ~TfrxPropertyEditor() = default;
  TfrxPropertyEditor(const TfrxPropertyEditor&) = delete;
  TfrxPropertyEditor& operator=(const TfrxPropertyEditor&) = delete;

  virtual bool Edit();
  virtual TfrxPropertyAttributes GetAttributes();
  virtual AnsiString GetName();
  virtual int GetExtraLBSize();
  virtual AnsiString GetValue();
  virtual void GetValues();
  virtual void SetValue(const AnsiString& value);
  virtual void OnDrawLBItem(gfx::TCanvas& canvas, int index, const gfx::TRect& rect);
  virtual void OnDrawItem(gfx::TCanvas& canvas, const gfx::TRect& rect);

  rtl::TPersistent* GetComponent() const;
  TfrxComponent* GetfrComponent() const;
  const rtl::TPropInfo* GetPropInfo() const;
  long long GetOrdValue() const;
  long double GetFloatValue() const;
  AnsiString GetStrValue() const;
  rtl::Variant GetVarValue() const;
  // Write every edited object whose property has a setter.
  void SetOrdValue(long long value);
  void SetFloatValue(long double value);
  void SetStrValue(const AnsiString& value);
  void SetVarValue(const rtl::Variant& value);
  void GetStrProc(const AnsiString& text) { Values().Add(text); }

  // The edited objects and their property records, in the same order.
  void AddEdited(rtl::TPersistent* object, const rtl::TPropInfo* property);
  int EditedCount() const { return static_cast<int>(objects_.size()); }
  rtl::TPersistent* Edited(int index) const { return objects_.at(static_cast<std::size_t>(index)); }
  rtl::TStringList& Values() { return values_; }
  rtl::TObject* Designer() const { return designer_; }
  int ItemHeight = 0;

 private:
  rtl::TObject* designer_;
  std::vector<rtl::TPersistent*> objects_;
  std::vector<const rtl::TPropInfo*> props_;
  rtl::TStringList values_;
};

// The editors of the standard table, by name: "TfrxIntegerProperty", ...
const TfrxPropertyEditorClass* vuzEditorClass(const AnsiString& name);

// A set member's True/False editor.
class TfrxSetElementProperty : public TfrxPropertyEditor {
 public:
  TfrxSetElementProperty(rtl::TObject* designer, int element);
  TfrxPropertyAttributes GetAttributes() override;
  AnsiString GetName() override;
  AnsiString GetValue() override;
  void GetValues() override;
  void SetValue(const AnsiString& value) override;
  int Element() const { return element_; }

 private:
  int element_;
};

// ---------------------------------------------------------------- lists

class TfrxPropertyItem {
 public:
  std::unique_ptr<TfrxPropertyEditor> Editor;
  std::unique_ptr<TfrxPropertyList> SubProperty;
};

class TfrxPropertyList {
 public:
  explicit TfrxPropertyList(rtl::TObject* designer);
  ~TfrxPropertyList();
  TfrxPropertyItem* Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxPropertyItem* GetPropertyItem(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  // The item whose editor edits the named property, or nil.
  TfrxPropertyItem* Find(const AnsiString& name) const;
  rtl::TPersistent* Component() const { return component_; }
  void SetComponent(rtl::TPersistent* object);
  void FillProperties(rtl::TPersistent* object);
  void FillCommonProperties(const TfrxPropertyList& other);
  void AddProperties(const TfrxPropertyList& other);
  TfrxPropertyList* Parent = nullptr;

 private:
  rtl::TObject* designer_;
  rtl::TPersistent* component_ = nullptr;
  std::vector<std::unique_ptr<TfrxPropertyItem>> items_;
};

// One list for the objects' shared properties; nil for no objects.
std::unique_ptr<TfrxPropertyList> vuzCreatePropertyList(const std::vector<rtl::TPersistent*>& objects,
                                                        rtl::TObject* designer);

// ---------------------------------------------------------------- component editors

// A menu as component editors fill it: items with caption, tag, check mark.
class TfrxEditorMenu : public rtl::TObject {
 public:
  struct Item {
    AnsiString Caption;
    int Tag = 0;
    bool Checked = false;
  };
  std::vector<Item> Items;
};

class TfrxComponentEditor : public rtl::TObject {
 public:
  TfrxComponentEditor(TfrxComponent* component, rtl::TObject* designer, rtl::TObject* menu)
      : Component(component), Designer(designer), Menu(menu) {}
  virtual bool Edit() { return false; }
  virtual bool HasEditor() { return false; }
  virtual void GetMenuItems() {}
  virtual bool Execute(int tag, bool checked) {
    (void)tag;
    (void)checked;
    return false;
  }
  // Appends a menu item owned by the menu.
  void AddItem(const AnsiString& caption, int tag, bool checked = false);

  TfrxComponent* Component;
  rtl::TObject* Designer;
  rtl::TObject* Menu;
};

}  // namespace report
