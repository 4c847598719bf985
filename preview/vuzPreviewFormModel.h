// The preview window without its window: which toolbar buttons show for the
// report's preview buttons, which are enabled, the export menu from the
// registered filters, the zoom box's items and what typing in it or in the
// page box means, and the status text.
#pragma once
#include <optional>
#include <vector>

#include "platform/rtl/strings.h"
#include "report/vuzClassReport.h"

namespace preview {

using rtl::AnsiString;

// The toolbar, left to right.
enum TfrxPreviewTool {
  tbPrint,
  tbOpen,
  tbSave,
  tbExport,
  tbPdf,
  tbEmail,
  tbFind,
  tbSep1,
  tbZoomPlus,
  tbZoomBox,
  tbZoomMinus,
  tbFullScreen,
  tbSep2,
  tbOutline,
  tbThumbnails,
  tbPageSettings,
  tbDesigner,
  tbSep5,
  tbFirst,
  tbPrior,
  tbPageBox,
  tbNext,
  tbLast,
  tbClose,
  tbToolCount
};

struct TfrxToolbarState {
  bool Visible[tbToolCount] = {};
  bool Enabled[tbToolCount] = {};
};

// hasExportFilters: a filter other than the dot-matrix one is registered;
// hasPdf / hasEmail: filters of those classes are.
TfrxToolbarState vuzToolbarVisibility(report::TfrxPreviewButtons buttons, bool hasExportFilters, bool hasPdf,
                                      bool hasEmail);
// Enabling for the state: building, page count, AllowEdit.
void vuzToolbarEnabling(TfrxToolbarState& state, bool building, int pageCount, bool allowEdit);

// The right-click menu after its drill-down items: the visible buttons that
// have a hint and are no check buttons, in toolbar order, up to the second
// separator; kMenuSeparator stands for a separator line.
constexpr int kMenuSeparator = -1;
std::vector<int> vuzRightMenuTools(const TfrxToolbarState& visible);

// The export menu: each registered filter's description followed by "...",
// in registration order, the dot-matrix filter left out; Index is the
// filter's place in the registry.
struct TfrxExportMenuItem {
  AnsiString Caption;
  int Index;
};
std::vector<TfrxExportMenuItem> vuzExportMenu(const report::TfrxCustomExportFilter* dotMatrix = nullptr);

// The zoom box: "25%" .. "200%", page width, whole page.
std::vector<AnsiString> vuzZoomItems();
AnsiString vuzZoomText(long double zoom);
// What the zoom box asks for: a mode (items 6 and 7) or a zoom (a fraction);
// nothing for text that is no number (the box then shows the zoom again).
struct TfrxZoomChoice {
  bool IsMode = false;
  report::TfrxZoomMode Mode = report::zmDefault;
  long double Zoom = 1;
};
std::optional<TfrxZoomChoice> vuzZoomBoxChoice(int itemIndex, const AnsiString& text);
// The page box's number; nothing for empty or non-numeric text.
std::optional<int> vuzPageBoxNumber(const AnsiString& text);
// Status panel 0: "Страница n из m", or the first pass's page count.
AnsiString vuzPageStatusText(int pageNo, int pageCount, bool firstPassBuilding);

}  // namespace preview
