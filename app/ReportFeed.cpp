#include "app/ReportFeed.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gfx/metafile.h"
#include "platform/rtl/streams.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassPicture.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"

namespace app {

// The template texts, generated from app/reports/*.fr3 at build time.
namespace report_templates {
extern const char kReport1[];
extern const char kReport2[];
extern const char kReport3[];
}  // namespace report_templates

using namespace rtl::literals;

TRecorderTemplate TemplateForDataColumns(int columns) {
  if (columns == 5) return TRecorderTemplate::Report1;
  if (columns == 6) return TRecorderTemplate::Report2;
  return TRecorderTemplate::Report3;
}

AnsiString RecorderTemplateName(TRecorderTemplate t) {
  switch (t) {
    case TRecorderTemplate::Report1: return "vuzReport1";
    case TRecorderTemplate::Report2: return "vuzReport2";
    case TRecorderTemplate::Report3: break;
  }
  return "vuzReport3";
}

std::string_view RecorderTemplateText(TRecorderTemplate t) {
  switch (t) {
    case TRecorderTemplate::Report1: return report_templates::kReport1;
    case TRecorderTemplate::Report2: return report_templates::kReport2;
    case TRecorderTemplate::Report3: break;
  }
  return report_templates::kReport3;
}

void LoadRecorderTemplate(report::TfrxReport& r, TRecorderTemplate t) {
  // The report object's own settings, which loading a template leaves alone:
  // the same for the three reports.
  using namespace report;
  r.SetIniFile("\\Software\\Dodo Vavezev");
  r.PreviewOptions()->Buttons = (1u << pbPrint) | (1u << pbLoad) | (1u << pbSave) | (1u << pbExport) | (1u << pbZoom) |
                                (1u << pbFind) | (1u << pbPageSetup) | (1u << pbTools) | (1u << pbNavigator);
  r.PreviewOptions()->Zoom = 1;
  rtl::TMemoryStream stream{std::string(RecorderTemplateText(t))};
  r.LoadFromStream(stream);
  r.SetName(RecorderTemplateName(t));
}

AnsiString RecorderReportTitle() { return "Велдор. Отчет о процессе регистрации."_cp; }

namespace {

// Where a name's answer comes from.
enum class TAnswerFrom { Fixed, ListCell, TableCell };

struct TNamedValue {
  AnsiString name;
  TAnswerFrom from;
  int col;
  AnsiString text;  // the fixed answer
};

// Every name of the feed, in the order the event compares them.
const std::vector<TNamedValue>& NamedValues() {
  static const std::vector<TNamedValue> table = {
      {"Заголовок"_cp, TAnswerFrom::Fixed, 0, RecorderReportTitle()},
      {"ДатаП"_cp, TAnswerFrom::ListCell, 0, {}},
      {"ВремяП"_cp, TAnswerFrom::ListCell, 1, {}},
      {"ДлительностьП"_cp, TAnswerFrom::ListCell, 2, {}},
      {"ОтсчетовП"_cp, TAnswerFrom::ListCell, 4, {}},
      {"ДатаЗ"_cp, TAnswerFrom::Fixed, 0, "Дата"_cp},
      {"ВремяЗ"_cp, TAnswerFrom::Fixed, 0, "Время"_cp},
      {"Температура средыЗ"_cp, TAnswerFrom::Fixed, 0, "Темп.среды, °C"_cp},
      {"Относительная влажностьЗ"_cp, TAnswerFrom::Fixed, 0, "Влажность, %"_cp},
      // Millimetres also when the table shows per cent, as the program always printed.
      {"УсадкаЗ"_cp, TAnswerFrom::Fixed, 0, "Усадка, мм"_cp},
      {"Дата"_cp, TAnswerFrom::TableCell, 0, {}},
      {"Время"_cp, TAnswerFrom::TableCell, 1, {}},
      {"Температура среды"_cp, TAnswerFrom::TableCell, 2, {}},
      {"Относительная влажность"_cp, TAnswerFrom::TableCell, 3, {}},
      {"Усадка"_cp, TAnswerFrom::TableCell, 4, {}},
      {"Температура доп.1"_cp, TAnswerFrom::TableCell, 5, {}},
      {"Температура доп.2"_cp, TAnswerFrom::TableCell, 6, {}},
  };
  return table;
}

}  // namespace

bool RecorderReportValue(const TReportSource& source, const AnsiString& name, int recNo, rtl::Variant& value) {
  for (const TNamedValue& v : NamedValues()) {
    if (v.name != name) continue;
    switch (v.from) {
      case TAnswerFrom::Fixed: value = rtl::Variant(v.text); break;
      case TAnswerFrom::ListCell: value = rtl::Variant(source.ListCell(v.col)); break;
      // Record n is table row n + 1: row 0 holds the captions.
      case TAnswerFrom::TableCell: value = rtl::Variant(source.TableCell(v.col, recNo + 1)); break;
    }
    return true;
  }
  return false;
}

TRecorderReportFeed::TRecorderReportFeed(TReportSource& source, rtl::TComponent* owner) : source_(source) {
  auto dataSet = std::make_unique<report::TfrxUserDataSet>(owner);
  dataSet_ = dataSet.get();
  if (owner)
    dataSet.release();  // the owner frees it
  else
    owned_ = std::move(dataSet);
  dataSet_->SetName("vuzUserDataSet1");
  dataSet_->OnFirst = [this](rtl::TObject*) { First(); };
  dataSet_->OnCheckEOF = [this](rtl::TObject*, bool& eof) { CheckEOF(eof); };
}

TRecorderReportFeed::~TRecorderReportFeed() = default;

void TRecorderReportFeed::Attach(report::TfrxReport& r) {
  // The templates name the dataset; the process may hold another of that
  // name (the main window's beside a report tool's), and a name finds the
  // first made. Each report of this feed reads this feed's rows.
  for (report::TfrxComponent* c : r.GetAllObjects())
    if (auto* band = dynamic_cast<report::TfrxDataBand*>(c); band && band->GetDataSetName() == dataSet_->UserName())
      band->SetDataSet(dataSet_);
  r.OnGetValue = [this](const AnsiString& name, rtl::Variant& value) { GetValue(name, value); };
  r.OnBeforePrint = [this](report::TfrxReportComponent* object) { BeforePrint(object); };
}

void TRecorderReportFeed::GetValue(const AnsiString& name, rtl::Variant& value) const {
  RecorderReportValue(source_, name, dataSet_->RecNo(), value);
}

void TRecorderReportFeed::First() { dataSet_->SetRangeEndCount(source_.TableRowCount() - 1); }

void TRecorderReportFeed::CheckEOF(bool& eof) const {
  // One record per table row after the captions: the points.
  eof = eof || dataSet_->RecNo() >= source_.TableRowCount() - 1;
}

void TRecorderReportFeed::BeforePrint(report::TfrxReportComponent* object) {
  if (!object || object->Name() != "Picture1") return;
  auto* view = dynamic_cast<report::TfrxPictureView*>(object);
  if (!view) return;
  const int width = static_cast<int>(std::trunc(static_cast<double>(view->Width())));
  const int height = static_cast<int>(std::trunc(static_cast<double>(view->Height())));
  gfx::TMetafile picture;
  picture.SetWidth(std::max(1, width));
  picture.SetHeight(std::max(1, height));
  picture.SetEnhanced(false);
  {
    gfx::TMetafileCanvas canvas(picture);
    source_.DrawChart(canvas, gfx::Rect(0, 0, width, height));
  }
  view->Picture()->SetGraphic(&picture);
}

}  // namespace app
