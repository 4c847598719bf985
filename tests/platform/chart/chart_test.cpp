// The chart drawn and used: layout and hit zones, rendering to a bitmap and
// a metafile from the one renderer, label spacing on screen, the control's
// zoom, undo and scroll drags, and the print preview.
#include "platform/chart/chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/chart/preview_dialog.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/metafile.h"
#include "platform/gui/application.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/files.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/streams.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

using namespace chart;
using namespace rtl::literals;

namespace {

// A chart on a form with a red line from 0:00 to 12:00 on 7 March 2013 and a
// blue one on the right axis.
struct ChartOnForm {
  gui::TForm form{nullptr};
  TChart* chart;
  TLineSeries* red;
  TLineSeries* blue;
  double t0 = rtl::EncodeDate(2013, 3, 7);
  ChartOnForm(int w = 600, int h = 400) {
    form.SetBounds(0, 0, w + 20, h + 20);
    chart = new TChart(&form);
    chart->SetParent(&form);
    chart->SetBounds(0, 0, w, h);
    chart->BottomAxis().SetDateTime(true);
    chart->LeftAxis().SetMinMax(0, 100);
    chart->LeftAxis().SetIncrement(10);
    chart->LeftAxis().SetTitle("Left");
    chart->RightAxis().SetTitle("Right");
    red = chart->AddSeries<TLineSeries>();
    red->SetSeriesColor(gfx::clRed);
    red->SetTitle("Red");
    blue = chart->AddSeries<TLineSeries>();
    blue->SetSeriesColor(gfx::clBlue);
    blue->SetVertAxis(TVertAxis::Right);
    blue->SetTitle("Blue");
    for (int i = 0; i <= 72; ++i) {
      red->AddXY(t0 + i / 144.0, 20 + i % 10);
      blue->AddXY(t0 + i / 144.0, -1 - i / 36.0);
    }
    form.Show();
  }
};

bool IsColour(gfx::TColor c, gfx::TColor want) { return gfx::ColorToRGB(c) == gfx::ColorToRGB(want); }

// Anti-aliased red text: strong red, little green and blue.
int CountReddish(gfx::TBitmap& b, const gfx::TRect& r) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      gfx::TColor c = gfx::ColorToRGB(b.PixelColor(x, y));
      int red = c & 0xFF, green = (c >> 8) & 0xFF, blue = (c >> 16) & 0xFF;
      n += red > 150 && green < 110 && blue < 110;
    }
  return n;
}

int CountColour(gfx::TBitmap& b, const gfx::TRect& r, gfx::TColor want) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += IsColour(b.PixelColor(x, y), want);
  return n;
}

TEST(ChartLayout, PlotAxesLegendAndTitleHaveTheirOwnZones) {
  ChartOnForm f;
  f.chart->SetTitleText("Title");
  f.chart->UpdateLayout();
  const TChartLayout& L = f.chart->Layout();
  const gfx::TRect p = f.chart->ChartRect();
  ASSERT_FALSE(p.IsEmpty());
  EXPECT_LT(L.title.Bottom, p.Top);
  EXPECT_GE(L.legend.Left, p.Right);
  struct Case {
    int x, y;
    TChartPart part;
  } cases[] = {
      {(p.Left + p.Right) / 2, (p.Top + p.Bottom) / 2, TChartPart::Plot},
      {p.Left - 5, (p.Top + p.Bottom) / 2, TChartPart::LeftAxis},
      {p.Right + 5, (p.Top + p.Bottom) / 2, TChartPart::RightAxis},
      {(p.Left + p.Right) / 2, p.Bottom + 5, TChartPart::BottomAxis},
      {(L.legend.Left + L.legend.Right) / 2, L.legend.Top + 3, TChartPart::Legend},
      {300, L.title.Top + 2, TChartPart::Title},
      {1, 1, TChartPart::None},
  };
  for (const Case& c : cases) EXPECT_EQ(f.chart->PartAt(c.x, c.y), c.part) << c.x << "," << c.y;
  // The axes span the plot: screen to value and back.
  EXPECT_NEAR(f.chart->XScreenToValue(p.Left), f.t0, 1e-9);
  EXPECT_NEAR(f.chart->XScreenToValue(p.Right - 1), f.t0 + 0.5, 1e-9);
  EXPECT_NEAR(f.chart->YScreenToValue(TVertAxis::Left, p.Bottom - 1), 0, 1e-9);
  EXPECT_NEAR(f.chart->YScreenToValue(TVertAxis::Left, p.Top), 100, 1e-9);
  // The right axis follows its data: -3 at the bottom, -1 at the top.
  EXPECT_EQ(f.chart->YValueToScreen(TVertAxis::Right, -1), p.Top);
  EXPECT_EQ(f.chart->YValueToScreen(TVertAxis::Right, -3), p.Bottom - 1);
  EXPECT_NEAR(f.chart->XValueToScreen(f.t0 + 0.25), (p.Left + p.Right - 1) / 2.0, 0.5);
}

