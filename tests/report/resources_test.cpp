#include <gtest/gtest.h>

#include "platform/rtl/files.h"
#include "platform/rtl/shell.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"
#include "report/vuzXML.h"
#include "script/fs_iconst.h"
#include "test_util.h"

using namespace report;
using namespace report_test;
using namespace rtl::literals;

TEST(Resources, CoreTableHas234Texts) {
  TfrxResources table;
  table.AddXML(vuzCoreResourceXML());
  EXPECT_EQ(table.Count(), 234);
  EXPECT_EQ(table.CodePage(), 1251);
  EXPECT_GE(vuzResources().Count(), 234);
}

TEST(Resources, LookupsOfTheCoreTable) {
  struct Case {
    const char* key;
    std::string text;
  } cases[] = {
      {"zmPageWidth", "По ширине"_cp},
      {"ZMPAGEWIDTH", "По ширине"_cp},
      {"1", "ОК"_cp},
      {"9", "Введите номера и/или диапазоны страниц, разделенные запятыми. Например, 1,3,5-12"_cp},
      {"115", "100%"},
      {"142", "Номер страницы"_cp},
      {"510", "Файл печати (*.prn)|*.prn"_cp},
      {"mbError", "Ошибка"_cp},
      {"clDSNotExist", "Набор данных \"%s\" не найден"_cp},
      {"clCantRen", "Невозможно переименовать %s, объект был объявлен в родительском отчёте"_cp},
      {"clFirstPass", "Первый проход: страница "_cp},
      {"SIdUndeclared", "Неопределенный идентификатор: "_cp},
      {"Code39 Extended", "Code39 Extended"},
      {"Overlay", "Overlay"},
      {"obText", "obText"},
      {"!clPageOf", "clPageOf"},
      {"Invalid password", "Invalid password"},
  };
  for (const auto& c : cases) EXPECT_EQ(vuzResources().Get(c.key), c.text) << c.key;
  EXPECT_EQ(vuzGet(215), "215");
  EXPECT_EQ(vuzGet(216), std::string("Дуплекс"_cp));
  EXPECT_EQ(vuzGet(5000), std::string("Пароль"_cp));
  EXPECT_EQ(vuzGet(6003), std::string("Переименовать дубликаты"_cp));
  EXPECT_EQ(vuzGet(6004), "6004");
}

TEST(Resources, AddReplaceAndBang) {
  TfrxResources t;
  t.AddW("k", u"one");
  t.AddW("K", u"two");
  EXPECT_EQ(t.Count(), 1);
  EXPECT_EQ(t.Get("k"), "two");
  t.Add("bang", "!starts with bang");
  EXPECT_EQ(t.Get("bang"), "starts with bang");
  t.Add("ru", "Текст"_cp);
  EXPECT_EQ(t.Get("ru"), std::string("Текст"_cp));

  TfrxResources s;
  s.AddStrings("a=1\r\n=2\r\nb=\r\nc\r\nd=x=y");
  EXPECT_EQ(s.Count(), 2);
  EXPECT_EQ(s.Get("a"), "1");
  EXPECT_EQ(s.Get("d"), "x=y");
  EXPECT_EQ(s.Get("b"), "b");
}

