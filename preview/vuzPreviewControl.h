// The preview control without a window: it implements the engine's preview
// (pages appear while the report is built), keeps the page number, zoom and
// the scroll positions of its two workspaces (the pages and the thumbnail
// strip), paints them on any canvas, answers keys, wheel and mouse, searches
// text, and runs the preview's actions, refusing them while a report is
// built. A window (a *_gui companion) hands it sizes and input and shows
// what it paints; tests drive it directly.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/canvas.h"
#include "preview/vuzPageList.h"
#include "preview/vuzPreviewHost.h"
#include "preview/vuzPreviewModel.h"
#include "preview/vuzTextSearch.h"
#include "report/vuzClassReport.h"

namespace preview {

// What the window around the control offers it.
class TfrxPreviewView {
 public:
  virtual ~TfrxPreviewView() = default;
  virtual int WorkspaceWidth() const = 0;
  virtual int WorkspaceHeight() const = 0;
  virtual int ThumbnailWidth() const { return 0; }
  virtual int ThumbnailHeight() const { return 0; }
  virtual int ScrollBarWidth() const { return 17; }
  // Paint again (what changed: the pages, the thumbnails, or both).
  virtual void Repaint() {}
  // The page number, page count, zoom or building state changed.
  virtual void StateChanged() {}
  virtual void ShowMessage(const AnsiString& /*text*/) {}
  virtual void HideMessage() {}
  virtual void SetCursor(int /*cursor*/) {}
  virtual void ErrorMessage(const AnsiString& /*text*/) {}
  // The search dialog; false when cancelled.
  virtual bool AskSearch(AnsiString& /*text*/, bool& /*fromTop*/, bool& /*matchCase*/) { return false; }
  virtual void ProcessMessages() {}
  // The page settings dialog on a prepared page (edited in place); false when
  // cancelled. applyToAll: the change is for every page of the template.
  virtual bool AskPageSettings(report::TfrxComponent* /*page*/, bool& /*applyToAll*/) { return false; }
  // The report's outline changed (rebuilt after a build or a load).
  virtual void OutlineChanged() {}
};

// One entry of the report's outline, as the outline tree shows it.
struct TfrxOutlineNode {
  AnsiString Text;
  int PageNo = 1;  // 1-based
  int Top = 0;     // pixels from the page's top margin
  std::vector<TfrxOutlineNode> Children;
};
// The outline of prepared pages as a tree (depth bounded, so a crafted file
// cannot exhaust the stack).
std::vector<TfrxOutlineNode> vuzOutlineTree(report::TfrxCustomOutline& outline);

// One page area: the main workspace or the thumbnail strip.
struct TfrxWorkspace {
  TfrxPageList Pages;
  TfrxScrollAxis Horz, Vert;
  long double Zoom = 1;
  bool Thumbnails = false;
  bool Locked = false;
  gfx::TColor BackColor = 0x808080, FrameColor = 0, ActiveFrameColor = 0x804020;
  gfx::TPoint ViewOffset() const { return {Horz.Position(), Vert.Position()}; }
  void UpdateScrollBars() {
    const gfx::TPoint m = Pages.GetMaxBounds();
    Horz.SetRange(m.X + 10);
    Vert.SetRange(m.Y + 10);
  }
};

class TfrxPreview : public report::TfrxCustomPreview, public TfrxPreviewCommands {
 public:
  explicit TfrxPreview(TfrxPreviewView& view, std::function<std::uint32_t()> clock = nullptr);
  ~TfrxPreview() override;

  // ---- the engine's side
  void Init() override;
  void Lock() override;
  void Unlock() override;
  void RefreshReport() override;
  void InternalOnProgressStart(report::TfrxReport* report, report::TfrxProgressType type, int progress) override;
  void InternalOnProgress(report::TfrxReport* report, report::TfrxProgressType type, int progress) override;
  void InternalOnProgressStop(report::TfrxReport* report, report::TfrxProgressType type, int progress) override;

