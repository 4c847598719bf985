#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/colors.h"
#include "platform/rtl/exceptions.h"

namespace {

TEST(ColorText, IdentifiersIgnoreCaseAndRoundTrip) {
  gfx::TColor c = 0;
  EXPECT_TRUE(gfx::IdentToColor("CLRED", c));
  EXPECT_EQ(gfx::clRed, c);
  EXPECT_TRUE(gfx::IdentToColor("clbtnface", c));
  EXPECT_EQ(gfx::clBtnFace, c);
  EXPECT_FALSE(gfx::IdentToColor("clRedd", c));
  EXPECT_FALSE(gfx::IdentToColor("clRe", c));
  EXPECT_EQ("clRed", gfx::ColorToString(gfx::clRed));
}

TEST(ColorText, NumbersWithoutAName) {
  EXPECT_EQ("$00123456", gfx::ColorToString(0x123456));
  EXPECT_EQ("$FFFFFFFF", gfx::ColorToString(static_cast<gfx::TColor>(0xFFFFFFFFu)));
  struct Case {
    const char* text;
    std::uint32_t value;
  } cases[] = {
      {"$00123456", 0x123456},    {"0x00ABCDEF", 0xABCDEF}, {"1193046", 0x123456},
      {"$FFFFFFFF", 0xFFFFFFFFu}, {"-1", 0xFFFFFFFFu},      {"4294967295", 0xFFFFFFFFu},
  };
  for (const auto& k : cases) EXPECT_EQ(k.value, static_cast<std::uint32_t>(gfx::StringToColor(k.text))) << k.text;
}

TEST(ColorText, BadTextIsAConvertError) {
  for (const char* text : {"", "$", "$12G", "12 x", "4294967296", "-2147483649", "clNoSuchColor"})
    EXPECT_THROW(gfx::StringToColor(text), rtl::EConvertError) << text;
}

}  // namespace
