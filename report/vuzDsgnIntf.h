// The process-wide registries: report object classes (vuzObjects), live
// export filters (vuzExportFilters, in registration order, which the
// preview's export menu follows), wizards and component editors. Each is made
// on first use and freed by ReportDesignShutdown.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "report/vuzClass.h"

namespace report {

class TfrxCustomExportFilter;

// Categories of an object class (a set).
enum TfrxObjectCategory : unsigned { ctData = 1u << 0, ctReport = 1u << 1, ctDialog = 1u << 2, ctDMP = 1u << 3 };
using TfrxObjectCategories = unsigned;

struct TfrxObjectItem {
  const rtl::TClassInfo* ClassRef = nullptr;  // nil for a category entry
  gfx::TBitmap* ButtonBmp = nullptr;
  int ButtonImageIndex = -1;
  AnsiString ButtonHint;
  AnsiString CategoryName;
  std::uint16_t Flags = 0;
  TfrxObjectCategories Category = 0;
};

class TfrxObjectCollection {
 public:
  // Nothing when the same class is there with the same flags. The class
  // joins the runtime's class registry; an empty category becomes ctData
  // for datasets and databases, ctDialog for dialog controls and
  // components, ctReport otherwise.
  void RegisterObject1(const rtl::TClassInfo* cls, gfx::TBitmap* button, const AnsiString& hint,
                       const AnsiString& categoryName, std::uint16_t flags = 0, int imageIndex = -1,
                       TfrxObjectCategories category = 0);
  void RegisterObject(const rtl::TClassInfo* cls, gfx::TBitmap* button, const AnsiString& categoryName = AnsiString());
  void RegisterCategory(const AnsiString& categoryName, gfx::TBitmap* button, const AnsiString& hint,
                        int imageIndex = -1);
  void Unregister(const rtl::TClassInfo* cls);
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxObjectItem* GetObjectItem(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }

 private:
  std::vector<std::unique_ptr<TfrxObjectItem>> items_;
};

struct TfrxExportFilterItem {
  TfrxCustomExportFilter* Filter = nullptr;  // not owned
};

class TfrxExportFilterCollection {
 public:
  // Nil and filters already present are ignored.
  void Register(TfrxCustomExportFilter* filter);
  void Unregister(TfrxCustomExportFilter* filter);
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxExportFilterItem* GetExportFilterItem(int index) const {
    return items_.at(static_cast<std::size_t>(index)).get();
  }

 private:
  std::vector<std::unique_ptr<TfrxExportFilterItem>> items_;
};

struct TfrxWizardItem {
  const rtl::TClassInfo* ClassRef = nullptr;
  gfx::TBitmap* ButtonBmp = nullptr;
  int ButtonImageIndex = -1;
  bool IsToolbarWizard = false;
};

class TfrxWizardCollection {
 public:
  // A class already present is ignored.
  void Register(const rtl::TClassInfo* cls, gfx::TBitmap* button, bool isToolbarWizard = false);
  // The existing item of the class, or a new one with the image index.
  TfrxWizardItem* Register1(const rtl::TClassInfo* cls, int imageIndex);
  void Unregister(const rtl::TClassInfo* cls);
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxWizardItem* GetWizardItem(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }

 private:
  std::vector<std::unique_ptr<TfrxWizardItem>> items_;
};

// Makes a component editor for (component, designer, menu).
using TfrxComponentEditorFactory =
    std::function<std::unique_ptr<rtl::TObject>(TfrxComponent* component, rtl::TObject* designer, rtl::TObject* menu)>;

struct TfrxComponentEditorItem {
  const rtl::TClassInfo* ComponentClass = nullptr;
  const rtl::TClassInfo* EditorClass = nullptr;
  TfrxComponentEditorFactory Create;
};

class TfrxComponentEditorCollection {
 public:
  // Always appends.
  void Register(const rtl::TClassInfo* componentClass, const rtl::TClassInfo* editorClass,
                TfrxComponentEditorFactory create);
  void UnRegister(const rtl::TClassInfo* editorClass);
  // The first item for exactly the component's class, else the last one for
  // an ancestor class; a new editor the caller frees, nil when none fits.
  std::unique_ptr<rtl::TObject> GetComponentEditor(TfrxComponent* component, rtl::TObject* designer,
                                                   rtl::TObject* menu) const;
  int Count() const { return static_cast<int>(items_.size()); }
  TfrxComponentEditorItem* GetComponentEditorItem(int index) const {
    return items_.at(static_cast<std::size_t>(index)).get();
  }

 private:
  std::vector<std::unique_ptr<TfrxComponentEditorItem>> items_;
};

TfrxObjectCollection& vuzObjects();
TfrxExportFilterCollection& vuzExportFilters();
TfrxWizardCollection& vuzWizards();
TfrxComponentEditorCollection& vuzComponentEditors();
// Whether a registry has been made (so that freeing one does not make it).
bool vuzExportFiltersExist();
// Frees the registries in the order objects, component editors, export
// filters, wizards.
void ReportDesignShutdown();

}  // namespace report
