// Small report classes for the tests of the object tree and the template
// serializer. The tree knows the concrete classes (report, page, band, view,
// text object) by their reflected class names; these stand-ins carry those
// names in their class chain, so the tests do not wait for the real ones.
#pragma once
#include <memory>

#include "platform/rtl/classes.h"
#include "platform/rtl/stringlists.h"
#include "report/vuzClass.h"
#include "report/vuzUnicodeUtils.h"
#include "report/vuzXMLSerializer.h"

namespace report_test {

using report::TfrxComponent;
using rtl::AnsiString;

// Class infos that stand for the engine's classes in the chain.
inline const rtl::TClassInfo& StandIn(const char* name, const rtl::TClassInfo& parent) {
  // One info per name for the whole test program.
  static std::vector<std::unique_ptr<rtl::TClassInfo>> infos;
  for (auto& i : infos)
    if (i->Name() == name) return *i;
  infos.push_back(std::make_unique<rtl::TClassInfo>(name, &parent));
  return *infos.back();
}

// A view: publishes the geometry, Visible, Align, Restrictions and Font.
class TfrxTestView : public report::TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  using TfrxReportComponent::TfrxReportComponent;
  void Draw(gfx::TCanvas&, long double, long double, long double, long double) override {}
  report::TfrxAlign Align() const { return align_; }
  void SetAlign(report::TfrxAlign a) { align_ = a; }
  TfrxComponent* Link() const { return link_; }
  void SetLink(TfrxComponent* c) { link_ = c; }
  rtl::TStringList* Lines() const { return lines_.get(); }
  void SetLines(const rtl::TStringList* l) { lines_->Assign(l); }
  AnsiString Caption() const { return caption_; }
  void SetCaption(const AnsiString& c) { caption_ = c; }
  rtl::Variant Value() const { return value_; }
  void SetValue(const rtl::Variant& v) { value_ = v; }

 private:
  report::TfrxAlign align_ = report::baNone;
  TfrxComponent* link_ = nullptr;
  std::unique_ptr<rtl::TStringList> lines_ = std::make_unique<rtl::TStringList>();
  AnsiString caption_;
  rtl::Variant value_;
};

// A text object with its lines ("Memo") and AutoWidth.
class TfrxTestMemoView : public TfrxTestView {
  RTL_CLASS_INFO
 public:
  using TfrxTestView::TfrxTestView;
  report::TWideStrings* Memo() const { return memo_.get(); }
  void SetMemo(const report::TWideStrings* m) { memo_->Assign(m); }
  bool AutoWidth() const { return autoWidth_; }
  void SetAutoWidth(bool v) { autoWidth_ = v; }

 private:
  std::unique_ptr<report::TWideStrings> memo_ = std::make_unique<report::TWideStrings>();
  bool autoWidth_ = false;
};

class TfrxTestBand : public report::TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  using TfrxReportComponent::TfrxReportComponent;
  void Draw(gfx::TCanvas&, long double, long double, long double, long double) override {}
};

class TfrxTestPage : public report::TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  using TfrxReportComponent::TfrxReportComponent;
  void Draw(gfx::TCanvas&, long double, long double, long double, long double) override {}
};

// A report: the services the tree asks of it, and a picture of defined data
// so that "PropData" has something to carry.
class TfrxTestReport : public TfrxComponent, public report::TfrxReportServices {
  RTL_CLASS_INFO
 public:
  explicit TfrxTestReport(rtl::TComponent* owner = nullptr) : TfrxComponent(owner) {}
  ~TfrxTestReport() override { Clear(); }
  report::TfrxXMLSerializer* ActiveSerializer() const override { return active_; }
  void SetActiveSerializer(report::TfrxXMLSerializer* s) override { active_ = s; }
  rtl::TStrings& Errors() override { return errors_; }
  bool EngineThreadSafe() const override { return threadSafe; }
  report::TfrxSilentMode SilentMode() const override { return report::simSilent; }
  bool UseGlobalDataSetList() const override { return true; }
  report::TfrxReportDataSets* ReportDataSets() override { return nullptr; }
  TfrxComponent* FindAncestor(const AnsiString& name) override {
    return ancestor ? ancestor->FindObject(name) : nullptr;
  }
  void DefineProperties(rtl::TFiler& filer) override {
    filer.DefineProperty(
        "Notes", [this](rtl::TReader& r) { notes = r.ReadString(); }, [this](rtl::TWriter& w) { w.WriteString(notes); },
        !notes.empty());
  }
  AnsiString Title() const { return title_; }
  void SetTitle(const AnsiString& t) { title_ = t; }

  bool threadSafe = false;
  AnsiString notes;
  TfrxComponent* ancestor = nullptr;

 private:
  report::TfrxXMLSerializer* active_ = nullptr;
  rtl::TStringList errors_;
  AnsiString title_;
};

// Registers the stand-ins once per program.
inline void RegisterTestClasses() {
  static bool done = [] {
    rtl::RegisterClass(TfrxTestReport::StaticClass());
    rtl::RegisterClass(TfrxTestPage::StaticClass());
    rtl::RegisterClass(TfrxTestBand::StaticClass());
    rtl::RegisterClass(TfrxTestView::StaticClass());
    rtl::RegisterClass(TfrxTestMemoView::StaticClass());
    return true;
  }();
  (void)done;
}

}  // namespace report_test
