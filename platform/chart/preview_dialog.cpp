#include "platform/chart/preview_dialog.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx/document_canvas.h"
#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/files.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/streams.h"

namespace chart {

using namespace rtl::literals;

namespace {

using rtl::AnsiString;

// How long the desktop's opener is watched for a failure.
constexpr int kViewerWaitMs = 1500;

// A4 in millimetres.
constexpr double kPageShortMm = 210, kPageLongMm = 297, kMarginMm = 10;

gfx::TSize PageDots(bool landscape, int dpi) {
  const int s = static_cast<int>(std::lround(kPageShortMm / 25.4 * dpi));
  const int l = static_cast<int>(std::lround(kPageLongMm / 25.4 * dpi));
  return landscape ? gfx::TSize{l, s} : gfx::TSize{s, l};
}

// The page is written under a name of its own: a time stamp, and a claimed
// name, so two copies of the program or two prints in one second never write
// over each other's file (a viewer may still be showing the last one).
AnsiString PrintFileStem() {
  const AnsiString program = rtl::ChangeFileExt(rtl::ExtractFileName(rtl::ParamStr(0)), "");
  return (program.empty() ? AnsiString("chart") : program) + "-chart-" +
         rtl::FormatDateTime("yyyymmdd-hhnnss", rtl::Now());
}

bool DefaultSink(const std::string& pdf) {
  const AnsiString folder = rtl::GetTempPath();
  const AnsiString stem = PrintFileStem();
  const AnsiString name = rtl::CreateUniqueFile(folder, stem, ".pdf");
  const unsigned warning = gui::MB_OK | gui::MB_ICONWARNING;
  if (name.empty()) {
    gui::MessageBox("Не могу записать файл "_cp + folder + stem + ".pdf", gui::Application->Title(), warning);
    return false;
  }
  // Written whole or not at all: a full disk is no "printed".
  try {
    rtl::SaveFileAtomically(name, pdf);
  } catch (const std::exception&) {
    rtl::DeleteFile(name);
    gui::MessageBox("Не могу записать файл "_cp + name, gui::Application->Title(), warning);
    return false;
  }
  // The desktop's viewer prints the page. Its opener is watched briefly (the
  // window keeps answering) so the user learns when nothing could show it.
  const rtl::TShellOpenOutcome opened =
      rtl::ShellOpenWatched(name, kViewerWaitMs, [] { gui::Application->ProcessMessages(); });
  if (opened == rtl::TShellOpenOutcome::Failed) {
    gui::MessageBox("График для печати записан в файл "_cp + name +
                        ".\nПрограмма просмотра PDF-файлов не установлена или не смогла открыть его: "
                        "откройте файл и напечатайте его другой программой."_cp,
                    gui::Application->Title(), warning);
  } else {
    gui::MessageBox("График для печати записан в файл "_cp + name +
                        ".\nОн открыт программой просмотра PDF-файлов, напечатайте его оттуда."_cp,
                    gui::Application->Title(), gui::MB_OK | gui::MB_ICONINFORMATION);
  }
  return true;
}

TChartPrintSink& Sink() {
  static TChartPrintSink sink;
  return sink;
}

}  // namespace

gfx::TRect ChartPageRect(gfx::TSize page, gfx::TSize chartSize, int dpi) {
  const int margin = static_cast<int>(std::lround(kMarginMm / 25.4 * dpi));
  const int w = std::max(1, page.cx - 2 * margin), h = std::max(1, page.cy - 2 * margin);
  if (chartSize.cx <= 0 || chartSize.cy <= 0) return gfx::Bounds(margin, margin, w, h);
  const double k = std::min(static_cast<double>(w) / chartSize.cx, static_cast<double>(h) / chartSize.cy);
  const int cw = std::max(1, static_cast<int>(chartSize.cx * k)), ch = std::max(1, static_cast<int>(chartSize.cy * k));
  return gfx::Bounds(margin + (w - cw) / 2, margin, cw, ch);
}

std::string ChartPagePdf(TChart& chart, bool landscape, int dpi) {
  rtl::TMemoryStream out;
  {
    gfx::TDocumentCanvas doc(out, gfx::TDocumentFormat::Pdf, dpi, dpi);
    const gfx::TSize page = PageDots(landscape, dpi);
    doc.BeginPage(page);
    // The chart is laid out at its screen size scaled to the printer, so the
    // page shows what the screen shows.
    chart.PrintPartialCanvas(doc, ChartPageRect(page, {chart.Width() * dpi / 96, chart.Height() * dpi / 96}, dpi));
    doc.EndPage();
    doc.EndDocument();
  }
  return out.Bytes();
}

void SetChartPrintSink(TChartPrintSink sink) { Sink() = std::move(sink); }

bool ChartPreview(rtl::TComponent* owner, TChart& chart) {
  gui::TForm form(owner);
  form.SetCaption("Предварительный просмотр"_cp);
  form.SetPosition(gui::poScreenCenter);
  form.SetBounds(0, 0, 640, 560);

  auto* portrait = new gui::TRadioButton(&form);
  portrait->SetParent(&form);
  portrait->SetBounds(8, 8, 90, 20);
  portrait->SetCaption("Книжная"_cp);
  auto* landscape = new gui::TRadioButton(&form);
  landscape->SetParent(&form);
  landscape->SetBounds(100, 8, 100, 20);
  landscape->SetCaption("Альбомная"_cp);
  landscape->SetChecked(true);

  auto* print = new gui::TButton(&form);
  print->SetParent(&form);
  print->SetBounds(640 - 8 - 2 * 88, 6, 84, 24);
  print->SetCaption("Печать"_cp);
  auto* close = new gui::TButton(&form);
  close->SetParent(&form);
  close->SetBounds(640 - 8 - 84, 6, 84, 24);
  close->SetCaption("Закрыть"_cp);
  close->SetCancel(true);
  close->SetModalResult(gui::mrCancel);

  auto* page = new gui::TPaintBox(&form);
  page->SetParent(&form);
  page->SetBounds(0, 38, 640, 560 - 38);
  page->SetColor(gui::clGray);
  // The page at screen resolution: white paper, the chart where it prints.
  page->OnPaint = [&](rtl::TObject*) {
    gfx::TCanvas& c = page->Canvas();
    const bool land = landscape->Checked();
    const gfx::TSize paper = PageDots(land, 96);
    const double k = std::min((page->Width() - 20.0) / paper.cx, (page->Height() - 20.0) / paper.cy);
    const int pw = static_cast<int>(paper.cx * k), ph = static_cast<int>(paper.cy * k);
    const int px = (page->Width() - pw) / 2, py = 10;
    c.Brush().SetColor(gui::clWhite);
    c.Pen().SetColor(gui::clBlack);
    c.Rectangle(px, py, px + pw, py + ph);
    gfx::TRect r = ChartPageRect(paper, {chart.Width(), chart.Height()}, 96);
    gfx::TRect onScreen = gfx::Rect(px + static_cast<int>(r.Left * k), py + static_cast<int>(r.Top * k),
                                    px + static_cast<int>(r.Right * k), py + static_cast<int>(r.Bottom * k));
    chart.PrintPartialCanvas(c, onScreen);
  };
  portrait->OnClick = [&](rtl::TObject*) { page->Invalidate(); };
  landscape->OnClick = [&](rtl::TObject*) { page->Invalidate(); };

  bool printed = false;
  print->OnClick = [&](rtl::TObject*) {
    // The window answers while the viewer starts: no second print meanwhile.
    print->SetEnabled(false);
    const std::string pdf = ChartPagePdf(chart, landscape->Checked());
    printed = Sink() ? Sink()(pdf) : DefaultSink(pdf);
    print->SetEnabled(true);
    if (printed) form.SetModalResult(gui::mrOk);
  };
  form.ShowModal();
  return printed;
}

}  // namespace chart