TEST(ChartLayout, DateLabelsStayAtLeastTwentyPixelsApart) {
  // Widths from narrow to wide and ranges from an hour to months: the gap
  // between neighbouring label texts is never below 20 pixels.
  for (const char* format : {"hh:mm", "dd.mmm\r hh:nn"})
    for (double range : {1.0 / 24, 0.5, 1.2, 3.0, 15.0, 90.0})
      for (int width : {200, 420, 900, 1400}) {
        TChartModel m;
        m.BottomAxis().SetDateTime(true);
        m.BottomAxis().SetDateTimeFormat(format);
        auto* s = m.AddSeries<TLineSeries>();
        const double t0 = rtl::EncodeDateTime(2013, 3, 7, 9, 5, 0, 0);
        s->AddXY(t0, 1);
        s->AddXY(t0 + range, 2);
        gfx::TBitmap b(width, 300);
        m.Draw(b.Canvas(), gfx::Rect(0, 0, width, 300));
        const auto& L = m.Layout();
        SetChartFont(b.Canvas(), 8, gfx::clBlack);
        for (std::size_t i = 1; i < L.bottom.values.size(); ++i) {
          auto textWidth = [&](double v) {
            rtl::AnsiString t = AxisLabelText(m.BottomAxis(), v, 0);
            int w = 0;
            std::size_t from = 0;
            for (;;) {
              std::size_t cr = t.find('\r', from);
              w = std::max(w, b.Canvas().TextWidth(t.substr(from, cr - from)));
              if (cr == rtl::AnsiString::npos) break;
              from = cr + 1;
            }
            return w;
          };
          const double a = m.BottomAxis().ValueToPixelExact(L.bottom.values[i - 1]);
          const double c = m.BottomAxis().ValueToPixelExact(L.bottom.values[i]);
          const double gapPx = (c - a) - (textWidth(L.bottom.values[i - 1]) + textWidth(L.bottom.values[i])) / 2.0;
          EXPECT_GE(gapPx, 19.0) << format << " range " << range << " width " << width << " label " << i;
        }
        EXPECT_GE(L.bottom.values.size(), 1u) << format << " range " << range << " width " << width;
      }
}

TEST(ChartRendering, BitmapShowsTheSeriesInsideThePlotOnly) {
  ChartOnForm f;
  f.chart->SetTitleText("Начало 7 мар 2013, 9:05"_cp);
  f.chart->BottomAxis().SetTitle("\rВремя, час"_cp);
  f.chart->BottomAxis().SetDateTimeFormat("dd.mmm\r hh:nn");
  auto bmp = f.chart->CreateBitmap();
  if (const char* dump = std::getenv("CHART_DUMP")) bmp->SaveToFile(dump);
  ASSERT_EQ(bmp->Width(), 600);
  const gfx::TRect p = f.chart->Layout().plot;
  EXPECT_GT(CountColour(*bmp, p, gfx::clRed), 100);
  EXPECT_GT(CountColour(*bmp, p, gfx::clBlue), 100);
  // Outside the plot: the legend's samples only, no curve.
  gfx::TRect above{0, 0, 600, p.Top};
  EXPECT_EQ(CountColour(*bmp, above, gfx::clRed), 0);
  // The panel of a copy is white.
  EXPECT_TRUE(IsColour(bmp->PixelColor(1, 1), gfx::clWhite));
  // Markers: a marker series adds a filled square around its point.
  auto* mark = f.chart->AddSeries<TPointSeries>();
  mark->SetShowInLegend(false);
  mark->AddXY(f.t0 + 0.25, 50, "", gfx::clLime);
  auto bmp2 = f.chart->CreateBitmap();
  const int x = f.chart->Layout().plot.Left + (f.chart->Layout().plot.Width() - 1) / 2;
  const int y = f.chart->LeftAxis().ValueToPixel(50);
  EXPECT_TRUE(IsColour(bmp2->PixelColor(x, y), gfx::clLime));
  EXPECT_TRUE(IsColour(bmp2->PixelColor(x + 2, y - 2), gfx::clLime));
}

