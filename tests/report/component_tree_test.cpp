#include <gtest/gtest.h>

#include <array>
#include <set>

#include "model_fixture.h"
#include "platform/rtl/format.h"
#include "report/vuzRes.h"

using namespace report_test;
using namespace rtl::literals;
using report::TfrxComponent;

namespace {

struct Tree {
  TfrxTestReport* report = new TfrxTestReport;
  TfrxTestPage* page = new TfrxTestPage(report);
  TfrxTestBand* band = new TfrxTestBand(page);
  ~Tree() { delete report; }
  TfrxTestMemoView* Memo(const char* name) {
    auto* m = new TfrxTestMemoView(band);
    m->SetName(name);
    return m;
  }
};

}  // namespace

TEST(ComponentTree, ANewObjectJoinsItsParentAndTheReportOwnsIt) {
  Tree t;
  auto* memo = new TfrxTestMemoView(t.band);
  EXPECT_EQ(memo->Parent(), t.band);
  EXPECT_EQ(memo->Owner(), t.report);  // the owner is always the report
  EXPECT_EQ(t.band->Objects().back(), memo);
  EXPECT_EQ(memo->GetReport(), t.report);
  EXPECT_EQ(memo->GetPage(), t.page);
  EXPECT_EQ(memo->BaseName(), "TestMemo");
  EXPECT_TRUE(memo->Visible());
  EXPECT_TRUE(memo->ParentFont());
  EXPECT_EQ(memo->Font()->Name(), "Arial");
  EXPECT_EQ(memo->Font()->Size(), 10);
  EXPECT_EQ(memo->Font()->Color(), 0);
  EXPECT_EQ(memo->Font()->Charset(), 1);
  EXPECT_EQ(memo->FrComponentStyle(), report::csPreviewVisible);
  EXPECT_EQ(t.report->GetAllObjects(), (std::vector<TfrxComponent*>{t.page, t.band, memo}));
  delete memo;
  EXPECT_EQ(t.report->GetAllObjects(), (std::vector<TfrxComponent*>{t.page, t.band}));
}

TEST(ComponentTree, FontsFollowTheParentWhileParentFontIsOn) {
  Tree t;
  gfx::TFont tahoma;
  tahoma.SetName("Tahoma");
  t.band->SetFont(&tahoma);
  EXPECT_FALSE(t.band->ParentFont());
  auto* follower = new TfrxTestMemoView(t.band);
  EXPECT_EQ(follower->Font()->Name(), "Tahoma");  // at once
  auto* own = new TfrxTestMemoView(t.band);
  own->Font()->SetName("Courier New");
  EXPECT_FALSE(own->ParentFont());

  t.band->SetParentFont(false);
  t.band->Font()->SetSize(14);
  EXPECT_EQ(follower->Font()->Size(), 14);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_EQ(own->Font()->Size(), 8);  // what it took from the band before it left
  EXPECT_FALSE(t.band->ParentFont());
  // Turning ParentFont on again takes the parent's font back.
  own->SetParentFont(true);
  EXPECT_EQ(own->Font()->Name(), "Tahoma");
}

TEST(ComponentTree, Renaming) {
  struct Case {
    const char* to;
    const char* expectName;
    bool raisesDuplicate;
  };
  const Case cases[] = {
      {"memo1", "Memo1", false},                   // only the letter case: nothing changes
      {"Memo2", "Memo1", true},                    // another object's name
      {"MEMO2", "Memo1", true},  {"", "", false},  // an empty name is allowed
      {"Other", "Other", false},
  };
  for (const Case& c : cases) {
    Tree t;
    auto* m1 = t.Memo("Memo1");
    t.Memo("Memo2");
    if (c.raisesDuplicate) {
      EXPECT_THROW(m1->SetName(c.to), rtl::EDuplicateName) << c.to;
    } else {
      m1->SetName(c.to);
    }
    EXPECT_EQ(m1->Name(), c.expectName) << c.to;
  }
  // One catch of the component error family also catches the duplicate.
  Tree t;
  t.Memo("A");
  auto* b = t.Memo("B");
  try {
    b->SetName("a");
    ADD_FAILURE();
  } catch (const rtl::EComponentError& e) {
    EXPECT_EQ(AnsiString(e.what()), report::vuzResources().Get("prDupl"));
  }
  // An object from a parent template keeps its name.
  b->SetIsAncestor(true);
  try {
    b->SetName("C");
    ADD_FAILURE();
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(AnsiString(e.what()), rtl::Format(report::vuzResources().Get("clCantRen"), {AnsiString("B")}));
  }
  EXPECT_EQ(b->Name(), "B");
}

