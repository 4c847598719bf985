#include "preview/vuzPageSettingsModel.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/rtl/exceptions.h"
#include "preview/vuzPreviewObjects.h"
#include "report/vuzPaperSizes.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace preview {

namespace {
long double Factor(int units) { return units == duInches ? 25.4L : 10.0L; }

bool ReadNumber(const AnsiString& text, long double& value) {
  try {
    value = report::vuzStrToFloat(text);
  } catch (const rtl::Exception&) {
    return false;
  }
  return std::isfinite(static_cast<double>(value));
}
}  // namespace

long double vuzMmToUnits(int units, long double mm) { return mm / Factor(units); }
long double vuzUnitsToMm(int units, long double value) { return value * Factor(units); }

AnsiString vuzUnitName(int units) { return report::vuzResources().Get(units == duInches ? "uInch" : "uCm"); }

TfrxPageSettingsModel::TfrxPageSettingsModel(TfrxCustomPrinter& printer, int units)
    : printer_(printer), units_(units >= duCM && units <= duChars ? units : duCM) {
  state_.UnitName = vuzUnitName(units_);
  for (int i = 0; i < printer_.Papers().Count(); ++i) state_.Papers.push_back(printer_.Papers().Name(i));
}

AnsiString TfrxPageSettingsModel::Show(long double mm) const { return report::vuzFloatToStr(vuzMmToUnits(units_, mm)); }

void TfrxPageSettingsModel::Show(TfrxComponent* page) {
  updating_ = true;
  const int paper = static_cast<int>(vuzOrdProp(page, "PaperSize", report::DMPAPER_A4));
  int at = printer_.PaperIndex(paper);
  if (at < 0) at = printer_.PaperIndex(report::DMPAPER_USER);
  state_.Paper = std::max(0, at);
  state_.Width = Show(vuzFloatPropOf(page, "PaperWidth", 210));
  state_.Height = Show(vuzFloatPropOf(page, "PaperHeight", 297));
  state_.Portrait = vuzOrdProp(page, "Orientation", 0) == 0;
  const TfrxPageMargins m = vuzPageMargins(page);
  state_.Left = Show(m.Left);
  state_.Top = Show(m.Top);
  state_.Right = Show(m.Right);
  state_.Bottom = Show(m.Bottom);
  updating_ = false;
}

void TfrxPageSettingsModel::SetPortrait(bool portrait) {
  const bool turned = portrait != state_.Portrait;
  state_.Portrait = portrait;
  // A custom size turns with the page.
  if (turned && !updating_ && !state_.Papers.empty() &&
      printer_.PaperNameToNumber(state_.Papers[static_cast<std::size_t>(state_.Paper)]) == report::DMPAPER_USER)
    std::swap(state_.Width, state_.Height);
  PaperChanged();
}

void TfrxPageSettingsModel::PaperChanged() {
  if (updating_ || state_.Papers.empty()) return;
  const int paper = printer_.PaperNameToNumber(state_.Papers[static_cast<std::size_t>(state_.Paper)]);
  if (paper == report::DMPAPER_USER) return;  // the size is what the fields say
  updating_ = true;
  printer_.SetViewParams(paper, 0, 0, state_.Portrait ? poPortrait : poLandscape);
  state_.Width = Show(printer_.PaperWidth());
  state_.Height = Show(printer_.PaperHeight());
  updating_ = false;
}

void TfrxPageSettingsModel::SizeEdited() {
  if (!updating_) state_.Paper = 0;
}

bool TfrxPageSettingsModel::Accept(TfrxComponent* page, AnsiString& error) {
  struct Field {
    const AnsiString* text;
    const char* name;
    long double mm;
  } fields[] = {{&state_.Width, "401", 0}, {&state_.Height, "402", 0}, {&state_.Left, "405", 0},
                {&state_.Right, "407", 0}, {&state_.Top, "406", 0},    {&state_.Bottom, "408", 0}};
  for (Field& f : fields) {
    long double v = 0;
    if (!ReadNumber(*f.text, v)) {
      error = report::vuzGet(std::atoi(f.name)) + ": \"" + *f.text + "\"";
      return false;
    }
    f.mm = vuzUnitsToMm(units_, v);
  }
  const int paper = state_.Papers.empty()
                        ? report::DMPAPER_USER
                        : printer_.PaperNameToNumber(state_.Papers[static_cast<std::size_t>(state_.Paper)]);
  vuzSetProp(page, "Orientation", state_.Portrait ? 0 : 1);
  vuzSetFloatProp(page, "PaperWidth", fields[0].mm);
  vuzSetFloatProp(page, "PaperHeight", fields[1].mm);
  vuzSetProp(page, "PaperSize", paper);
  vuzSetFloatProp(page, "LeftMargin", fields[2].mm);
  vuzSetFloatProp(page, "RightMargin", fields[3].mm);
  vuzSetFloatProp(page, "TopMargin", fields[4].mm);
  vuzSetFloatProp(page, "BottomMargin", fields[5].mm);
  page->AlignChildren();
  return true;
}

AnsiString& vuzLastSearchText() {
  static AnsiString text;
  return text;
}

}  // namespace preview
