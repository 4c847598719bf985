// The text object: its properties, the printing cycle (expressions, formats,
// hidden zeros, repeated values, highlight), the text rectangle, measuring,
// splitting into parts and into a follower, Diff and the template round trip.
#include <gtest/gtest.h>

#include <algorithm>

#include "memo_fixture.h"
#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format_settings.h"
#include "report/vuzClassReport.h"
#include "report/vuzVariables.h"
#include "report/vuzXMLSerializer.h"

namespace report_test {
namespace {

using report::TfrxMemoView;
using rtl::Variant;
using rtl::WideString;
using namespace rtl::literals;

TEST(MemoObject, RotationKeepsTheSignModulo360) {
  const int cases[][2] = {{0, 0}, {90, 90}, {450, 90}, {-90, -90}, {-450, -90}, {360, 0}, {720, 0}, {359, 359}};
  TfrxMemoView memo(nullptr);
  for (const auto& c : cases) {
    memo.SetRotation(c[0]);
    EXPECT_EQ(memo.Rotation(), c[1]) << c[0];
  }
}

TEST(MemoObject, DefaultsAsTemplatesExpectThem) {
  TfrxMemoView memo(nullptr);
  EXPECT_TRUE(memo.AllowExpressions());
  EXPECT_TRUE(memo.WordWrap());
  EXPECT_TRUE(memo.Wysiwyg());
  EXPECT_TRUE(memo.Clipped());
  EXPECT_TRUE(memo.ParentFont());
  EXPECT_EQ(memo.ExpressionDelimiters(), "[,]");
  EXPECT_EQ(memo.GapX(), 2);
  EXPECT_EQ(memo.GapY(), 1);
  EXPECT_EQ(memo.LineSpacing(), 2);
  EXPECT_EQ(memo.Color(), report::clTransparent);
  EXPECT_TRUE(memo.PreviousText.IsNull());
  EXPECT_EQ(memo.FrComponentStyle() & report::csDefaultDiff, 0u);
}

TEST(MemoObject, PublishedPropertiesInStoredOrder) {
  auto own = [](const rtl::TClassInfo& info) {
    std::string names;
    const auto& base = report::TfrxStretcheable::StaticClass().Properties();
    for (const rtl::TPropInfo* p : info.Properties())
      if (std::find(base.begin(), base.end(), p) == base.end()) names += p->Name + " ";
    return names;
  };
  EXPECT_EQ(own(TfrxMemoView::StaticClass()),
            "AllowExpressions AllowHTMLTags AutoWidth BrushStyle CharSpacing Clipped Color Cursor DataField DataSet "
            "DataSetName DisplayFormat ExpressionDelimiters FirstParaBreak LastParaBreak FlowTo Font Frame GapX GapY "
            "HAlign HideZeros Highlight LineSpacing Memo ParagraphGap ParentFont Rotation RTLReading Style "
            "SuppressRepeated TagStr URL Underlines UseDefaultCharset VAlign WordBreak WordWrap Wysiwyg ");
  EXPECT_EQ(own(report::TfrxSysMemoView::StaticClass()),
            "AutoWidth BrushStyle CharSpacing Color DisplayFormat Font Frame GapX GapY HAlign HideZeros Highlight "
            "Memo ParentFont Rotation RTLReading Style SuppressRepeated VAlign WordWrap ");
}

// ---------------------------------------------------------------- GetData

struct GetDataCase {
  const char* name;
  const char16_t* text;
  bool hideZeros;
  const char16_t* expected;
};

TEST(MemoGetData, ExpressionsAndFormatsTable) {
  rtl::FormatSettings point = rtl::FormatSettings::Invariant();
  point.DecimalSeparator = '.';
  rtl::FormatSettingsScope scope(point);
  const GetDataCase cases[] = {
      {"no delimiter: untouched", u"Plain text", false, u"Plain text"},
      {"inline number format", u"Sum: [Total #n%2,2f]", false, u"Sum: 3,14"},
      {"boolean yes", u"[Flag #BYes,No]", false, u"Yes"},
      {"boolean no", u"[Off #BYes,No]", false, u"No"},
      {"inline date", u"[Day #ddd.mm.yyyy]", false, u"09.03.2024"},
      {"number format on a text falls back", u"[Name #n%2.2f]", false, u"Иван"},
      {"' #' before ')' is no format", u"[F(x #y)]", false, u"called"},
      {"nested brackets taken whole", u"<[Outer[1]]>", false, u"<whole>"},
      {"two expressions", u"[Name]: [Total]", false, u"Иван: 3.14159"},
      {"hide zeros: number 0", u"[Zero]", true, u""},
      {"hide zeros: string \"0\"", u"[ZeroText]", true, u"0"},
      {"zero shown without HideZeros", u"[Zero]", false, u"0"},
      {"page total left for draw time", u"of [TotalPages#]", false, u"of [TotalPages#]"},
  };
  for (const GetDataCase& c : cases) {
    MemoFixture f;
    f.report->values = {{"Total", Variant(3.14159)},
                        {"Flag", Variant(true)},
                        {"Off", Variant(false)},
                        {"Day", Variant::FromDate(rtl::EncodeDate(2024, 3, 9))},
                        {"Name", Variant(WideString(u"Иван"))},
                        {"F(x #y)", Variant("called")},
                        {"Outer[1]", Variant("whole")},
                        {"Zero", Variant(0)},
                        {"ZeroText", Variant("0")}};
    f.memo->SetHideZeros(c.hideZeros);
    f.memo->SetText(c.text);
    f.memo->BeforePrint();
    f.memo->GetData();
    EXPECT_EQ(f.memo->Text(), WideString(c.expected) + u"\r\n") << c.name;
    f.memo->AfterPrint();
    EXPECT_EQ(f.memo->Text(), WideString(c.text) + u"\r\n") << c.name << ": the template text is back";
  }
}

TEST(MemoGetData, ValueAndHighlightReachTheReport) {
  MemoFixture f;
  f.report->values = {{"Total", Variant(5)}, {"Total > 3", Variant(true)}};
  f.memo->Highlight()->SetCondition("Total > 3");
  f.memo->SetText(u"[Total]");
  f.memo->GetData();
  EXPECT_TRUE(f.memo->Highlight()->Active());
  EXPECT_EQ(f.report->localValue.AsInteger(), 5);
  EXPECT_EQ(f.memo->CurrentValue.AsInteger(), 5);
}

TEST(MemoGetData, OwnDelimitersAndDisabledExpressions) {
  MemoFixture f;
  f.report->values = {{"a", Variant("A")}};
  f.memo->SetExpressionDelimiters("<%,%>");
  f.memo->SetText(u"<%a%> [a]");
  f.memo->GetData();
  EXPECT_EQ(f.memo->Text(), u"A [a]\r\n");

  f.memo->SetAllowExpressions(false);
  f.memo->SetText(u"<%a%>");
  f.memo->GetData();
  EXPECT_EQ(f.memo->Text(), u"<%a%>\r\n");
}

// One memo fills row after row: each row evaluates anew, and a text or
// delimiters changed between rows (a script's doing) are read afresh
// instead of the cut kept from the rows before.
TEST(MemoGetData, EveryRowFillsTheTextItHasThen) {
  struct Row {
    const char* a;
    const char16_t* text;  // nil: the text stays
    const char* delimiters;
    const char16_t* expected;
  };
  const Row rows[] = {
      {"1", u"[a] and [b]", "[,]", u"1 and B"}, {"2", nullptr, "[,]", u"2 and B"},
      {"3", u"<[a]>", "[,]", u"<3>"},           {"4", u"<%a%> [a]", "<%,%>", u"4 [a]"},
      {"5", nullptr, "[,]", u"<%a%> 5"},        {"6", u"no expression", "[,]", u"no expression"},
  };
  MemoFixture f;
  f.report->values = {{"b", Variant("B")}};
  for (const Row& row : rows) {
    f.report->values["a"] = Variant(row.a);
    if (row.text) f.memo->SetText(row.text);
    f.memo->SetExpressionDelimiters(row.delimiters);
    f.memo->BeforePrint();
    f.memo->GetData();
    EXPECT_EQ(f.memo->Text(), WideString(row.expected) + u"\r\n") << row.a;
    f.memo->AfterPrint();
  }
}

TEST(MemoGetData, AnUnknownNameRaisesFromTheReport) {
  MemoFixture f;
  f.memo->SetText(u"[Nobody]");
  EXPECT_THROW(f.memo->GetData(), rtl::Exception);
}

TEST(MemoGetData, SuppressRepeatedPrintsARepeatOnce) {
  MemoFixture f;
  f.memo->SetSuppressRepeated(true);
  f.memo->SetText(u"[V]");
  std::vector<WideString> printed;
  for (const char* v : {"A", "A", "B", "B"}) {
    f.report->values["V"] = Variant(v);
    f.memo->BeforePrint();
    f.memo->GetData();
    printed.push_back(f.memo->Text());
    f.memo->AfterPrint();
  }
  EXPECT_EQ(printed, (std::vector<WideString>{u"A\r\n", u"", u"B\r\n", u""}));
  f.memo->ResetSuppress();
  f.memo->BeforePrint();
  f.memo->GetData();
  EXPECT_EQ(f.memo->Text(), u"B\r\n");
}

TEST(MemoGetData, MacrosAreFilledAtDrawTime) {
  MemoFixture f;
  f.memo->SetText(u"Page [Page] of [TotalPages#] [copyname#]");
  f.report->values = {{"Page", Variant(2)}};
  f.memo->GetData();
  report::vuzGlobalVariables()->SetVariable("CopyName1", Variant("оригинал"_cp));
  f.memo->PageTotal = 7;
  f.memo->CopyNumber = 1;
  f.memo->ExtractMacros();
  EXPECT_EQ(f.memo->Text(), u"Page 2 of 7 оригинал\r\n");
  report::vuzGlobalVariables()->DeleteVariable("CopyName1");
}

// ---------------------------------------------------------------- geometry

TEST(MemoGeometry, InnerRectTable) {
  struct Case {
    const char* name;
    report::TfrxFrameTypes typ;
    long double frameWidth;
    long double scale;
    gfx::TRect expected;
  };
  const unsigned all = 15;
  const unsigned left = report::FrameBit(report::ftLeft);
  const Case cases[] = {
      // The memo is at (10, 20), 100 by 50, gaps 2 and 1.
      {"no frame", 0, 1, 1, {12, 21, 109, 70}},
      {"thin frame takes nothing", all, 1, 1, {12, 21, 109, 70}},
      {"2-pixel frame: right and bottom give one", all, 2, 1, {12, 21, 108, 69}},
      {"3-pixel frame at scale 2", all, 3, 2, {26, 44, 214, 136}},
      {"4-pixel left side only", left, 4, 1, {14, 21, 109, 70}},
  };
  for (const Case& c : cases) {
    MemoFixture f;
    f.memo->Frame()->SetTyp(c.typ);
    f.memo->Frame()->SetWidth(c.frameWidth);
    gfx::TRecordingCanvas canvas;
    f.memo->BeginDraw(canvas, c.scale, c.scale, 0, 0);
    const gfx::TRect& r = f.memo->InnerRect;
    EXPECT_EQ((std::vector<int>{r.Left, r.Top, r.Right, r.Bottom}),
              (std::vector<int>{c.expected.Left, c.expected.Top, c.expected.Right, c.expected.Bottom}))
        << c.name;
  }
}

TEST(MemoGeometry, FrameGapsAndShadowAddToTheMeasuredSize) {
  MemoFixture f;
  EXPECT_EQ(f.memo->AdjustCalcHeight(), 2);
  EXPECT_EQ(f.memo->AdjustCalcWidth(), 4);
  f.memo->Frame()->SetTyp(15);
  f.memo->Frame()->SetWidth(2);
  f.memo->Frame()->SetDropShadow(true);
  EXPECT_EQ(f.memo->AdjustCalcHeight(), 2 + 0.5L + 1 + 4);
  EXPECT_EQ(f.memo->AdjustCalcWidth(), 4 + 0.5L + 1 + 4);
}

TEST(MemoGeometry, CalcHeightIsWholeLinesPlusGaps) {
  MemoFixture f;
  f.memo->SetText(u"one\r\ntwo\r\nthree");
  // Three lines of 13.28 + 2 report pixels, plus 2 for the gaps: round(47.84).
  EXPECT_EQ(f.memo->CalcHeight(), 48);
  // "three" is 5 x 6.72 = 33.6 pixels, plus 4 for the gaps: round(37.6).
  EXPECT_EQ(f.memo->CalcWidth(), 38);
}

TEST(MemoDraw, UnderlinesFollowTheLinePitch) {
  MemoFixture f;
  f.memo->SetUnderlines(true);
  f.memo->Frame()->SetColor(gfx::clRed);
  f.memo->SetText(u"one");
  gfx::TRecordingCanvas canvas;
  f.memo->Draw(canvas, 1, 1, 0, 0);
  // From y = 20 + (GapY - LineSpacing + 1) + 15.28 every 15.28 pixels while
  // above the bottom (70): 35.28, 50.56, 65.84, rounded.
  std::vector<int> rows;
  for (const gfx::TCanvasCall* call : canvas.CallsOf(gfx::TCanvasOp::MoveTo)) {
    if (call->state.pen.Color() != gfx::clRed) continue;
    EXPECT_EQ(call->points[0].X, 10);
    rows.push_back(call->points[0].Y);
  }
  EXPECT_EQ(rows, (std::vector<int>{35, 51, 66}));
  EXPECT_EQ(canvas.Texts(), (std::vector<std::u16string>{u"one"}));
}

TEST(MemoDraw, ActiveHighlightPaintsItsColourOnlyWhileDrawing) {
  MemoFixture f;
  f.memo->SetText(u"hot");
  f.memo->Highlight()->SetActive(true);
  f.memo->Highlight()->SetColor(gfx::clYellow);
  gfx::TRecordingCanvas canvas;
  f.memo->Draw(canvas, 1, 1, 0, 0);
  bool filledYellow = false;
  for (const gfx::TCanvasCall* call : canvas.CallsOf(gfx::TCanvasOp::FillRect))
    filledYellow = filledYellow || call->state.brush.Color() == gfx::clYellow;
  EXPECT_TRUE(filledYellow) << canvas.Dump();
  EXPECT_EQ(f.memo->Color(), report::clTransparent);
}

// Drawing a text far taller than its box lays out what the box can show:
// the layout counts every line but keeps a screenful, top-aligned text
// draws its first lines, bottom-aligned its last ones; measuring, wrapping
// and splitting afterwards still see the whole text.
TEST(MemoDraw, ATextFarTallerThanItsBoxLaysOutWhatItShows) {
  const struct {
    report::TfrxVAlign vAlign;
    bool clipped;
    const char16_t* firstDrawn;
  } cases[] = {
      {report::vaTop, true, u"line 0"},
      {report::vaBottom, true, nullptr},
      {report::vaTop, false, u"line 0"},  // not clipped: every line shows, so every line is laid out
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.vAlign) * 10 + c.clipped);
    MemoFixture f;
    WideString text;
    for (int i = 0; i < 5000; ++i) text += u"line " + rtl::AnsiToWide(std::to_string(i)) + u"\r\n";
    f.memo->SetText(text);
    f.memo->SetVAlign(c.vAlign);
    f.memo->SetClipped(c.clipped);
    const long double height = f.memo->CalcHeight();
    gfx::TRecordingCanvas canvas;
    f.memo->Draw(canvas, 1, 1, 0, 0);
    const report::TfrxDrawText& layout = f.report->layout;
    EXPECT_EQ(layout.LineCount(), 5000);
    if (c.clipped) {
      // A 50-pixel box holds four lines of 13.28; the rest is margin.
      EXPECT_LT(layout.WrappedLineCount(), 40);
    } else {
      EXPECT_EQ(layout.WrappedLineCount(), 5000);
    }
    const std::vector<std::u16string> drawn = canvas.Texts();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), c.firstDrawn ? std::u16string(c.firstDrawn)
                                          : u"line " + rtl::AnsiToWide(std::to_string(4999 - drawn.size() + 1)));
    if (c.vAlign == report::vaBottom) {
      EXPECT_EQ(drawn.back(), u"line 4999");
    }
    EXPECT_EQ(f.memo->CalcHeight(), height);
    EXPECT_EQ(f.memo->WrapText(true), text);
  }
}

