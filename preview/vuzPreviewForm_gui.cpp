#include "preview/vuzPreviewForm_gui.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "platform/gui/application.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/menus.h"
#include "platform/gui/stdctrls.h"
#include "preview/vuzCtrls_gui.h"
#include "preview/vuzDock_gui.h"
#include "preview/vuzPageSettingsModel.h"
#include "preview/vuzPageSettings_gui.h"
#include "preview/vuzPreviewFormModel.h"
#include "preview/vuzPreviewObjects.h"
#include "preview/vuzPrintDialog_gui.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzRes.h"

namespace preview {

namespace {
using report::vuzGet;
AnsiString Res(const char* name) { return report::vuzResources().Get(name); }
constexpr int kThumbnailWidth = 150;

// A control that shows what the preview paints and hands it the mouse.
class TPageArea : public gui::TCustomControl {
 public:
  TPageArea(gui::TComponent* owner, TfrxPreview*& preview, bool thumbnails)
      : TCustomControl(owner), preview_(preview), thumbnails_(thumbnails) {}

 protected:
  void Paint() override {
    if (!preview_) return;
    if (thumbnails_)
      preview_->PaintThumbnails(Canvas());
    else
      preview_->PaintPages(Canvas());
  }
  void MouseDown(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override {
    TCustomControl::MouseDown(button, shift, x, y);
    if (preview_ && !thumbnails_) preview_->MouseDown(x, y, button == gui::mbLeft ? 0 : 1);
  }
  void MouseMove(gui::TShiftState shift, int x, int y) override {
    TCustomControl::MouseMove(shift, x, y);
    if (preview_ && !thumbnails_) preview_->MouseMove(x, y);
  }
  void MouseUp(gui::TMouseButton button, gui::TShiftState shift, int x, int y) override {
    TCustomControl::MouseUp(button, shift, x, y);
    if (!preview_) return;
    if (thumbnails_)
      preview_->ThumbnailClick(x, y);
    else
      preview_->MouseUp(x, y, button == gui::mbLeft ? 0 : 1, shift.Contains(gui::TShiftState::ssDouble));
  }

 private:
  TfrxPreview*& preview_;
  bool thumbnails_;
};
}  // namespace

class TfrxPreviewForm : public gui::TForm, public report::TfrxCustomPreviewForm, private TfrxPreviewView {
 public:
  explicit TfrxPreviewForm(report::TfrxReport& report);
  ~TfrxPreviewForm() override;

  report::TfrxCustomPreview* Preview() override { return control_.get(); }
  void Init() override;
  void SetPositionDesigned() override { SetWindowState(gui::wsMaximized); }
  void ShowModal() override { gui::TForm::ShowModal(); }
  void ShowModeless(bool) override {
    freeOnClose_ = true;
    Show();
  }
  void SetMessageText(const AnsiString& text, bool hint) override;
  void Close() override { gui::TForm::Close(); }

  TfrxPreview& Control() { return *control_; }
  gui::TControl& Pages() { return *pages_; }
  gui::TControl& Thumbnails() { return *thumbs_; }
  AnsiString Status() const { return status_->PanelText(0); }
  AnsiString ZoomText() const { return zoomBox_->Caption(); }
  AnsiString PageText() const { return pageBox_->Caption(); }
  void ZoomEntered(int itemIndex);
  void PageEntered();
  void ShowThumbnails(bool show) {
    if (thumbs_->Visible() != show) tools_[tbThumbnails]->Click();
  }
  void ShowOutline(bool show) {
    if (outline_->Visible() != show) tools_[tbOutline]->Click();
  }
  gui::TTreeView& Outline() { return *outline_; }
  TfrxComboBox& ZoomBox() { return *zoomBox_; }
  gui::TPopupMenu& RightMenu() { return *rightMenu_; }
  bool FullScreen() const { return fullScreen_; }
  void SwitchToFullScreen();
  void EnterZoom(const AnsiString& text) {
    zoomBox_->SetCaption(text);
    ZoomEntered(-1);
  }
  void EnterPage(const AnsiString& text) {
    pageBox_->SetCaption(text);
    PageEntered();
  }

