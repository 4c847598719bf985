// The process list, the note files, the notes dialog and the configuration
// file, through the main window in a scratch program folder.
#include "app/NoteEdit.h"
#include "app/NoteFile.h"
#include "platform/rtl/format_settings.h"
#include "platform/rtl/inifiles.h"
#include "tests/app/form_fixture.h"
#include "tests/app/header_builder.h"

using namespace rtl::literals;
using apptest::ReadFile;

namespace {

class ListTest : public apptest::FormFixture {
 public:
  // An archive file with a valid header for the given start.
  void AddArchive(int year, int month, int day, int hour, int minute, int points = 10, int period = 5,
                  int channels = 3) {
    const app::TProcessHeader h = apptest::MakeHeader({.min = minute,
                                                       .hour = hour,
                                                       .day = day,
                                                       .month = month,
                                                       .year = year,
                                                       .points = points,
                                                       .period = period,
                                                       .channels = channels});
    std::string bytes(h.Bytes.begin(), h.Bytes.end());
    bytes.append(std::size_t(points * channels * 2), '\x11');
    std::ofstream(DataFile(app::ProcessFileName(h)), std::ios::binary) << bytes;
  }
  std::string Ini(const char* section, const char* key) {
    return rtl::GetPrivateProfileString(section, key, "<none>", 100, (folder / "Zarnik.ini").string());
  }
  void WriteIni(const std::string& text) { std::ofstream(folder / "Zarnik.ini") << text; }
  std::vector<std::string> DateColumn() {
    std::vector<std::string> d;
    for (int r = 1; r < Rows(); ++r) d.push_back(Cell(0, r) + " " + Cell(5, r));
    return d;
  }
};

}  // namespace

TEST(ProcessListSort, ExchangeSortByteOrder) {
  struct Case {
    std::vector<std::string> keys;
    std::vector<std::string> sorted;
  } cases[] = {
      {{"B", "B", "A"}, {"A", "B", "B"}},
      {{"Цех"_cp, "Line", ""}, {"", "Line", "Цех"_cp}},
      {{"а"_cp, "Я"_cp, "Ё"_cp, "ё"_cp, "А"_cp}, {"Ё"_cp, "ё"_cp, "А"_cp, "Я"_cp, "а"_cp}},
      {{"ab", "a", "9", "Z", "z"}, {"9", "Z", "a", "ab", "z"}},
  };
  for (const auto& c : cases) {
    std::vector<rtl::AnsiString> keys(c.keys.begin(), c.keys.end());
    std::vector<rtl::AnsiString> names = keys;
    app::TForm1::SortNames(names, keys);
    EXPECT_EQ(keys, c.sorted);
  }
  // Equal keys are never swapped, yet the order is not kept: B1, B2, A give A, B2, B1.
  std::vector<rtl::AnsiString> keys = {"B", "B", "A"}, names = {"B1", "B2", "A"};
  app::TForm1::SortNames(names, keys);
  EXPECT_EQ(names, (std::vector<rtl::AnsiString>{"A", "B2", "B1"}));
}

TEST_F(ListTest, EmptyArchiveGivesOneEmptyRow) {
  Create();
  EXPECT_EQ(Rows(), 2);
  EXPECT_TRUE(form->ProcessListEmpty());
  for (int c = 0; c < 7; ++c) EXPECT_EQ(Cell(c, 1), "");
  EXPECT_EQ(Cell(0, 0), "Дата"_cp);
  EXPECT_EQ(Cell(4, 0), "Всего отсчетов"_cp);
  EXPECT_EQ(Cell(5, 0), "Вид продукции"_cp);
  EXPECT_EQ(Cell(6, 0), "Место установки"_cp);
  EXPECT_EQ(form->RowFileName(1), "");
  EXPECT_EQ(form->RowFileName(-1), "");
  EXPECT_EQ(form->RowFileName(5), "");
  // A missing folder gives an empty list too.
  std::filesystem::remove_all(folder / "Data");
  form->RefreshProcessList();
  EXPECT_TRUE(form->ProcessListEmpty());
}

