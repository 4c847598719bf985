// Filling the data table of a process (21,707 points of 7 columns) and
// scrolling to its end, as the process display does: the table grows by one
// row per point and every cell is set as text.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/gui/grids.h"

using namespace gui;

namespace {

constexpr int kPoints = 21707;

void FillAndScroll(TStringGrid& grid, bool growRowByRow) {
  grid.SetRowCount(2);
  char text[32];
  if (!growRowByRow) grid.SetRowCount(kPoints + 1);
  for (int k = 0; k < kPoints; ++k) {
    int row = k + 1;
    if (growRowByRow && row >= grid.RowCount()) grid.SetRowCount(row + 1);
    std::snprintf(text, sizeof text, "%02d.11.13", 1 + k % 28);
    grid.SetCells(0, row, text);
    std::snprintf(text, sizeof text, "%02d:%02d", (k / 60) % 24, k % 60);
    grid.SetCells(1, row, text);
    for (int c = 2; c < 7; ++c) {
      std::snprintf(text, sizeof text, "%d,%d", (k * 7 + c) % 100, k % 10);
      grid.SetCells(c, row, text);
    }
  }
  grid.SetRow(grid.RowCount() - 1);
  grid.SetTopRow(grid.RowCount() - grid.VisibleRowCount());
  Application->ProcessMessages();
  grid.Repaint();
}

struct Window {
  TForm form{nullptr};
  TStringGrid* grid = new TStringGrid(&form);
  Window() {
    form.SetBounds(0, 0, 640, 480);
    grid->SetParent(&form);
    grid->SetAlign(alClient);
    grid->SetDefaultRowHeight(16);
    grid->SetColCount(7);
    grid->SetFixedRows(1);
    grid->SetOptions(grid->Options() | goRowSelect);
    form.Show();
  }
};

void BM_DataTableGrowRowByRowAndScroll(benchmark::State& state) {
  Window w;
  for (auto _ : state) FillAndScroll(*w.grid, true);
  state.SetItemsProcessed(state.iterations() * kPoints * 7);
}
BENCHMARK(BM_DataTableGrowRowByRowAndScroll)->Unit(benchmark::kMillisecond);

void BM_DataTableSizedOnceAndScroll(benchmark::State& state) {
  Window w;
  for (auto _ : state) FillAndScroll(*w.grid, false);
  state.SetItemsProcessed(state.iterations() * kPoints * 7);
}
BENCHMARK(BM_DataTableSizedOnceAndScroll)->Unit(benchmark::kMillisecond);

void BM_ScrollThroughTheTable(benchmark::State& state) {
  Window w;
  FillAndScroll(*w.grid, false);
  int top = 1;
  for (auto _ : state) {
    top = top + 500 > kPoints ? 1 : top + 500;
    w.grid->SetTopRow(top);
    w.grid->Repaint();
  }
}
BENCHMARK(BM_ScrollThroughTheTable)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