 private:
  // ---- TfrxPreviewView
  int WorkspaceWidth() const override { return std::max(0, pages_->Width()); }
  int WorkspaceHeight() const override { return std::max(0, pages_->Height()); }
  int ThumbnailWidth() const override { return thumbs_->Visible() ? thumbs_->Width() : 0; }
  int ThumbnailHeight() const override { return thumbs_->Height(); }
  void Repaint() override;
  void StateChanged() override;
  void ShowMessage(const AnsiString& text) override { status_->SetPanelText(1, text); }
  void HideMessage() override { status_->SetPanelText(1, ""); }
  void SetCursor(int cursor) override { pages_->SetCursor(static_cast<gui::TCursor>(cursor)); }
  void ErrorMessage(const AnsiString& text) override { gui::Application->MessageBox(text, Caption(), 0x40); }
  bool AskSearch(AnsiString& text, bool& fromTop, bool& matchCase) override {
    return vuzShowSearchDialog(text, fromTop, matchCase);
  }
  bool AskPageSettings(report::TfrxComponent* page, bool& applyToAll) override {
    return vuzShowPageSettings(&report_, page, applyToAll);
  }
  void OutlineChanged() override;
  void ProcessMessages() override { gui::Application->ProcessMessages(); }

  gui::TToolButton* AddButton(const AnsiString& caption, const AnsiString& hint, std::function<void()> click);
  gui::TToolButton* AddSeparator();
  TfrxTBPanel* AddPanel(const char* name, int width);
  void BuildRightMenu(const TfrxToolbarState& visible);
  void SideChanged();
  void Guarded(const std::function<void()>& action);
  void SyncScrollBars();