TEST(MemoDraw, WrapTextGivesTheLaidOutLinesOrTheTextWithoutTags) {
  MemoFixture f;
  f.memo->SetWidth(40);
  f.memo->SetAllowHTMLTags(true);
  f.memo->SetText(u"aaa <b>bbb</b> ccc");
  EXPECT_EQ(f.memo->WrapText(true), u"aaa\r\nbbb\r\nccc\r\n");
  EXPECT_EQ(f.memo->WrapText(false), u"aaa bbb ccc\r\n");
}

// ---------------------------------------------------------------- splitting

TEST(MemoSplit, DrawPartTable) {
  struct Case {
    const char* name;
    const char16_t* text;
    long double height;
    const char16_t* printed;
    const char16_t* remainder;
    bool lastParaBreak;
    long double unused;
  };
  const Case cases[] = {
      {"lower than a line keeps everything", u"one\r\ntwo", 10, u"", u"one\r\ntwo\r\n", false, 10},
      {"two of three paragraphs", u"one\r\ntwo\r\nthree", 40, u"one\r\ntwo\r\n", u"three\r\n", false, 40 - 2 * 15.28L},
      {"cut inside a paragraph", u"aaa bbb ccc", 40, u"aaa bbb\r\n", u"ccc\r\n", true, 40 - 2 * 15.28L},
      {"everything fits", u"one", 40, u"one\r\n", u"", false, 40 - 2 * 15.28L},
  };
  for (const Case& c : cases) {
    MemoFixture f;
    f.memo->SetWidth(40);  // 37 pixels of text: "aaa bbb" does not fit one line
    f.memo->SetHeight(c.height);
    f.memo->SetText(c.text);
    f.memo->InitPart();
    const long double unused = f.memo->DrawPart();
    EXPECT_EQ(f.memo->Text(), c.printed) << c.name;
    EXPECT_EQ(f.memo->RemainderText, c.remainder) << c.name;
    EXPECT_EQ(f.memo->LastParaBreak(), c.lastParaBreak) << c.name;
    EXPECT_NEAR(static_cast<double>(unused), static_cast<double>(c.unused), 1e-6) << c.name;
  }
}

