#include "preview/vuzPreviewControl.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <type_traits>

#include "preview/vuzPreviewObjects.h"
#include "report/vuzRes.h"

namespace preview {

namespace {
std::uint32_t SteadyMilliseconds() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
constexpr int kPagesAroundTop = 40;
constexpr long double kThumbnailZoom = 0.1L;
}  // namespace

TfrxPreview::TfrxPreview(TfrxPreviewView& view, std::function<std::uint32_t()> clock)
    : view_(view),
      buildDisplay_(clock ? std::move(clock) : std::function<std::uint32_t()>(SteadyMilliseconds)),
      search_([this](int page, gfx::TCanvas& canvas) {
        if (PreviewPages) PreviewPages->DrawPage(page, canvas, 1, 1, 0, 0);
      }) {
  thumbs_.Zoom = kThumbnailZoom;
  thumbs_.Thumbnails = true;
}

TfrxPreview::~TfrxPreview() = default;  // the engine's base detaches from the report

int TfrxPreview::PageCount() const { return PreviewPages ? PreviewPages->GetCount() : 0; }

template <class F>
auto TfrxPreview::Locked(F&& action) {
  Lock();
  try {
    if constexpr (std::is_void_v<decltype(action())>) {
      action();
      Unlock();
    } else {
      auto result = action();
      Unlock();
      return result;
    }
  } catch (...) {
    Unlock();
    throw;
  }
}

// ---- the engine's side

void TfrxPreview::Init() {
  TfrxSearchState& s = vuzSearchState();
  s.Found = false;
  s.LastHit = -1;
  searchPage_ = 0;
  findArmed_ = false;
  if (Report) {
    const report::TfrxPreviewOptions& o = *Report->PreviewOptions();
    thumbnailVisible_ = o.ThumbnailVisible;
    zoomMode_ = o.ZoomMode;
    main_.Zoom = vuzClampZoom(o.Zoom);
  }
  UpdatePages();
  view_.OutlineChanged();
  First();
}

void TfrxPreview::Lock() {
  locked_ = true;
  main_.Locked = thumbs_.Locked = true;
}

void TfrxPreview::Unlock() {
  view_.HideMessage();
  locked_ = false;
  main_.Locked = thumbs_.Locked = false;
  UpdatePages();
  view_.Repaint();
}

void TfrxPreview::RefreshReport() {
  if (!Report) return;
  const gfx::TPoint offset = main_.ViewOffset();
  const int pageNo = pageNo_;
  Lock();
  refreshing_ = true;
  try {
    Report->PrepareReport(true);
    locked_ = false;
    thumbs_.Locked = false;
    pageNo_ = PageCount() < pageNo ? 1 : pageNo;
    UpdatePages();
    view_.OutlineChanged();
  } catch (...) {
    refreshing_ = false;
    main_.Locked = locked_ = thumbs_.Locked = false;
    throw;
  }
  refreshing_ = false;
  main_.Horz.SetPosition(offset.X);
  main_.Vert.SetPosition(offset.Y);
  main_.Locked = false;
  if (PageCount() < pageNo) SetPageNo(1);
  view_.Repaint();
}

void TfrxPreview::InternalOnProgressStart(report::TfrxReport*, report::TfrxProgressType, int) {
  if (refreshing_) return;
  Clear();
  if (Report && Report->DrillState()) Report->DrillState()->Clear();
  building_ = true;
  view_.StateChanged();
}

void TfrxPreview::InternalOnProgress(report::TfrxReport*, report::TfrxProgressType, int p) {
  if (refreshing_) {
    view_.StateChanged();
    return;
  }
  const bool finalPass = PreviewPages && PreviewPages->Engine && PreviewPages->Engine->FinalPass;
  const TfrxBuildDisplay::Step step = buildDisplay_.Progress(p, finalPass);
  if (step.AddPage && PreviewPages) {
    const report::TfrxPoint size = PreviewPages->GetPageSize(p);
    main_.Pages.AddPage(static_cast<int>(size.X), static_cast<int>(size.Y), main_.Zoom);
    main_.Pages.CalcBounds(MainLayoutWidth());
    main_.UpdateScrollBars();
  }
  if (step.FirstPage) {
    pageNo_ = 1;
    if (step.UpdatePages) UpdatePages();
  }
  if (step.UpdateNumbers) {
    view_.StateChanged();
    if (step.UpdateScrollBars) main_.UpdateScrollBars();
  }
  view_.ProcessMessages();
}

void TfrxPreview::InternalOnProgressStop(report::TfrxReport*, report::TfrxProgressType, int) {
  if (refreshing_) return;
  building_ = false;
  UpdatePages();
  view_.OutlineChanged();
  view_.StateChanged();
}

// ---- navigation and view

void TfrxPreview::SetPageNo(int page) {
  const int old = pageNo_;
  pageNo_ = vuzClampPageNo(page, PageCount());
  if (!syncing_) {
    ScrollToPage(main_, pageNo_);
    ScrollToPage(thumbs_, pageNo_);
  }
  if (old != pageNo_ || !syncing_) view_.Repaint();
  view_.StateChanged();
}

void TfrxPreview::ScrollToPage(TfrxWorkspace& w, int pageNo) {
  if (pageNo < 1) return;
  const gfx::TRect b = w.Pages.GetPageBounds(pageNo - 1, w.Horz.Page(), false, w.Zoom);
  w.Vert.SetPosition(b.Top - 10);
}

void TfrxPreview::SetPosition(int page, int top) {
  const int n = vuzClampPageNo(page, PageCount());
  TfrxComponent* object = PreviewPages && n > 0 ? PreviewPages->GetPage(n - 1) : nullptr;
  if (!object) return;
  const long double margin = vuzPageMargins(object).Top * report::fr01cm;
  const int offset = top == 0 ? 0 : vuzRoundClamped((margin + top) * main_.Zoom);
  const gfx::TRect b = main_.Pages.GetPageBounds(n - 1, main_.Horz.Page(), false, main_.Zoom);
  main_.Vert.SetPosition(b.Top + offset - 10);
  VertChanged();
  view_.Repaint();
}

int TfrxPreview::GetTopPosition() const {
  TfrxComponent* object = PreviewPages && pageNo_ > 0 ? PreviewPages->GetPage(pageNo_ - 1) : nullptr;
  if (!object) return 0;
  const gfx::TRect b = main_.Pages.GetPageBounds(pageNo_ - 1, main_.Horz.Page(), false, main_.Zoom);
  return vuzRoundClamped((main_.Vert.Position() - b.Top + 10) / main_.Zoom -
                         vuzPageMargins(object).Top * report::fr01cm);
}

void TfrxPreview::SetZoom(long double zoom) {
  main_.Zoom = vuzClampZoom(zoom);
  zoomMode_ = report::zmDefault;
  UpdatePages();
}

void TfrxPreview::SetZoomMode(report::TfrxZoomMode mode) {
  zoomMode_ = mode;
  UpdatePages();
}

void TfrxPreview::SetThumbnailVisible(bool value) {
  if (thumbnailVisible_ == value) return;
  thumbnailVisible_ = value;
  UpdatePages();
}

int TfrxPreview::MainLayoutWidth() const { return view_.WorkspaceWidth() - view_.ScrollBarWidth() - kPreviewFrame; }

void TfrxPreview::LayOut(TfrxWorkspace& w, int width, bool addPages) {
  w.Pages.Clear();
  if (addPages)
    for (int i = 0; i < PageCount(); ++i) {
      const report::TfrxPoint size = PreviewPages->GetPageSize(i);
      w.Pages.AddPage(static_cast<int>(size.X), static_cast<int>(size.Y), w.Zoom);
    }
  w.Pages.CalcBounds(width);
  w.UpdateScrollBars();
  w.Horz.SetPosition(w.Horz.Position());
  w.Vert.SetPosition(w.Vert.Position());
}

void TfrxPreview::UpdatePages() {
  main_.Horz.SetPage(view_.WorkspaceWidth());
  main_.Vert.SetPage(view_.WorkspaceHeight());
  thumbs_.Horz.SetPage(view_.ThumbnailWidth());
  thumbs_.Vert.SetPage(view_.ThumbnailHeight());
  if (locked_ || PageCount() == 0 || !PreviewPages) return;
  findArmed_ = false;
  search_.Invalidate();
  const report::TfrxPoint size = PreviewPages->GetPageSize(std::max(0, pageNo_ - 1));
  const int w = static_cast<int>(size.X), h = static_cast<int>(size.Y);
  if (h == 0) return;
  const TfrxZoomRoom room{view_.WorkspaceWidth() + view_.ThumbnailWidth(), view_.WorkspaceHeight(),
                          view_.WorkspaceWidth(), view_.WorkspaceHeight(), view_.ScrollBarWidth()};
  main_.Zoom = vuzZoomForMode(zoomMode_, main_.Zoom, w, h, room);
  LayOut(main_, MainLayoutWidth(), true);
  LayOut(thumbs_, view_.ThumbnailWidth() - view_.ScrollBarWidth() - kPreviewFrame, !building_);
  if (zoomMode_ == report::zmWholePage) ScrollToPage(main_, pageNo_);
  if (!refreshing_) view_.Repaint();
  view_.StateChanged();
}

// ---- input

void TfrxPreview::ScrollTo(int horizontal, int vertical) {
  main_.Horz.SetPosition(horizontal);
  if (main_.Vert.SetPosition(vertical)) VertChanged();
  view_.Repaint();
}

void TfrxPreview::VertChanged() {
  // The page at the top of the view becomes current, without scrolling back.
  const int top = main_.Pages.FindPage(main_.Vert.Position(), 0);
  syncing_ = true;
  SetPageNo(top + 1);
  syncing_ = false;
}

void TfrxPreview::KeyDown(int key, bool ctrl) {
  const report::TfrxPreviewButtons buttons =
      Report ? Report->PreviewOptions()->Buttons : report::kDefaultPreviewButtons;
  const TfrxKeyStep step = vuzPreviewKey(key, ctrl, buttons);
  switch (step.Action) {
    case TfrxPreviewKey::Scroll:
      ScrollTo(main_.Horz.Position() + step.ScrollX, main_.Vert.Position() + step.ScrollY);
      break;
    case TfrxPreviewKey::PriorPage: Prior(); break;
    case TfrxPreviewKey::NextPage: Next(); break;
    case TfrxPreviewKey::FirstPage: First(); break;
    case TfrxPreviewKey::LastPage: Last(); break;
    case TfrxPreviewKey::FindNext: FindNext(); break;
    case TfrxPreviewKey::Print: Print(); break;
    case TfrxPreviewKey::Find: Find(); break;
    case TfrxPreviewKey::Save:
    case TfrxPreviewKey::Load:
    case TfrxPreviewKey::None: break;  // the window asks for the file
  }
}

void TfrxPreview::MouseWheel(int delta, bool horizontal, bool zoom) {
  const TfrxWheelStep step = vuzWheel(delta, horizontal, zoom, main_.Zoom);
  if (step.Zoom)
    SetZoom(step.NewZoom);
  else if (delta != 0)
    ScrollTo(main_.Horz.Position() + step.ScrollX, main_.Vert.Position() + step.ScrollY);
}

void TfrxPreview::MouseDown(int x, int y, int button) {
  if (main_.Pages.Count() == 0 || main_.Locked || button != 0) return;
  dragging_ = true;
  dragOrigin_ = {x, y};
}

void TfrxPreview::MouseMove(int x, int y) {
  if (main_.Pages.Count() == 0 || main_.Locked) return;
  if (dragging_) {
    ScrollTo(main_.Horz.Position() - (x - dragOrigin_.X), main_.Vert.Position() - (y - dragOrigin_.Y));
    dragOrigin_ = {x, y};
    return;
  }
  const gfx::TPoint v = main_.ViewOffset();
  const int page = main_.Pages.FindPage(y + v.Y, x + v.X);
  if (page < 0 || !PreviewPages) return;
  const gfx::TRect b = main_.Pages.GetPageBounds(page, main_.Horz.Page(), false, main_.Zoom);
  int cursor = report::crHand;
  PreviewPages->ObjectOver(page, x, y, 0, 0, main_.Zoom, b.Left - v.X, b.Top - v.Y, false, cursor, false);
  view_.SetCursor(cursor);
}

void TfrxPreview::MouseUp(int x, int y, int button, bool doubleClick) {
  if (main_.Pages.Count() == 0 || main_.Locked) return;
  dragging_ = false;
  const gfx::TPoint v = main_.ViewOffset();
  const int page = main_.Pages.FindPage(y + v.Y, x + v.X);
  syncing_ = true;
  SetPageNo(page + 1);
  syncing_ = false;
  if (button == 1 || page < 0 || !PreviewPages) return;
  const gfx::TRect b = main_.Pages.GetPageBounds(page, main_.Horz.Page(), false, main_.Zoom);
  int cursor = report::crHand;
  PreviewPages->ObjectOver(page, x, y, button, 0, main_.Zoom, b.Left - v.X, b.Top - v.Y, true, cursor, doubleClick);
}

void TfrxPreview::ThumbnailClick(int x, int y) {
  const gfx::TPoint v = thumbs_.ViewOffset();
  const int page = thumbs_.Pages.FindPage(y + v.Y, x + v.X);
  if (page >= 0) SetPageNo(page + 1);
}

// ---- painting

void TfrxPreview::Paint(TfrxWorkspace& w, gfx::TCanvas& canvas, bool frameOnly) {
  const gfx::TSize size{w.Thumbnails ? view_.ThumbnailWidth() : view_.WorkspaceWidth(),
                        w.Thumbnails ? view_.ThumbnailHeight() : view_.WorkspaceHeight()};
  canvas.Brush().SetColor(w.BackColor);
  canvas.Brush().SetStyle(gfx::bsSolid);
  if (!frameOnly) canvas.FillRect({0, 0, size.cx, size.cy});
  if (w.Locked || w.Pages.Count() == 0 || !PreviewPages) return;
  const gfx::TPoint v = w.ViewOffset();
  const int top = std::max(0, w.Pages.FindPage(v.Y, 0));
  auto bounds = [&](int i) {
    gfx::TRect b = w.Pages.GetPageBounds(i, w.Horz.Page(), false, w.Zoom);
    return gfx::TRect{b.Left - v.X, b.Top - v.Y, b.Right - v.X, b.Bottom - v.Y};
  };
  if (pageNo_ >= 1 && pageNo_ <= w.Pages.Count()) {
    const gfx::TRect f = bounds(pageNo_ - 1);
    canvas.Pen().SetColor(w.ActiveFrameColor);
    canvas.Pen().SetWidth(2);
    canvas.Pen().SetMode(gfx::pmCopy);
    const gfx::TPoint frame[] = {{f.Left - 1, f.Top - 1},
                                 {f.Right + 1, f.Top - 1},
                                 {f.Right + 1, f.Bottom + 1},
                                 {f.Left - 1, f.Bottom + 1},
                                 {f.Left - 1, f.Top - 2}};
    canvas.Polyline(frame, 5);
  }
  if (frameOnly) return;
  const TfrxSearchState& found = vuzSearchState();
  for (int i = std::max(0, top - kPagesAroundTop); i <= std::min(w.Pages.Count() - 1, top + kPagesAroundTop); ++i) {
    const gfx::TRect b = bounds(i);
    if (b.Top > size.cy || b.Bottom + 1 < 0) continue;
    canvas.Pen().SetColor(w.FrameColor);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetColor(gfx::clWhite);
    canvas.Rectangle(b.Left, b.Top, b.Right, b.Bottom);
    PreviewPages->DrawPage(i, canvas, w.Zoom, w.Zoom, b.Left, b.Top);
    if (w.Thumbnails) {
      canvas.Font().SetName("Arial");
      canvas.Font().SetSize(8);
      canvas.Font().SetColor(gfx::clWhite);
      canvas.Brush().SetColor(w.BackColor);
      canvas.TextOut(b.Left + 1, b.Top + 1, " " + std::to_string(i + 1) + " ");
    }
    if (found.Found && i == searchPage_ && !w.Thumbnails) {
      const gfx::TRect r = vuzZoomRect(found.FoundRect, w.Zoom);
      canvas.Pen().SetColor(gfx::clWhite);
      canvas.Pen().SetMode(gfx::pmXor);
      for (int y = r.Top; y <= r.Bottom; ++y) {
        canvas.MoveTo(b.Left + r.Left - 1, b.Top + y);
        canvas.LineTo(b.Left + r.Right + 1, b.Top + y);
      }
      canvas.Pen().SetMode(gfx::pmCopy);
    }
  }
}

// ---- search

void TfrxPreview::RunSearch() {
  TfrxSearchState& s = vuzSearchState();
  if (search_.Find(s, searchPage_, main_.Pages.Count())) {
    const gfx::TRect page = main_.Pages.GetPageBounds(searchPage_, main_.Horz.Page(), false, main_.Zoom);
    const TfrxScrollTarget t = vuzScrollToMatch(page, s.FoundRect, main_.Zoom, main_.ViewOffset(),
                                                view_.WorkspaceWidth(), view_.WorkspaceHeight());
    ScrollTo(t.Horizontal, t.Vertical);
    view_.Repaint();
  } else {
    view_.ErrorMessage(report::vuzResources().Get("clStrNotFound"));
  }
}

bool TfrxPreview::FindText(const AnsiString& text, bool fromTop, bool matchCase) {
  TfrxSearchState& s = vuzSearchState();
  s.Text = text;
  s.MatchCase = matchCase;
  s.LastHit = -1;
  searchPage_ = fromTop ? 0 : std::max(0, pageNo_ - 1);
  RunSearch();
  findArmed_ = true;
  return s.Found;
}

void TfrxPreview::Find() {
  AnsiString text = vuzSearchState().Text;
  bool fromTop = false, matchCase = vuzSearchState().MatchCase;
  if (view_.AskSearch(text, fromTop, matchCase)) {
    TfrxSearchState& s = vuzSearchState();
    s.Text = text;
    s.MatchCase = matchCase;
    s.LastHit = -1;
    searchPage_ = fromTop ? 0 : std::max(0, pageNo_ - 1);
    RunSearch();
  }
  findArmed_ = true;
}

void TfrxPreview::FindNext() {
  if (findArmed_) RunSearch();
}

void TfrxPreview::FindTextClear() {
  TfrxSearchState& s = vuzSearchState();
  s.LastHit = -1;
  s.Found = false;
  searchPage_ = 0;
  view_.Repaint();
}

// ---- actions

bool TfrxPreview::Print() {
  if (building_ || !PreviewPages) return false;
  PreviewPages->CurPreviewPage = pageNo_;
  try {
    const bool done = PreviewPages->Print();
    Unlock();
    return done;
  } catch (...) {
    Unlock();  // the window is usable again whatever happened
    throw;
  }
}

bool TfrxPreview::Export(report::TfrxCustomExportFilter* filter) {
  if (building_ || !PreviewPages || !filter) return false;
  PreviewPages->CurPreviewPage = pageNo_;
  return Locked([&] { return PreviewPages->Export(filter); });
}

void TfrxPreview::SaveToFile(const AnsiString& fileName) {
  if (building_ || !PreviewPages) return;
  view_.ShowMessage(report::vuzResources().Get("clSaving"));
  Locked([&] { PreviewPages->SaveToFile(fileName); });
}

void TfrxPreview::LoadFromFile(const AnsiString& fileName) {
  if (building_ || !PreviewPages) return;
  Lock();
  view_.ShowMessage(report::vuzResources().Get("clLoading"));
  auto after = [&] {
    pageNo_ = 1;
    view_.OutlineChanged();
    Unlock();
    First();
  };
  try {
    PreviewPages->LoadFromFile(fileName, false);
  } catch (...) {
    after();
    throw;
  }
  after();
}

void TfrxPreview::Clear() {
  if (!PreviewPages) return;
  Locked([&] { PreviewPages->Clear(); });
  main_.Pages.Clear();
  thumbs_.Pages.Clear();
  view_.OutlineChanged();
  pageNo_ = 1;
  main_.Horz.SetRange(0);
  main_.Vert.SetRange(0);
  thumbs_.Horz.SetRange(0);
  thumbs_.Vert.SetRange(0);
}

void TfrxPreview::AddPage() {
  if (building_ || !PreviewPages) return;
  PreviewPages->AddEmptyPage(pageNo_ - 1);
  UpdatePages();
  SetPageNo(pageNo_);
}

void TfrxPreview::DeletePage() {
  if (building_ || !PreviewPages || PageCount() == 0) return;
  PreviewPages->DeletePage(pageNo_ - 1);
  const int next = vuzPageNoAfterDelete(pageNo_, PageCount());
  if (next != pageNo_) SetPageNo(next);
  UpdatePages();
  view_.StateChanged();
}

void TfrxPreview::PageSetupDlg() {
  if (building_ || !PreviewPages || PageCount() == 0) return;
  report::TfrxComponent* page = PreviewPages->GetPage(pageNo_ - 1);
  if (!page) return;
  bool applyToAll = false;
  if (!view_.AskPageSettings(page, applyToAll)) return;
  if (applyToAll && Report) {
    // Every template page takes the paper and margins, then the report is
    // built again (which lays the preview out through its progress).
    for (int i = 0; i < Report->PagesCount(); ++i) {
      report::TfrxComponent* t = Report->Pages(i);
      if (!t || !t->IsA("TfrxReportPage")) continue;
      vuzSetProp(t, "Orientation", vuzOrdProp(page, "Orientation"));
      vuzSetFloatProp(t, "PaperWidth", vuzFloatPropOf(page, "PaperWidth"));
      vuzSetFloatProp(t, "PaperHeight", vuzFloatPropOf(page, "PaperHeight"));
      vuzSetProp(t, "PaperSize", vuzOrdProp(page, "PaperSize"));
      for (const char* margin : {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"})
        vuzSetFloatProp(t, margin, vuzFloatPropOf(page, margin));
    }
    Report->PrepareReport(true);
    return;
  }
  Locked([&] { PreviewPages->ModifyPage(pageNo_ - 1, page); });
}

namespace {
constexpr int kMaxOutlineDepth = 64;

void AddOutlineLevel(report::TfrxCustomOutline& outline, std::vector<TfrxOutlineNode>& into, int depth) {
  const int count = outline.GetCount();
  for (int i = 0; i < count; ++i) {
    TfrxOutlineNode node;
    int page = 0;
    outline.GetItem(i, node.Text, page, node.Top);
    node.PageNo = page + 1;
    if (depth < kMaxOutlineDepth) {
      outline.LevelDown(i);
      AddOutlineLevel(outline, node.Children, depth + 1);
      outline.LevelUp();
    }
    into.push_back(std::move(node));
  }
}
}  // namespace

std::vector<TfrxOutlineNode> vuzOutlineTree(report::TfrxCustomOutline& outline) {
  std::vector<TfrxOutlineNode> out;
  outline.LevelRoot();
  AddOutlineLevel(outline, out, 0);
  outline.LevelRoot();
  return out;
}

std::vector<TfrxOutlineNode> TfrxPreview::OutlineTree() const {
  if (!PreviewPages || !PreviewPages->Outline()) return {};
  return vuzOutlineTree(*PreviewPages->Outline());
}

void TfrxPreview::Cancel() {
  if (building_ && Report) Report->SetTerminated(true);
}

}  // namespace preview