  report::TfrxReport& report_;
  TfrxPreview* preview_ = nullptr;  // what the page areas paint
  std::unique_ptr<TfrxPreview> control_;
  gui::TToolBar* toolbar_ = nullptr;
  gui::TToolButton* tools_[tbToolCount] = {};
  TfrxTBPanel *zoomPanel_ = nullptr, *pagePanel_ = nullptr;
  TfrxComboBox* zoomBox_ = nullptr;
  gui::TEdit* pageBox_ = nullptr;
  gui::TPopupMenu* exportMenu_ = nullptr;
  gui::TPopupMenu* rightMenu_ = nullptr;
  gui::TMenuItem *collapseItem_ = nullptr, *expandItem_ = nullptr, *drillLine_ = nullptr;
  std::vector<std::pair<int, gui::TMenuItem*>> rightItems_;  // tool, its menu item
  gui::TTreeView* outline_ = nullptr;
  gui::TSplitter* splitter_ = nullptr;
  std::vector<TfrxOutlineNode> outlineNodes_;  // what the tree's nodes point at
  gui::TStatusBar* status_ = nullptr;
  TPageArea* pages_ = nullptr;
  TPageArea* thumbs_ = nullptr;
  gui::TScrollBar* vbar_ = nullptr;
  gui::TScrollBar* hbar_ = nullptr;
  bool freeOnClose_ = false, syncing_ = false;
  bool fullScreen_ = false;
  gui::TFormBorderStyle savedBorder_ = gui::bsSizeable;
  gui::TWindowState savedState_ = gui::wsNormal;
};

TfrxPreviewForm::TfrxPreviewForm(report::TfrxReport& report) : gui::TForm(nullptr), report_(report) {
  SetCaption(vuzGet(100));
  SetClientWidth(803);
  SetClientHeight(584);
  SetKeyPreview(true);
  SetPosition(gui::poScreenCenter);
  Font().SetName("Tahoma");
  Font().SetHeight(-11);

  toolbar_ = new gui::TToolBar(this);
  toolbar_->SetParent(this);
  toolbar_->SetAlign(gui::alTop);
  toolbar_->SetButtonHeight(23);
  toolbar_->SetShowCaptions(true);
  tools_[tbPrint] = AddButton(vuzGet(101), vuzGet(102), [this] { control_->Print(); });
  tools_[tbOpen] = AddButton(vuzGet(103), vuzGet(104), [this] {
    gui::TOpenDialog dialog(nullptr);
    dialog.Filter = Res("clFP3files") + " (*.fp3)|*.fp3";
    if (dialog.Execute()) control_->LoadFromFile(dialog.FileName);
  });
  tools_[tbSave] = AddButton(vuzGet(105), vuzGet(106), [this] {
    gui::TSaveDialog dialog(nullptr);
    dialog.Filter = Res("clFP3files") + " (*.fp3)|*.fp3";
    if (!dialog.Execute()) return;
    AnsiString name = dialog.FileName;
    const auto dot = name.rfind('.'), slash = name.find_last_of('/');
    if (dot != AnsiString::npos && (slash == AnsiString::npos || dot > slash)) name.resize(dot);
    control_->SaveToFile(name + ".fp3");
  });
  tools_[tbExport] = AddButton(vuzGet(107), vuzGet(108), nullptr);
  exportMenu_ = new gui::TPopupMenu(this);
  tools_[tbExport]->SetStyle(gui::tbsDropDown);
  tools_[tbExport]->SetDropdownMenu(exportMenu_);
  tools_[tbPdf] = AddButton("", vuzGet(151), nullptr);
  tools_[tbEmail] = AddButton("", vuzGet(152), nullptr);
  tools_[tbFind] = AddButton(vuzGet(109), vuzGet(110), [this] { control_->Find(); });
  tools_[tbSep1] = AddSeparator();
  tools_[tbZoomPlus] = AddButton(vuzGet(124), vuzGet(125), [this] { control_->SetZoom(control_->Zoom() + 0.25L); });
  // A little wider than the stored form's 56 and 49 pixels: the desktop's
  // font for Tahoma is wider, and "100%" must show whole.
  zoomPanel_ = AddPanel("Sep3", 66);
  zoomBox_ = new TfrxComboBox(this);
  zoomBox_->SetName("ZoomCB");
  zoomBox_->SetParent(zoomPanel_);
  zoomBox_->SetBounds(4, 2, 59, 19);
  zoomBox_->ListWidth = 100;
  zoomBox_->SetItems(vuzZoomItems());
  zoomBox_->SetCaption("100%");
  zoomBox_->SetHint(vuzGet(119));
  zoomBox_->SetShowHint(true);
  zoomBox_->OnSelect = [this](gui::TObject*) { Guarded([this] { ZoomEntered(zoomBox_->ItemIndex()); }); };
  tools_[tbZoomMinus] = AddButton(vuzGet(126), vuzGet(127), [this] { control_->SetZoom(control_->Zoom() - 0.25L); });
  tools_[tbFullScreen] = AddButton("", vuzGet(150), [this] { SwitchToFullScreen(); });
  tools_[tbSep2] = AddSeparator();
  tools_[tbOutline] = AddButton(vuzGet(128), vuzGet(129), [this] {
    outline_->SetVisible(!outline_->Visible());
    if (outline_->Visible()) thumbs_->SetVisible(false);
    SideChanged();
  });
  tools_[tbThumbnails] = AddButton(vuzGet(130), vuzGet(131), [this] {
    thumbs_->SetVisible(!thumbs_->Visible());
    if (thumbs_->Visible()) outline_->SetVisible(false);
    SideChanged();
  });
  for (TfrxPreviewTool t : {tbOutline, tbThumbnails}) {
    tools_[t]->SetStyle(gui::tbsCheck);
    tools_[t]->SetGrouped(true);
    tools_[t]->SetAllowAllUp(true);
  }
  tools_[tbPageSettings] = AddButton(vuzGet(120), vuzGet(121), [this] { control_->PageSetupDlg(); });
  tools_[tbDesigner] = AddButton(vuzGet(132), vuzGet(133), nullptr);
  tools_[tbSep5] = AddSeparator();
  tools_[tbFirst] = AddButton(vuzGet(134), vuzGet(135), [this] { control_->First(); });
  tools_[tbPrior] = AddButton(vuzGet(136), vuzGet(137), [this] { control_->Prior(); });
  pagePanel_ = AddPanel("Sep4", 47);
  pageBox_ = new gui::TEdit(this);
  pageBox_->SetName("PageE");
  pageBox_->SetParent(pagePanel_);
  pageBox_->SetBounds(4, 4, 37, 15);
  pageBox_->SetBorderStyle(gui::bsNone);
  pageBox_->SetNumbersOnly(true);
  pageBox_->SetHint(vuzGet(142));
  pageBox_->SetShowHint(true);
  pageBox_->SetCaption("1");
  tools_[tbNext] = AddButton(vuzGet(138), vuzGet(139), [this] { control_->Next(); });
  tools_[tbLast] = AddButton(vuzGet(140), vuzGet(141), [this] { control_->Last(); });
  AddPanel("frTBPanel1", 35);
  tools_[tbClose] = AddButton(Res("clClose"), "", [this] {
    if (control_->Building())
      control_->Cancel();
    else
      gui::TForm::Close();
  });

  status_ = new gui::TStatusBar(this);
  status_->SetParent(this);
  status_->SetAlign(gui::alBottom);
  status_->AddPanel(200);
  status_->AddPanel(50);
  status_->AddPanel(50);

  outline_ = new gui::TTreeView(this);
  outline_->SetName("OutlineTree");
  outline_->SetParent(this);
  outline_->SetAlign(gui::alLeft);
  outline_->SetWidth(kThumbnailWidth);
  outline_->SetVisible(false);
  outline_->OnChange = [this](gui::TObject*, gui::TTreeNode* node) {
    if (!node || !node->Data()) return;
    control_->OutlineClick(*static_cast<const TfrxOutlineNode*>(node->Data()));
  };
  thumbs_ = new TPageArea(this, preview_, true);
  thumbs_->SetParent(this);
  thumbs_->SetAlign(gui::alLeft);
  thumbs_->SetWidth(kThumbnailWidth);
  thumbs_->SetVisible(false);
  splitter_ = new gui::TSplitter(this);
  splitter_->SetParent(this);
  splitter_->SetAlign(gui::alLeft);
  splitter_->SetWidth(4);
  splitter_->SetVisible(false);
  splitter_->OnMoved = [this](gui::TObject*) {
    thumbs_->SetWidth(outline_->Visible() ? outline_->Width() : thumbs_->Width());
    outline_->SetWidth(thumbs_->Width());
    if (control_->PreviewPages) control_->UpdatePages();
  };
  vbar_ = new gui::TScrollBar(this);
  vbar_->SetParent(this);
  vbar_->SetKind(gui::sbVertical);
  vbar_->SetAlign(gui::alRight);
  vbar_->SetWidth(17);
  hbar_ = new gui::TScrollBar(this);
  hbar_->SetParent(this);
  hbar_->SetAlign(gui::alBottom);
  hbar_->SetHeight(17);
  pages_ = new TPageArea(this, preview_, false);
  pages_->SetParent(this);
  pages_->SetAlign(gui::alClient);
  auto scrolled = [this](gui::TObject*) {
    if (!syncing_) control_->ScrollTo(hbar_->Position(), vbar_->Position());
  };
  vbar_->OnChange = scrolled;
  hbar_->OnChange = scrolled;
  pages_->OnMouseWheel = [this](gui::TObject*, gui::TShiftState shift, int delta, gui::TPoint, bool& handled) {
    control_->MouseWheel(delta, shift.Contains(gui::TShiftState::ssShift), shift.Contains(gui::TShiftState::ssCtrl));
    handled = true;
  };
  OnResize = [this](gui::TObject*) {
    const int half = static_cast<int>(std::lround((ClientWidth() - status_->Panels(0).Width) / 2.0));
    status_->SetPanelWidth(1, std::max(0, half));
    status_->SetPanelWidth(2, std::max(0, half));
    if (control_->PreviewPages) control_->UpdatePages();
  };
  OnCloseQuery = [this](gui::TObject*, bool& canClose) {
    // A build in progress is cancelled first; the window closes after it.
    if (control_->Building()) {
      control_->Cancel();
      canClose = false;
    }
  };
  rightMenu_ = new gui::TPopupMenu(this);
  collapseItem_ = new gui::TMenuItem(rightMenu_);
  collapseItem_->SetCaption(vuzGet(601));
  expandItem_ = new gui::TMenuItem(rightMenu_);
  expandItem_->SetCaption(vuzGet(600));
  drillLine_ = new gui::TMenuItem(rightMenu_);
  drillLine_->SetCaption("-");
  for (gui::TMenuItem* item : {collapseItem_, expandItem_, drillLine_}) {
    item->SetVisible(false);
    rightMenu_->Items()->Add(item);
  }
  auto drill = [this](bool expand) {
    Guarded([this, expand] {
      control_->Lock();
      for (report::TfrxComponent* c : report_.GetAllObjects())
        if (c->IsA("TfrxGroupHeader") && vuzOrdProp(c, "DrillDown")) vuzSetProp(c, "ExpandDrillDown", expand);
      if (report_.DrillState()) report_.DrillState()->Clear();
      control_->RefreshReport();
      if (!expand) control_->SetPosition(1, 0);
    });
  };
  collapseItem_->OnClick = [drill](gui::TObject*) { drill(false); };
  expandItem_->OnClick = [drill](gui::TObject*) { drill(true); };
  pages_->SetPopupMenu(rightMenu_);
  OnKeyDown = [this](gui::TObject*, gui::Word& key, gui::TShiftState shift) {
    if (key == gui::VK_RETURN && zoomBox_->Focused()) {
      ZoomEntered(-1);
      key = 0;
    } else if (key == gui::VK_RETURN && pageBox_->Focused()) {
      PageEntered();
      key = 0;
    } else if (key == gui::VK_ESCAPE) {
      tools_[tbClose]->Click();
      key = 0;
    } else if (key == gui::VK_F11) {
      SwitchToFullScreen();
      key = 0;
    } else if (key == gui::VK_F1) {
      report::vuzResources().Help("TfrxPreviewForm");
      key = 0;
    } else if (!zoomBox_->Focused() && !pageBox_->Focused()) {
      control_->KeyDown(key, shift.Contains(gui::TShiftState::ssCtrl));
    }
  };
  OnClose = [this](gui::TObject*, gui::TCloseAction& action) {
    if (control_->Building()) control_->Cancel();
    if (freeOnClose_) action = gui::caFree;
  };

  TfrxPreviewView& view = *this;
  control_ = std::make_unique<TfrxPreview>(view);
  preview_ = control_.get();
}

TfrxPreviewForm::~TfrxPreviewForm() {
  preview_ = nullptr;
  control_.reset();  // detaches from the report before the controls go
}

gui::TToolButton* TfrxPreviewForm::AddButton(const AnsiString& caption, const AnsiString& hint,
                                             std::function<void()> click) {
  auto* b = new gui::TToolButton(this);
  b->SetParent(toolbar_);
  b->SetCaption(caption);
  b->SetWidth(std::max(24, static_cast<int>(caption.size()) * 7 + 12));  // room for the caption
  b->SetHint(hint);
  b->SetShowHint(true);
  if (click) b->OnClick = [this, click](gui::TObject*) { Guarded(click); };
  return b;
}

gui::TToolButton* TfrxPreviewForm::AddSeparator() {
  auto* b = new gui::TToolButton(this);
  b->SetParent(toolbar_);
  b->SetStyle(gui::tbsSeparator);
  b->SetWidth(8);
  return b;
}

TfrxTBPanel* TfrxPreviewForm::AddPanel(const char* name, int width) {
  auto* p = new TfrxTBPanel(this);
  p->SetName(name);
  p->SetParent(toolbar_);
  p->SetBounds(0, 0, width, 23);
  return p;
}

void TfrxPreviewForm::SideChanged() {
  tools_[tbOutline]->SetDown(outline_->Visible());
  tools_[tbThumbnails]->SetDown(thumbs_->Visible());
  splitter_->SetVisible(outline_->Visible() || thumbs_->Visible());
  Realign();
  control_->SetThumbnailVisible(thumbs_->Visible());
  if (control_->PreviewPages) control_->UpdatePages();
}

void TfrxPreviewForm::SetMessageText(const AnsiString& text, bool hint) {
  if (!hint)
    status_->SetPanelText(1, text);
  else if (!text.empty() || !status_->PanelText(2).empty())
    status_->SetPanelText(2, text);
  gui::Application->ProcessMessages();
}

void TfrxPreviewForm::SwitchToFullScreen() {
  fullScreen_ = !fullScreen_;
  if (fullScreen_) {
    status_->SetVisible(false);
    toolbar_->SetVisible(false);
    savedBorder_ = BorderStyle();
    savedState_ = WindowState();
    SetBorderStyle(gui::bsNone);
    SetWindowState(gui::wsMaximized);
  } else {
    SetWindowState(savedState_);
    SetBorderStyle(savedBorder_);
    status_->SetVisible(true);
    toolbar_->SetVisible(true);
  }
  Realign();
}

void TfrxPreviewForm::OutlineChanged() {
  outline_->Clear();
  outlineNodes_ = control_->OutlineTree();
  // Nodes point at the entries kept in outlineNodes_, which stay put until
  // the next rebuild clears the tree first.
  std::function<void(gui::TTreeNode*, std::vector<TfrxOutlineNode>&)> add = [&](gui::TTreeNode* parent,
                                                                                std::vector<TfrxOutlineNode>& nodes) {
    for (TfrxOutlineNode& n : nodes) {
      gui::TTreeNode* node = outline_->AddChild(parent, n.Text);
      node->SetData(&n);
      add(node, n.Children);
    }
  };
  add(nullptr, outlineNodes_);
  if (report_.PreviewOptions()->OutlineExpand) outline_->FullExpand();
}

void TfrxPreviewForm::BuildRightMenu(const TfrxToolbarState& visible) {
  for (auto& [tool, item] : rightItems_) delete item;
  rightItems_.clear();
  for (const int t : vuzRightMenuTools(visible)) {
    auto* item = new gui::TMenuItem(rightMenu_);
    if (t == kMenuSeparator) {
      item->SetCaption("-");
    } else {
      gui::TToolButton* button = tools_[t];
      item->SetCaption(button->Hint());
      item->OnClick = [button](gui::TObject*) { button->Click(); };
      if (gui::TPopupMenu* drop = button->DropdownMenu())
        for (int i = 0; i < drop->Items()->Count(); ++i) {
          gui::TMenuItem* entry = drop->Items()->Items(i);
          auto* copy = new gui::TMenuItem(rightMenu_);
          copy->SetCaption(entry->Caption());
          copy->OnClick = [entry](gui::TObject*) { entry->Click(); };
          item->Add(copy);
        }
    }
    rightMenu_->Items()->Add(item);
    rightItems_.emplace_back(t, item);
  }
}

// A failed action leaves the window usable and tells the user.
void TfrxPreviewForm::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    control_->Unlock();
    StateChanged();
    throw;
  }
}

