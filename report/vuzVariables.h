// Named values: the report's variables (and the process-wide
// vuzGlobalVariables), grouped in categories, with their XML file; and
// TfrxArray, a table keyed by text.
//
// The list is flat: a category is an item whose name is a blank followed by
// the category's name, and its variables are the items after it up to the
// next category item.
#pragma once
#include "platform/rtl/components.h"
#include "platform/rtl/stringlists.h"
#include "platform/rtl/variant.h"
#include "report/vuzClass.h"
#include "report/vuzXML.h"

namespace report {

class TfrxVariable : public rtl::TCollectionItem {
  RTL_CLASS_INFO
 public:
  explicit TfrxVariable(rtl::TCollection* collection) : rtl::TCollectionItem(collection) {}
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& v) { name_ = v; }
  const rtl::Variant& Value() const { return value_; }
  void SetValue(const rtl::Variant& v) { value_ = v; }
  void Assign(const rtl::TPersistent* source) override;

 private:
  AnsiString name_;
  rtl::Variant value_ = rtl::Variant::Null();
};

class TfrxVariables : public rtl::TCollection {
  RTL_CLASS_INFO
 public:
  TfrxVariables();
  TfrxVariable* Add() { return static_cast<TfrxVariable*>(rtl::TCollection::Add()); }
  TfrxVariable* Insert(int index) { return static_cast<TfrxVariable*>(rtl::TCollection::Insert(index)); }
  TfrxVariable* GetItems(int index) const { return static_cast<TfrxVariable*>(Items(index)); }
  // First item of that name (1251 case ignored); -1 when none.
  int IndexOf(const AnsiString& name) const;
  // Null when absent.
  rtl::Variant GetVariable(const AnsiString& name) const;
  // Sets the existing item or appends one.
  void SetVariable(const AnsiString& name, const rtl::Variant& value);
  // The category names, without their blank; clear empties the list first.
  void GetCategoriesList(rtl::TStrings& list, bool clear = true) const;
  // The variables of a category (with "" those before the first category);
  // a category that does not exist gives an empty list.
  void GetVariablesList(const AnsiString& category, rtl::TStrings& list) const;
  void DeleteCategory(const AnsiString& category);
  void DeleteVariable(const AnsiString& name);
  // Adds to an existing category (after its last variable), or only sets
  // the value of a variable of that name anywhere; a missing category does nothing.
  void AddVariable(const AnsiString& category, const AnsiString& name, const rtl::Variant& value);

  // The file: root "variables", one "item" per variable.
  void LoadFromFile(const AnsiString& fileName);
  void LoadFromStream(rtl::TStream& stream);
  void LoadFromXMLItem(TfrxXMLItem* item, bool oldXMLFormat = true);
  void SaveToFile(const AnsiString& fileName);
  void SaveToStream(rtl::TStream& stream);
  void SaveToXMLItem(TfrxXMLItem* item);

 private:
  int CategoryIndex(const AnsiString& category) const;
};

// A table of values keyed by text.
class TfrxArray : public rtl::TCollection {
  RTL_CLASS_INFO
 public:
  TfrxArray();
  TfrxVariable* GetItems(int index) const { return static_cast<TfrxVariable*>(Items(index)); }
  int IndexOf(const rtl::Variant& key) const;
  rtl::Variant GetVariable(const rtl::Variant& key) const;
  void SetVariable(const rtl::Variant& key, const rtl::Variant& value);
};

// The process-wide variables made by ReportClassesStartup (nil outside it).
TfrxVariables* vuzGlobalVariables();
void vuzCreateGlobalVariables();
void vuzFreeGlobalVariables();

}  // namespace report
