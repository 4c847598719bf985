// Helpers for the tests of the views: a report that answers expressions from
// a table and keeps the pictures handed to its prepared pages, and readers of
// the strokes a recording canvas kept.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model_fixture.h"
#include "platform/gfx/recording_canvas.h"
#include "report/vuzClassServices.h"

namespace report_test {

// Prepared pages that only number the pictures handed to them.
class TRecordingPreviewPages : public report::TfrxCustomPreviewPages {
 public:
  using TfrxCustomPreviewPages::TfrxCustomPreviewPages;
  void AddPicture(report::TfrxComponent* picture) override;
  std::vector<report::TfrxComponent*> pictures;
};

// A report whose Calc answers from a table (an unknown expression raises)
// and which remembers its "Self".
class TfrxCalcReport : public TfrxTestReport {
 public:
  TfrxCalcReport() : pages(this) {}
  rtl::Variant Calc(const AnsiString& expression) override;
  void SetSelfValue(TfrxComponent* object) override { self = object; }
  report::TfrxCustomPreviewPages* PreviewPages() override { return &pages; }

  std::map<AnsiString, rtl::Variant> values;
  std::vector<AnsiString> asked;
  TfrxComponent* self = nullptr;
  TRecordingPreviewPages pages;
};

// One LineTo from the pen position as a stroke.
struct TStroke {
  gfx::TPoint from, to;
  gfx::TPen pen;
};
std::vector<TStroke> Strokes(const gfx::TRecordingCanvas& canvas);
std::string StrokesText(const std::vector<TStroke>& strokes);

}  // namespace report_test

namespace report_test {
// A short text of one recorded shape call: "Rectangle 0,0,101,41",
// "RoundRect 0,0,101,41 10,10", "Polygon (1,2)(3,4)".
std::string ShapeText(const gfx::TCanvasCall& call);
// The texts of every shape call (rectangles, ellipses, polygons, polylines).
std::vector<std::string> ShapeTexts(const gfx::TRecordingCanvas& canvas);
}  // namespace report_test
