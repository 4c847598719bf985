#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model_fixture.h"
#include "platform/rtl/format.h"
#include "report/vuzDataSet.h"
#include "report/vuzRes.h"
#include "report/vuzStyles.h"
#include "report/vuzVariables.h"

using namespace report_test;
using namespace rtl::literals;
using namespace report;

namespace {

// The process-wide objects live between start-up and shut-down.
class Started : public ::testing::Test {
 protected:
  void SetUp() override {
    ReportClassesStartup();
    RegisterTestClasses();
  }
  void TearDown() override { ReportClassesShutdown(); }
};

using DataSetCursor = Started;
using DataSetNames = Started;
using Variables = Started;
using Styles = Started;

}  // namespace

TEST_F(DataSetCursor, RangesDecideWhereRowsEnd) {
  struct Case {
    TfrxRangeBegin begin;
    TfrxRangeEnd end;
    int count;
    int nexts;
    int recNo;
    bool eof;
    int recordCount;
  };
  const Case cases[] = {
      {rbFirst, reCount, 3, 0, 0, false, 3},
      {rbFirst, reCount, 3, 2, 2, false, 3},
      {rbFirst, reCount, 3, 3, 2, true, 3},  // the third Next ends it and RecNo stays 2
      {rbFirst, reCount, 3, 9, 2, true, 3},
      {rbCurrent, reCount, 3, 1, 1, false, 0},
      {rbFirst, reCount, 0, 0, 0, true, 0},
      {rbFirst, reLast, 3, 50, 50, false, 0},  // without OnCheckEOF it never ends
  };
  for (const Case& c : cases) {
    TfrxUserDataSet d(nullptr);
    d.SetRangeBegin(c.begin);
    d.SetRangeEnd(c.end);
    d.SetRangeEndCount(c.count);
    int nextEvents = 0;
    d.OnNext = [&](rtl::TObject*) { ++nextEvents; };
    d.First();
    for (int i = 0; i < c.nexts; ++i) d.Next();
    EXPECT_EQ(d.RecNo(), c.recNo) << c.nexts;
    EXPECT_EQ(d.Eof(), c.eof) << c.nexts;
    EXPECT_EQ(d.RecordCount(), c.recordCount) << c.nexts;
    if (c.end == reCount) {
      EXPECT_LE(nextEvents, std::max(0, c.count - 1));  // no event past the end
    }
  }
}

TEST_F(DataSetCursor, TheEndOfDataHandlerHasTheLastWord) {
  TfrxUserDataSet d(nullptr);
  int rows = 5;
  d.OnCheckEOF = [&](rtl::TObject* sender, bool& eof) {
    EXPECT_EQ(sender, &d);
    eof = d.RecNo() >= rows;
  };
  bool firstCalled = false;
  d.OnFirst = [&](rtl::TObject*) { firstCalled = true; };
  int seen = 0;
  for (d.First(); !d.Eof(); d.Next()) ++seen;
  EXPECT_TRUE(firstCalled);
  EXPECT_EQ(seen, 5);
  d.Prior();
  EXPECT_EQ(d.RecNo(), 4);
}

TEST_F(DataSetCursor, UserDataSetValuesComeFromBothHandlersInOrder) {
  TfrxUserDataSet d(nullptr);
  rtl::TStringList fields;
  fields.Add("Temp");
  fields.Add("Hum");
  d.SetFields(&fields);
  EXPECT_EQ(d.FieldsCount(), 2);
  EXPECT_TRUE(d.HasField("temp"));
  EXPECT_FALSE(d.HasField("Time"));
  EXPECT_TRUE(d.GetValue("Temp").IsNull());
  d.OnGetValue = [](const AnsiString& name, rtl::Variant& v) { v = rtl::Variant(name + "1"); };
  EXPECT_EQ(d.GetValue("Temp").AsString(), "Temp1");
  d.OnNewGetValue = [](rtl::TObject*, const AnsiString&, rtl::Variant& v) {
    v = rtl::Variant((v.IsNull() ? AnsiString() : v.AsString()) + "+");
  };
  EXPECT_EQ(d.GetValue("Temp").AsString(), "Temp1+");  // the second sees the first's result
  // The display text: each handler starts from Null; the second's text wins.
  EXPECT_EQ(d.GetDisplayText("Hum"), u"+");
}

TEST_F(DataSetNames, UserNameFollowsTheFirstNameOnly) {
  TfrxUserDataSet d(nullptr);
  d.SetName("vuzUserDataSet1");
  EXPECT_EQ(d.UserName(), "vuzUserDataSet1");
  d.SetName("Renamed");
  EXPECT_EQ(d.UserName(), "vuzUserDataSet1");
  EXPECT_THROW(d.SetUserName("   "), rtl::Exception);
  EXPECT_EQ(d.UserName(), "vuzUserDataSet1");
  d.SetUserName(" Data ");
  EXPECT_EQ(d.UserName(), " Data ");  // stored untrimmed
}

