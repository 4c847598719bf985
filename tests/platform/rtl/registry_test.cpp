#include "platform/rtl/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/rtl/files.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

using namespace rtl;

namespace {

// Points the store at a scratch folder for one test.
class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() { SetSettingsFolder(dir.Path() + "cfg"); }
  ~RegistryTest() override { SetSettingsFolder(""); }
  support::ScratchFolder dir;
};

}  // namespace

TEST(SettingsFolder, FollowsXdgRules) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const char* oldHome = std::getenv("HOME");
  std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";
  setenv("HOME", "/home/user", 1);
  setenv("XDG_CONFIG_HOME", "/xdg/config", 1);
  EXPECT_EQ(SettingsFolder(), "/xdg/config/zarnik/");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as the rules say
  EXPECT_EQ(SettingsFolder(), "/home/user/.config/zarnik/");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsFolder(), "/home/user/.config/zarnik/");
  SetSettingsFolder("/scratch/x");
  EXPECT_EQ(SettingsFolder(), "/scratch/x/");
  SetSettingsFolder("");
  if (oldXdg) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  if (oldHome)
    setenv("HOME", savedHome.c_str(), 1);
  else
    unsetenv("HOME");
}

TEST_F(RegistryTest, KeysValuesAndTypes) {
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.OpenKey("\\Software\\Vendor\\Fonts", false));
  ASSERT_TRUE(reg.OpenKey("\\Software\\Vendor\\Fonts", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Vendor\\Fonts");
  reg.WriteString("Font0", "Arial");
  reg.WriteInteger("FontType0", 4);
  reg.WriteBool("Flag", true);
  reg.WriteString("", "default");
  reg.WriteString("Имя"_cp, "Значение\r\nс переводом"_cp);
  const char blob[] = {0, 1, '\xFF'};
  reg.WriteBinaryData("Blob", blob, 3);

  TRegistry other;  // a second object sees the same store
  ASSERT_TRUE(other.OpenKeyReadOnly("\\SOFTWARE\\vendor\\fonts"));
  EXPECT_EQ(other.ReadString("font0"), "Arial");
  EXPECT_EQ(other.ReadInteger("FontType0"), 4);
  EXPECT_TRUE(other.ReadBool("Flag"));
  EXPECT_EQ(other.ReadString(""), "default");
  EXPECT_EQ(other.ReadString("ИМЯ"_cp), std::string("Значение\r\nс переводом"_cp));
  char back[8] = {};
  EXPECT_EQ(other.ReadBinaryData("Blob", back, sizeof back), 3);
  EXPECT_EQ(std::string(back, 3), std::string(blob, 3));
  EXPECT_EQ(other.ReadString("Missing"), "");
  EXPECT_EQ(other.GetDataType("FontType0"), rdInteger);
  EXPECT_EQ(other.GetDataSize("Font0"), 6);
  EXPECT_EQ(other.GetDataSize("Missing"), -1);
  struct Case {
    std::function<void()> op;
    const char* message;
  };
  const Case cases[] = {
      {[&] { other.ReadInteger("Missing"); }, "Failed to get data for 'Missing'"},
      {[&] { other.ReadInteger("Font0"); }, "Invalid data type for 'Font0'"},
      {[&] { other.ReadString("FontType0"); }, "Invalid data type for 'FontType0'"},
      {[&] { other.WriteString("x", "y"); }, "Failed to set data for 'x'"},  // read-only
  };
  for (const auto& c : cases) {
    try {
      c.op();
      ADD_FAILURE() << c.message;
    } catch (const ERegistryException& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }

  TStringList names;
  reg.GetValueNames(names);
  EXPECT_EQ(names.Count(), 6);
  EXPECT_TRUE(reg.DeleteValue("Flag"));
  EXPECT_FALSE(reg.ValueExists("Flag"));
  EXPECT_FALSE(reg.DeleteValue("Flag"));

  // The file is UTF-8 text in the documented format.
  std::string file = support::ReadFile(dir.Path() + "cfg/user.reg");
  EXPECT_NE(file.find("[Software\\Vendor\\Fonts]\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\"Font0\"=s:Arial\n"), std::string::npos);
  EXPECT_NE(file.find("\"FontType0\"=i:4\n"), std::string::npos);
  EXPECT_NE(file.find("\"Имя\"=s:Значение\\r\\nс переводом\n"), std::string::npos);
  EXPECT_NE(file.find("\"Blob\"=b:0001FF\n"), std::string::npos);
  EXPECT_NE(file.find("@=s:default\n"), std::string::npos);
}

TEST_F(RegistryTest, RelativePathsSubkeysAndDeletion) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\Vendor", true));
  ASSERT_TRUE(reg.OpenKey("Product\\Dock", true));  // relative to the open key
  EXPECT_EQ(reg.CurrentPath(), "Software\\Vendor\\Product\\Dock");
  reg.WriteInteger("Left", 10);
  reg.CloseKey();
  ASSERT_TRUE(reg.OpenKey("Software\\Vendor\\Product", false));
  EXPECT_TRUE(reg.CreateKey("Form"));
  EXPECT_TRUE(reg.KeyExists("Dock"));
  EXPECT_TRUE(reg.HasSubKeys());
  TStringList names;
  reg.GetKeyNames(names);
  EXPECT_EQ(names.CommaText(), "Dock,Form");
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey("\\Software\\Vendor\\Product"));  // with everything below
  EXPECT_FALSE(reg.KeyExists("\\Software\\Vendor\\Product\\Dock"));
  EXPECT_TRUE(reg.KeyExists("\\Software\\Vendor"));
  EXPECT_FALSE(reg.DeleteKey("\\Software\\Vendor\\Product"));

  // Roots are separate files.
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.KeyExists("\\Software\\Vendor"));
  EXPECT_TRUE(FileExists(dir.Path() + "cfg/user.reg"));
  EXPECT_FALSE(FileExists(dir.Path() + "cfg/machine.reg"));
}

