#include "preview/vuzPreviewFormModel.h"

#include <cmath>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/format.h"
#include "report/vuzDsgnIntf.h"
#include "report/vuzRes.h"
#include "report/vuzUtils.h"

namespace preview {

namespace {
bool Has(report::TfrxPreviewButtons b, report::TfrxPreviewButton which) { return (b >> which) & 1u; }
}  // namespace

TfrxToolbarState vuzToolbarVisibility(report::TfrxPreviewButtons b, bool hasExportFilters, bool hasPdf, bool hasEmail) {
  using namespace report;
  TfrxToolbarState s;
  bool* v = s.Visible;
  v[tbPrint] = Has(b, pbPrint);
  v[tbOpen] = Has(b, pbLoad);
  v[tbSave] = Has(b, pbSave);
  v[tbExport] = Has(b, pbExport) && hasExportFilters;
  v[tbFind] = Has(b, pbFind);
  v[tbZoomPlus] = v[tbZoomMinus] = v[tbZoomBox] = v[tbSep1] = Has(b, pbZoom);
  v[tbFullScreen] = Has(b, pbZoom) && !Has(b, pbNoFullScreen);
  v[tbOutline] = v[tbThumbnails] = Has(b, pbOutline);
  v[tbPageSettings] = Has(b, pbPageSetup);
  v[tbDesigner] = Has(b, pbEdit);
  v[tbSep2] = v[tbPageSettings] || v[tbDesigner];
  v[tbFirst] = v[tbPrior] = v[tbNext] = v[tbLast] = v[tbPageBox] = v[tbSep5] = Has(b, pbNavigator);
  v[tbClose] = !Has(b, pbNoClose);
  v[tbPdf] = Has(b, pbExportQuick) && hasPdf;
  v[tbEmail] = Has(b, pbExportQuick) && hasEmail && !Has(b, pbNoEmail);
  for (bool& e : s.Enabled) e = true;
  return s;
}

void vuzToolbarEnabling(TfrxToolbarState& s, bool building, int pageCount, bool allowEdit) {
  const bool pages = !building && pageCount > 0;
  for (TfrxPreviewTool t : {tbPrint, tbOpen, tbSave, tbExport, tbPdf, tbEmail, tbFind, tbPageSettings})
    s.Enabled[t] = pages;
  s.Enabled[tbDesigner] = !building && allowEdit;
}

std::vector<TfrxExportMenuItem> vuzExportMenu(const report::TfrxCustomExportFilter* dotMatrix) {
  std::vector<TfrxExportMenuItem> items;
  report::TfrxExportFilterCollection& filters = report::vuzExportFilters();
  for (int i = 0; i < filters.Count(); ++i) {
    const report::TfrxCustomExportFilter* f = filters.GetExportFilterItem(i)->Filter;
    if (!f || f == dotMatrix) continue;
    items.push_back({f->GetDescription() + "...", i});
  }
  return items;
}

std::vector<AnsiString> vuzZoomItems() {
  return {"25%",
          "50%",
          "75%",
          "100%",
          "150%",
          "200%",
          report::vuzResources().Get("zmPageWidth"),
          report::vuzResources().Get("zmWholePage")};
}

AnsiString vuzZoomText(long double zoom) { return std::to_string(rtl::Round(zoom * 100)) + "%"; }

std::optional<TfrxZoomChoice> vuzZoomBoxChoice(int itemIndex, const AnsiString& text) {
  if (itemIndex == 6) return TfrxZoomChoice{true, report::zmPageWidth, 1};
  if (itemIndex == 7) return TfrxZoomChoice{true, report::zmWholePage, 1};
  AnsiString s = text;
  if (const auto pct = s.find('%'); pct != AnsiString::npos) s[pct] = ' ';
  AnsiString digits;
  for (char c : s)
    if (c != ' ') digits += c;
  if (digits.empty()) return std::nullopt;
  try {
    const long double value = report::vuzStrToFloat(digits);
    if (!std::isfinite(static_cast<double>(value)) || value <= 0 || value > 100000) return std::nullopt;
    return TfrxZoomChoice{false, report::zmDefault, value / 100};
  } catch (const rtl::Exception&) {
    return std::nullopt;
  }
}

std::optional<int> vuzPageBoxNumber(const AnsiString& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return std::stoi(text);
}

AnsiString vuzPageStatusText(int pageNo, int pageCount, bool firstPassBuilding) {
  if (firstPassBuilding) return report::vuzResources().Get("clFirstPass") + " " + std::to_string(pageCount);
  AnsiString format = report::vuzResources().Get("clPageOf");
  // "%d" twice: the page number, then the count.
  AnsiString out;
  int arg = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'd') {
      out += std::to_string(arg++ == 0 ? pageNo : pageCount);
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

std::vector<int> vuzRightMenuTools(const TfrxToolbarState& visible) {
  std::vector<int> out;
  int separators = 0;
  for (int t = 0; t < tbToolCount; ++t) {
    if (t == tbSep1 || t == tbSep2 || t == tbSep5) {
      if (++separators == 2) break;
      out.push_back(kMenuSeparator);
      continue;
    }
    // Boxes are no buttons, the thumbnail and outline buttons are check
    // buttons, and the close button has no hint.
    const bool button = t != tbZoomBox && t != tbPageBox && t != tbOutline && t != tbThumbnails && t != tbClose;
    if (button && visible.Visible[t]) out.push_back(t);
  }
  return out;
}

}  // namespace preview
