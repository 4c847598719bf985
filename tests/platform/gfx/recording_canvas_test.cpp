// Drawing code written for the device conventions, checked on the recording
// canvas: what is recorded is what was asked, with the tools in force.
#include "platform/gfx/recording_canvas.h"

#include <gtest/gtest.h>

using namespace gfx;

TEST(RecordingCanvas, KeepsCallsInOrderWithTheirTools) {
  TRecordingCanvas c;
  c.Pen().SetColor(clRed);
  c.Pen().SetWidth(3);
  c.MoveTo(1, 2);
  c.LineTo(10, 2);
  c.Brush().SetStyle(bsClear);
  c.Rectangle(0, 0, 5, 5);
  c.Font().SetName("Arial");
  c.TextOut(3, 4, "Hi");

  ASSERT_EQ(c.Calls().size(), 4u);
  EXPECT_EQ(c.Calls()[0].op, TCanvasOp::MoveTo);
  const TCanvasCall& line = c.Calls()[1];
  EXPECT_EQ(line.op, TCanvasOp::LineTo);
  EXPECT_EQ(line.points, (std::vector<TPoint>{{1, 2}, {10, 2}}));
  EXPECT_EQ(line.state.pen.Color(), clRed);
  EXPECT_EQ(line.state.pen.Width(), 3);
  EXPECT_EQ(c.Calls()[2].state.brush.Style(), bsClear);
  EXPECT_EQ(c.Calls()[3].text, u"Hi");
  EXPECT_EQ(c.Calls()[3].state.font.Name(), "Arial");
  // TextOut leaves the pen position after the text.
  EXPECT_EQ(c.PenPos(), (TPoint{3 + c.TextWidth("Hi"), 4}));
}

TEST(RecordingCanvas, ClipOperationsCombineIntoTheRegion) {
  TRecordingCanvas c(96, 96, {200, 100});
  TRegion r;
  EXPECT_FALSE(c.GetClipRegion(r));
  EXPECT_TRUE(c.RectVisible(Rect(150, 50, 160, 60)));
  c.IntersectClipRect(Rect(10, 10, 100, 90));
  c.ExcludeClipRect(Rect(20, 20, 30, 30));
  ASSERT_TRUE(c.GetClipRegion(r));
  EXPECT_TRUE(r.Contains(10, 10));
  EXPECT_FALSE(r.Contains(25, 25));
  EXPECT_FALSE(r.Contains(100, 50));
  EXPECT_FALSE(c.RectVisible(Rect(150, 50, 160, 60)));
  EXPECT_FALSE(c.RectVisible(Rect(21, 21, 29, 29)));
  EXPECT_TRUE(c.RectVisible(Rect(95, 85, 120, 95)));
  // The saved state comes back with RestoreDC, clip included.
  int level = c.SaveDC();
  c.IntersectClipRect(Rect(0, 0, 5, 5));
  EXPECT_FALSE(c.RectVisible(Rect(50, 50, 60, 60)));
  c.RestoreDC(level);
  EXPECT_TRUE(c.RectVisible(Rect(50, 50, 60, 60)));
  c.SelectClipRegion(nullptr);
  EXPECT_FALSE(c.GetClipRegion(r));
}

TEST(RecordingCanvas, BrushSetsTheBackground) {
  TRecordingCanvas c;
  c.Brush().SetColor(clYellow);
  EXPECT_EQ(c.BkColor(), clYellow);
  EXPECT_EQ(c.BkMode(), bkOpaque);
  c.Brush().SetStyle(bsClear);
  EXPECT_EQ(c.BkMode(), bkTransparent);
  c.SetBkMode(bkOpaque);
  EXPECT_EQ(c.BkMode(), bkOpaque);
}

// 8-bit text is read in the code page of the font's character set, so a
// Greek or Central-European font shows its own letters, not Cyrillic ones.
TEST(RecordingCanvas, EightBitTextFollowsTheFontsCharacterSet) {
  const struct {
    TFontCharset charset;
    const char* bytes;
    std::u16string expected;
  } cases[] = {
      {RUSSIAN_CHARSET, "\xC0", u"\u0410"},    {DEFAULT_CHARSET, "\xC0", u"\u0410"},
      {ANSI_CHARSET, "\x80", u"\u20AC"},       {GREEK_CHARSET, "\xC1", u"\u0391"},
      {EASTEUROPE_CHARSET, "\x8A", u"\u0160"}, {BALTIC_CHARSET, "\xC0", u"\u0104"},
      {TURKISH_CHARSET, "\xD0", u"\u011E"},    {OEM_CHARSET, "\x80", u"\u0410"},
  };
  for (const auto& c : cases) {
    TRecordingCanvas canvas;
    canvas.Font().SetCharset(c.charset);
    canvas.TextOut(0, 0, c.bytes);
    ASSERT_EQ(canvas.Calls().size(), 1u);
    EXPECT_EQ(canvas.Calls()[0].text, c.expected) << int(c.charset);
  }
}
