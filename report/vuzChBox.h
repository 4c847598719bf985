// The check box: a check or uncheck mark chosen by a field value or an
// expression. The marks are drawn with strokes in device pixels, so screen,
// printer and PDF show the same cross and tick without a symbol font.
#pragma once
#include <cstdint>

#include "report/vuzClassView.h"

namespace report {

enum TfrxCheckStyle { csCross, csCheck, csLineCross, csPlus };
enum TfrxUncheckStyle { usEmpty, usCross, usLineCross, usMinus };
const rtl::TEnumType& CheckStyleType();
const rtl::TEnumType& UncheckStyleType();

class TfrxCheckBoxView : public TfrxView {
  RTL_CLASS_INFO
 public:
  // 5 mm high and wide.
  explicit TfrxCheckBoxView(rtl::TComponent* owner);
  TfrxCheckBoxView(rtl::TComponent* owner, std::uint16_t flags);

  gfx::TColor CheckColor() const { return checkColor_; }
  void SetCheckColor(gfx::TColor c) { checkColor_ = c; }
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { checked_ = v; }
  TfrxCheckStyle CheckStyle() const { return checkStyle_; }
  void SetCheckStyle(TfrxCheckStyle s) { checkStyle_ = s; }
  const AnsiString& Expression() const { return expression_; }
  void SetExpression(const AnsiString& v) { expression_ = v; }
  TfrxUncheckStyle UncheckStyle() const { return uncheckStyle_; }
  void SetUncheckStyle(TfrxUncheckStyle s) { uncheckStyle_ = s; }

  void Draw(gfx::TCanvas& canvas, long double scaleX, long double scaleY, long double offsetX,
            long double offsetY) override;
  // The mark of the current state inside rect, in CheckColor.
  void DrawCheck(const gfx::TRect& rect);
  void GetData() override;
  AnsiString GetDescription() const override;

 private:
  void InitCheckBox();
  void DrawCross(const gfx::TRect& rect);
  void DrawTick(const gfx::TRect& rect);
  void DrawLineCross(const gfx::TRect& rect);
  void DrawPlus(const gfx::TRect& rect, bool vertical);
  gfx::TColor checkColor_ = 0;
  bool checked_ = true;
  TfrxCheckStyle checkStyle_ = csCross;
  AnsiString expression_;
  TfrxUncheckStyle uncheckStyle_ = usEmpty;
};

// Registers the check box in the object registry (image index 24); the
// registry's shut-down frees the entry.
void vuzChBoxStartup();

}  // namespace report
