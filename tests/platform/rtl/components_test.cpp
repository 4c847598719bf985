#include "platform/rtl/components.h"

#include <gtest/gtest.h>

#include <vector>

using namespace rtl;

namespace {

std::vector<std::string> g_log;

// Logs its destruction and the removals it hears of; keeps a link to
// another component that it must drop when that one goes away.
class Probe : public TComponent {
 public:
  explicit Probe(TComponent* owner, const char* name) : TComponent(owner) { SetName(name); }
  ~Probe() override { g_log.push_back("~" + Name()); }
  void Link(TComponent* other) {
    linked = other;
    if (other) other->FreeNotification(this);
  }
  TComponent* linked = nullptr;
  int loadedCalls = 0;
  void Loaded() override {
    TComponent::Loaded();
    ++loadedCalls;
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == linked) {
      g_log.push_back(Name() + " drops link");
      linked = nullptr;
    }
  }
};

class Column : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString Title;
  void Assign(const TPersistent* source) override {
    if (auto* c = dynamic_cast<const Column*>(source)) {
      Title = c->Title;
      return;
    }
    TCollectionItem::Assign(source);
  }
};

class CountingCollection : public TCollection {
 public:
  CountingCollection() : TCollection(TCollection::Of<Column>()) {}
  int updates = 0;
  std::vector<TCollectionNotification> notes;

 protected:
  void Update(TCollectionItem*) override { ++updates; }
  void Notify(TCollectionItem*, TCollectionNotification n) override { notes.push_back(n); }
};

}  // namespace

TEST(TComponent, OwnerFreesChildrenLastFirst) {
  g_log.clear();
  auto* form = new Probe(nullptr, "Form1");
  auto* a = new Probe(form, "Comm1");
  new Probe(form, "Timer1");
  new Probe(a, "Inner");
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(1)->Name(), "Timer1");
  EXPECT_EQ(a->ComponentIndex(), 0);
  EXPECT_EQ(form->FindComponent("COMM1"), a);
  EXPECT_EQ(form->FindComponent("Inner"), nullptr);  // only directly owned ones
  EXPECT_THROW(form->Components(2), EListError);
  delete form;
  EXPECT_EQ(g_log, (std::vector<std::string>{"~Form1", "~Timer1", "~Comm1", "~Inner"}));
}

TEST(TComponent, DeletingAChildLeavesItsOwner) {
  g_log.clear();
  Probe form(nullptr, "Form1");
  auto* child = new Probe(&form, "Child");
  delete child;
  EXPECT_EQ(form.ComponentCount(), 0);
  auto* moved = new Probe(&form, "Moved");
  Probe other(nullptr, "Other");
  other.InsertComponent(moved);
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_EQ(moved->Owner(), &other);
}