TEST(ComponentTree, UniqueNamesTakeTheFirstFreeNumber) {
  Tree t;
  t.Memo("TestMemo1");
  t.Memo("TestMemo3");
  auto* fresh = new TfrxTestMemoView(t.band);
  fresh->CreateUniqueName();
  EXPECT_EQ(fresh->Name(), "TestMemo2");
  auto* next = new TfrxTestMemoView(t.band);
  next->CreateUniqueName();
  EXPECT_EQ(next->Name(), "TestMemo4");
  // A freed number is taken again, by rename and by deletion.
  fresh->SetName("Renamed");
  auto* third = new TfrxTestMemoView(t.band);
  third->CreateUniqueName();
  EXPECT_EQ(third->Name(), "TestMemo2");
  delete t.report->FindObject("testmemo1");
  auto* fourth = new TfrxTestMemoView(t.page);
  fourth->CreateUniqueName();
  EXPECT_EQ(fourth->Name(), "TestMemo1");
  EXPECT_EQ(t.report->FindObject("TESTMEMO1"), fourth);
  EXPECT_EQ(t.report->FindObject("Renamed"), fresh);
  EXPECT_EQ(t.report->FindObject("TestMemo9"), nullptr);

  // Without a report the parent's objects count.
  TfrxTestBand loose(nullptr);
  auto* a = new TfrxTestMemoView(&loose);
  a->CreateUniqueName();
  auto* b = new TfrxTestMemoView(&loose);
  b->CreateUniqueName();
  EXPECT_EQ(a->Name(), "TestMemo1");
  EXPECT_EQ(b->Name(), "TestMemo2");
}

TEST(ComponentTree, TheKeptNameIndexAgreesWithAWalk) {
  // Moves between trees, renames and deletions in a row; after each, every
  // name answers what a walk of the tree answers.
  Tree t;
  TfrxTestPage other(nullptr);
  std::vector<TfrxTestMemoView*> memos;
  for (int i = 0; i < 30; ++i) {
    auto* m = new TfrxTestMemoView(i % 2 ? static_cast<TfrxComponent*>(t.band) : t.page);
    m->CreateUniqueName();
    memos.push_back(m);
  }
  memos[3]->SetParent(&other);
  memos[4]->SetName("Moved");
  delete memos[5];
  memos[6]->SetParent(memos[7]);
  for (int i = 1; i <= 31; ++i) {
    const AnsiString name = "TestMemo" + rtl::IntToStr(i);
    TfrxComponent* walked = nullptr;
    for (TfrxComponent* c : t.report->GetAllObjects())
      if (rtl::AnsiSameText(c->Name(), name)) {
        walked = c;
        break;
      }
    EXPECT_EQ(t.report->FindObject(name), walked) << name;
  }
  EXPECT_EQ(t.report->FindObject("TestMemo4"), nullptr);  // moved to another tree
  EXPECT_EQ(other.FindObject("TestMemo4"), memos[3]);
  delete memos[3];
}

TEST(ComponentTree, InternalDiffRulesAndOrder) {
  Tree t;
  auto* a = t.Memo("A");
  auto* b = t.Memo("B");
  EXPECT_EQ(a->InternalDiff(b), "");
  a->SetBounds(1.5, 2, 30, 40);
  a->SetVisible(false);
  a->Tag = 7;
  a->Font()->SetName("Times \"New\"");  // turns ParentFont off
  a->Font()->SetStyle({gfx::fsBold, gfx::fsUnderline});
  EXPECT_EQ(a->InternalDiff(b), " l=\"" + rtl::FloatToStr(1.5L) +
                                    "\" t=\"2\" w=\"30\" h=\"40\" Visible=\"0\" Font.Name=\"Times &#34;New&#34;\""
                                    " Font.Style=\"5\" ParentFont=\"0\" Tag=\"7\"");
  // A text object with AutoWidth never gives its width.
  a->SetAutoWidth(true);
  EXPECT_EQ(a->InternalDiff(b).find(" w="), AnsiString::npos);
  // Differences of 0.0001 and less do not count.
  b->SetBounds(1.50005L, 2, 30, 40);
  EXPECT_EQ(a->InternalDiff(b).find(" l="), AnsiString::npos);
  // A band always gives its top.
  TfrxTestBand band2(nullptr);
  EXPECT_EQ(t.band->InternalDiff(&band2), " t=\"0\"");
}