TEST_F(ListTest, RowsSortedByStartOrNoteAndTheRowNumberKept) {
  AddArchive(13, 3, 7, 9, 5, 91, 10);
  AddArchive(12, 12, 31, 23, 59);
  AddArchive(13, 1, 5, 0, 0, 1);
  std::ofstream(DataFile("130101_0000.bin")) << "";  // cannot give a header: an empty row
  std::ofstream(DataFile("notes.bin")) << "x";       // not an archive name
  Create();
  ASSERT_EQ(Rows(), 5);
  EXPECT_EQ(Cell(0, 1), "31.12.12");
  EXPECT_EQ(Cell(1, 1), "23:59");
  EXPECT_EQ(Cell(0, 2), "");  // 130101_0000.bin holds no header: its row stays empty
  EXPECT_EQ(Cell(1, 2), "");
  EXPECT_EQ(Cell(0, 4), "07.03.13");
  EXPECT_EQ(Cell(2, 4), "15:00");
  EXPECT_EQ(Cell(3, 4), "10");
  EXPECT_EQ(Cell(4, 4), "91");
  EXPECT_EQ(Cell(2, 3), "0:00");
  EXPECT_EQ(form->StringGridProcessList->Row(), 4);  // the last one
  EXPECT_EQ(form->RowFileName(4), "130307_0905.bin");
  EXPECT_TRUE(form->ADeleteGaugeProcess->Enabled());  // the click handler ran

  // Notes: sorted by note 1, the same row number stays current.
  app::TForm1::WriteNote("121231_2359.bin", 1, "Цех"_cp);
  app::TForm1::WriteNote("130307_0905.bin", 1, "Line");
  form->StringGridProcessList->SetRow(2);
  form->ASortByNote1Execute(form->ASortByNote1);
  EXPECT_EQ(Ini("Config", "Sort"), "byNote1");
  EXPECT_TRUE(form->ASortByNote1->Checked());
  EXPECT_FALSE(form->ASortByDateTime->Checked());
  // The two without a note come first, in the order the folder lists them.
  auto dates = DateColumn();
  EXPECT_EQ(std::vector<std::string>(dates.begin() + 2, dates.end()),
            (std::vector<std::string>{"07.03.13 Line", std::string("31.12.12 ") + "Цех"_cp}));
  EXPECT_EQ(form->StringGridProcessList->Row(), 2);
  form->ASortByDateTime->Execute();
  EXPECT_EQ(Ini("Config", "Sort"), "ByDateTime");
  EXPECT_EQ(Cell(0, 1), "31.12.12");
}

TEST_F(ListTest, SavedTestNeedsTheRowAndTheFullSize) {
  AddArchive(13, 3, 7, 9, 5, 91, 10, 4);
  Create();
  app::TProcessHeader h = app::Recorder().Current;
  EXPECT_TRUE(form->IsProcessSaved(h));
  std::string bytes = ReadFile(DataFile("130307_0905.bin"));
  bytes.pop_back();
  std::ofstream(DataFile("130307_0905.bin"), std::ios::binary | std::ios::trunc) << bytes;
  EXPECT_FALSE(form->IsProcessSaved(h));
  h.Bytes[5] = 6;  // another start: no row
  EXPECT_FALSE(form->IsProcessSaved(h));
}

TEST_F(ListTest, NoteFilesExistOnlyWithANote) {
  Create();
  const std::string name = "130307_0905.bin";
  const auto note = DataFile("130307_0905.note");
  app::TForm1::WriteNote(name, 1, "");
  EXPECT_FALSE(std::filesystem::exists(note));
  app::TForm1::WriteNote(name, 2, "Сушило 3"_cp);
  EXPECT_TRUE(std::filesystem::exists(note));
  EXPECT_EQ(app::TForm1::ReadNote(name, 2), "Сушило 3"_cp);
  EXPECT_EQ(app::TForm1::ReadNote(name, 1), "");
  app::TForm1::WriteNote(name, 1, "Кирпич"_cp);
  app::TForm1::WriteNote(name, 2, "");
  EXPECT_TRUE(std::filesystem::exists(note));
  app::TForm1::WriteNote(name, 1, "");
  EXPECT_FALSE(std::filesystem::exists(note));
  // A long note is stored whole but reads back cut to 510 characters.
  const std::string longNote(600, 'x');
  app::TForm1::WriteNote(name, 1, longNote);
  EXPECT_EQ(app::TForm1::ReadNote(name, 1), longNote.substr(0, 510));
  EXPECT_EQ(app::TForm1::ReadNote("", 1), "");
}

