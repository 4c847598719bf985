// The check box: its size, the marks of each style, the state from a field
// or an expression, and its place in the object registry.
#include <gtest/gtest.h>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/classes.h"
#include "report/vuzChBox.h"
#include "report/vuzDsgnIntf.h"
#include "view_fixture.h"

using namespace report;
using namespace report_test;

namespace {

struct CheckMarks : ::testing::Test {
  TfrxCheckBoxView box{nullptr};
  gfx::TRecordingCanvas canvas;
  CheckMarks() {
    box.SetBounds(0, 0, 20, 20);
    box.SetCheckColor(0x0000C0);
  }
  void Draw() {
    canvas.Clear();
    box.Draw(canvas, 1, 1, 0, 0);
  }
};

TEST(CheckBox, FiveMillimetresSquare) {
  TfrxCheckBoxView box(nullptr);
  EXPECT_NEAR(static_cast<double>(box.Width()), 18.89765, 1e-9);
  EXPECT_NEAR(static_cast<double>(box.Height()), 18.89765, 1e-9);
  EXPECT_TRUE(box.Checked());
  EXPECT_TRUE(box.FrComponentStyle() & csDefaultDiff);
}

TEST_F(CheckMarks, LineMarksAreStrokesOfTheFrameWidth) {
  const struct {
    bool checked;
    TfrxCheckStyle check;
    TfrxUncheckStyle uncheck;
    const char* strokes;
  } cases[] = {
      {true, csLineCross, usEmpty, "(0,0)-(20,20) (0,20)-(20,0)"},
      {true, csPlus, usEmpty, "(3,10)-(18,10) (10,3)-(10,18)"},
      {false, csPlus, usEmpty, ""},
      {false, csCross, usLineCross, "(0,0)-(20,20) (0,20)-(20,0)"},
      {false, csCross, usMinus, "(3,10)-(18,10)"},
  };
  for (const auto& c : cases) {
    box.SetChecked(c.checked);
    box.SetCheckStyle(c.check);
    box.SetUncheckStyle(c.uncheck);
    Draw();
    const auto strokes = Strokes(canvas);
    EXPECT_EQ(StrokesText(strokes), c.strokes) << c.check << " " << c.uncheck;
    for (const TStroke& s : strokes) EXPECT_EQ(s.pen.Color(), 0x0000C0);
  }
  // A wider frame draws wider marks.
  box.Frame()->SetWidth(2);
  box.SetChecked(false);
  box.SetUncheckStyle(usMinus);
  Draw();
  EXPECT_EQ(StrokesText(Strokes(canvas)), "(3,9)-(18,9) (3,10)-(18,10)");
}

// The cross and the tick are round-pen strokes in the square cell of the
// box's height, centred and clipped to the box, the same on every device.
TEST_F(CheckMarks, CrossAndTickInsideTheBox) {
  box.SetBounds(0, 0, 40, 20);
  const struct {
    bool checked;
    TfrxCheckStyle check;
    TfrxUncheckStyle uncheck;
    std::vector<std::string> shapes;
  } cases[] = {
      {true, csCross, usEmpty, {"Polyline (14,4)(26,16)", "Polyline (26,4)(14,16)"}},
      {true, csCheck, usEmpty, {"Polyline (14,11)(18,16)(27,4)"}},
      {false, csCheck, usCross, {"Polyline (14,4)(26,16)", "Polyline (26,4)(14,16)"}},
      {false, csCheck, usEmpty, {}},
  };
  for (const auto& c : cases) {
    box.SetChecked(c.checked);
    box.SetCheckStyle(c.check);
    box.SetUncheckStyle(c.uncheck);
    Draw();
    EXPECT_EQ(ShapeTexts(canvas), c.shapes) << c.check << " " << c.uncheck;
    for (const gfx::TCanvasCall* call : canvas.CallsOf(gfx::TCanvasOp::Polyline)) {
      EXPECT_EQ(call->state.pen.Color(), 0x0000C0);
      EXPECT_TRUE(call->state.pen.Geometric());
      EXPECT_EQ(call->state.pen.EndCap(), gfx::pecRound);
      EXPECT_EQ(call->state.pen.Width(), 2);
      ASSERT_TRUE(call->state.clip.has_value());
    }
  }
  // The clip goes again after the mark.
  box.SetChecked(true);
  box.SetCheckStyle(csCross);
  Draw();
  ASSERT_FALSE(canvas.Calls().empty());
  EXPECT_FALSE(canvas.Calls().back().state.clip.has_value());
}

class TValueDataSet : public TfrxDataSet {
 public:
  using TfrxDataSet::TfrxDataSet;
  rtl::Variant GetValue(const AnsiString&) override { return value; }
  rtl::Variant value;
};

TEST(CheckBox, StateFromFieldOrExpression) {
  TfrxCalcReport report;
  auto* box = new TfrxCheckBoxView(&report);
  TValueDataSet data(nullptr);
  box->SetDataSet(&data);
  box->SetDataField("Done");
  const struct {
    rtl::Variant value;
    bool checked;
  } fields[] = {{rtl::Variant(), false},
                {rtl::Variant(true), true},
                {rtl::Variant(0), false},
                {rtl::Variant(5), true},
                {rtl::Variant(false), false}};
  for (const auto& f : fields) {
    box->SetChecked(!f.checked);
    data.value = f.value;
    box->GetData();
    EXPECT_EQ(box->Checked(), f.checked);
  }
  box->SetDataSet(nullptr);
  box->SetExpression("<x> > 1");
  report.values["<x> > 1"] = rtl::Variant(false);
  box->GetData();
  EXPECT_FALSE(box->Checked());
  report.values["<x> > 1"] = rtl::Variant(true);
  box->GetData();
  EXPECT_TRUE(box->Checked());
}

TEST(CheckBox, RegisteredAtStartUp) {
  ReportClassesStartup();
  EXPECT_NE(rtl::GetClassInfo("TfrxCheckBoxView"), nullptr);
  bool found = false;
  for (int i = 0; i < vuzObjects().Count(); ++i) {
    TfrxObjectItem* item = vuzObjects().GetObjectItem(i);
    if (item->ClassRef == &TfrxCheckBoxView::StaticClass()) {
      found = true;
      EXPECT_EQ(item->ButtonImageIndex, 24);
    }
  }
  EXPECT_TRUE(found);
  ReportClassesShutdown();
}

}  // namespace