void TfrxPreviewForm::Init() {
  const report::TfrxPreviewOptions& o = *report_.PreviewOptions();
  control_->Init();
  control_->SetZoom(o.Zoom);
  control_->SetZoomMode(o.ZoomMode);
  const std::vector<TfrxExportMenuItem> menu = vuzExportMenu();
  const TfrxToolbarState visible = vuzToolbarVisibility(o.Buttons, !menu.empty(), false, false);
  for (int t = 0; t < tbToolCount; ++t)
    if (tools_[t]) tools_[t]->SetVisible(visible.Visible[t]);
  zoomPanel_->SetVisible(visible.Visible[tbZoomBox]);
  pagePanel_->SetVisible(visible.Visible[tbPageBox]);
  tools_[tbThumbnails]->SetVisible(true);  // the strip is offered whatever the templates say
  toolbar_->SetShowCaptions(true);
  outline_->SetWidth(o.OutlineWidth > 0 ? o.OutlineWidth : kThumbnailWidth);
  thumbs_->SetWidth(outline_->Width());
  if (o.OutlineVisible) ShowOutline(true);
  if (o.ThumbnailVisible) ShowThumbnails(true);
  for (const TfrxExportMenuItem& m : menu) {
    auto* item = new gui::TMenuItem(exportMenu_);
    item->SetCaption(m.Caption);
    const int index = m.Index;
    item->OnClick = [this, index](gui::TObject*) {
      Guarded([this, index] {
        report::TfrxExportFilterCollection& filters = report::vuzExportFilters();
        if (index < filters.Count()) control_->Export(filters.GetExportFilterItem(index)->Filter);
      });
    };
    exportMenu_->Items()->Add(item);
  }
  if (!report_.ReportOptions()->Name.empty()) SetCaption(report_.ReportOptions()->Name);
  BuildRightMenu(visible);
  StateChanged();
}