TEST(ChartRendering, PerLabelColoursComeFromTheHandler) {
  ChartOnForm f;
  f.chart->OnGetAxisLabel = [&](TChartAxis& axis, double, rtl::AnsiString&, gfx::TColor& c) {
    if (&axis == &f.chart->LeftAxis()) c = gfx::clRed;
  };
  auto bmp = f.chart->CreateBitmap();
  const auto& L = f.chart->Layout();
  const gfx::TRect labels{L.leftAxis.Left, L.plot.Top, L.plot.Left - 4, L.plot.Bottom};
  EXPECT_GT(CountReddish(*bmp, labels), 10);
  f.chart->OnGetAxisLabel = nullptr;
  auto plain = f.chart->CreateBitmap();
  EXPECT_EQ(CountReddish(*plain, labels), 0);
}

TEST(ChartRendering, PlainMetafileFromTheSameRenderer) {
  ChartOnForm f;
  f.chart->LeftAxis().SetTitle("Температура"_cp);
  auto mf = f.chart->CreateMetafile(false, gfx::Rect(0, 0, 500, 300));
  EXPECT_FALSE(mf->Enhanced());
  EXPECT_EQ(mf->Width(), 500);
  EXPECT_FALSE(mf->Empty());
  bool title = false;
  for (const auto& t : mf->TextRecords()) title |= t.text == u"Температура";
  EXPECT_TRUE(title);
  // Saved as a placeable WMF (key 9AC6CDD7) and read back.
  rtl::TMemoryStream s;
  mf->SaveToStream(s);
  ASSERT_GT(s.Bytes().size(), 22u);
  EXPECT_EQ(static_cast<unsigned char>(s.Bytes()[0]), 0xD7);
  EXPECT_EQ(static_cast<unsigned char>(s.Bytes()[3]), 0x9A);
  s.Seek(0, rtl::soBeginning);
  gfx::TMetafile back;
  back.LoadFromStream(s);
  // Played into a bitmap it shows the red curve as the bitmap copy does.
  gfx::TBitmap b(500, 300);
  b.Canvas().StretchDraw(gfx::Rect(0, 0, 500, 300), back);
  EXPECT_GT(CountColour(b, gfx::Rect(0, 0, 500, 300), gfx::clRed), 100);
  // The screen layout is back for the control afterwards.
  f.chart->UpdateLayout();
  EXPECT_EQ(f.chart->Layout().bounds, gfx::Rect(0, 0, 600, 400));
}

TEST(ChartRendering, ManyPointsDrawQuicklyAndTheSameAsFew) {
  // 21,706 points collapse into pixels; the picture equals that of drawing
  // each pixel's points once.
  TChartModel m;
  m.BottomAxis().SetDateTime(true);
  auto* s = m.AddSeries<TLineSeries>();
  s->SetPointerVisible(true);
  for (int i = 0; i < 21706; ++i) s->AddXY(i / 144.0, (i * 7919) % 100);
  gfx::TBitmap b(800, 400);
  m.Draw(b.Canvas(), gfx::Rect(0, 0, 800, 400));
  EXPECT_GT(CountColour(b, m.Layout().plot, gfx::clRed), 1000);
}

TEST(ChartControl, LeftDragZoomsAndDragBackUndoes) {
  ChartOnForm f;
  f.chart->UpdateLayout();
  const gfx::TRect p = f.chart->ChartRect();
  int zooms = 0, undos = 0, downs = 0, ups = 0;
  f.chart->OnZoom = [&](rtl::TObject*) { ++zooms; };
  f.chart->OnUndoZoom = [&](rtl::TObject*) { ++undos; };
  f.chart->OnMouseDown = [&](rtl::TObject*, gui::TMouseButton, gui::TShiftState, int, int) { ++downs; };
  f.chart->OnMouseUp = [&](rtl::TObject*, gui::TMouseButton, gui::TShiftState, int, int) { ++ups; };
  const int x1 = p.Left + p.Width() / 4, x2 = p.Left + p.Width() / 2;
  const double v1 = f.chart->XScreenToValue(x1), v2 = f.chart->XScreenToValue(x2);
  gui::simulate::Drag(*f.chart, x1, p.Top + 10, x2, p.Top + 100);
  EXPECT_EQ(zooms, 1);
  EXPECT_EQ(downs, 1);  // the handlers still hear the mouse
  EXPECT_EQ(ups, 1);
  EXPECT_NEAR(f.chart->BottomAxis().Minimum(), v1, 1e-9);
  EXPECT_NEAR(f.chart->BottomAxis().Maximum(), v2, 1e-9);
  EXPECT_FALSE(f.chart->BottomAxis().Automatic());
  EXPECT_LT(f.chart->LeftAxis().Maximum(), 100);
  // Dragging up and to the left restores every axis as it was.
  gui::simulate::Drag(*f.chart, x2, p.Top + 100, x1, p.Top + 10);
  EXPECT_EQ(undos, 1);
  EXPECT_TRUE(f.chart->BottomAxis().Automatic());
  EXPECT_EQ(f.chart->LeftAxis().Minimum(), 0);
  EXPECT_EQ(f.chart->LeftAxis().Maximum(), 100);
  EXPECT_FALSE(f.chart->LeftAxis().Automatic());
  // A press outside the plot (on the axis labels) never zooms.
  gui::simulate::Drag(*f.chart, p.Left - 10, p.Top + 10, p.Left + 100, p.Top + 100);
  EXPECT_EQ(zooms, 1);
  // Nor does a click.
  gui::simulate::Click(*f.chart, x1, p.Top + 10);
  EXPECT_EQ(zooms, 1);
  EXPECT_EQ(undos, 1);
}

