#include "platform/rtl/lists.h"

#include <gtest/gtest.h>

#include "platform/rtl/stringlists.h"
#include "platform/rtl/textcase.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

using namespace rtl;

namespace {

// Counts live instances so ownership can be checked.
struct Counted : TObject {
  static inline int live = 0;
  Counted() { ++live; }
  ~Counted() override { --live; }
};

std::vector<std::string> Items(const TStrings& list) {
  std::vector<std::string> r;
  for (int i = 0; i < list.Count(); ++i) r.push_back(list[i]);
  return r;
}

}  // namespace

TEST(TList, IndexErrorsNameTheIndex) {
  TList list;
  int a = 1, b = 2, c = 3;
  list.Add(&a);
  list.Add(&b);
  list.Insert(0, &c);
  EXPECT_EQ(list[0], &c);
  EXPECT_EQ(list.IndexOf(&b), 2);
  struct Case {
    std::function<void()> op;
    const char* message;
  };
  const Case cases[] = {
      {[&] { list.Items(3); }, "List index out of bounds (3)"},
      {[&] { list.Items(-1); }, "List index out of bounds (-1)"},
      {[&] { list.Delete(5); }, "List index out of bounds (5)"},
      {[&] { list.Insert(4, &a); }, "List index out of bounds (4)"},
      {[&] { list.Exchange(0, 9); }, "List index out of bounds (9)"},
  };
  for (const auto& row : cases) {
    try {
      row.op();
      ADD_FAILURE() << row.message;
    } catch (const EListError& e) {
      EXPECT_STREQ(e.what(), row.message);
    }
  }
  list.Move(0, 2);
  EXPECT_EQ(list.Last(), &c);
  EXPECT_EQ(list.Remove(&a), 0);
  EXPECT_EQ(list.Count(), 2);
}

TEST(TObjectList, OwnsAndFreesUnlessExtracted) {
  {
    TObjectList list;
    list.Add(new Counted);
    auto* kept = new Counted;
    list.Add(kept);
    list.Add(new Counted);
    EXPECT_EQ(Counted::live, 3);
    list.Delete(0);
    EXPECT_EQ(Counted::live, 2);
    EXPECT_EQ(list.Extract(kept), kept);
    EXPECT_EQ(Counted::live, 2);
    delete kept;
  }
  EXPECT_EQ(Counted::live, 0);
  TObjectList notOwning(false);
  Counted c;
  notOwning.Add(&c);
  notOwning.Clear();
  EXPECT_EQ(Counted::live, 1);
}

TEST(TStringList, TextEndsEveryLineWithCrLfAndSplitsOnAnyBreak) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"", {}},
      {std::string("x\0y\n", 4), {std::string("x\0y", 3)}},
  };
  for (const auto& c : cases) {
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Items(list), c.lines) << c.text;
  }
  TStringList list;
  list.Add("one");
  list.Add("");
  list.Add("три"_cp);
  EXPECT_EQ(list.Text(), "one\r\n\r\n"_cp + std::string("три"_cp) + "\r\n");
}

TEST(TStringList, CommaTextQuoting) {
  struct Case {
    std::vector<std::string> items;
    std::string text;
  };
  const Case cases[] = {
      {{"a", "b"}, "a,b"},
      {{"a b", "c"}, "\"a b\",c"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"x,y"}, "\"x,y\""},
      {{"a", "", "b"}, "a,,b"},
      {{""}, "\"\""},
      {{}, ""},
      {{"tab\there"}, "\"tab\there\""},
      {{"Привет"_cp, "мир"_cp}, "Привет,мир"_cp},
  };
  for (const auto& c : cases) {
    TStringList list;
    for (auto& s : c.items) list.Add(s);
    EXPECT_EQ(list.CommaText(), c.text);
    TStringList back;
    back.SetCommaText(c.text);
    EXPECT_EQ(Items(back), c.items) << c.text;
  }
  // Reading: blanks split unquoted items, are skipped around items; a
  // trailing delimiter adds an empty item; an open quote runs to the end.
  struct Read {
    std::string text;
    std::vector<std::string> items;
  };
  const Read reads[] = {
      {"  a b ,c", {"a", "b", "c"}},      {"a,", {"a", ""}},    {",a", {"", "a"}}, {"\"a\"x,b", {"a", "x", "b"}},
      {"\"open, quote", {"open, quote"}}, {"\"\"\"\"", {"\""}},
  };
  for (const auto& r : reads) {
    TStringList list;
    list.SetCommaText(r.text);
    EXPECT_EQ(Items(list), r.items) << r.text;
  }
}

TEST(TStringList, DelimitedTextWithStrictDelimiter) {
  TStringList list;
  list.Delimiter = ';';
  list.SetDelimitedText("a b;c");
  EXPECT_EQ(Items(list), (std::vector<std::string>{"a", "b", "c"}));
  list.StrictDelimiter = true;
  list.SetDelimitedText("a b; c;");
  EXPECT_EQ(Items(list), (std::vector<std::string>{"a b", " c", ""}));
  EXPECT_EQ(list.DelimitedText(), "a b; c;");
}