TEST(Resources, LoadingTables) {
  TfrxResources t;
  script::fsSetMessage("SIdUndeclared", "stale");
  t.AddXML("<?xml version=\"1.1\" encoding=\"utf-8\"?><Other><StrRes Name=\"a\" Text=\"b\"/></Other>");
  EXPECT_EQ(t.Count(), 0);
  EXPECT_EQ(script::SIdUndeclared(), "SIdUndeclared");  // refreshed from this (empty) table

  EXPECT_THROW(t.AddXML("<?xml version=\"1.1\"?><Resources><StrRes Name=\"a\" Text=\"b\"/></Resources>"),
               rtl::EConvertError);
  EXPECT_THROW(t.AddXML("<?xml version=\"1.1\"?><Resources CodePage=\"x\"/>"), rtl::EConvertError);
  EXPECT_THROW(t.AddXML("<Resources/>"), TfrxInvalidXMLException);

  t.AddXML(
      "<?xml version=\"1.1\"?><Resources CodePage=\"1251\">"
      "<StrRes Name=\"q\" Text=\"&#38;#34;quoted&#38;#34; &#38;amp; done\"/>"
      "<strres Name=\"ignored\" Text=\"x\"/><Other Name=\"o\" Text=\"y\"/>"
      "<StrRes Name=\"utf\" Text=\"Привет\"/></Resources>");
  EXPECT_EQ(t.Count(), 2);
  EXPECT_EQ(t.Get("q"), "\"quoted\" & done");
  EXPECT_EQ(t.Get("utf"), std::string("Привет"_cp));

  EXPECT_NO_THROW(t.LoadFromFile("/nonexistent/lang.frc"));
  vuzResources().UpdateFSResources();
}

TEST(Resources, ScriptMessagesTakeTheTableTexts) {
  vuzResources().UpdateFSResources();
  EXPECT_EQ(script::SIdUndeclared(), std::string("Неопределенный идентификатор: "_cp));
  EXPECT_EQ(script::SClassError(), std::string("Класс %s не содержит свойства по умолчанию"_cp));
  EXPECT_EQ(script::SLangNotFound(), std::string("Язык '%s' не найден"_cp));
}

TEST(Resources, HelpOpensTheFileAtTheSendersPage) {
  std::vector<AnsiString> opened;
  vuzSetHelpViewer([&](const AnsiString& path) { opened.push_back(path); });
  vuzResources().Help("TfrxMemoEditorForm");
  vuzResources().Help("tfrxmemoeditorform");
  vuzResources().Help("TfrxPreviewForm");
  vuzResources().Help();
  ASSERT_EQ(opened.size(), 4u);
  EXPECT_EQ(opened[0], GetAppPath() + "VIDudo.chm::/Text_object.htm");
  EXPECT_EQ(opened[1], opened[0]);
  EXPECT_EQ(opened[2], GetAppPath() + "VIDudo.chm");
  EXPECT_EQ(opened[3], opened[2]);
  vuzSetHelpViewer(nullptr);
}

TEST(Resources, DefaultHelpOpensAnExistingFileWithTheDesktop) {
  const support::ScratchFolder scratch("zarnik-report-help-");
  const auto& dir = scratch.Folder();
  const auto log = dir / "opened.txt";
  support::WriteFile(dir / "opener.sh", "#!/bin/sh\necho \"$1\" > '" + log.string() + "'\n");
  std::filesystem::permissions(dir / "opener.sh", std::filesystem::perms::owner_all);
  support::WriteFile(dir / "VIDudo.chm", "help");
  rtl::SetShellOpenProgram((dir / "opener.sh").string());
  EXPECT_TRUE(vuzOpenHelpFile((dir / "VIDudo.chm").string() + "::/Text_object.htm", true));
  EXPECT_EQ(support::ReadFile(log), (dir / "VIDudo.chm").string() + "\n");
  EXPECT_FALSE(vuzOpenHelpFile((dir / "missing.chm").string(), true));
  rtl::SetShellOpenProgram("");
}

TEST(Resources, LanguageListNamesTheFilesBesideTheProgram) {
  const support::ScratchFolder scratch("zarnik-report-langs-");
  const auto& dir = scratch.Folder();
  support::WriteFile(dir / "english.FRC", "");
  support::WriteFile(dir / "Deutsch.frc", "");
  support::WriteFile(dir / "readme.txt", "");
  const AnsiString program = rtl::ParamStr(0);
  rtl::SetProgramFileName((dir / "zarnik").string());
  TfrxResources t;
  rtl::SetProgramFileName(program);
  ASSERT_EQ(t.Languages().Count(), 2);
  EXPECT_EQ(t.Languages().Get(0), "Deutsch");
  EXPECT_EQ(t.Languages().Get(1), "English");
}