void TfrxPreviewForm::Repaint() {
  SyncScrollBars();
  pages_->Invalidate();
  if (thumbs_->Visible()) thumbs_->Invalidate();
}

void TfrxPreviewForm::SyncScrollBars() {
  syncing_ = true;
  const TfrxWorkspace& w = control_->MainWorkspace();
  vbar_->SetMax(std::max(0, w.Vert.Range()));
  vbar_->SetPageSize(std::max(1, w.Vert.Page()));
  vbar_->SetLargeChange(300);
  vbar_->SetSmallChange(8);
  vbar_->SetPosition(w.Vert.Position());
  hbar_->SetMax(std::max(0, w.Horz.Range()));
  hbar_->SetPageSize(std::max(1, w.Horz.Page()));
  hbar_->SetPosition(w.Horz.Position());
  syncing_ = false;
}

void TfrxPreviewForm::StateChanged() {
  if (!control_) return;
  const bool firstPass = control_->Building() && control_->PreviewPages && control_->PreviewPages->Engine &&
                         !control_->PreviewPages->Engine->FinalPass;
  status_->SetPanelText(0, vuzPageStatusText(control_->PageNo(), control_->PageCount(), firstPass));
  pageBox_->SetCaption(std::to_string(control_->PageNo()));
  zoomBox_->SetCaption(vuzZoomText(control_->Zoom()));
  TfrxToolbarState state;
  vuzToolbarEnabling(state, control_->Building(), control_->PageCount(), report_.PreviewOptions()->AllowEdit);
  for (TfrxPreviewTool t : {tbPrint, tbOpen, tbSave, tbExport, tbPdf, tbEmail, tbFind, tbPageSettings, tbDesigner})
    tools_[t]->SetEnabled(state.Enabled[t]);
  for (auto& [tool, item] : rightItems_)
    if (tool != kMenuSeparator) item->SetEnabled(tools_[tool]->Enabled());
  bool drillDown = false;
  if (!control_->Building())
    for (report::TfrxComponent* c : report_.GetAllObjects())
      drillDown = drillDown || (c->IsA("TfrxGroupHeader") && vuzOrdProp(c, "DrillDown"));
  for (gui::TMenuItem* item : {collapseItem_, expandItem_, drillLine_}) item->SetVisible(drillDown);
  tools_[tbClose]->SetCaption(control_->Building() ? Res("clCancel") : Res("clClose"));
  SyncScrollBars();
}

