// The display follows the process list: after the list changes under it
// (the computer's archive cleared, the shown process deleted, a read
// cancelled into an empty archive) the chart and the data table show the
// selected row's process, or nothing, with no row highlighted, when the list
// is empty.
#include "tests/app/form_fixture.h"

using namespace rtl::literals;

namespace {

class DisplayFollowsListTest : public apptest::FormFixture {
 protected:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    sim::AddDemoProcesses(*model);
  }
  void CreateAndRead() {
    Create();
    form->SetBounds(0, 0, 800, 600);
    form->Show();
    FirstTick();
    ASSERT_EQ(DataFiles().size(), 3u);
  }
  // The archive file whose process the chart and the table show, "" for none.
  std::string ShownFile() {
    const app::TProcessData& d = form->ShownProcess();
    return d.points > 0 ? app::ProcessFileName(d.header) : std::string();
  }
  // The display is empty: no curve, the table's one empty row.
  void ExpectEmptyDisplay() {
    for (int i = 0; i < form->Chart1->SeriesCount(); ++i) EXPECT_EQ(form->Chart1->Series(i).Count(), 0) << i;
    EXPECT_EQ(form->StringGridData->RowCount(), 2);
    EXPECT_EQ(ShownFile(), "");
  }
  bool RowHighlighted() { return form->StringGridProcessList->Selection().Top >= 1; }
  void SelectRow(int row) {
    form->StringGridProcessList->SetRow(row);
    form->StringGridProcessList->SetSelection({0, row, 6, row});
    form->ShowProcess();
  }
};

}  // namespace

TEST_F(DisplayFollowsListTest, ClearingTheComputersArchiveEmptiesTheDisplay) {
  CreateAndRead();
  SelectRow(2);
  ASSERT_EQ(ShownFile(), form->RowFileName(2));
  dialogs.AnswerMessageBox(gui::IDYES);
  form->AClearProgArchExecute(form->AClearProgArch);
  ASSERT_TRUE(form->ProcessListEmpty());
  ExpectEmptyDisplay();
  EXPECT_FALSE(RowHighlighted());
}

TEST_F(DisplayFollowsListTest, DeletingTheShownProcessShowsTheNewLastOne) {
  CreateAndRead();
  // The last row is shown; deleting it leaves two rows and shows the new last.
  SelectRow(3);
  const std::string deleted = form->RowFileName(3);
  ASSERT_EQ(ShownFile(), deleted);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProgProcessExecute(form->ADeleteProgProcess);
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(form->StringGridProcessList->Row(), 2);
  EXPECT_EQ(ShownFile(), form->RowFileName(2));
  EXPECT_NE(ShownFile(), deleted);
  // The last one of all: nothing is shown and nothing is highlighted.
  SelectRow(1);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProgProcessExecute(form->ADeleteProgProcess);
  SelectRow(1);
  dialogs.AnswerMessageBox(gui::IDYES);
  form->ADeleteProgProcessExecute(form->ADeleteProgProcess);
  ASSERT_TRUE(form->ProcessListEmpty());
  ExpectEmptyDisplay();
  EXPECT_FALSE(RowHighlighted());
}

TEST_F(DisplayFollowsListTest, AReadCancelledIntoAnEmptyArchiveShowsWhatItKept) {
  Create();
  form->SetBounds(0, 0, 800, 600);
  form->Show();
  // An empty archive highlights nothing.
  EXPECT_FALSE(RowHighlighted());
  // The read takes the last process, then is cancelled in the next one.
  int headerRequests = 0;
  line->onWrite = [&](apptest::FakeLine& l) {
    const auto& w = l.written;
    if (w.size() >= 2 && w[w.size() - 2] == 0x06 && w.back() == 0x06 && ++headerRequests == 2)
      form->btnLinkCancel->Click();
  };
  FirstTick();
  ASSERT_EQ(Panel(1), "Чтение отменено"_cp);
  ASSERT_EQ(DataFiles().size(), 1u);
  ASSERT_EQ(Rows(), 2);
  EXPECT_TRUE(RowHighlighted());
  EXPECT_EQ(ShownFile(), DataFiles()[0]);

  // Cancelled before anything was kept: still nothing highlighted, nothing shown.
  dialogs.AnswerMessageBox(gui::IDYES);
  form->AClearProgArchExecute(form->AClearProgArch);
  headerRequests = 0;
  line->onWrite = [&](apptest::FakeLine& l) {
    const auto& w = l.written;
    if (w.size() >= 2 && w[w.size() - 2] == 0x06 && w.back() == 0x06) form->btnLinkCancel->Click();
  };
  clock.Advance(3000);
  form->ADataReadExecute(form->ADataRead);
  ASSERT_EQ(Panel(1), "Чтение отменено"_cp);
  ASSERT_TRUE(DataFiles().empty());
  ExpectEmptyDisplay();
  EXPECT_FALSE(RowHighlighted());
}
