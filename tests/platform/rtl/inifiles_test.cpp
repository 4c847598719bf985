#include "platform/rtl/inifiles.h"

#include <gtest/gtest.h>

#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

using namespace rtl;

namespace {

void Put(const std::string& name, const std::string& bytes) { SaveFileAtomically(name, std::string_view(bytes)); }

class IniTest : public ::testing::Test {
 protected:
  support::ScratchFolder dir;
  std::string ini = dir.Path() + "Zarnik.ini";
};

}  // namespace

TEST_F(IniTest, ReadingRules) {
  Put(ini,
      "; comment=1\r\n"
      "[Config]\r\n"
      "  Uses = 1  \r\n"
      "Quoted=\"  spaced  \"\r\n"
      "Single='x'\r\n"
      "Half=\"x\r\n"
      "Empty=\r\n"
      "Note1Name=Вид продукции\r\n"_cp +
          std::string("Uses=2\r\n"
                      "[ config ]\n"
                      "Other=from the second section\n"
                      "[Note]\n"
                      "Note1=") +
          std::string(600, 'n') + "\n");
  struct Case {
    const char* section;
    const char* key;
    const char* def;
    std::uint32_t size;
    std::string want;
  };
  const Case cases[] = {
      {"Config", "Uses", "", 10, "1"},      // trimmed; the first of two equal keys
      {"CONFIG", "uses", "", 10, "1"},      // case of names does not matter
      {" Config ", " Uses ", "", 10, "1"},  // nor blanks around them
      {"Config", "Quoted", "", 40, "  spaced  "},
      {"Config", "Single", "", 10, "x"},
      {"Config", "Half", "", 10, "\"x"},    // unmatched quote stays
      {"Config", "Empty", "dflt", 10, ""},  // present but empty: not the default
      {"Config", "Note1Name", "", 40, "Вид продукции"_cp},
      {"Config", "Note1Name", "", 10, "Вид проду"_cp},  // 10-byte buffer: 9 characters
      {"Config", "Other", "none", 10, "none"},          // a second [config] is not searched
      {"Config", "Missing", "def  ", 10, "def"},        // trailing blanks of the default go
      {"Config", "Missing", "0123456789abc", 10, "012345678"},
      {"Nope", "Uses", "", 10, ""},
      {"Config", "; comment", "c", 10, "c"},  // comments are not keys
      {"Note", "Note1", "", 511, std::string(510, 'n')},
      {"Config", "Uses", "", 1, ""},
  };
  for (const auto& c : cases) {
    char buffer[600];
    std::uint32_t n = GetPrivateProfileString(c.section, c.key, c.def, buffer, c.size, ini.c_str());
    EXPECT_EQ(std::string(buffer, n), c.want) << c.section << "/" << c.key << "/" << c.size;
    EXPECT_EQ(buffer[n], '\0');
    EXPECT_EQ(GetPrivateProfileString(c.section, c.key, c.def, c.size, ini), c.want);
  }
  EXPECT_EQ(GetPrivateProfileString("Config", "Uses", "d", 10, dir.Path() + "missing.ini"), "d");
  EXPECT_FALSE(FileExists(dir.Path() + "missing.ini"));  // reading creates nothing
}

TEST_F(IniTest, ListsOfSectionsAndKeys) {
  Put(ini, "[A]\r\nk1=1\r\nk2=2\r\n[B]\r\n[a]\r\nk3=3\r\n");
  char buffer[64];
  std::uint32_t n = GetPrivateProfileString(nullptr, nullptr, "", buffer, sizeof buffer, ini.c_str());
  EXPECT_EQ(std::string(buffer, n + 1), std::string("A\0B\0\0", 5));
  n = GetPrivateProfileString("a", nullptr, "", buffer, sizeof buffer, ini.c_str());
  EXPECT_EQ(std::string(buffer, n + 1), std::string("k1\0k2\0\0", 7));
  n = GetPrivateProfileString("A", nullptr, "", buffer, 5, ini.c_str());  // cut short
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(std::string(buffer, 5), std::string("k1\0\0\0", 5));
}

TEST_F(IniTest, IntegersFromValues) {
  Put(ini, "[S]\r\na=42\r\nb=-7\r\nc=12abc\r\nd=abc\r\ne=0x1F\r\nf=\r\n");
  struct Case {
    const char* key;
    int want;
  };
  const Case cases[] = {{"a", 42}, {"b", -7}, {"c", 12}, {"d", 0}, {"e", 31}, {"f", 0}, {"missing", 99}};
  for (const auto& c : cases) EXPECT_EQ(GetPrivateProfileInt("S", c.key, 99, ini.c_str()), c.want) << c.key;
}