void TfrxPreviewForm::ZoomEntered(int itemIndex) {
  if (const auto choice = vuzZoomBoxChoice(itemIndex, zoomBox_->Caption())) {
    if (choice->IsMode)
      control_->SetZoomMode(choice->Mode);
    else
      control_->SetZoom(choice->Zoom);
  }
  zoomBox_->SetCaption(vuzZoomText(control_->Zoom()));
}

void TfrxPreviewForm::PageEntered() {
  if (const auto n = vuzPageBoxNumber(pageBox_->Caption())) control_->SetPageNo(*n);
  pageBox_->SetCaption(std::to_string(control_->PageNo()));
}

std::unique_ptr<TfrxPreviewForm> vuzCreatePreviewForm(report::TfrxReport& report) {
  return std::make_unique<TfrxPreviewForm>(report);
}

void vuzPreviewGuiStartup() {
  vuzPrintDialogHandler() = [](TfrxComponent* report, TfrxPrintSettings& settings) {
    return vuzShowPrintDialog(report, settings);
  };
  report::vuzReportHooks().CreatePreviewForm =
      [](report::TfrxReport& report) -> std::unique_ptr<report::TfrxCustomPreviewForm> {
    return vuzCreatePreviewForm(report);
  };
}

gui::TForm& vuzPreviewFormWindow(TfrxPreviewForm& form) { return form; }
TfrxPreviewForm* vuzPreviewFormOf(gui::TForm* window) { return dynamic_cast<TfrxPreviewForm*>(window); }
void vuzPreviewFormShowThumbnails(TfrxPreviewForm& form, bool show) { form.ShowThumbnails(show); }
void vuzPreviewFormShowOutline(TfrxPreviewForm& form, bool show) { form.ShowOutline(show); }
gui::TTreeView& vuzPreviewFormOutline(TfrxPreviewForm& form) { return form.Outline(); }
gui::TPopupMenu& vuzPreviewFormRightMenu(TfrxPreviewForm& form) { return form.RightMenu(); }
bool vuzPreviewFormFullScreen(TfrxPreviewForm& form) { return form.FullScreen(); }
TfrxPreview& vuzPreviewFormControl(TfrxPreviewForm& form) { return form.Control(); }
gui::TControl& vuzPreviewFormPages(TfrxPreviewForm& form) { return form.Pages(); }
gui::TControl& vuzPreviewFormThumbnails(TfrxPreviewForm& form) { return form.Thumbnails(); }
AnsiString vuzPreviewFormStatus(TfrxPreviewForm& form) { return form.Status(); }
AnsiString vuzPreviewFormZoomText(TfrxPreviewForm& form) { return form.ZoomText(); }
AnsiString vuzPreviewFormPageText(TfrxPreviewForm& form) { return form.PageText(); }
void vuzPreviewFormEnterZoom(TfrxPreviewForm& form, const AnsiString& text) { form.EnterZoom(text); }
void vuzPreviewFormEnterPage(TfrxPreviewForm& form, const AnsiString& text) { form.EnterPage(text); }

}  // namespace preview
