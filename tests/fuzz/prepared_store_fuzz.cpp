// Any input as a prepared-report file loaded by the store: it loads or
// raises and then stays as it was; what loaded is used the way the preview
// and the exports use it (every page rebuilt, sized, drawn and exported, the
// outline and anchors read), and saved again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx/recording_canvas.h"
#include "platform/rtl/streams.h"
#include "preview/store_fixture.h"

using namespace preview_test;

namespace {

class NullFilter : public report::TfrxCustomExportFilter {
 public:
  NullFilter() { ShowDialog = false; }
  void ExportObject(report::TfrxComponent*) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  StoreFixture f;
  f.engine.FinalPass = true;
  {
    rtl::TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
      f.store->LoadFromStream(in);
    } catch (const rtl::Exception&) {
      if (f.store->GetCount() != 0) __builtin_trap();  // a failed load changes nothing
      return 0;
    }
  }
  gfx::TRecordingCanvas canvas;
  const int pages = f.store->GetCount() < 16 ? f.store->GetCount() : 16;
  for (int i = 0; i < pages; ++i) {
    f.store->GetPageSize(i);
    f.store->DrawPage(i, canvas, 1, 1, 0, 0);
    int cursor = 0;
    f.store->ObjectOver(i, 10, 10, 0, 0, 1, 0, 0, true, cursor, false);
    f.store->CurPage = i;
    f.store->GetLastY(0);
    f.store->GetLogicalPageNo();
    f.store->GetLogicalTotalPages();
  }
  if (f.store->GetCount() <= 64) {
    NullFilter filter;
    f.store->Export(&filter);
  }
  f.store->FindAnchor("a");
  report::TfrxCustomOutline* outline = f.store->Outline();
  outline->LevelRoot();
  for (int i = 0; i < outline->GetCount() && i < 16; ++i) {
    AnsiString text;
    int page = 0, top = 0;
    outline->GetItem(i, text, page, top);
  }
  rtl::TMemoryStream out;
  f.store->SaveToStream(out);
  out.SetPosition(0);
  StoreFixture g;
  g.store->LoadFromStream(out);
  return 0;
}
