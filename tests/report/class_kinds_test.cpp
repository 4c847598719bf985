// The engine and the serializer tell an object's kind by its reflected class
// instead of a dynamic_cast. That holds only while every class's reflected
// ancestry follows its C++ one: checked here for every registered class.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/rtl/classes.h"
#include "report/vuzClass.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "tests/report/model_fixture.h"

using namespace report;

namespace {

struct EngineClasses {
  EngineClasses() { ReportClassesStartup(); }
  ~EngineClasses() { ReportClassesShutdown(); }
};

template <class T>
void ExpectKindAgrees(rtl::TObject& object, const char* kind) {
  const bool byCast = dynamic_cast<T*>(&object) != nullptr;
  const bool byClass = object.ClassType().InheritsFrom(T::StaticClass());
  EXPECT_EQ(byCast, byClass) << "as " << kind;
}

}  // namespace

TEST(ClassKinds, ReflectedAncestryFollowsTheCppOneForEveryRegisteredClass) {
  EngineClasses classes;
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  int checked = 0;
  for (const AnsiString& name : rtl::RegisteredClassNames()) {
    const rtl::TClassEntry* entry = rtl::GetClass(name);
    if (!entry || !entry->create) continue;
    SCOPED_TRACE(name);
    std::unique_ptr<rtl::TObject> object;
    try {
      object.reset(entry->create(band));
    } catch (const std::exception&) {
      continue;  // a class that cannot be made on a band is not met there
    }
    if (!object) continue;
    ExpectKindAgrees<TfrxComponent>(*object, "TfrxComponent");
    ExpectKindAgrees<TfrxBand>(*object, "TfrxBand");
    ExpectKindAgrees<TfrxDataBand>(*object, "TfrxDataBand");
    ExpectKindAgrees<TfrxMasterData>(*object, "TfrxMasterData");
    ExpectKindAgrees<TfrxHeader>(*object, "TfrxHeader");
    ExpectKindAgrees<TfrxFooter>(*object, "TfrxFooter");
    ExpectKindAgrees<TfrxGroupHeader>(*object, "TfrxGroupHeader");
    ExpectKindAgrees<TfrxGroupFooter>(*object, "TfrxGroupFooter");
    ExpectKindAgrees<TfrxCustomMemoView>(*object, "TfrxCustomMemoView");
    ExpectKindAgrees<TfrxReportPage>(*object, "TfrxReportPage");
    // The object made answers with the class it was registered as.
    if (entry->info) {
      EXPECT_TRUE(object->ClassType().InheritsFrom(*entry->info));
    }
    ++checked;
  }
  // Views, bands, pages, datasets, dialog controls and the rest.
  EXPECT_GT(checked, 30);
}