TEST(ChartControl, RightDragScrollsTheAxesWithThePointer) {
  ChartOnForm f;
  f.chart->UpdateLayout();
  const gfx::TRect p = f.chart->ChartRect();
  int scrolls = 0;
  f.chart->OnScroll = [&](rtl::TObject*) { ++scrolls; };
  const double span = f.chart->BottomAxis().Maximum() - f.chart->BottomAxis().Minimum();
  const double min0 = f.chart->BottomAxis().Minimum();
  const int dx = (p.Width() - 1) / 10;
  gui::simulate::DragWith(*f.chart, gui::mbRight, p.Left + 200, p.Top + 50, p.Left + 200 + dx, p.Top + 50);
  EXPECT_EQ(scrolls, 1);
  // Dragging right shows earlier data: the axis moves left by a tenth.
  EXPECT_NEAR(f.chart->BottomAxis().Minimum(), min0 - span * dx / (p.Width() - 1), span * 1e-9);
  EXPECT_NEAR(f.chart->BottomAxis().Maximum() - f.chart->BottomAxis().Minimum(), span, span * 1e-9);
  EXPECT_EQ(f.chart->LeftAxis().Minimum(), 0);  // no vertical move
}

TEST(ChartControl, CopiesToTheClipboardAsBitmapAndMetafile) {
  ChartOnForm f;
  f.chart->CopyToClipboardBitmap();
  gfx::TBitmap b;
  ASSERT_TRUE(gui::Clipboard().GetBitmap(b));
  EXPECT_EQ(b.Width(), 600);
  EXPECT_GT(CountColour(b, gfx::Rect(0, 0, 600, 400), gfx::clRed), 100);
  f.chart->CopyToClipboardMetafile(false);
  EXPECT_TRUE(gui::Clipboard().HasMetafile());
}

