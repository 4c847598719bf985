#include "platform/rtl/classes.h"

#include <gtest/gtest.h>

#include <memory>

using namespace rtl;

namespace {
struct TTestPanel : TComponent {
  using TComponent::TComponent;
};
struct TTestFrame : TPersistent {};
}  // namespace

TEST(ClassRegistry, MakesObjectsByNameWithoutRegardToCase) {
  RegisterClass<TTestPanel>("TTestPanel");
  RegisterClass<TTestFrame>("TTestFrame");
  RegisterClass<TTestFrame>("TTestPanel");  // the first entry stays

  TComponent owner;
  std::unique_ptr<TPersistent> made(FindClass("ttestpanel").create(&owner));
  auto* panel = dynamic_cast<TTestPanel*>(made.get());
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Owner(), &owner);
  owner.RemoveComponent(panel);  // the test keeps it, not the owner

  std::unique_ptr<TPersistent> frame(GetClass("TTESTFRAME")->create(nullptr));
  EXPECT_NE(dynamic_cast<TTestFrame*>(frame.get()), nullptr);

  EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
  try {
    FindClass("TNoSuchThing");
    ADD_FAILURE();
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNoSuchThing not found");
  }
  UnRegisterClass("TTestFrame");
  EXPECT_EQ(GetClass("TTestFrame"), nullptr);
  UnRegisterClass("TTestPanel");
}