TEST(NoteFileText, NotesReadBackExactly) {
  struct Case {
    const char* what;
    std::string text;
    int note;
    std::string expected;
  } cases[] = {
      {"blanks and quotes kept", "[Note]\r\nNote1=  \"quoted\"  \r\n", 1, "  \"quoted\"  "},
      {"second key", "[Note]\r\nNote1=a\r\nNote2= b \r\n", 2, " b "},
      {"key case and blanks around the key", "[note]\n  NOTE2 =x=y\n", 2, "x=y"},
      {"another section's key", "[Other]\nNote1=no\n[Note]\nNote2=yes\n", 1, ""},
      {"the first of two", "[Note]\nNote1=first\nNote1=second\n", 1, "first"},
      {"cut to 510", "[Note]\nNote1=" + std::string(600, 'x') + "\n", 1, std::string(510, 'x')},
      {"no section", "Note1=loose\n", 1, ""},
      {"last line without a break", "[Note]\nNote1=end", 1, "end"},
  };
  for (const auto& c : cases) EXPECT_EQ(app::NoteFromText(c.text, c.note), c.expected) << c.what;
}

TEST_F(ListTest, NotesKeepBlanksAndQuotesAndHostileNoteFilesAreHarmless) {
  Create();
  const std::string name = "130307_0905.bin";
  app::TForm1::WriteNote(name, 1, "  \"quoted\"  ");
  EXPECT_EQ(app::TForm1::ReadNote(name, 1), "  \"quoted\"  ");
  // A note file of nothing but line breaks, far beyond what two notes fill,
  // reads as no note; a named pipe in its place does not stall.
  std::ofstream(DataFile("130307_0905.note"), std::ios::binary | std::ios::trunc) << std::string(1 << 20, '\n');
  EXPECT_EQ(app::TForm1::ReadNote(name, 1), "");
  std::filesystem::remove(DataFile("130307_0905.note"));
  ASSERT_EQ(std::system(("mkfifo '" + DataFile("130307_0905.note").string() + "'").c_str()), 0);
  EXPECT_EQ(app::TForm1::ReadNote(name, 2), "");
}

// A file whose name and header disagree is named by its file: deleting its
// row removes that file, never the one its header would name.
TEST_F(ListTest, RowsStandForTheirOwnFiles) {
  AddArchive(13, 3, 7, 9, 5);
  std::filesystem::copy_file(DataFile("130307_0905.bin"), DataFile("130101_0000.bin"));
  Create();
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(form->RowFileName(1), "130101_0000.bin");
  EXPECT_EQ(form->RowFileName(2), "130307_0905.bin");
  form->StringGridProcessList->SetSelection({0, 1, 6, 1});
  form->ADeleteProgProcessExecute(nullptr);
  EXPECT_EQ(DataFiles(), std::vector<std::string>{"130307_0905.bin"});
  EXPECT_EQ(form->RowFileName(1), "130307_0905.bin");
}

