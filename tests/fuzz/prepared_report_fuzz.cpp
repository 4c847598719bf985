// Any input as a prepared-report file: the tree loads or raises (the XML
// format error, a conversion or stream error) and then stays as it was;
// what loaded is walked the way the store and the preview walk it (pages,
// outline, anchors, logical numbers, dictionary, pictures), saved, and the
// saved file reads back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "preview/vuzOutline.h"
#include "preview/vuzPreparedFile.h"
#include "preview/vuzPreparedTree.h"

using namespace preview;

namespace {

void WalkOutline(TfrxOutline& outline, int depth) {
  if (depth > 64) return;
  for (int i = 0; i < outline.GetCount(); ++i) {
    AnsiString text;
    int page = 0, top = 0;
    outline.GetItem(i, text, page, top);
    outline.LevelDown(i);
    WalkOutline(outline, depth + 1);
    outline.LevelUp();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TfrxPreparedTree tree;
  {
    rtl::TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
    try {
      tree.LoadFromStream(in);
    } catch (const rtl::Exception&) {
      return 0;
    }
  }
  for (int i = 0; i < tree.Count(); ++i) {
    tree.CurPage = i;
    tree.LoadPage(tree.Page(i));
    vuzSourcePageIndex(tree.Page(i)->Name);
    tree.GetLogicalPageNo(0);
    tree.GetLogicalTotalPages(tree.Count(), 0);
    tree.GetCurPosition();
  }
  tree.FindAnchor("a");
  tree.GetAnchorPage("b");
  tree.ShiftAnchors(-1, 0);
  TfrxOutline outline(tree);
  outline.LevelRoot();
  WalkOutline(outline, 0);
  TfrxPreparedReportSettings settings;
  vuzReadReportSettings(tree, settings);
  TfrxDictionary dictionary;
  std::vector<AnsiString> errors;
  vuzReadDictionary(tree, dictionary, tree.Section("sourcepages")->Count(), nullptr, errors);
  TfrxPictureCache cache;
  vuzReadPictureCache(tree, cache);
  for (int i = 0; i <= cache.Count() && i < 8; ++i) {
    gfx::TPicture picture;
    cache.GetPicture(i, picture);
  }
  rtl::TMemoryStream out;
  tree.SaveToStream(out);
  TfrxPreparedTree again;
  out.SetPosition(0);
  again.LoadFromStream(out);
  return 0;
}