TEST(TComponent, NamesAreValidatedAndUniqueWithoutCase) {
  Probe form(nullptr, "Form1");
  auto* a = new Probe(&form, "Button1");
  auto* b = new Probe(&form, "");
  struct Case {
    const char* name;
    const char* error;
  };
  const Case cases[] = {
      {"button1", "A component named button1 already exists"},
      {"1st", "'1st' is not a valid component name"},
      {"has space", "'has space' is not a valid component name"},
  };
  for (const auto& c : cases) {
    try {
      b->SetName(c.name);
      ADD_FAILURE() << c.name;
    } catch (const EComponentError& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
  }
  EXPECT_THROW(b->SetName("Кнопка"_cp), EComponentError);  // identifiers are ASCII
  a->SetName("BUTTON1");                                   // a change of case of its own name is fine
  b->SetName("_ok2");
  EXPECT_EQ(form.FindComponent("_OK2"), b);
  b->SetName("");
  EXPECT_EQ(form.FindComponent(""), nullptr);
}

TEST(TComponent, FreeNotificationAcrossOwners) {
  g_log.clear();
  auto* report = new Probe(nullptr, "Report");
  auto* dataset = new Probe(nullptr, "DataSet");
  auto* memo = new Probe(report, "Memo1");
  memo->Link(dataset);
  delete dataset;  // the memo, owned elsewhere, hears of it
  EXPECT_EQ(memo->linked, nullptr);
  EXPECT_EQ(g_log, (std::vector<std::string>{"~DataSet", "Memo1 drops link"}));

  // Removed notification: nothing is heard, and nothing dangles.
  auto* second = new Probe(nullptr, "Second");
  memo->Link(second);
  second->RemoveFreeNotification(memo);
  delete second;
  EXPECT_NE(memo->linked, nullptr);
  memo->linked = nullptr;

  // The listener goes first: the other side must not call it later.
  auto* third = new Probe(nullptr, "Third");
  memo->Link(third);
  delete report;
  g_log.clear();
  delete third;
  EXPECT_EQ(g_log, (std::vector<std::string>{"~Third"}));
}

TEST(TComponent, SiblingsHearThroughTheirOwner) {
  g_log.clear();
  Probe form(nullptr, "Form1");
  auto* grid = new Probe(&form, "Grid");
  auto* source = new Probe(&form, "Source");
  grid->Link(source);
  delete source;
  EXPECT_EQ(grid->linked, nullptr);
  EXPECT_EQ(g_log, (std::vector<std::string>{"~Source", "Grid drops link"}));
}

TEST(TComponent, LoadingStateAndLoaded) {
  Probe form(nullptr, "Form1");
  auto* child = new Probe(&form, "Child");
  form.BeginLoading();
  EXPECT_TRUE(child->HasState(csLoading));
  form.EndLoading();
  EXPECT_FALSE(child->HasState(csLoading));
  EXPECT_FALSE(form.HasState(csLoading));
  EXPECT_EQ(child->loadedCalls, 1);
  EXPECT_EQ(form.loadedCalls, 1);
  form.SetDesigning(true);
  EXPECT_TRUE(child->HasState(csDesigning));
  form.Tag = 42;
  EXPECT_EQ(form.Tag, 42);
}

TEST(TCollection, ItemsIndexIdAndUpdates) {
  CountingCollection columns;
  auto* a = static_cast<Column*>(columns.Add());
  auto* b = static_cast<Column*>(columns.Add());
  auto* c = static_cast<Column*>(columns.Insert(0));
  EXPECT_EQ(columns.Count(), 3);
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(c->ID(), 2);
  EXPECT_EQ(columns.FindItemID(1), b);
  EXPECT_EQ(c->Collection(), &columns);

  columns.updates = 0;
  columns.BeginUpdate();
  columns.Delete(0);
  b->SetIndex(0);
  EXPECT_EQ(columns.updates, 0);
  columns.EndUpdate();
  EXPECT_EQ(columns.updates, 1);
  EXPECT_EQ(columns[0], b);
  EXPECT_EQ(columns.Add()->ID(), 3);  // ids are never reused
  EXPECT_THROW(columns.Items(9), EListError);

  columns.notes.clear();
  delete a;
  EXPECT_EQ(columns.notes, (std::vector<TCollectionNotification>{cnExtracting}));
  EXPECT_EQ(columns.Count(), 2);
}

TEST(TCollection, AssignCopiesItemsAndReportsWrongClasses) {
  TCollection source(TCollection::Of<Column>()), copy(TCollection::Of<Column>());
  static_cast<Column*>(source.Add())->Title = "t1";
  static_cast<Column*>(source.Add())->Title = "t2";
  copy.Add();
  copy.Assign(&source);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(static_cast<Column*>(copy[1])->Title, "t2");

  Probe component(nullptr, "P");
  try {
    copy.Assign(&component);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a Probe to a TCollection");
  }
  // Moving an item between collections.
  auto* item = copy[0];
  item->SetCollection(&source);
  EXPECT_EQ(copy.Count(), 1);
  EXPECT_EQ(source.Count(), 3);
}
