// Named styles for text objects: TfrxStyleItem (name, colour, font), the
// style set TfrxStyles of a report and the style sheet of several sets, with
// their XML files ("style" and "stylesheet" roots).
//
// The style's frame joins when the frame class of the views exists; its
// "Frame." attributes are ignored until then.
#pragma once
#include <memory>
#include <vector>

#include "platform/gfx/pen_brush_font.h"
#include "platform/rtl/components.h"
#include "platform/rtl/stringlists.h"
#include "report/vuzClass.h"
#include "report/vuzXML.h"

namespace report {

class TfrxStyleItem : public rtl::TCollectionItem {
  RTL_CLASS_INFO
 public:
  explicit TfrxStyleItem(rtl::TCollection* collection);
  const AnsiString& Name() const { return name_; }
  // A name another style of the collection has (case ignored) raises
  // "clDupName" and keeps the old name.
  void SetName(const AnsiString& name);
  gfx::TColor Color() const { return color_; }
  void SetColor(gfx::TColor c) { color_ = c; }
  gfx::TFont* Font() const { return font_.get(); }
  void SetFont(const gfx::TFont* f) { font_->Assign(*f); }
  void Assign(const rtl::TPersistent* source) override;
  // "Style" + the smallest free number from 1.
  void CreateUniqueName();

 private:
  AnsiString name_;
  gfx::TColor color_ = clTransparent;
  std::unique_ptr<gfx::TFont> font_;
};

class TfrxStyles : public rtl::TCollection {
  RTL_CLASS_INFO
 public:
  explicit TfrxStyles(TfrxComponent* report = nullptr);
  TfrxComponent* Report() const { return report_; }
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name) { name_ = name; }
  TfrxStyleItem* Add() { return static_cast<TfrxStyleItem*>(rtl::TCollection::Add()); }
  TfrxStyleItem* GetItem(int index) const { return static_cast<TfrxStyleItem*>(Items(index)); }
  // First style of that name (1251 case ignored), nil when none.
  TfrxStyleItem* Find(const AnsiString& name) const;
  void GetList(rtl::TStrings& list) const;
  // Sets each text object's style again, or clears a style that is gone.
  void Apply();
  void LoadFromXMLItem(TfrxXMLItem* item, bool oldXMLFormat = true);
  void SaveToXMLItem(TfrxXMLItem* item);
  void LoadFromFile(const AnsiString& fileName);
  void LoadFromStream(rtl::TStream& stream);
  void SaveToFile(const AnsiString& fileName);
  void SaveToStream(rtl::TStream& stream);

 private:
  TfrxComponent* report_;
  AnsiString name_;
};

class TfrxStyleSheet {
 public:
  TfrxStyleSheet() = default;
  void Clear() { items_.clear(); }
  void Delete(int index);
  // A new style set without a report, appended.
  TfrxStyles* Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxStyles* GetItems(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  TfrxStyles* Find(const AnsiString& name) const;
  int IndexOf(const AnsiString& name) const;
  void GetList(rtl::TStrings& list) const;
  void LoadFromFile(const AnsiString& fileName);
  void LoadFromStream(rtl::TStream& stream);
  void SaveToFile(const AnsiString& fileName);
  void SaveToStream(rtl::TStream& stream);

 private:
  std::vector<std::unique_ptr<TfrxStyles>> items_;
};

}  // namespace report
