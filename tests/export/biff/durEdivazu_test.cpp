// Storage containers: the hash table, the owning list and the caching list.
#include "export/biff/durEdivazu.h"

#include <gtest/gtest.h>

#include "export/biff/biffFileBuffer.h"
#include "tests/support/scratch_folder.h"

namespace {

using namespace report;

void* P(std::uintptr_t v) { return reinterpret_cast<void*>(v); }

TEST(ListHashTable, SharedBucketsKeepFirstValues) {
  TListHashTable table;
  EXPECT_EQ(table.SetValue(1, P(10)), nullptr);
  EXPECT_EQ(table.SetValue(65537, P(20)), nullptr);
  EXPECT_EQ(table.GetValue(1), P(10));
  EXPECT_EQ(table.GetValue(65537), P(20));
  EXPECT_EQ(table.SetValue(1, P(30)), P(10));
  EXPECT_EQ(table.GetValue(1), P(10));
  EXPECT_EQ(table.GetValue(2), nullptr);
  EXPECT_TRUE(table.SelfTest(12345, 20000));
}

// Different objects with one hash code are told apart by comparison.
TEST(ListHashTable, FindOrAddSeparatesCollisions) {
  TListHashTable table;
  int a = 1, b = 2, b2 = 2;
  auto same = [](int* mine) { return [mine](void* other) { return *static_cast<int*>(other) == *mine; }; };
  EXPECT_EQ(table.FindOrAdd(7, &a, same(&a)), nullptr);
  EXPECT_EQ(table.FindOrAdd(7, &b, same(&b)), nullptr);
  EXPECT_EQ(table.FindOrAdd(7, &b2, same(&b2)), &b);
  EXPECT_EQ(table.FindOrAdd(7, &a, same(&a)), &a);
}

class Item : public rtl::TObject {
 public:
  explicit Item(int v, int* alive = nullptr) : value(v), alive_(alive) {
    if (alive_) ++*alive_;
  }
  ~Item() override {
    if (alive_) --*alive_;
  }
  int value;

 private:
  int* alive_;
};

TEST(ObjList, ClearingAndDestroyingFreeItems) {
  int alive = 0;
  {
    TObjList<Item> list;
    for (int i = 0; i < 3; ++i) list.Add(std::make_unique<Item>(i, &alive));
    EXPECT_EQ(alive, 3);
    list.Clear();
    EXPECT_EQ(alive, 0);
    list.Add(std::make_unique<Item>(9, &alive));
  }
  EXPECT_EQ(alive, 0);
}

struct CachingList {
  CachingList() : swap(folder.File("swap")), dir(folder.File("dir")), cache(TLcCreateParams{&swap, &dir, 4}) {
    cache.WriteObj = [this](rtl::TStream& s, rtl::TObject& o) {
      ++written;
      const int v = static_cast<Item&>(o).value;
      s.WriteBuffer(&v, 4);
    };
    cache.ReadObj = [](rtl::TStream& s) -> std::unique_ptr<rtl::TObject> {
      int v = 0;
      s.ReadBuffer(&v, 4);
      return std::make_unique<Item>(v);
    };
  }
  int Value(int i) {
    auto* o = static_cast<Item*>(cache.GetObject(i));
    return o ? o->value : -1;
  }
  ScratchFolder folder;
  TBufferedFileStream swap, dir;
  TListCache cache;
  int written = 0;
};

TEST(ListCache, SwapsObjectsOutAndBack) {
  CachingList l;
  for (int i = 0; i < 6; ++i) l.cache.Add(std::make_unique<Item>(100 + i));
  EXPECT_EQ(l.written, 2);  // objects 0 and 1
  EXPECT_EQ(l.cache.GetObjectsCount(), 6);
  EXPECT_EQ(l.Value(0), 100);
  EXPECT_EQ(l.written, 3);  // reading 0 back pushed object 2 out
  for (int i = 0; i < 6; ++i) EXPECT_EQ(l.Value(i), 100 + i);
  l.cache.SetObjectsCount(8);
  EXPECT_EQ(l.Value(7), -1);  // only ever nil
  EXPECT_EQ(l.Value(8), -1);
  l.cache.Exchange(0, 5);
  EXPECT_EQ(l.Value(0), 105);
  EXPECT_EQ(l.Value(5), 100);
  EXPECT_THROW(l.cache.SetObject(-1, nullptr), rtl::Exception);
  l.cache.SetObjectsCount(2);
  EXPECT_EQ(l.cache.GetObjectsCount(), 2);
  EXPECT_EQ(l.Value(1), 101);
}

TEST(ListCache, MessagesAndModes) {
  rtl::TMemoryStream one;
  try {
    TListCache bad(TLcCreateParams{&one, &one, 4});
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "Caching stream and objects stream must be different streams");
  }
  TListCache memory;
  EXPECT_FALSE(memory.IsCaching());
  try {
    memory.SetObject(-1, nullptr);
    FAIL();
  } catch (const rtl::Exception& e) {
    EXPECT_STREQ(e.what(), "Cannot store an object an a negative index");
  }
  memory.Add(std::make_unique<Item>(1));
  memory.SetObject(3, std::make_unique<Item>(4));
  EXPECT_EQ(memory.GetObjectsCount(), 4);
  EXPECT_EQ(memory.GetObject(2), nullptr);
  EXPECT_EQ(static_cast<Item*>(memory.Last())->value, 4);

  CachingList l;
  l.cache.OverwriteGuard = true;
  for (int i = 0; i < 6; ++i) l.cache.Add(std::make_unique<Item>(i));
  EXPECT_THROW(l.cache.SetObject(0, std::make_unique<Item>(9)), rtl::Exception);
}

TEST(ListCache, FilesLiveExactlyAsLongAsTheList) {
  ScratchFolder folder;
  {
    TListCache cache(folder.File("a.swp"), folder.File("a.dir"), 2);
    EXPECT_TRUE(std::filesystem::exists(folder.File("a.swp")));
    EXPECT_TRUE(std::filesystem::exists(folder.File("a.dir")));
  }
  EXPECT_FALSE(std::filesystem::exists(folder.File("a.swp")));
  EXPECT_FALSE(std::filesystem::exists(folder.File("a.dir")));
}

TEST(BufferedFileStream, ReadsBackAcrossWindowsAndPatches) {
  ScratchFolder folder;
  TBufferedFileStream s(folder.File("f"));
  std::string data;
  for (int i = 0; i < 200000; ++i) data += static_cast<char>(i * 31);
  s.WriteBuffer(data.data(), 100000);
  s.WriteBuffer(data.data() + 100000, 100000);
  s.SetPosition(10);
  s.WriteBuffer("zz", 2);
  data[10] = data[11] = 'z';
  s.SetPosition(150000);
  s.WriteBuffer("q", 1);
  data[150000] = 'q';
  s.SetPosition(0);
  std::string back(200000, '\0');
  EXPECT_EQ(s.Read(back.data(), 300000), 200000);
  EXPECT_EQ(back, data);
  s.Flush();
  EXPECT_EQ(std::filesystem::file_size(folder.File("f")), 200000u);
}

}  // namespace