TEST(TStringList, SortedWithDuplicatesAndCase) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"яблоко", "Ёж", "ель", "Груша", "apple", "Banana", "10"}) list.Add(rtl::Utf8ToAnsi(s));
  std::vector<std::string> expected;
  for (const char* s : {"10", "apple", "Banana", "Груша", "ель", "Ёж", "яблоко"}) expected.push_back(Utf8ToAnsi(s));
  EXPECT_EQ(Items(list), expected);

  int index = -1;
  EXPECT_TRUE(list.Find("ЕЛЬ"_cp, index));  // case-insensitive by default
  EXPECT_EQ(index, 4);
  EXPECT_FALSE(list.Find("дыня"_cp, index));
  EXPECT_EQ(index, 4);  // where it would go
  EXPECT_EQ(list.IndexOf("BANANA"), 2);

  EXPECT_EQ(list.Add("APPLE"), 1);  // dupIgnore: the existing index, nothing added
  EXPECT_EQ(list.Count(), 7);
  list.Duplicates = dupError;
  EXPECT_THROW(list.Add("Apple"), EStringListError);
  list.Duplicates = dupAccept;
  EXPECT_EQ(list.Add("APPLE"), 2);  // after the equal one
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("apple"), 1);
  EXPECT_EQ(list.IndexOf("APPLE"), 2);
  EXPECT_EQ(list.IndexOf("Apple"), -1);
}

TEST(TStringList, CustomSortSeesAStableList) {
  TStringList list;
  for (const char* s : {"b2", "a1", "b1", "a2"}) list.Add(s);
  list.CustomSort([](TStringList& l, int i, int j) { return int(l[i][0]) - int(l[j][0]); });
  EXPECT_EQ(Items(list), (std::vector<std::string>{"a1", "a2", "b2", "b1"}));
}

TEST(TStringList, NamesAndValues) {
  TStringList list;
  list.SetText("Port=COM3\r\nnoequals\r\nНазвание=Вид продукции\r\nempty=\r\n"_cp);
  EXPECT_EQ(list.Names(0), "Port");
  EXPECT_EQ(list.Names(1), "");
  EXPECT_EQ(list.Values("port"), "COM3");
  EXPECT_EQ(list.Values("НАЗВАНИЕ"_cp), std::string("Вид продукции"_cp));
  EXPECT_EQ(list.IndexOfName("empty"), 3);
  EXPECT_EQ(list.ValueFromIndex(2), std::string("Вид продукции"_cp));
  list.SetValues("Port", "COM4");
  EXPECT_EQ(list[0], "Port=COM4");
  list.SetValues("New", "1");
  EXPECT_EQ(list[4], "New=1");
  list.SetValues("Port", "");  // an empty value removes the pair
  EXPECT_EQ(list.IndexOfName("Port"), -1);
  EXPECT_EQ(list.Count(), 4);
}

TEST(TStringList, ObjectsOwnershipAndChangeEvents) {
  int changes = 0;
  {
    TStringList list(true);
    list.OnChange = [&](TObject* sender) {
      EXPECT_EQ(sender, &list);
      ++changes;
    };
    list.AddObject("a", new Counted);
    list.AddObject("b", new Counted);
    EXPECT_EQ(changes, 2);
    list.BeginUpdate();
    list.Add("c");
    list.Delete(0);  // frees its object
    list.Exchange(0, 1);
    EXPECT_EQ(changes, 2);
    list.EndUpdate();
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(Counted::live, 1);
    EXPECT_NE(list.Objects(1), nullptr);
    EXPECT_EQ(list.IndexOfObject(list.Objects(1)), 1);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(TStringList, AssignCopiesStringsAndRefusesOtherClasses) {
  TStringList a, b;
  a.SetCommaText("x,y");
  b.Assign(&a);
  EXPECT_TRUE(b.Equals(a));
  struct Other : TPersistent {};
  Other other;
  try {
    b.Assign(&other);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a Other to a TStringList");
  }
  try {
    b.Assign(nullptr);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TStringList");
  }
}

TEST(TStringList, FilesAndStreamsKeep1251Bytes) {
  support::ScratchFolder dir;
  TStringList list;
  list.Add("Вид продукции"_cp);
  list.Add("second");
  AnsiString name = dir.Path() + "list.txt";
  list.SaveToFile(name);
  TFileStream check(name, fmOpenRead);
  EXPECT_EQ(check.ReadRest(), "Вид продукции\r\nsecond\r\n"_cp);
  TStringList back;
  back.LoadFromFile(name);
  EXPECT_TRUE(back.Equals(list));
  TStringStream stream;
  back.SaveToStream(stream);
  EXPECT_EQ(stream.DataString(), list.Text());
  stream.SetPosition(0);
  EXPECT_EQ(stream.ReadString(3), std::string("Вид"_cp));
  EXPECT_THROW(back.LoadFromFile(dir.Path() + "missing.txt"), EFOpenError);
}

TEST(Sorting, StableAndSafeWithBadComparisons) {
  TList list;
  std::vector<int> values = {5, 1, 4, 1, 3, 9, 2, 6, 5, 3, 5};
  for (int& v : values) list.Add(&v);
  list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  std::vector<int> sorted;
  for (void* p : list) sorted.push_back(*static_cast<int*>(p));
  EXPECT_EQ(sorted, (std::vector<int>{1, 1, 2, 3, 3, 4, 5, 5, 5, 6, 9}));
  EXPECT_EQ(list[0], &values[1]);  // equal items keep their order
  EXPECT_EQ(list[1], &values[3]);

  // A comparison that contradicts itself still yields every item once.
  TStringList strings;
  for (int i = 0; i < 200; ++i) strings.Add(std::to_string(i));
  unsigned seed = 1;
  strings.CustomSort([&](TStringList&, int, int) {
    seed = seed * 1103515245 + 12345;
    return static_cast<int>((seed >> 16) % 3) - 1;
  });
  strings.SetSorted(true);
  EXPECT_EQ(strings.Count(), 200);
  for (int i = 0; i < 200; ++i) EXPECT_GE(strings.IndexOf(std::to_string(i)), 0);
}
