#include "platform/rtl/object_handles.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/rtl/stringlists.h"
#include "platform/rtl/variant.h"

using namespace rtl;

namespace {

struct HostObject {
  virtual ~HostObject() { ObjectHandles::Release(this); }
  int value = 0;
};

struct Derived : HostObject {};

struct Other {
  ~Other() { ObjectHandles::Release(this); }
};

}  // namespace

TEST(ObjectHandles, RoundTripThroughAnIntegerVariant) {
  auto obj = std::make_unique<HostObject>();
  obj->value = 7;
  Variant v = ObjectHandles::HandleOf<HostObject>(obj.get());
  EXPECT_EQ(VarType(v), varInteger);
  EXPECT_GT(v.AsInteger(), 0);
  EXPECT_EQ(ObjectHandles::HandleOf<HostObject>(obj.get()), v.AsInteger());  // stable
  EXPECT_EQ(ObjectHandles::Resolve<HostObject>(v.AsInteger())->value, 7);
  EXPECT_TRUE(ObjectHandles::IsValid(v.AsInteger()));
}

TEST(ObjectHandles, NilIsZero) {
  EXPECT_EQ(ObjectHandles::HandleOf<HostObject>(nullptr), 0);
  EXPECT_EQ(ObjectHandles::Resolve<HostObject>(0), nullptr);
  EXPECT_FALSE(ObjectHandles::IsValid(0));
}

TEST(ObjectHandles, StaleAndForgedHandlesRaise) {
  int32_t handle;
  {
    Derived obj;
    handle = ObjectHandles::HandleOf<HostObject>(&obj);
  }
  EXPECT_FALSE(ObjectHandles::IsValid(handle));
  EXPECT_THROW(ObjectHandles::Resolve<HostObject>(handle), EInvalidPointer);
  // A new object may take the freed slot; the old handle still does not reach it.
  std::vector<std::unique_ptr<HostObject>> many;
  for (int i = 0; i < 5000; ++i) {
    many.push_back(std::make_unique<HostObject>());
    EXPECT_NE(ObjectHandles::HandleOf<HostObject>(many.back().get()), handle);
  }
  EXPECT_THROW(ObjectHandles::Resolve<HostObject>(handle), EInvalidPointer);
  for (int32_t forged : {1, -1, 12345678, 0x7FFFFFFF})
    EXPECT_THROW(ObjectHandles::Resolve<HostObject>(forged), EInvalidPointer) << forged;
}

TEST(ObjectHandles, ResolvingAsAnotherTypeRaises) {
  Other other;
  int32_t h = ObjectHandles::HandleOf<Other>(&other);
  EXPECT_THROW(ObjectHandles::Resolve<HostObject>(h), EInvalidCast);
  EXPECT_EQ(ObjectHandles::Resolve<Other>(h), &other);
}

TEST(ObjectHandles, ReleaseForgetsTheObject) {
  int before = ObjectHandles::Count();
  {
    HostObject a, b;
    ObjectHandles::HandleOf<HostObject>(&a);
    ObjectHandles::HandleOf<HostObject>(&b);
    EXPECT_EQ(ObjectHandles::Count(), before + 2);
  }
  EXPECT_EQ(ObjectHandles::Count(), before);
  HostObject never;
  ObjectHandles::Release(&never);  // never registered: ignored
}

TEST(ObjectHandles, AFreedRuntimeObjectLeavesItsHandleStale) {
  auto* list = new rtl::TStringList;
  int32_t h = ObjectHandles::HandleOf<rtl::TObject>(list);
  EXPECT_EQ(ObjectHandles::Resolve<rtl::TObject>(h), list);
  delete list;  // TObject's destructor releases the handle
  EXPECT_FALSE(ObjectHandles::IsValid(h));
  EXPECT_THROW(ObjectHandles::Resolve<rtl::TObject>(h), EInvalidPointer);
}
