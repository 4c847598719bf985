#include "report/vuzDsgnIntf.h"

#include <algorithm>

#include "platform/rtl/classes.h"
#include "report/vuzPropertyEditors.h"

namespace report {

namespace {
std::unique_ptr<TfrxObjectCollection> g_objects;
std::unique_ptr<TfrxExportFilterCollection> g_exportFilters;
std::unique_ptr<TfrxWizardCollection> g_wizards;
std::unique_ptr<TfrxComponentEditorCollection> g_componentEditors;
}  // namespace

TfrxObjectCollection& vuzObjects() {
  if (!g_objects) g_objects = std::make_unique<TfrxObjectCollection>();
  return *g_objects;
}
TfrxExportFilterCollection& vuzExportFilters() {
  if (!g_exportFilters) g_exportFilters = std::make_unique<TfrxExportFilterCollection>();
  return *g_exportFilters;
}
bool vuzExportFiltersExist() { return g_exportFilters != nullptr; }
TfrxWizardCollection& vuzWizards() {
  if (!g_wizards) g_wizards = std::make_unique<TfrxWizardCollection>();
  return *g_wizards;
}
TfrxComponentEditorCollection& vuzComponentEditors() {
  if (!g_componentEditors) g_componentEditors = std::make_unique<TfrxComponentEditorCollection>();
  return *g_componentEditors;
}

void ReportDesignShutdown() {
  vuzPropertyEditorsShutdown();
  g_objects.reset();
  g_componentEditors.reset();
  g_exportFilters.reset();
  g_wizards.reset();
}

void TfrxObjectCollection::RegisterObject1(const rtl::TClassInfo* cls, gfx::TBitmap* button, const AnsiString& hint,
                                           const AnsiString& categoryName, std::uint16_t flags, int imageIndex,
                                           TfrxObjectCategories category) {
  if (cls)
    for (const auto& i : items_)
      if (i->ClassRef == cls && i->Flags == flags) return;
  if (cls) rtl::RegisterClass(*cls);
  if (cls && category == 0) {
    if (cls->InheritsFrom("TfrxDataSet") || cls->InheritsFrom("TfrxCustomDatabase"))
      category = ctData;
    else if (cls->InheritsFrom("TfrxDialogControl") || cls->InheritsFrom("TfrxDialogComponent"))
      category = ctDialog;
    else
      category = ctReport;
  }
  auto item = std::make_unique<TfrxObjectItem>();
  item->ClassRef = cls;
  item->ButtonBmp = button;
  item->ButtonImageIndex = imageIndex;
  item->ButtonHint = hint;
  item->CategoryName = categoryName;
  item->Flags = flags;
  item->Category = category;
  items_.push_back(std::move(item));
}

void TfrxObjectCollection::RegisterObject(const rtl::TClassInfo* cls, gfx::TBitmap* button,
                                          const AnsiString& categoryName) {
  RegisterObject1(cls, button, AnsiString(), categoryName, 0, -1, 0);
}

void TfrxObjectCollection::RegisterCategory(const AnsiString& categoryName, gfx::TBitmap* button,
                                            const AnsiString& hint, int imageIndex) {
  RegisterObject1(nullptr, button, hint, categoryName, 0, imageIndex, 0);
}

void TfrxObjectCollection::Unregister(const rtl::TClassInfo* cls) {
  std::erase_if(items_, [cls](const auto& i) { return i->ClassRef == cls; });
}

void TfrxExportFilterCollection::Register(TfrxCustomExportFilter* filter) {
  if (!filter) return;
  for (const auto& i : items_)
    if (i->Filter == filter) return;
  auto item = std::make_unique<TfrxExportFilterItem>();
  item->Filter = filter;
  items_.push_back(std::move(item));
}

void TfrxExportFilterCollection::Unregister(TfrxCustomExportFilter* filter) {
  std::erase_if(items_, [filter](const auto& i) { return i->Filter == filter; });
}

void TfrxWizardCollection::Register(const rtl::TClassInfo* cls, gfx::TBitmap* button, bool isToolbarWizard) {
  for (const auto& i : items_)
    if (i->ClassRef == cls) return;
  auto item = std::make_unique<TfrxWizardItem>();
  item->ClassRef = cls;
  item->ButtonBmp = button;
  item->IsToolbarWizard = isToolbarWizard;
  items_.push_back(std::move(item));
}

TfrxWizardItem* TfrxWizardCollection::Register1(const rtl::TClassInfo* cls, int imageIndex) {
  for (const auto& i : items_)
    if (i->ClassRef == cls) return i.get();
  auto item = std::make_unique<TfrxWizardItem>();
  item->ClassRef = cls;
  item->ButtonImageIndex = imageIndex;
  items_.push_back(std::move(item));
  return items_.back().get();
}

void TfrxWizardCollection::Unregister(const rtl::TClassInfo* cls) {
  std::erase_if(items_, [cls](const auto& i) { return i->ClassRef == cls; });
}

void TfrxComponentEditorCollection::Register(const rtl::TClassInfo* componentClass, const rtl::TClassInfo* editorClass,
                                             TfrxComponentEditorFactory create) {
  auto item = std::make_unique<TfrxComponentEditorItem>();
  item->ComponentClass = componentClass;
  item->EditorClass = editorClass;
  item->Create = std::move(create);
  items_.push_back(std::move(item));
}

void TfrxComponentEditorCollection::UnRegister(const rtl::TClassInfo* editorClass) {
  std::erase_if(items_, [editorClass](const auto& i) { return i->EditorClass == editorClass; });
}

std::unique_ptr<rtl::TObject> TfrxComponentEditorCollection::GetComponentEditor(TfrxComponent* component,
                                                                                rtl::TObject* designer,
                                                                                rtl::TObject* menu) const {
  if (!component) return nullptr;
  const rtl::TClassInfo& cls = component->ClassType();
  const TfrxComponentEditorItem* found = nullptr;
  for (const auto& i : items_)
    if (i->ComponentClass == &cls) {
      found = i.get();
      break;
    }
  if (!found)
    for (const auto& i : items_)
      if (i->ComponentClass && cls.InheritsFrom(*i->ComponentClass)) found = i.get();  // the last one wins
  if (!found || !found->Create) return nullptr;
  return found->Create(component, designer, menu);
}

}  // namespace report