TEST(ComponentTree, AlignChildren) {
  using report::TfrxAlign;
  struct Child {
    TfrxAlign align;
    long double left, top, width, height;
  };
  struct Case {
    const char* what;
    std::vector<Child> children;
    std::vector<std::array<long double, 4>> expected;  // left, top, width, height
  };
  const std::vector<Case> cases = {
      {"two left views overlapping vertically line up",
       {{report::baLeft, 50, 0, 20, 10}, {report::baLeft, 80, 5, 30, 10}},
       {{0, 0, 20, 10}, {20, 5, 30, 10}}},
      {"a left view with nothing to its left at its height goes to 0",
       {{report::baNone, 10, 100, 20, 10}, {report::baLeft, 80, 0, 30, 10}},
       {{10, 100, 20, 10}, {0, 0, 30, 10}}},
      {"right views stack from the parent's right edge",
       {{report::baRight, 10, 0, 20, 10}, {report::baRight, 40, 0, 30, 10}},
       {{150, 0, 20, 10}, {170, 0, 30, 10}}},
      {"a width view fills up to its right neighbour",
       {{report::baWidth, 30, 0, 10, 10}, {report::baNone, 120, 0, 20, 10}},
       {{0, 0, 120, 10}, {120, 0, 20, 10}}},
      {"center, bottom and client",
       {{report::baCenter, 0, 0, 50, 10}, {report::baBottom, 5, 0, 10, 20}, {report::baClient, 3, 3, 3, 3}},
       {{75, 0, 50, 10}, {5, 80, 10, 20}, {0, 0, 200, 100}}},
  };
  for (const Case& c : cases) {
    TfrxTestBand parent(nullptr);
    parent.SetBounds(0, 0, 200, 100);
    std::vector<TfrxTestView*> views;
    for (const Child& ch : c.children) {
      auto* v = new TfrxTestView(&parent);
      v->SetAlign(ch.align);
      v->SetBounds(ch.left, ch.top, ch.width, ch.height);
      views.push_back(v);
    }
    parent.AlignChildren();
    for (std::size_t i = 0; i < views.size(); ++i) {
      EXPECT_EQ(views[i]->Left(), c.expected[i][0]) << c.what << " #" << i;
      EXPECT_EQ(views[i]->Top(), c.expected[i][1]) << c.what << " #" << i;
      EXPECT_EQ(views[i]->Width(), c.expected[i][2]) << c.what << " #" << i;
      EXPECT_EQ(views[i]->Height(), c.expected[i][3]) << c.what << " #" << i;
    }
  }
}

TEST(ComponentTree, ClearKeepsObjectsFromAParentTemplate) {
  Tree t;
  auto* kept = t.Memo("Kept");
  kept->SetComponentState(rtl::csAncestor);
  auto* keptChild = new TfrxTestMemoView(kept);
  t.Memo("Gone");
  auto* inherited = new TfrxTestMemoView(kept);
  inherited->SetComponentState(rtl::csAncestor);
  t.band->Clear();
  EXPECT_EQ(t.band->Objects(), (std::vector<TfrxComponent*>{kept}));
  EXPECT_EQ(kept->Objects(), (std::vector<TfrxComponent*>{inherited}));  // it cleared its own
  EXPECT_EQ(t.report->FindObject("Gone"), nullptr);
  (void)keptChild;
}

TEST(ComponentTree, RestrictionsHoldOnlyWhileDesigning) {
  Tree t;
  auto* m = t.Memo("M");
  m->SetRestrictions((1u << report::rfDontMove) | (1u << report::rfDontSize));
  m->SetBounds(1, 2, 3, 4);
  EXPECT_EQ(m->Left(), 1);
  m->SetIsDesigning(true);
  m->SetBounds(5, 6, 7, 8);
  EXPECT_EQ(m->Left(), 1);
  EXPECT_EQ(m->Top(), 2);
  EXPECT_EQ(m->Width(), 3);
  EXPECT_EQ(m->Height(), 4);
}

TEST(ComponentTree, PrintingSavesAndRestoresBoundsAndAbsolutePositionsAddUp) {
  Tree t;
  t.page->SetBounds(10, 20, 0, 0);
  t.band->SetBounds(1, 2, 100, 50);
  auto* m = t.Memo("M");
  m->SetBounds(3, 4, 5, 6);
  EXPECT_EQ(m->GetAbsLeft(), 14);
  EXPECT_EQ(m->GetAbsTop(), 26);
  m->BeforePrint();
  m->SetBounds(0, 0, 50, 60);
  m->AfterPrint();
  EXPECT_EQ(m->Width(), 5);
  const report::TfrxRect r = m->GetRealBounds();
  EXPECT_EQ(r.Right, 19);
  EXPECT_EQ(r.Bottom, 32);
}
