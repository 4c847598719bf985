// The export texts in the process-wide language table.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <utility>
#include <vector>

#include "export/vuzExportRes.h"
#include "platform/rtl/strings.h"
#include "platform/rtl/textcase.h"
#include "report/vuzRes.h"

namespace {

using namespace rtl::literals;
using report::vuzGet;
using report::vuzResources;

TEST(ExportTexts, LookupsAfterStartUp) {
  report::vuzLoadExportResources();
  struct Case {
    const char* key;
    std::string text;
  };
  const Case cases[] = {
      {"8000", "Экспорт в Excel"_cp},
      {"ProgressWait", "Подождите, пожалуйста"_cp},
      {"progresswait", "Подождите, пожалуйста"_cp},  // keys without regard to case
      {"8302", " Опции  "_cp},
      {"8309", " Масштаб "_cp},
      {"9180", "Попытка установить пароль длиной %d символов. Максимальная длина пароля равна %d символов."_cp},
      {"9177",
       "Если вы установите непустой пароль, создаваемый файл будет защищён этим паролем. Пароль всегда "
       "записывается символами Юникода и должен иметь менее 256 символов."_cp},
      {"GifexportFilter", "Рисунок Gif (*.gif)|*.gif"_cp},
      {"HTMLNavTotal", "Всего страниц"_cp},
      {"8954", "Нет"_cp},
      {"9154", "Страница"_cp},
      {"expMailAddr", "Address or addresses delimited by comma"},
      // Keys the exports ask for that no table holds: the key itself.
      {"9406", "9406"},
      {"BiffCol", "BiffCol"},
      {"BiffRow", "BiffRow"},
      {"BiffCell", "BiffCell"},
      {"BiffImg", "BiffImg"},
      // Keys of exports this system lacks have texts too.
      {"8901", "Адрес"_cp},
      {"9000", "Строк на листе:"_cp},
      {"9166", "Версия"_cp},
  };
  for (const Case& c : cases) EXPECT_EQ(vuzResources().Get(c.key), c.text) << c.key;
  EXPECT_EQ(vuzGet(8000), "Экспорт в Excel"_cp);
  EXPECT_EQ(vuzGet(9406), "9406");
  EXPECT_EQ(vuzGet(1), "ОК"_cp) << "the core table is still there";
}

TEST(ExportTexts, EveryRowReadsBackAsItsText) {
  report::vuzLoadExportResources();
  std::set<std::string> keys;
  for (const auto& row : report::vuzExportTexts()) {
    SCOPED_TRACE(row.Name);
    EXPECT_TRUE(keys.insert(rtl::UpperCase(row.Name)).second) << "a key repeats";
    EXPECT_EQ(vuzResources().Get(row.Name), rtl::Utf8ToAnsi(row.Text));
    const std::string text = row.Text;
    EXPECT_EQ(text.find_first_of("&<>\""), std::string::npos) << "would need XML escaping";
    EXPECT_NE(text.substr(0, 1), "!") << "a leading ! is dropped on reading";
    EXPECT_EQ(rtl::AnsiToUtf8(rtl::Utf8ToAnsi(text)), text) << "not in code page 1251";
  }
  // None is a key of the engine core's table.
  report::TfrxResources core;
  core.AddXML(report::vuzCoreResourceXML());
  for (const auto& row : report::vuzExportTexts()) EXPECT_EQ(core.Get(row.Name), row.Name) << row.Name;
}

// Every numeric key of the table's ranges, in table order, and nothing else
// numeric: a dialog that translates its controls by key finds each one.
TEST(ExportTexts, EveryNumericKeyOfTheRangesIsThere) {
  const std::pair<int, int> ranges[] = {
      {8000, 8010}, {8100, 8106}, {8200, 8211}, {8300, 8326}, {8400, 8411}, {8500, 8505}, {8600, 8606}, {8700, 8708},
      {8800, 8802}, {8850, 8853}, {8900, 8924}, {8950, 8954}, {8960, 8989}, {9000, 9004}, {9101, 9111}, {9151, 9184}};
  std::vector<std::string> expected;
  for (const auto& [first, last] : ranges)
    for (int key = first; key <= last; ++key) expected.push_back(std::to_string(key));
  std::vector<std::string> numeric;
  int named = 0;
  for (const auto& row : report::vuzExportTexts()) {
    if (std::isdigit(static_cast<unsigned char>(row.Name[0])))
      numeric.push_back(row.Name);
    else
      ++named;
  }
  EXPECT_EQ(numeric, expected);
  EXPECT_EQ(named, 39);
  EXPECT_EQ(report::vuzExportTexts().size(), 247u);
  report::vuzLoadExportResources();
  for (const std::string& key : expected) EXPECT_NE(vuzResources().Get(key), key);
}

TEST(ExportTexts, TheTableIsOneLineOfXml) {
  const std::string& xml = report::vuzExportResourceXML();
  EXPECT_EQ(xml.rfind("<?xml version=\"1.1\" encoding=\"utf-8\"?><Resources CodePage=\"1251\"><StrRes ", 0), 0u);
  EXPECT_EQ(xml.find('\n'), std::string::npos);
  report::TfrxResources table;
  table.AddXML(xml);
  EXPECT_EQ(table.Count(), static_cast<int>(report::vuzExportTexts().size()));
  EXPECT_EQ(table.CodePage(), 1251);
}

TEST(ExportTexts, LoadingTwiceChangesNothing) {
  report::vuzLoadExportResources();
  const int count = vuzResources().Count();
  const std::string text = vuzGet(8600);
  report::vuzLoadExportResources();
  EXPECT_EQ(vuzResources().Count(), count);
  // Adding the table itself again replaces each text with the same text.
  vuzResources().AddXML(report::vuzExportResourceXML());
  EXPECT_EQ(vuzResources().Count(), count);
  EXPECT_EQ(vuzGet(8600), text);
}

}  // namespace