TEST_F(RegistryTest, ProvidedKeysAndDamagedFiles) {
  SetSettingsProvider(HKEY_LOCAL_MACHINE, "\\Hardware\\DeviceMap\\SerialComm", [] {
    return std::vector<std::pair<AnsiString, AnsiString>>{{"/dev/ttyS0", "COM1"}, {"/dev/ttyUSB0", "COM3"}};
  });
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("\\Hardware\\DeviceMap\\SerialComm", false));
  TStringList names;
  reg.GetValueNames(names);
  EXPECT_EQ(names.CommaText(), "/dev/ttyS0,/dev/ttyUSB0");
  EXPECT_EQ(reg.ReadString("/dev/ttyUSB0"), "COM3");
  SetSettingsProvider(HKEY_LOCAL_MACHINE, "\\hardware\\devicemap\\serialcomm", {});
  EXPECT_FALSE(reg.KeyExists("\\Hardware\\DeviceMap\\SerialComm"));

  // Damaged lines are skipped; what parses survives.
  ForceDirectories(dir.Path() + "cfg");
  SaveFileAtomically(dir.Path() + "cfg/user.reg",
                     std::string_view("garbage\n[Software\\A]\n\"ok\"=s:yes\n\"bad\"=i:12x\n\"x\"=q:1\n"
                                      "\"unterminated=s:1\n[broken\n\"lost\"=s:1\n"));
  TRegistry user;
  ASSERT_TRUE(user.OpenKey("\\Software\\A", false));
  EXPECT_EQ(user.ReadString("ok"), "yes");
  EXPECT_FALSE(user.ValueExists("bad"));
  EXPECT_FALSE(user.ValueExists("x"));
}

TEST_F(RegistryTest, IniFace) {
  TRegistryIniFile ini("\\Software\\Vendor\\Report");
  ini.WriteString("Form4.Preview", "Caption", "Предварительный просмотр"_cp);
  ini.WriteInteger("Form4.Preview", "Width", 800);
  ini.WriteBool("Form4.Preview", "Maximized", true);
  EXPECT_EQ(ini.ReadString("form4.preview", "caption", ""), std::string("Предварительный просмотр"_cp));
  EXPECT_EQ(ini.ReadInteger("Form4.Preview", "Width", 0), 800);
  EXPECT_EQ(ini.ReadString("Form4.Preview", "Width", ""), "800");
  EXPECT_TRUE(ini.ReadBool("Form4.Preview", "Maximized", false));
  EXPECT_EQ(ini.ReadInteger("Form4.Preview", "Caption", -1), -1);
  EXPECT_EQ(ini.ReadString("Nope", "x", "def"), "def");
  EXPECT_TRUE(ini.SectionExists("Form4.Preview"));
  EXPECT_TRUE(ini.ValueExists("Form4.Preview", "WIDTH"));
  TStringList list;
  ini.ReadSections(list);
  EXPECT_EQ(list.CommaText(), "Form4.Preview");
  ini.ReadSectionValues("Form4.Preview", list);
  EXPECT_EQ(list.Values("Width"), "800");
  ini.DeleteKey("Form4.Preview", "Width");
  EXPECT_FALSE(ini.ValueExists("Form4.Preview", "Width"));
  ini.EraseSection("Form4.Preview");
  EXPECT_FALSE(ini.SectionExists("Form4.Preview"));
}