// Without a sink the page goes to a PDF of its own in the temporary folder,
// opened by the desktop's opener; a box tells where, and whether a viewer
// could show it.
class ChartPrintToFile : public ::testing::Test {
 protected:
  ChartPrintToFile() {
    const char* old = std::getenv("TMPDIR");
    hadTmp_ = old != nullptr;
    if (old) oldTmp_ = old;
    setenv("TMPDIR", tmp.Path().c_str(), 1);
    oldOpener_ = rtl::ShellOpenProgram();
    rtl::SetProgramFileName(tmp.Path() + "zarnik");
  }
  ~ChartPrintToFile() override {
    rtl::SetShellOpenProgram(oldOpener_);
    rtl::SetProgramFileName("");
    if (hadTmp_)
      setenv("TMPDIR", oldTmp_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }
  // Runs the preview, presses "Печать" and answers whether it printed.
  bool Print(gui::DialogScript& script) {
    script.OnModal([](gui::TForm& form) {
      for (int i = 0; i < form.ControlCount(); ++i)
        if (auto* b = dynamic_cast<gui::TButton*>(form.Controls(i)); b && b->Caption() == "Печать"_cp) b->Click();
      if (form.ModalResult() == gui::mrNone) form.SetModalResult(gui::mrCancel);
    });
    return ChartPreview(nullptr, *f.chart);
  }
  std::vector<rtl::AnsiString> Pdfs() {
    std::vector<rtl::AnsiString> names = rtl::FindFiles(tmp.Path() + "*.pdf");
    std::sort(names.begin(), names.end());
    return names;
  }

  ChartOnForm f;
  support::ScratchFolder tmp{"zarnik-chart-print-"};

 private:
  bool hadTmp_ = false;
  std::string oldTmp_;
  rtl::AnsiString oldOpener_;
};

TEST_F(ChartPrintToFile, EachPrintHasItsOwnFileAndTheUserIsToldWhere) {
  struct Case {
    const char* opener;  // the desktop's opener
    unsigned icon;
    const char* says;
  };
  const Case cases[] = {
      {"true", gui::MB_ICONINFORMATION, "Он открыт программой просмотра PDF-файлов"},
      {"false", gui::MB_ICONWARNING, "Программа просмотра PDF-файлов не установлена или не смогла открыть его"},
      {"/nonexistent/xdg-open", gui::MB_ICONWARNING, "не установлена"},
  };
  std::vector<rtl::AnsiString> seen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.opener);
    rtl::SetShellOpenProgram(c.opener);
    gui::DialogScript script;
    EXPECT_TRUE(Print(script));
    const std::vector<rtl::AnsiString> files = Pdfs();
    ASSERT_EQ(files.size(), seen.size() + 1);
    rtl::AnsiString name;
    for (const auto& file : files)
      if (std::find(seen.begin(), seen.end(), file) == seen.end()) name = file;
    seen.push_back(name);
    // zarnik-chart-YYYYMMDD-HHMMSS[-n].pdf
    const rtl::AnsiString stem = rtl::ExtractFileName(name);
    EXPECT_EQ(stem.substr(0, 13), "zarnik-chart-") << stem;
    EXPECT_EQ(stem.substr(13, 4), rtl::FormatDateTime("yyyy", rtl::Now())) << stem;
    EXPECT_EQ(support::ReadFile(rtl::NativePath(name)).substr(0, 5), "%PDF-");
    ASSERT_EQ(script.MessageBoxes().size(), 1u);
    const gui::MessageBoxRecord& box = script.MessageBoxes()[0];
    EXPECT_NE(box.Text.find(name), std::string::npos) << box.Text;
    EXPECT_NE(box.Text.find(rtl::Utf8ToAnsi(c.says)), std::string::npos) << box.Text;
    EXPECT_EQ(box.Icon(), c.icon);
  }
}

TEST_F(ChartPrintToFile, APageThatCannotBeWrittenIsNotPrintedAndLeavesNoFile) {
  rtl::SetShellOpenProgram("true");
  gui::DialogScript script;
  rtl::SetSaveFaultForTests([](std::string_view) { throw rtl::EWriteError("disk full"); });
  EXPECT_FALSE(Print(script));
  rtl::SetSaveFaultForTests(nullptr);
  EXPECT_TRUE(Pdfs().empty());
  ASSERT_EQ(script.MessageBoxes().size(), 1u);
  EXPECT_EQ(script.MessageBoxes()[0].Text.substr(0, 22), "Не могу записать файл "_cp);
  EXPECT_EQ(script.MessageBoxes()[0].Icon(), gui::MB_ICONWARNING);
}

TEST(ChartPreview, ShowsThePageAndPrintsItAsPdf) {
  ChartOnForm f;
  std::string printed;
  SetChartPrintSink([&](const std::string& pdf) {
    printed = pdf;
    return true;
  });
  gui::DialogScript script;
  rtl::AnsiString caption;
  script.OnModal([&](gui::TForm& form) {
    caption = form.Caption();
    for (int i = 0; i < form.ControlCount(); ++i)
      if (auto* b = dynamic_cast<gui::TButton*>(form.Controls(i)); b && b->Caption() == "Печать"_cp) b->Click();
  });
  EXPECT_TRUE(ChartPreview(nullptr, *f.chart));
  SetChartPrintSink(nullptr);
  EXPECT_EQ(caption, "Предварительный просмотр"_cp);
  ASSERT_GT(printed.size(), 1000u);
  EXPECT_EQ(printed.substr(0, 5), "%PDF-");
  // The page rectangle keeps the chart's shape inside the margins.
  gfx::TRect r = ChartPageRect({3508, 2480}, {600, 400}, 300);
  EXPECT_EQ(r.Left + r.Width() / 2, 3508 / 2);
  EXPECT_EQ(r.Top, 118);
  EXPECT_NEAR(static_cast<double>(r.Width()) / r.Height(), 1.5, 0.01);
}

}  // namespace
