// Any input as a prepared-report file in a real report's prepared pages,
// exported through the export driver into a layout matrix and built into
// its grid: hostile geometry (huge, negative, not-a-number sizes), piles of
// overlapping objects and thousands of edges end in a grid or a clear
// EMatrixLimit, never a crash, a hang or a huge allocation. The options
// follow the input's length, so the seeds reach merging, splitting, empty
// rows, the white fill and frame optimisation.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/rtl/streams.h"
#include "report/vuzClassReport.h"
#include "report_start.h"
#include "tests/export/matrix_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::StartReportsWithPreparedPages();
  report::TfrxReport report;
  report.EngineOptions()->NewSilentMode = report::simSilent;
  report.SetShowProgress(false);
  report::TfrxCustomPreviewPages* pages = report.PreviewPages();
  {
    rtl::TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
      pages->LoadFromStream(in);
    } catch (const rtl::Exception&) {
      return 0;
    }
  }
  if (pages->GetCount() > 64) return 0;
  exporttest::MatrixFilter filter;
  report::TfrxIEMatrix& m = filter.matrix;
  m.Inaccuracy = (size & 3) == 0 ? 0 : (size & 3) == 1 ? 0.5L : 10;
  m.MaxRowHeight = (size & 4) ? 100 : 0;
  m.MaxColumnWidth = (size & 8) ? 300 : 0;
  m.EmptyLines = (size & 16) == 0;
  m.WhiteFill = (size & 32) != 0;
  m.WhiteFillCropped = (size & 64) != 0;
  m.FrameOptimization = (size & 128) != 0;
  m.Background = (size & 256) != 0;
  m.SourceReport = &report;
  try {
    pages->Export(&filter);
    m.Prepare();
  } catch (const report::EMatrixLimit&) {
    return 0;
  }
  for (int r = 0; r < m.RowCount; ++r)
    for (int c = 0; c < m.ColumnCount; ++c) {
      const int id = m.GetCell(c, r);
      if (id < 0) continue;
      int x = 0, y = 0, w = 0, h = 0;
      m.GetObjectPos(id, x, y, w, h);
      // A cell belongs to a settled object whose block holds it.
      if (!m.IsSettled(id) || c < x || c >= x + w || r < y || r >= y + h) __builtin_trap();
      if (m.GetObject(c, r)->CellStyle != m.GetStyle(c, r) && m.GetObject(c, r)->StyleId >= 0) __builtin_trap();
    }
  return 0;
}
