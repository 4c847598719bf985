// The dot-matrix text object: a text object on whole character cells, in
// the fixed printer font (Courier New 12) with its printer font style, no
// character or line spacing and no gaps.
#pragma once
#include <cstdint>

#include "report/vuzClassMemo.h"
#include "report/vuzDMPClass.h"

namespace report {

class TfrxDMPMemoView : public TfrxCustomMemoView {
  RTL_CLASS_INFO
 public:
  explicit TfrxDMPMemoView(rtl::TComponent* owner);
  TfrxDMPMemoView(rtl::TComponent* owner, std::uint16_t flags);

  // Whole cells: Left (truncated when right aligned), Width, Top, Height.
  void SetLeft(long double value) override;
  void SetTop(long double value) override;
  void SetWidth(long double value) override;
  void SetHeight(long double value) override;
  // The four as given, without snapping.
  void SetBoundsDirect(long double left, long double top, long double width, long double height);

  TfrxDMPFontStyles FontStyle() const { return fontStyle_; }
  // A style of its own: the object stops following its page.
  void SetFontStyle(TfrxDMPFontStyles value);
  bool IsFontStyleStored() const { return !ParentFont(); }
  // Following the parent on a dot-matrix page takes the page's style.
  void SetParentFont(bool value) override;
  // The printer font and the spacing a character grid allows.
  void ResetFontOptions();
  bool TruncOutboundText() const { return truncOutboundText_; }
  void SetTruncOutboundText(bool v) { truncOutboundText_ = v; }

  // The frame round the cells: half a cell further out on every side.
  void DrawFrame() override;
  // The text object's sizes, in whole cells.
  long double CalcHeight() override;
  long double CalcWidth() override;
  // The text object's attributes, then FontStyle when it differs.
  AnsiString Diff(TfrxComponent* other) override;
  AnsiString GetDescription() const override;
  // What fits: the first Height rows of the text, each cut to Width
  // characters and ended by CR LF, as 8-bit text.
  AnsiString GetoutBoundText() const;

 private:
  void InitDMPMemo();
  TfrxDMPFontStyles fontStyle_ = 0;
  bool truncOutboundText_ = false;
};

}  // namespace report