TEST(MemoSplit, PartsCarryTheParagraphBreakThroughDiff) {
  MemoFixture f;
  f.memo->SetWidth(40);
  f.memo->SetHeight(40);
  f.memo->SetText(u"aaa bbb ccc");
  f.memo->InitPart();
  f.memo->DrawPart();
  TfrxMemoView blank(nullptr);
  const rtl::AnsiString first = f.memo->Diff(&blank);
  EXPECT_NE(first.find(" LastParaBreak=\"1\""), rtl::AnsiString::npos);
  EXPECT_EQ(first.find("FirstParaBreak"), rtl::AnsiString::npos);
  // The next part continues the cut paragraph.
  EXPECT_TRUE(f.memo->FirstParaBreak());
  EXPECT_FALSE(f.memo->LastParaBreak());
  f.memo->DrawPart();
  const rtl::AnsiString second = f.memo->Diff(&blank);
  EXPECT_NE(second.find(" FirstParaBreak=\"1\""), rtl::AnsiString::npos);
}

TEST(MemoSplit, FollowerGetsTheRestVerbatim) {
  MemoFixture f;
  auto* follower = new TfrxMemoView(f.report.get());
  follower->SetName("Memo2");
  f.memo->SetFlowTo(follower);
  f.memo->SetHeight(40);
  f.report->values = {{"Raw", Variant("[not evaluated]")}};
  f.memo->SetText(u"one\r\ntwo\r\n[Raw]");
  f.memo->GetData();
  EXPECT_EQ(f.memo->Text(), u"one\r\ntwo\r\n");
  EXPECT_EQ(follower->Text(), u"[not evaluated]\r\n");
  EXPECT_FALSE(follower->AllowExpressions());
  follower->GetData();
  EXPECT_EQ(follower->Text(), u"[not evaluated]\r\n");
  EXPECT_EQ(f.report->calls, 1);
  // Removing the follower clears the reference.
  delete follower;
  EXPECT_EQ(f.memo->FlowTo(), nullptr);
}