TEST_F(ListTest, NotesDialogSavesWhatChangedCancelWritesNothing) {
  AddArchive(13, 3, 7, 9, 5);
  Create();
  // Cancel: nothing written, yet the list is rebuilt.
  dialogs.OnModal([](gui::TForm& f) {
    auto& d = dynamic_cast<app::TfrmNoteEdit&>(f);
    d.EditNote1->SetText("Кирпич"_cp);
    d.btnCancel->Click();
  });
  form->ANoteEditExecute(form->ANoteEdit);
  EXPECT_FALSE(std::filesystem::exists(DataFile("130307_0905.note")));

  // Save: the note and a title; the edits are limited to what reads back.
  dialogs.OnModal([](gui::TForm& f) {
    auto& d = dynamic_cast<app::TfrmNoteEdit&>(f);
    EXPECT_EQ(d.EditNote1->MaxLength(), 510);
    EXPECT_EQ(d.EditTitle1->MaxLength(), 39);
    EXPECT_FALSE(d.EditTitle1->Enabled());
    d.CheckBoxTitle->SetChecked(true);
    d.CheckBoxTitleClick(nullptr);
    EXPECT_TRUE(d.EditTitle1->Enabled());
    d.EditNote1->SetText("Кирпич"_cp);
    d.EditTitle2->SetText("Сушило"_cp);
    d.btnSave->Click();
  });
  gui::Word enter = gui::VK_RETURN;
  form->FormKeyDown(form.get(), enter, {});
  EXPECT_EQ(app::TForm1::ReadNote("130307_0905.bin", 1), "Кирпич"_cp);
  EXPECT_EQ(app::TForm1::ReadNote("130307_0905.bin", 2), "");
  EXPECT_EQ(Cell(5, 1), "Кирпич"_cp);
  EXPECT_EQ(Cell(6, 0), "Сушило"_cp);
  EXPECT_EQ(form->ASortByNote2->Caption(), "По столбцу \"Сушило\""_cp);
  EXPECT_EQ(Ini("Config", "Note2Name"), "Сушило"_cp);
  EXPECT_EQ(Ini("Config", "Note1Name"), "<none>");
}

TEST_F(ListTest, KeepingTheCurrentRowInView) {
  for (int i = 0; i < 30; ++i) AddArchive(13, 1 + i / 28, 1 + i % 28, 8, 0);
  Create();
  form->SetBounds(0, 0, 800, 900);
  form->GroupBoxProcessList->SetHeight(220);
  form->Show();
  gui::Application->ProcessMessages();
  form->StringGridProcessList->Sync();
  ASSERT_GE(form->StringGridProcessList->VisibleRowCount(), 6);
  // The grid cannot scroll past its last row: the top row stops at n - v.
  const int v = form->StringGridProcessList->VisibleRowCount(), n = 31;
  struct Case {
    int row, top;
  } cases[] = {{10, 7}, {29, 25}, {30, 25}, {3, 1}, {5, 2}};
  for (const auto& c : cases) {
    form->StringGridProcessList->SetRow(c.row);
    form->KeepRowVisible();
    EXPECT_EQ(form->StringGridProcessList->TopRow(), std::min(c.top, n - v)) << c.row;
  }
}

// --- Zarnik.ini ---

TEST_F(ListTest, FirstStartWithoutConfiguration) {
  Create();
  EXPECT_EQ(form->Left(), 0);
  EXPECT_EQ(form->Top(), 0);
  EXPECT_EQ(form->Width(), 360);
  EXPECT_EQ(form->Height(), 440);
  EXPECT_TRUE(form->ADataTable->Checked());
  EXPECT_FALSE(form->ADataGraphic->Checked());
  EXPECT_TRUE(form->AZoom10mm->Checked());
  EXPECT_TRUE(form->AZoomMm->Checked());
  EXPECT_TRUE(form->APoints->Checked());
  EXPECT_TRUE(form->ALegend->Checked());
  EXPECT_FALSE(form->ACalibr->Visible());
  EXPECT_FALSE(form->AFlash->Visible());
  EXPECT_TRUE(form->ASortByDateTime->Checked());
  EXPECT_FALSE(form->GroupBoxShrinkShift->Visible());
  EXPECT_EQ(Ini("Config", "Uses"), "1");
  EXPECT_EQ(Ini("Config", "COMPortNumber"), "1");
  EXPECT_EQ(line->deviceName, "\\\\.\\COM1");
  EXPECT_EQ(Panel(2), "COM1");
  EXPECT_TRUE(form->ACOM[0]->Checked());
  EXPECT_EQ(form->ACOM[1]->Caption(), "COM3");
  EXPECT_FALSE(form->ACOM[2]->Visible());
  EXPECT_FALSE(form->AProcStart->Enabled());
  EXPECT_TRUE(form->ADeleteProgProcess->Enabled());  // the one-row list was "clicked"
  EXPECT_EQ(rtl::CurrentFormatSettings().DecimalSeparator, ',');
}