  // ---- the store's side
  void RefreshPages() override { view_.Repaint(); }
  void HideMessage() override { view_.HideMessage(); }
  void SetPageNo(int page) override;
  void SetPosition(int page, int top) override;
  bool ShowHint() const override { return showHint_; }
  void SetShowHint(bool value) override { showHint_ = value; }
  void SetHint(const AnsiString& text) override { hint_ = text; }
  void Invalidate() override { view_.Repaint(); }

  // ---- navigation and view
  int PageNo() const { return pageNo_; }
  int PageCount() const;
  void First() { SetPageNo(1); }
  void Prior() { SetPageNo(pageNo_ - 1); }
  void Next() { SetPageNo(pageNo_ + 1); }
  void Last() { SetPageNo(PageCount()); }
  long double Zoom() const { return main_.Zoom; }
  void SetZoom(long double zoom);
  report::TfrxZoomMode ZoomMode() const { return zoomMode_; }
  void SetZoomMode(report::TfrxZoomMode mode);
  bool ThumbnailVisible() const { return thumbnailVisible_; }
  void SetThumbnailVisible(bool value);
  int GetTopPosition() const;
  void UpdatePages();
  bool Building() const { return building_; }
  const AnsiString& Hint() const { return hint_; }

  // ---- input (client coordinates of the main workspace)
  void KeyDown(int key, bool ctrl);
  void MouseWheel(int delta, bool horizontal, bool zoom);
  void MouseDown(int x, int y, int button);
  void MouseMove(int x, int y);
  void MouseUp(int x, int y, int button, bool doubleClick);
  void ScrollTo(int horizontal, int vertical);
  // A click in the thumbnail strip.
  void ThumbnailClick(int x, int y);

  // ---- painting
  void PaintPages(gfx::TCanvas& canvas) { Paint(main_, canvas, false); }
  void PaintThumbnails(gfx::TCanvas& canvas) { Paint(thumbs_, canvas, false); }
  TfrxWorkspace& MainWorkspace() { return main_; }
  TfrxWorkspace& ThumbnailWorkspace() { return thumbs_; }

  // ---- search
  bool FindText(const AnsiString& text, bool fromTop, bool matchCase);
  void Find();
  void FindNext();
  bool FindTextFound() const { return vuzSearchState().Found; }
  void FindTextClear();
  int SearchPage() const { return searchPage_; }

  // ---- actions (nothing while a report is built)
  bool Print();
  bool Export(report::TfrxCustomExportFilter* filter);
  void SaveToFile(const AnsiString& fileName);
  void LoadFromFile(const AnsiString& fileName);
  void Clear();
  void AddPage();
  void DeletePage();
  void Cancel();
  // The page settings of the current page: the page alone, or every page of
  // the template and the report built again.
  void PageSetupDlg();
  // The outline of the pages shown; a click on an entry goes to its place.
  std::vector<TfrxOutlineNode> OutlineTree() const;
  void OutlineClick(const TfrxOutlineNode& node) { SetPosition(node.PageNo, node.Top); }

 private:
  void Paint(TfrxWorkspace& w, gfx::TCanvas& canvas, bool frameOnly);
  void LayOut(TfrxWorkspace& w, int width, bool addPages);
  int MainLayoutWidth() const;
  void ScrollToPage(TfrxWorkspace& w, int pageNo);
  void VertChanged();
  void RunSearch();
  // Runs an action between Lock and Unlock, unlocking also on failure.
  template <class F>
  auto Locked(F&& action);

  TfrxPreviewView& view_;
  TfrxWorkspace main_, thumbs_;
  TfrxBuildDisplay buildDisplay_;
  TfrxPageTextSearch search_;
  int pageNo_ = 1;
  report::TfrxZoomMode zoomMode_ = report::zmDefault;
  bool locked_ = false, refreshing_ = false, building_ = false, findArmed_ = false;
  bool thumbnailVisible_ = false, syncing_ = false, showHint_ = false;
  bool dragging_ = false;
  gfx::TPoint dragOrigin_;
  int searchPage_ = 0;
  AnsiString hint_;
};

}  // namespace preview