// ---------------------------------------------------------------- styles, Diff, templates

TEST(MemoStyle, NamedStyleGivesColourAndFont) {
  MemoFixture f;
  report::TfrxStyleItem* style = f.report->styles.Add();
  style->SetName("Header");
  style->SetColor(0x00FF00);
  style->Font()->SetName("Times New Roman");
  f.memo->SetStyle("header");
  EXPECT_EQ(f.memo->Color(), 0x00FF00);
  EXPECT_EQ(f.memo->Font()->Name(), "Times New Roman");
  EXPECT_FALSE(f.memo->ParentFont());
  f.memo->SetColor(0x123456);
  f.memo->SetStyle("Missing");
  EXPECT_EQ(f.memo->Style(), "Missing");
  EXPECT_EQ(f.memo->Color(), 0x123456);
}

TEST(MemoDiff, AttributesInOrderWithTheTextAsUtf8) {
  rtl::FormatSettingsScope scope(rtl::FormatSettings::Russian());
  TfrxMemoView memo(nullptr), blank(nullptr);
  memo.SetHAlign(report::haCenter);
  memo.SetGapX(3.5);
  memo.SetRotation(90);
  memo.SetWordWrap(false);
  memo.DisplayFormat()->SetKind(report::fkNumeric);
  memo.DisplayFormat()->SetFormatStr("%2.2f");
  memo.SetText(u"Итого\r\n\"<&>\"\r\n");
  const rtl::AnsiString diff = memo.Diff(&blank);
  const rtl::AnsiString tail =
      " GapX=\"3,5\" HAlign=\"2\" u=\"" + rtl::WideToUtf8(u"Итого") +
      "&#13;&#10;&#34;&#60;&#38;&#62;&#34;\" Rotation=\"90\" WordWrap=\"0\" DisplayFormat.Kind=\"1\""
      " DisplayFormat.FormatStr=\"%2.2f\"";
  ASSERT_GE(diff.size(), tail.size());
  EXPECT_EQ(diff.substr(diff.size() - tail.size()), tail) << diff;

  TfrxMemoView empty(nullptr);
  EXPECT_NE(empty.Diff(&blank).find(" u=\"\""), rtl::AnsiString::npos);
}