// The list keeps the order of creation whatever order datasets go in (the
// first of two equal names wins), also once the holes removals leave are
// closed up.
TEST_F(DataSetNames, TheListKeepsItsOrderAcrossRemovals) {
  struct Case {
    const char* name;
    std::vector<int> removed;  // indexes into the six datasets, in order of freeing
  };
  const Case cases[] = {
      {"none", {}},
      {"first ones first", {0, 1, 2}},
      {"last ones first", {5, 4, 3}},
      {"every other", {1, 3, 5}},
      {"all but one, enough to close the holes", {0, 5, 1, 4, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TfrxTestReport r;
    std::vector<TfrxUserDataSet*> sets;
    for (int i = 0; i < 6; ++i) {
      sets.push_back(new TfrxUserDataSet(&r));
      sets.back()->SetUserName(i % 2 ? "Odd" : "Even" + std::to_string(i));
    }
    const int before = vuzDataSetList()->Count();
    std::vector<bool> gone(6, false);
    for (int i : c.removed) {
      delete sets[static_cast<std::size_t>(i)];
      gone[static_cast<std::size_t>(i)] = true;
    }
    EXPECT_EQ(vuzDataSetList()->Count(), before - static_cast<int>(c.removed.size()));
    std::vector<TfrxDataSet*> expected, listed;
    for (int i = 0; i < 6; ++i)
      if (!gone[static_cast<std::size_t>(i)]) expected.push_back(sets[static_cast<std::size_t>(i)]);
    for (TfrxDataSet* d : vuzDataSetList()->Items())
      if (d && d->Owner() == &r) listed.push_back(d);
    EXPECT_EQ(listed, expected);
    // "Odd" names the first odd dataset still there.
    TfrxDataSet* firstOdd = nullptr;
    for (int i = 1; i < 6 && !firstOdd; i += 2)
      if (!gone[static_cast<std::size_t>(i)]) firstOdd = sets[static_cast<std::size_t>(i)];
    EXPECT_EQ(vuzFindDataSet(nullptr, "Odd", &r), firstOdd);
    // A new dataset goes to the end.
    auto* later = new TfrxUserDataSet(&r);
    EXPECT_EQ(vuzDataSetList()->Items().back(), later);
  }
}

TEST_F(DataSetNames, DataSetsOfTwoReportsDoNotCross) {
  TfrxTestReport r1, r2;
  auto* d1 = new TfrxUserDataSet(&r1);
  auto* d2 = new TfrxUserDataSet(&r2);
  d1->SetUserName("Data");
  d2->SetUserName("data");
  TfrxUserDataSet loose(nullptr);
  loose.SetUserName("Loose");
  EXPECT_EQ(vuzFindDataSet(nullptr, "DATA", &r1), d1);
  EXPECT_EQ(vuzFindDataSet(nullptr, "Data", &r2), d2);
  EXPECT_EQ(vuzFindDataSet(nullptr, "Loose", &r2), &loose);
  EXPECT_EQ(vuzFindDataSet(d1, "Nothing", &r2), d1);  // the default
  EXPECT_EQ(vuzFindDataSet(d1, "Data", nullptr), d1);
  EXPECT_EQ(vuzFindDataSet(d1, "", &r1), nullptr);
  EXPECT_EQ(r2.FindDataSet(nullptr, "Data"), d2);

  rtl::TStringList list;
  d2->SetEnabled(false);
  vuzGetDataSetList(list);
  EXPECT_EQ(list.IndexOf("data"), 0);
  EXPECT_EQ(list.Objects(0), d1);
  EXPECT_EQ(list.IndexOf("Loose"), 1);
  EXPECT_EQ(list.Count(), 2);

  // Freed datasets leave the list.
  const int before = vuzDataSetList()->Count();
  delete d1;
  EXPECT_EQ(vuzDataSetList()->Count(), before - 1);

  // The report's collection binds by name.
  TfrxReportDataSets sets(&r2);
  sets.Add(d2);
  EXPECT_EQ(sets.Find("DATA")->DataSet(), d2);
  EXPECT_EQ(sets.GetItem(0)->DataSetName(), "data");
  auto* item = static_cast<TfrxDataSetItem*>(sets.rtl::TCollection::Add());
  item->SetDataSetName("Loose");
  EXPECT_EQ(item->DataSet(), &loose);
  item->SetDataSetName("");
  EXPECT_EQ(item->DataSet(), nullptr);
  sets.Delete("data");
  EXPECT_EQ(sets.Count(), 1);
}

TEST_F(Variables, CategoriesGroupTheFollowingItems) {
  TfrxVariables v;
  auto add = [&](const char* name, const rtl::Variant& value) {
    TfrxVariable* item = v.Add();
    item->SetName(name);
    item->SetValue(value);
  };
  add("Free", 1);
  add(" Process", rtl::Variant::Null());
  add("Number", "[Num]");
  add(" Device", rtl::Variant::Null());
  add("Serial", "42");
  rtl::TStringList list;
  v.GetCategoriesList(list);
  EXPECT_EQ(list.Text(), "Process\r\nDevice\r\n");
  v.GetVariablesList("", list);
  EXPECT_EQ(list.Text(), "Free\r\n");
  v.GetVariablesList("process", list);
  EXPECT_EQ(list.Text(), "Number\r\n");
  v.GetVariablesList("Missing", list);
  EXPECT_EQ(list.Count(), 0);

  v.AddVariable("Process", "Start", "[Date]");
  EXPECT_EQ(v.IndexOf("Start"), 3);      // after the category's last variable
  v.AddVariable("Device", "Number", 7);  // an existing name: only the value changes
  EXPECT_EQ(v.IndexOf("number"), 2);
  EXPECT_EQ(v.GetVariable("Number").AsInteger(), 7);
  v.AddVariable("Missing", "X", 1);
  EXPECT_EQ(v.IndexOf("X"), -1);
  v.AddVariable("Device", "Last", 1);
  EXPECT_EQ(v.IndexOf("Last"), v.Count() - 1);
  EXPECT_TRUE(v.GetVariable("Nothing").IsNull());
  v.SetVariable("New", "n");
  EXPECT_EQ(v.GetVariable("NEW").AsString(), "n");

  v.DeleteCategory("Process");
  v.GetCategoriesList(list);
  EXPECT_EQ(list.Text(), "Device\r\n");
  EXPECT_EQ(v.IndexOf("Start"), -1);
  v.DeleteVariable("Free");
  EXPECT_EQ(v.IndexOf("Free"), -1);

  // The file round trip; another root leaves the collection empty.
  rtl::TMemoryStream s;
  v.SaveToStream(s);
  const std::string text(s.Memory(), static_cast<std::size_t>(s.Size()));
  EXPECT_NE(text.find("<variables>"), std::string::npos);
  EXPECT_NE(text.find("<item Name=\" Device\"/>"), std::string::npos);
  TfrxVariables back;
  s.SetPosition(0);
  back.LoadFromStream(s);
  ASSERT_EQ(back.Count(), v.Count());
  EXPECT_EQ(back.GetVariable("Serial").AsString(), "42");
  rtl::TMemoryStream other;
  const std::string wrong = "<?xml version=\"1.0\"?><style><item Name=\"a\"/></style>";
  other.WriteBuffer(wrong.data(), static_cast<std::int64_t>(wrong.size()));
  other.SetPosition(0);
  back.LoadFromStream(other);
  EXPECT_EQ(back.Count(), 0);

  TfrxArray a;
  a.SetVariable(5, "five");
  a.SetVariable("Key", 1);
  a.SetVariable("KEY", 2);
  EXPECT_EQ(a.Count(), 2);
  EXPECT_EQ(a.GetVariable("5").AsString(), "five");
  EXPECT_EQ(a.GetVariable("key").AsInteger(), 2);
  EXPECT_TRUE(a.GetVariable("none").IsNull());
  ASSERT_NE(vuzGlobalVariables(), nullptr);
}

TEST_F(Styles, NamesAreUniqueWithoutRegardToCase) {
  TfrxStyles styles;
  TfrxStyleItem* a = styles.Add();
  a->SetName("Title");
  TfrxStyleItem* b = styles.Add();
  b->CreateUniqueName();
  EXPECT_EQ(b->Name(), "Style1");
  try {
    b->SetName("TITLE");
    ADD_FAILURE();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "Duplicate name");
  }
  EXPECT_EQ(b->Name(), "Style1");
  EXPECT_EQ(a->Color(), clTransparent);
  EXPECT_EQ(a->Font()->Name(), "Arial");
  EXPECT_EQ(styles.Find("title"), a);

  // The style file round trip and the sheet of several sets.
  a->SetColor(255);
  a->Font()->SetStyle({gfx::fsBold});
  styles.SetName("Set1");
  rtl::TMemoryStream s;
  styles.SaveToStream(s);
  TfrxStyles back;
  s.SetPosition(0);
  back.LoadFromStream(s);
  EXPECT_EQ(back.Name(), "Set1");
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetItem(0)->Color(), 255);
  EXPECT_TRUE(back.GetItem(0)->Font()->Style().Contains(gfx::fsBold));

  TfrxStyleSheet sheet;
  sheet.Add()->Assign(&styles);
  sheet.GetItems(0)->SetName("First");
  sheet.Add()->SetName("Second");
  rtl::TMemoryStream ss;
  sheet.SaveToStream(ss);
  TfrxStyleSheet sheetBack;
  ss.SetPosition(0);
  sheetBack.LoadFromStream(ss);
  EXPECT_EQ(sheetBack.Count(), 2);
  EXPECT_EQ(sheetBack.IndexOf("second"), 1);
  EXPECT_EQ(sheetBack.Find("First")->Count(), 2);
}