TEST_F(IniTest, WritingCreatesAndEdits) {
  EXPECT_FALSE(FileExists(ini));
  ASSERT_TRUE(WritePrivateProfileString("Config", "Uses", "1", ini.c_str()));  // created on first write
  ASSERT_TRUE(WritePrivateProfileString("Config", "Sort", "byNote1", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("Note", "Note1", "Кирпич"_cp.c_str(), ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("config", "USES", "2", ini.c_str()));  // replaces, case-insensitive
  EXPECT_EQ(support::ReadFile(ini), "[Config]\r\nUSES=2\r\nSort=byNote1\r\n[Note]\r\nNote1=Кирпич\r\n"_cp);

  ASSERT_TRUE(WritePrivateProfileString("Config", "Sort", nullptr, ini.c_str()));  // deletes the key
  ASSERT_TRUE(WritePrivateProfileString("Note", nullptr, nullptr, ini.c_str()));   // deletes the section
  ASSERT_TRUE(WritePrivateProfileString("Gone", "x", nullptr, ini.c_str()));       // nothing to delete
  EXPECT_EQ(support::ReadFile(ini), "[Config]\r\nUSES=2\r\n");

  // A new key goes after the section's last entry, not after blank lines.
  Put(ini, "[A]\r\nk=1\r\n\r\n[B]\r\nx=2\r\n");
  ASSERT_TRUE(WritePrivateProfileString("A", "n", "v", ini.c_str()));
  EXPECT_EQ(support::ReadFile(ini), "[A]\r\nk=1\r\nn=v\r\n\r\n[B]\r\nx=2\r\n");

  // Line breaks in a value cannot forge entries.
  ASSERT_TRUE(WritePrivateProfileString("A", "k", "evil\r\n[B]\r\nx=3", ini.c_str()));
  EXPECT_EQ(GetPrivateProfileString("B", "x", "", 10, ini), "2");
  EXPECT_FALSE(WritePrivateProfileString("A", "k", "v", (dir.Path() + "no/such.ini").c_str()));
}

TEST_F(IniTest, FailedWriteKeepsTheOldFile) {
  Put(ini, "[Config]\r\nUses=1\r\n");
  SetSaveFaultForTests([](std::string_view) { throw EWriteError("disk full"); });
  bool written = WritePrivateProfileString("Config", "Uses", "2", ini.c_str());
  TIniFile file(ini);
  EXPECT_THROW(file.WriteString("Config", "Width", "100"), EIniFileException);
  SetSaveFaultForTests({});
  EXPECT_FALSE(written);
  EXPECT_EQ(support::ReadFile(ini), "[Config]\r\nUses=1\r\n");
  EXPECT_EQ(FindFiles(dir.Path() + "*").size(), 1u);  // no temporary left behind
}

TEST_F(IniTest, IniFileObjects) {
  for (int memory = 0; memory < 2; ++memory) {
    SCOPED_TRACE(memory ? "TMemIniFile" : "TIniFile");
    DeleteFile(ini);
    std::unique_ptr<TCustomIniFile> f;
    if (memory)
      f = std::make_unique<TMemIniFile>(ini);
    else
      f = std::make_unique<TIniFile>(ini);
    f->WriteString("Config", "Note1Name", "Вид"_cp);
    f->WriteInteger("Config", "Width", 640);
    f->WriteBool("Config", "GraphVisible", true);
    f->WriteString("Other", "Padded", "  x  ");
    EXPECT_EQ(f->ReadString("config", "note1name", ""), std::string("Вид"_cp));
    EXPECT_EQ(f->ReadInteger("Config", "Width", 0), 640);
    EXPECT_EQ(f->ReadInteger("Config", "Note1Name", -1), -1);  // not a number: the default
    EXPECT_TRUE(f->ReadBool("Config", "GraphVisible", false));
    EXPECT_TRUE(f->ReadBool("Config", "Missing", true));
    f->WriteString("Config", "Hex", "0x10");
    EXPECT_EQ(f->ReadInteger("Config", "Hex", 0), 16);
    f->WriteFloat("Config", "Base", 150.5L);
    EXPECT_EQ(f->ReadString("Config", "Base", ""), FloatToStr(150.5L));
    EXPECT_EQ(f->ReadFloat("Config", "Base", 0), 150.5L);
    EXPECT_EQ(f->ReadFloat("Config", "Note1Name", -1), -1);
    f->DeleteKey("Config", "Hex");
    f->DeleteKey("Config", "Base");
    EXPECT_TRUE(f->SectionExists("OTHER"));
    EXPECT_FALSE(f->SectionExists("None"));
    EXPECT_TRUE(f->ValueExists("Config", "width"));
    TStringList list;
    f->ReadSections(list);
    EXPECT_EQ(list.CommaText(), "Config,Other");
    f->ReadSection("Config", list);
    EXPECT_EQ(list.CommaText(), "Note1Name,Width,GraphVisible");
    f->ReadSectionValues("Config", list);
    EXPECT_EQ(list.Values("Width"), "640");
    f->DeleteKey("Config", "Width");
    EXPECT_FALSE(f->ValueExists("Config", "Width"));
    f->EraseSection("Config");
    EXPECT_FALSE(f->SectionExists("Config"));
    f->UpdateFile();
    // What is on disk reads the same through the private-profile rules,
    // except that a plain write does not keep outer blanks of a value.
    EXPECT_EQ(GetPrivateProfileString("Other", "Padded", "", 20, ini), memory ? "  x  " : "x");
    EXPECT_EQ(GetPrivateProfileString("Config", "Width", "gone", 20, ini), "gone");
  }
  TMemIniFile reread(ini);
  EXPECT_EQ(reread.ReadString("Other", "Padded", ""), "  x  ");
}
