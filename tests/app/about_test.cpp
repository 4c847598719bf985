// "О программе": the compiled-in version block and the dialog made from it.
#include <gtest/gtest.h>

#include "app/About_gui.h"
#include "app/VersionInfo.h"
#include "tests/app/form_fixture.h"

using namespace rtl::literals;

TEST(VersionLine, MonthWordsFollowTheAbbreviation) {
  const struct {
    const char* date;
    std::string line;
  } cases[] = {
      {"Jan  1 2014", "Версия 1.2 от 1 января 2014 г."_cp},
      {"Feb 28 2015", "Версия 1.2 от 28 февраля 2015 г."_cp},
      {"Mar  3 2016", "Версия 1.2 от 3 марта 2016 г."_cp},
      {"Apr 10 2017", "Версия 1.2 от 10 апреля 2017 г."_cp},
      {"May  5 2018", "Версия 1.2 от 5 мая 2018 г."_cp},
      {"Jun 30 2019", "Версия 1.2 от 30 июня 2019 г."_cp},
      {"Jul  4 2020", "Версия 1.2 от 4 июля 2020 г."_cp},
      {"Aug 31 2021", "Версия 1.2 от 31 августа 2021 г."_cp},
      {"Sep  9 2022", "Версия 1.2 от 9 сентября 2022 г."_cp},
      {"Oct 12 2023", "Версия 1.2 от 12 октября 2023 г."_cp},
      {"Nov  6 2013", "Версия 1.2 от 6 ноября 2013 г."_cp},
      {"Dec 25 2024", "Версия 1.2 от 25 декабря 2024 г."_cp},
      // An abbreviation the rule does not know falls to January.
      {"Xyz  2 2025", "Версия 1.2 от 2 января 2025 г."_cp},
      // Nothing to split: the line still forms, without day and year.
      {"", "Версия 1.2 от  января  г."_cp},
  };
  for (const auto& c : cases) EXPECT_EQ(app::VersionLine("1.2", c.date), c.line) << c.date;
}

TEST(VersionLine, TheBuildCarriesAWholeBlock) {
  const app::TVersionInfo& info = app::ProgramVersionInfo();
  EXPECT_EQ(info.InternalName, "Zarnik");
  EXPECT_EQ(info.FileVersion, "1.0.0.0");
  EXPECT_FALSE(info.LegalCopyright.empty());
  EXPECT_EQ(info.BuildDate, __DATE__);  // the compiler's own form
}

namespace {
class AboutTest : public apptest::FormFixture {};
}  // namespace

TEST_F(AboutTest, AboutShowsNameTitleVersionAndCopyright) {
  Create();
  const app::TVersionInfo& info = app::ProgramVersionInfo();
  bool shown = false;
  dialogs.OnModal([&](gui::TForm& f) {
    auto& box = dynamic_cast<app::TAboutBox&>(f);
    shown = true;
    EXPECT_EQ(box.Caption(), "О программе Zarnik"_cp);
    EXPECT_EQ(box.ProductName->Caption(), app::kApplicationTitle);
    EXPECT_EQ(box.Version->Caption(), app::VersionLine(info.FileVersion, info.BuildDate));
    EXPECT_EQ(box.Copyright->Caption(), info.LegalCopyright);
    EXPECT_TRUE(box.OKButton->Visible());
    EXPECT_EQ(box.BorderStyle(), gui::bsDialog);
    box.OKButton->Click();
  });
  form->AAboutExecute(form->AAbout);
  EXPECT_TRUE(shown);
}

TEST_F(AboutTest, BeforeTheBlockTheCaptionNamesTheProgramFile) {
  Create();
  app::TAboutBox box(form.get());
  EXPECT_EQ(box.Caption(), "О программе zarnik"_cp);  // the fixture's program file is "zarnik"
  EXPECT_EQ(box.ProductName->Caption(), app::kApplicationTitle);
}

TEST_F(AboutTest, EscClosesTheBoxWithCancel) {
  Create();
  gui::TModalResult result = gui::mrNone;
  dialogs.OnModal([&](gui::TForm& f) {
    gui::Word key = gui::VK_ESCAPE;
    f.OnKeyUp(&f, key, {});
    result = f.ModalResult();
  });
  form->AAboutExecute(form->AAbout);
  EXPECT_EQ(result, gui::mrCancel);
}
