#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "model_fixture.h"
#include "platform/rtl/classes.h"
#include "report/vuzClassServices.h"
#include "report/vuzDataSet.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzStyles.h"
#include "report/vuzVariables.h"
#include "tests/support/files.h"

using namespace report_test;
using namespace report;

namespace {

std::string PropertyOrder(const rtl::TClassInfo& c) {
  std::string line = c.Name() + ":";
  for (const rtl::TPropInfo* p : c.Properties()) line += " " + p->Name;
  return line + "\n";
}

class TTestFilter : public TfrxCustomExportFilter {
 public:
  using TfrxCustomExportFilter::TfrxCustomExportFilter;
  void ExportObject(TfrxComponent*) override {}
};

}  // namespace

// A change in any class's stored order changes the templates we write: it
// must show here first.
TEST(ClassRegistry, PropertyOrderOfEveryReflectedClass) {
  ReportClassesStartup();
  std::string printed;
  for (const AnsiString& name : vuzStandardClassNames())
    if (const rtl::TClassInfo* info = rtl::GetClassInfo(name)) printed += PropertyOrder(*info);
  for (const rtl::TClassInfo* info :
       {&TfrxReportComponent::StaticClass(), &TfrxDialogComponent::StaticClass(), &TfrxDataSet::StaticClass(),
        &TfrxUserDataSet::StaticClass(), &TfrxCustomDBDataSet::StaticClass(), &TfrxDataSetItem::StaticClass(),
        &TfrxVariable::StaticClass(), &TfrxCustomExportFilter::StaticClass(), &TfrxCustomEngine::StaticClass(),
        &gfx::TFont::StaticClass(), &gfx::TPen::StaticClass(), &gfx::TBrush::StaticClass()})
    printed += PropertyOrder(*info);
  ReportClassesShutdown();
  // One line per class, in registration order; after a deliberate change,
  // regenerate the file with ZARNIK_UPDATE_GOLDEN=1. The file is checked by
  // reading each line against the class's published properties, ancestors'
  // first, in declaration order: the order templates are written in.
  const std::filesystem::path golden = std::filesystem::path(REPORT_TEST_DATA) / "class_property_order.txt";
  if (std::getenv("ZARNIK_UPDATE_GOLDEN")) support::WriteFile(golden, printed);
  EXPECT_EQ(printed, support::ReadFile(golden));
}

TEST(ClassRegistry, ExportFiltersRegisterThemselvesInOrder) {
  const int before = vuzExportFilters().Count();
  rtl::TComponent form;
  auto* first = new TTestFilter(&form);
  auto* second = new TTestFilter(&form);
  EXPECT_EQ(vuzExportFilters().Count(), before + 2);
  EXPECT_EQ(vuzExportFilters().GetExportFilterItem(before)->Filter, first);
  EXPECT_EQ(vuzExportFilters().GetExportFilterItem(before + 1)->Filter, second);
  vuzExportFilters().Register(first);  // twice: no effect
  vuzExportFilters().Register(nullptr);
  EXPECT_EQ(vuzExportFilters().Count(), before + 2);
  {
    TTestFilter unregistered;  // the parameterless constructor
    EXPECT_EQ(vuzExportFilters().Count(), before + 2);
    EXPECT_TRUE(unregistered.ShowDialog);
    EXPECT_TRUE(unregistered.UseFileCache);
    EXPECT_FALSE(unregistered.OverwritePrompt);
  }
  delete first;
  EXPECT_EQ(vuzExportFilters().Count(), before + 1);
  EXPECT_EQ(vuzExportFilters().GetExportFilterItem(before)->Filter, second);
  // Steps a filter does not provide raise the abstract-call error.
  TfrxCustomExportFilter plain;
  EXPECT_THROW(plain.ExportObject(nullptr), rtl::EAbstractError);
}

TEST(ClassRegistry, ObjectsWizardsAndEditors) {
  RegisterTestClasses();
  TfrxObjectCollection objects;
  objects.RegisterObject(&TfrxUserDataSet::StaticClass(), nullptr);
  objects.RegisterObject(&TfrxUserDataSet::StaticClass(), nullptr);  // same flags: nothing
  objects.RegisterObject1(&TfrxUserDataSet::StaticClass(), nullptr, "hint", "", 1, 5, 0);
  objects.RegisterObject(&TfrxTestView::StaticClass(), nullptr);
  objects.RegisterObject(&TfrxDialogComponent::StaticClass(), nullptr);
  objects.RegisterCategory("Other", nullptr, "Other objects", 3);
  ASSERT_EQ(objects.Count(), 5);
  EXPECT_EQ(objects.GetObjectItem(0)->Category, ctData);
  EXPECT_EQ(objects.GetObjectItem(1)->ButtonImageIndex, 5);
  EXPECT_EQ(objects.GetObjectItem(2)->Category, ctReport);
  EXPECT_EQ(objects.GetObjectItem(3)->Category, ctDialog);
  EXPECT_EQ(objects.GetObjectItem(4)->ClassRef, nullptr);
  EXPECT_NE(rtl::GetClass("TfrxUserDataSet"), nullptr);  // made known to the class registry
  objects.Unregister(&TfrxUserDataSet::StaticClass());
  EXPECT_EQ(objects.Count(), 3);

  TfrxWizardCollection wizards;
  wizards.Register(&TfrxCustomWizard::StaticClass(), nullptr, true);
  wizards.Register(&TfrxCustomWizard::StaticClass(), nullptr);
  EXPECT_EQ(wizards.Count(), 1);
  EXPECT_EQ(wizards.GetWizardItem(0)->ButtonImageIndex, -1);
  EXPECT_EQ(wizards.Register1(&TfrxCustomWizard::StaticClass(), 9), wizards.GetWizardItem(0));

  // The exact class wins; otherwise the last ancestor registered.
  TfrxComponentEditorCollection editors;
  std::vector<std::string> made;
  auto maker = [&made](std::string tag) {
    return [&made, tag](TfrxComponent*, rtl::TObject*, rtl::TObject*) {
      made.push_back(tag);
      return std::make_unique<rtl::TObject>();
    };
  };
  editors.Register(&TfrxComponent::StaticClass(), &rtl::TObject::StaticClass(), maker("component"));
  editors.Register(&TfrxReportComponent::StaticClass(), &rtl::TPersistent::StaticClass(), maker("report component"));
  editors.Register(&TfrxTestMemoView::StaticClass(), &rtl::TComponent::StaticClass(), maker("memo"));
  TfrxTestMemoView memo(nullptr);
  TfrxTestView view(nullptr);
  EXPECT_NE(editors.GetComponentEditor(&memo, nullptr, nullptr), nullptr);
  EXPECT_NE(editors.GetComponentEditor(&view, nullptr, nullptr), nullptr);
  EXPECT_EQ(made, (std::vector<std::string>{"memo", "report component"}));
  editors.UnRegister(&rtl::TPersistent::StaticClass());
  EXPECT_EQ(editors.Count(), 2);
}