TEST(MemoTemplate, SerializerRoundTrip) {
  MemoFixture f;
  f.memo->SetText(u"Привет, \"мир\" <&>\r\nвторая строка");
  f.memo->SetHAlign(report::haBlock);
  f.memo->SetRotation(90);
  f.memo->SetGapX(3);
  f.memo->SetHideZeros(true);
  f.memo->Highlight()->SetCondition("Value > 0");
  f.memo->DisplayFormat()->SetKind(report::fkNumeric);
  f.memo->DisplayFormat()->SetFormatStr("%2.2f");
  f.memo->SetExpressionDelimiters("<,>");

  rtl::TMemoryStream stream;
  {
    report::TfrxXMLSerializer w(&stream);
    w.WriteRootComponent(f.report.get());
  }
  const std::string xml(stream.Memory(), static_cast<std::size_t>(stream.Size()));
  EXPECT_NE(xml.find(rtl::WideToUtf8(u"Привет, &#34;мир&#34; &#60;&#38;&#62;")), std::string::npos) << xml;
  EXPECT_NE(xml.find(" HAlign=\"haBlock\""), std::string::npos);
  EXPECT_EQ(xml.find("GapY"), std::string::npos) << "defaults are left out";

  MemoFixture back;
  back.memo->SetText(u"");
  stream.SetPosition(0);
  report::TfrxXMLSerializer r(&stream);
  r.ReadRootComponent(back.report.get());
  EXPECT_EQ(r.Errors().Count(), 0);
  EXPECT_EQ(back.memo->Text(), u"Привет, \"мир\" <&>\r\nвторая строка\r\n");
  EXPECT_EQ(back.memo->HAlign(), report::haBlock);
  EXPECT_EQ(back.memo->Rotation(), 90);
  EXPECT_EQ(back.memo->GapX(), 3);
  EXPECT_TRUE(back.memo->HideZeros());
  EXPECT_EQ(back.memo->Highlight()->Condition(), "Value > 0");
  EXPECT_EQ(back.memo->DisplayFormat()->Kind(), report::fkNumeric);
  EXPECT_EQ(back.memo->DisplayFormat()->FormatStr(), "%2.2f");
  EXPECT_EQ(back.memo->ExpressionDelimiters(), "<,>");
}

}  // namespace
}  // namespace report_test

namespace report_test {
namespace {

// The report object itself answers the text object: its styles here.
TEST(MemoInReport, StylesComeFromTheReportObject) {
  report::ReportClassesStartup();
  {
    report::TfrxReport rep;
    auto* memo = new TfrxMemoView(&rep);
    report::TfrxStyleItem* style = rep.Styles()->Add();
    style->SetName("Title");
    style->SetColor(0x0000FF);
    memo->SetStyle("TITLE");
    EXPECT_EQ(memo->Color(), 0x0000FF);
    memo->SetText(u"plain");
    memo->GetData();
    EXPECT_EQ(memo->Text(), u"plain\r\n");
  }
  report::ReportClassesShutdown();
}

}  // namespace
}  // namespace report_test
