// A recorder's log report built in code, for the preview's window test and
// benchmark: a time and six values a row, one row a minute, through a data
// band of seven memos, a group per day with sums in its footer, and a page
// header and footer "Страница [Page#] из [TotalPages#]". 21,706 rows (15
// days) give about 350 pages.
#pragma once
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/strings.h"
#include "report/vuzClassBands.h"
#include "report/vuzClassMemo.h"
#include "report/vuzClassPage.h"
#include "report/vuzClassReport.h"
#include "report/vuzDataSet.h"

namespace preview_test {

using rtl::AnsiString;

class LogReport {
 public:
  static constexpr int kValues = 6;
  explicit LogReport(int rows) : rows_(rows) {
    const double start = 46'357;  // 01.12.2026
    for (int r = 0; r < rows; ++r) {
      times_.push_back(start + r / 1440.0);
      for (int v = 0; v < kValues; ++v) values_.push_back(20.0 + 10 * v + 5 * std::sin(r * 0.01 + v));
    }
    data_ = std::make_unique<report::TfrxUserDataSet>(nullptr);
    data_->SetName("Rows");
    rtl::TStringList fields;
    fields.Add("Time");
    for (int v = 1; v <= kValues; ++v) fields.Add("V" + std::to_string(v));
    data_->SetFields(&fields);
    data_->SetRangeEnd(report::reCount);
    data_->SetRangeEndCount(rows);
    data_->OnGetValue = [this](const AnsiString& field, rtl::Variant& value) {
      const int r = data_->RecNo();
      if (r < 0 || r >= rows_) return;
      if (field == "Time")
        value = rtl::Variant::FromDate(times_[static_cast<std::size_t>(r)]);
      else if (field.size() == 2 && field[0] == 'V')
        value = rtl::Variant(values_[static_cast<std::size_t>(r) * kValues + static_cast<std::size_t>(field[1] - '1')]);
    };
    report_ = std::make_unique<report::TfrxReport>();
    report_->EngineOptions()->NewSilentMode = report::simSilent;
    report_->EngineOptions()->DoublePass = true;
    report_->SetShowProgress(false);
    report_->DataSets()->Add(data_.get());
    auto* page = new report::TfrxReportPage(report_.get());
    page->SetName("Page1");
    page->SetPaperSize(9);
    for (auto set : {&report::TfrxReportPage::SetLeftMargin, &report::TfrxReportPage::SetTopMargin,
                     &report::TfrxReportPage::SetRightMargin, &report::TfrxReportPage::SetBottomMargin})
      (page->*set)(10);
    const long double width = (page->PaperWidth() - 20) * report::fr01cm;
    int n = 0;
    auto band = [&](report::TfrxBand* b, const char* name, long double top, long double height) {
      b->SetName(name);
      b->SetBounds(0, top, width, height);
      return b;
    };
    auto memo = [&](report::TfrxComponent* parent, long double left, long double w, const std::string& text,
                    report::TfrxFormatKind kind = report::fkText, const char* format = "") {
      auto* m = new report::TfrxMemoView(parent);
      m->SetName("Memo" + std::to_string(++n));
      m->SetBounds(left, 0, w, 16);
      m->SetText(rtl::Utf8ToWide(text));
      if (kind != report::fkText) {
        m->DisplayFormat()->SetKind(kind);
        m->DisplayFormat()->SetFormatStr(format);
      }
    };
    const std::string pageText = "Страница [Page#] из [TotalPages#]";
    memo(band(new report::TfrxPageHeader(page), "PageHeader1", 0, 20), 0, 300, pageText);
    auto* group =
        static_cast<report::TfrxGroupHeader*>(band(new report::TfrxGroupHeader(page), "GroupHeader1", 40, 20));
    group->SetCondition("Trunc(<Rows.\"Time\">)");
    memo(group, 0, 300, "Сутки [Rows.\"Time\"]", report::fkDateTime, "dd.mm.yyyy");
    auto* data = static_cast<report::TfrxMasterData*>(band(new report::TfrxMasterData(page), "MasterData1", 80, 16));
    data->SetDataSet(data_.get());
    memo(data, 0, 130, "[Rows.\"Time\"]", report::fkDateTime, "dd.mm.yyyy hh:nn");
    for (int v = 1; v <= kValues; ++v)
      memo(data, 130 + (v - 1) * 95, 95, "[Rows.\"V" + std::to_string(v) + "\"]", report::fkNumeric, "%2.2f");
    auto* footer = band(new report::TfrxGroupFooter(page), "GroupFooter1", 120, 16);
    memo(footer, 0, 300, "Итого за сутки: [SUM(<Rows.\"V1\">)]", report::fkNumeric, "%2.2f");
    memo(band(new report::TfrxReportSummary(page), "ReportSummary1", 160, 20), 0, 300, "Конец журнала");
    memo(band(new report::TfrxPageFooter(page), "PageFooter1", 200, 20), 0, 300, pageText);
  }
  ~LogReport() {
    report_.reset();
    data_.reset();
  }
  report::TfrxReport& Report() { return *report_; }

 private:
  int rows_;
  std::vector<double> times_, values_;
  std::unique_ptr<report::TfrxUserDataSet> data_;
  std::unique_ptr<report::TfrxReport> report_;
};

}  // namespace preview_test
