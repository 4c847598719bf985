// The common controls: status bar with panels (and controls laid over a
// panel), date-time picker, tree view, page control with tab sheets, up-down,
// toolbar with tool buttons, and speed buttons.
#pragma once
#include <memory>
#include <vector>

#include "platform/gui/controls.h"

namespace gui {

class TEdit;
class TPopupMenu;
class TImageList;

struct TStatusPanel {
  AnsiString Text;
  int Width = 50;
  TAlignment Alignment = taLeftJustify;
};

class TStatusBar : public TControl {
 public:
  explicit TStatusBar(TComponent* owner);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  void AddPanel(int width, const AnsiString& text = {}, TAlignment alignment = taLeftJustify);
  void ClearPanels();
  const TStatusPanel& Panels(int i) const { return panels_.at(static_cast<std::size_t>(i)); }
  AnsiString PanelText(int i) const;
  void SetPanelText(int i, const AnsiString& text);
  void SetPanelWidth(int i, int width);
  void SetPanelAlignment(int i, TAlignment a);
  // Where panel i lies in the bar (the last panel reaches the right edge);
  // controls laid over a panel take their place from it.
  TRect PanelRect(int i) const;
  // The panel under a point of the bar, or -1.
  int PanelAt(int x) const;
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool s);
  const AnsiString& SimpleText() const { return simpleText_; }
  void SetSimpleText(const AnsiString& t);
  bool ClickOnMouseUp() const override { return true; }

 private:
  std::vector<TStatusPanel> panels_;
  bool simplePanel_ = false;
  AnsiString simpleText_;
};

// Day numbers counted from 30 December 1899; the fraction is the time of day.
using TDateTime = double;
enum TDateTimeKind { dtkDate, dtkTime };

class TDateTimePicker : public TControl {
 public:
  explicit TDateTimePicker(TComponent* owner);
  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind k);
  // "H:mm", "dd.MM.yyyy" and the like.
  void SetFormat(const AnsiString& format);
  TDateTime DateTime() const;
  // Setting by code runs no OnChange.
  void SetDateTime(TDateTime t);
  TDateTime Time() const;
  void SetTime(TDateTime t);
  TDateTime Date() const;
  void SetDate(TDateTime d);
  // The user changed the value.
  TNotifyEvent OnChange;

 private:
  TDateTimeKind kind_ = dtkDate;
};

class TTreeView;

class TTreeNode {
 public:
  AnsiString Text() const;
  void SetText(const AnsiString& t);
  void* Data() const { return data_; }
  void SetData(void* d) { data_ = d; }
  int Count() const;
  TTreeNode* Item(int i) const;
  TTreeNode* Parent() const;
  int Index() const;
  bool Expanded() const;
  void SetExpanded(bool e);
  bool Selected() const;
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int i) { imageIndex_ = i; }
  void Expand(bool recurse);
  void Collapse(bool recurse);

 private:
  friend class TTreeView;
  TTreeView* tree_ = nullptr;
  void* item_ = nullptr;  // the toolkit's item
  void* data_ = nullptr;
  int imageIndex_ = -1;
};

class TTreeView : public TControl {
 public:
  explicit TTreeView(TComponent* owner);
  ~TTreeView() override;
  // Adds a node under parent (nullptr: at the top level).
  TTreeNode* AddChild(TTreeNode* parent, const AnsiString& text);
  void Clear();
  int TopCount() const;
  TTreeNode* TopItem(int i) const;
  int Count() const { return static_cast<int>(nodes_.size()); }
  TTreeNode* Selected() const;
  void SetSelected(TTreeNode* n);
  void FullExpand();
  void FullCollapse();
  TTreeNode* GetNodeAt(int x, int y) const;
  std::function<void(TObject* Sender, TTreeNode* Node)> OnChange;

  // Platform-internal.
  TTreeNode* NodeOf(void* item) const;

 private:
  std::vector<std::unique_ptr<TTreeNode>> nodes_;
};

class TPageControl;

class TTabSheet : public TControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* pc);
  void SetParent(TControl* parent) override;
  void SetCaption(const AnsiString& text) override;
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);
  int PageIndex() const;

 private:
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

class TPageControl : public TControl {
 public:
  explicit TPageControl(TComponent* owner);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int i) const { return pages_.at(static_cast<std::size_t>(i)); }
  TTabSheet* ActivePage() const;
  // Choosing by code runs no OnChange.
  void SetActivePage(TTabSheet* p);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  // The user chose another tab.
  TNotifyEvent OnChange;

  // Platform-internal.
  void InsertPage(TTabSheet* p);
  void RemovePage(TTabSheet* p);
  void Realign() override {}

 private:
  std::vector<TTabSheet*> pages_;
};

enum TUDBtnType { btNext, btPrev };

class TUpDown : public TControl {
 public:
  explicit TUpDown(TComponent* owner);
  TEdit* Associate() const { return associate_; }
  // The edit shows the position and is followed by the arrows.
  void SetAssociate(TEdit* e);
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const;
  void SetPosition(int v);
  int Increment() const { return increment_; }
  void SetIncrement(int i) { increment_ = i; }
  bool Wrap() const { return wrap_; }
  void SetWrap(bool w) { wrap_ = w; }
  // What pressing an arrow does.
  void Step(TUDBtnType button);
  std::function<void(TObject* Sender, TUDBtnType Button)> OnClick;

 private:
  TEdit* associate_ = nullptr;
  int min_ = 0, max_ = 100, position_ = 0, increment_ = 1;
  bool wrap_ = false;
};

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolBar : public TControl {
 public:
  explicit TToolBar(TComponent* owner);
  int ButtonHeight() const { return buttonHeight_; }
  void SetButtonHeight(int h);
  bool ShowCaptions() const { return showCaptions_; }
  void SetShowCaptions(bool s);
  // The pictures the buttons' ImageIndex picks from.
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);
  // Lays the buttons out left to right in the order they were put on.
  void Realign() override;

 private:
  int buttonHeight_ = 22;
  bool showCaptions_ = false;
  TImageList* images_ = nullptr;
};

class TToolButton : public TControl {
 public:
  explicit TToolButton(TComponent* owner);
  void SetParent(TControl* parent) override;
  void SetCaption(const AnsiString& text) override;
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle s);
  bool Down() const;
  void SetDown(bool d);
  bool Grouped() const { return grouped_; }
  void SetGrouped(bool g) { grouped_ = g; }
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool a) { allowAllUp_ = a; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int i);
  // The menu of a tbsDropDown button (its arrow opens it).
  TPopupMenu* DropdownMenu() const { return dropdown_; }
  void SetDropdownMenu(TPopupMenu* m);
  // A picture of 32-bit pixels 0xAARRGGBB for the face.
  void SetGlyph(int width, int height, const std::uint32_t* pixels, int strideBytes);
  void Click() override;
  void ActionChanged() override;

 private:
  void ApplyCaption();
  friend class TToolBar;
  TToolButtonStyle style_ = tbsButton;
  bool grouped_ = false, allowAllUp_ = false;
  int imageIndex_ = -1;
  TPopupMenu* dropdown_ = nullptr;
};

class TSpeedButton : public TControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  void SetCaption(const AnsiString& text) override;
  // Buttons of one GroupIndex (> 0) on one parent stay down one at a time.
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int g);
  bool Down() const;
  void SetDown(bool d);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool a) { allowAllUp_ = a; }
  bool Flat() const;
  void SetFlat(bool f);
  void SetGlyph(int width, int height, const std::uint32_t* pixels, int strideBytes);
  void Click() override;

 private:
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
};

}  // namespace gui
