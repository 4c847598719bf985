#include <gtest/gtest.h>

#include "script/fs_iconst.h"

using namespace script;

TEST(ScriptMessages, InitialEnglishTexts) {
  fsResetMessages();
  struct Case {
    const char* key;
    const char* text;
  } cases[] = {
      {"SLangNotFound", "Language '%s' not found"},
      {"SInvalidLanguage", "Invalid language definition"},
      {"SIdRedeclared", "Identifier redeclared: "},
      {"SUnknownType", "Unknown type: "},
      {"SIncompatibleTypes", "Incompatible types"},
      {"SIdUndeclared", "Undeclared identifier: "},
      {"SClassRequired", "Class type required"},
      {"SIndexRequired", "Index required"},
      {"SStringError", "Strings doesn't have properties or methods"},
      {"SClassError", "Class %s does not have a default property"},
      {"SArrayRequired", "Array type required"},
      {"SVarRequired", "Variable required"},
      {"SNotEnoughParams", "Not enough actual parameters"},
      {"STooManyParams", "Too many actual parameters"},
      {"SLeftCantAssigned", "Left side cannot be assigned to"},
      {"SForError", "For loop variable must be numeric variable"},
      {"SEventError", "Event handler must be a procedure"},
  };
  const auto& table = fsMessageTable();
  ASSERT_EQ(table.size(), std::size(cases));
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_STREQ(table[i].first, cases[i].key);
    EXPECT_EQ(table[i].second(), cases[i].text) << cases[i].key;
  }
  EXPECT_EQ(SIdUndeclared() + "'x'", "Undeclared identifier: 'x'");
}

TEST(ScriptMessages, ReplacementHoldsUntilReset) {
  EXPECT_TRUE(fsSetMessage("SIdUndeclared", "replaced: "));
  EXPECT_EQ(SIdUndeclared(), "replaced: ");
  EXPECT_FALSE(fsSetMessage("SNoSuchKey", "x"));
  fsResetMessages();
  EXPECT_EQ(SIdUndeclared(), "Undeclared identifier: ");
}