TEST_F(ListTest, ConfigurationValuesAndTheirLimits) {
  struct Case {
    const char* ini;
    std::function<void(ListTest&)> check;
  } cases[] = {
      {"[Config]\nCOMPortNumber=0\n", [](ListTest& t) { EXPECT_EQ(t.Ini("Config", "COMPortNumber"), "1"); }},
      {"[Config]\nCOMPortNumber=51\n", [](ListTest& t) { EXPECT_EQ(t.Ini("Config", "COMPortNumber"), "1"); }},
      {"[Config]\nCOMPortNumber=3\n",
       [](ListTest& t) {
         EXPECT_EQ(t.Ini("Config", "COMPortNumber"), "3");
         EXPECT_EQ(t.line->deviceName, "\\\\.\\COM3");
         EXPECT_TRUE(t.form->ACOM[1]->Checked());
       }},
      {"[FormMain]\nLeft=-20\nWidth=100000\nTop=5\nHeight=500\n",
       [](ListTest& t) {
         EXPECT_EQ(t.form->Left(), 0);
         EXPECT_EQ(t.form->Width(), gui::Screen->Width());
         EXPECT_EQ(t.form->Top(), 5);
         EXPECT_EQ(t.form->Height(), 500);
       }},
      {"[Config]\nShrinkZoom=2x\nShrinkUnit=Proc\nUseShrinkShift=Y\nSort=ByDateTime\n",
       [](ListTest& t) {
         EXPECT_TRUE(t.form->AZoom20mm->Checked());
         EXPECT_TRUE(t.form->AZoomProc->Checked());
         EXPECT_TRUE(t.form->GroupBoxShrinkShift->Visible());
         EXPECT_TRUE(t.form->ASortByDateTime->Checked());
       }},
      {"[Config]\nShrinkZoom=abc\nSort=byNote2\nNote1Name=Product\nCalibr=Yes\nFlash=Y\n[FormMain]\nGraphVisible=1\n",
       [](ListTest& t) {
         EXPECT_TRUE(t.form->AZoomAuto->Checked());
         EXPECT_TRUE(t.form->ASortByNote2->Checked());
         EXPECT_EQ(t.form->ASortByNote1->Caption(), "По столбцу \"Product\""_cp);
         EXPECT_EQ(t.Cell(5, 0), "Product");
         EXPECT_TRUE(t.form->ACalibr->Visible());
         EXPECT_TRUE(t.form->AFlashFileRd->Visible());
         EXPECT_TRUE(t.form->ADataGraphic->Checked());
       }},
      // Text where a number belongs counts as the default instead of ending start-up.
      {"[Config]\nUses=many\nCOMPortNumber=one\n[FormMain]\nWidth=wide\nLeft=x\n",
       [](ListTest& t) {
         EXPECT_EQ(t.Ini("Config", "Uses"), "1");
         EXPECT_EQ(t.line->deviceName, "\\\\.\\COM1");
         EXPECT_EQ(t.form->Width(), 360);
         EXPECT_TRUE(t.form->Timer1 != nullptr);
       }},
      {"[Config]\nUses=41\n", [](ListTest& t) { EXPECT_EQ(t.Ini("Config", "Uses"), "42"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    std::filesystem::remove(folder / "Zarnik.ini");
    WriteIni(c.ini);
    Create();
    c.check(*this);
  }
}

TEST_F(ListTest, ClosingStoresTheBoundsAndPortChoiceIsStoredWhateverTheOutcome) {
  Create();
  form->SetBounds(30, 40, 500, 600);
  gui::TCloseAction action = gui::caFree;
  form->FormClose(form.get(), action);
  EXPECT_EQ(Ini("FormMain", "Maximized"), "0");
  EXPECT_EQ(Ini("FormMain", "Left"), "30");
  EXPECT_EQ(Ini("FormMain", "Width"), "500");
  EXPECT_FALSE(line->Enabled());

  // Choosing a missing port: Ignore, yet the number is stored.
  dialogs.AnswerMessageBox(gui::IDIGNORE);
  form->NewCOM_Port(7);
  EXPECT_EQ(Ini("Config", "COMPortNumber"), "7");
  EXPECT_EQ(Panel(2), "COM7");
  EXPECT_FALSE(form->ACOM[0]->Checked());
  // The port actions choose by their tag.
  form->ACOM[1]->Execute();
  EXPECT_EQ(Ini("Config", "COMPortNumber"), "3");
  EXPECT_TRUE(form->ACOM[1]->Checked());
}