TEST(ServiceBases, TheGzipCompressorPacksAndUnpacksAndRegistersItsClass) {
  EXPECT_EQ(vuzCompressorClass(), nullptr);
  {
    TfrxGZipCompressor compressor(nullptr);
    EXPECT_EQ(vuzCompressorClass(), &TfrxGZipCompressor::StaticClass());
    compressor.CreateStream();
    const std::string text(5000, 'a');
    compressor.Stream()->WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    rtl::TMemoryStream packed;
    compressor.Compress(packed);
    EXPECT_LT(packed.Size(), 200);
    packed.SetPosition(0);
    TfrxGZipCompressor reader(nullptr);
    ASSERT_TRUE(reader.Decompress(packed));
    EXPECT_EQ(reader.Stream()->Size(), 5000);
    // Something else is left alone.
    rtl::TMemoryStream plain;
    plain.WriteBuffer("<?xml", 5);
    plain.SetPosition(0);
    EXPECT_FALSE(reader.Decompress(plain));
    EXPECT_EQ(plain.Position(), 0);
  }
  EXPECT_EQ(vuzCompressorClass(), nullptr);  // freed: the earlier class again

  TfrxCustomEngine engine(nullptr);
  EXPECT_THROW(engine.Run(), rtl::EAbstractError);
  bool stopped = false;
  engine.OnSetTerminated = [&](bool v) { stopped = v; };
  engine.StopReport();
  EXPECT_TRUE(stopped);
}

TEST(ServiceBases, ADialogComponentStoresItsPositionAsWholeNumbers) {
  RegisterTestClasses();
  TfrxTestReport report;
  auto* page = new TfrxTestPage(&report);
  auto* component = new TfrxDialogComponent(page);
  EXPECT_EQ(component->FrComponentStyle() & csPreviewVisible, 0u);
  EXPECT_EQ(component->Width(), 28);
  component->SetLeft(10.6);
  component->SetTop(2.5);
  TfrxXMLSerializer s(nullptr);
  // pLeft 11 (Int8), pTop 2 (halves to even).
  EXPECT_EQ(s.ObjToXML(component), " PropData=\"05704C656674020B0470546F700202\"");
  TfrxDialogComponent copy(nullptr);
  s.XMLToObj(" PropData=\"05704C656674020B0470546F700202\"", &copy);
  EXPECT_EQ(copy.Left(), 11);
  EXPECT_EQ(copy.Top(), 2);
  // Not under a report: nothing to store.
  TfrxDialogComponent loose(nullptr);
  EXPECT_EQ(s.ObjToXML(&loose), "");
}

TEST(ServiceBases, CollectionsTravelInsideTheDefinedData) {
  TfrxTestReport report;
  TfrxVariables vars;
  TfrxVariable* v = vars.Add();
  v->SetName("Title");
  v->SetValue(rtl::Variant("'A & B'"));
  // While the template writer writes the report: one long string per item.
  rtl::TMemoryStream s;
  {
    rtl::TWriter w(s);
    report.SetIsWriting(true);
    vuzWriteCollection(vars, w, &report);
    report.SetIsWriting(false);
  }
  TfrxVariables back;
  s.SetPosition(0);
  {
    rtl::TReader r(s);
    vuzReadCollection(back, r, &report);
  }
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.GetItems(0)->Name(), "Title");
  EXPECT_EQ(back.GetItems(0)->Value().AsString(), "'A & B'");
  // Otherwise the standard collection form, with the older high-character coding.
  rtl::TMemoryStream std_;
  {
    rtl::TWriter w(std_);
    v->SetName("x\x01\x50y");
    vuzWriteCollection(vars, w, &report);
  }
  std_.SetPosition(0);
  {
    rtl::TReader r(std_);
    vuzReadCollection(back, r, &report);
  }
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.GetItems(0)->Name(), "x\xD0y");
}
