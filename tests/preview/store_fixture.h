// Stand-ins of the report classes for the tests of the prepared-pages store:
// a page with paper and margins, bands of each kind the store tells apart,
// a view, a text object and a picture object. Their class chains carry the
// engine's class names (TfrxReportPage, TfrxBand, TfrxView, ...), which is
// all the store goes by. Views log their drawing; a recording host stands in
// for the report and its preview control.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/picture.h"
#include "platform/rtl/stringlists.h"
#include "preview/vuzPreviewHost.h"
#include "preview/vuzPreviewPages.h"
#include "report/vuzClass.h"
#include "report/vuzClassServices.h"

namespace preview_test {

using report::TfrxComponent;
using rtl::AnsiString;

// What views drew, one line each: "name ox oy" (offsets rounded).
std::vector<std::string>& DrawLog();

class TestBand : public report::TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  using TfrxReportComponent::TfrxReportComponent;
  void Draw(gfx::TCanvas&, long double, long double, long double, long double) override {}
};
#define PREVIEW_TEST_BAND(Name)  \
  class Name : public TestBand { \
    RTL_CLASS_INFO               \
   public:                       \
    using TestBand::TestBand;    \
  };
PREVIEW_TEST_BAND(TestPageHeader)
PREVIEW_TEST_BAND(TestPageFooter)
PREVIEW_TEST_BAND(TestReportTitle)
PREVIEW_TEST_BAND(TestDataBand)
PREVIEW_TEST_BAND(TestOverlay)
PREVIEW_TEST_BAND(TestColumnFooter)
#undef PREVIEW_TEST_BAND

class TestGroupHeader : public TestBand {
  RTL_CLASS_INFO
 public:
  using TestBand::TestBand;
  bool DrillDown = false;
  AnsiString DrillName;
};

class TestView : public report::TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  using TfrxReportComponent::TfrxReportComponent;
  void Draw(gfx::TCanvas& canvas, long double sx, long double sy, long double ox, long double oy) override;
  bool Printable = true;
  int Cursor = 0;
  AnsiString URL, Hint;
  bool ShowHint = false;
};

class TestMemo : public TestView {
  RTL_CLASS_INFO
 public:
  explicit TestMemo(rtl::TComponent* owner) : TestView(owner) { SetBaseName("Memo"); }
  // Position, size, font and the text when it differs.
  AnsiString Diff(TfrxComponent* other) override;
  void Draw(gfx::TCanvas& canvas, long double sx, long double sy, long double ox, long double oy) override;
  AnsiString Text;
  bool AutoWidth = false;
  int TotalPages = 0, CopyNo = 0;
  long double PrintScale = 0;
  int Extracted = 0;  // ExtractMacros calls
};

class TestPicture : public TestView {
  RTL_CLASS_INFO
 public:
  explicit TestPicture(rtl::TComponent* owner) : TestView(owner) {}
  AnsiString Diff(TfrxComponent* other) override;
  gfx::TPicture* Picture() const { return picture_.get(); }
  void SetPicture(const gfx::TPicture* p) { picture_->Assign(p); }
  int ImageIndex = 0;
  bool Stretched = false;

 private:
  std::unique_ptr<gfx::TPicture> picture_ = std::make_unique<gfx::TPicture>();
};

// A report page: paper in millimetres (setters size the page in pixels),
// margins, mirror margins. Its Draw logs "page ox oy".
class TestPage : public report::TfrxReportComponent {
  RTL_CLASS_INFO
 public:
  explicit TestPage(rtl::TComponent* owner = nullptr);
  void Draw(gfx::TCanvas& canvas, long double sx, long double sy, long double ox, long double oy) override;
  long double PaperWidth() const { return paperWidth_; }
  long double PaperHeight() const { return paperHeight_; }
  void SetPaperWidth(long double v);
  void SetPaperHeight(long double v);
  int PaperSize = 9;
  long double LeftMargin = 10, TopMargin = 10, RightMargin = 10, BottomMargin = 10;
  bool MirrorMargins = false;
  int Orientation = 0, Bin = 7, BinOtherPages = 7, Duplex = 0;

 private:
  long double paperWidth_ = 0, paperHeight_ = 0;
};

// Registers the stand-ins and the object hooks once per program.
void RegisterStandIns();

// An engine with the values the store reads.
struct TestEngine : report::TfrxCustomEngine {
  TestEngine() : TfrxCustomEngine(nullptr) {
    OnGetDoublePass = [this] { return doublePass; };
  }
  bool doublePass = false;
};

// The report's side, recording what the store asks of it.
class RecordingHost : public preview::TfrxPreviewHost {
 public:
  RecordingHost() : TfrxPreviewHost(nullptr) {}
  int MaxMemSize() const override { return maxMemSize; }
  bool UseFileCache() const override { return useFileCache; }
  AnsiString TempDir() const override { return tempDir; }
  int PagesInCache() const override { return pagesInCache; }
  bool Terminated() const override { return terminated; }
  void SetTerminated(bool v) override { terminated = v; }
  rtl::TStrings* Errors() override { return &errors; }
  void CommonErrorHandler(const AnsiString& text) override { log.push_back("error: " + text); }
  void ErrorMessage(const AnsiString& text) override { log.push_back("message: " + text); }
  rtl::TStrings* DrillState() override { return &drill; }
  void ProgressStart(report::TfrxProgressType t, int v) override { Note("progress-start", t, v); }
  void Progress(report::TfrxProgressType t, int v) override { Note("progress", t, v); }
  void ProgressStop(report::TfrxProgressType t, int v) override { Note("progress-stop", t, v); }
  void SetProgressMessage(const AnsiString& text, bool hint) override { (hint ? hintText : statusText) = text; }
  void MouseOverObject(TfrxComponent* view) override { log.push_back("over " + view->Name()); }
  void PreviewClick(TfrxComponent* view, int, unsigned, bool& modified, bool dbl) override {
    log.push_back(std::string(dbl ? "dblclick " : "click ") + view->Name());
    modified = modifyOnClick;
  }
  bool OpenExternal(const AnsiString& target) override {
    log.push_back("open " + target);
    return true;
  }
  void ProcessMessages() override {
    if (onProcessMessages) onProcessMessages();
  }
  bool HasPreview() const override { return hasPreview; }
  void PreviewLock() override { log.push_back("lock"); }
  void PreviewHideMessage() override {}
  void PreviewSetPageNo(int page) override { log.push_back("page " + std::to_string(page)); }
  void PreviewSetPosition(int page, int top) override {
    log.push_back("position " + std::to_string(page) + " " + std::to_string(top));
  }
  bool PreviewShowHint() const override { return previewShowHint; }
  void SetPreviewShowHint(bool v) override { previewShowHint = v; }
  void SetPreviewHint(const AnsiString& text) override { previewHint = text; }
  void PreviewInvalidate() override { log.push_back("invalidate"); }
  void PreviewRefreshReport() override { log.push_back("refresh-report"); }
  preview::TfrxPrintSettings PrintSettings() const override { return printSettings; }
  void SetPrintSettings(const preview::TfrxPrintSettings& s) override { printSettings = s; }
  bool ShowPrintDialog(preview::TfrxPrintSettings& s) override { return printDialog ? printDialog(s) : true; }
  void PrintPage(TfrxComponent* page, int copyNo) override {
    if (onPrintPage) onPrintPage(page, copyNo);
  }
  void PrintReport() override { log.push_back("print-report"); }
  void AfterPrintReport() override { log.push_back("after-print-report"); }

  int maxMemSize = 10, pagesInCache = 50;
  bool useFileCache = false, terminated = false, hasPreview = false, modifyOnClick = false;
  bool previewShowHint = false;
  AnsiString tempDir, statusText, hintText, previewHint;
  rtl::TStringList errors, drill;
  std::vector<std::string> log;
  std::function<void()> onProcessMessages;
  preview::TfrxPrintSettings printSettings;
  std::function<bool(preview::TfrxPrintSettings&)> printDialog;
  std::function<void(TfrxComponent*, int)> onPrintPage;

 private:
  void Note(const char* what, report::TfrxProgressType t, int v) {
    log.push_back(std::string(what) + " " + std::to_string(static_cast<int>(t)) + " " + std::to_string(v));
  }
};

// A store with a recording host and a test engine.
struct StoreFixture {
  StoreFixture();
  RecordingHost* host;  // owned by the store
  TestEngine engine;
  std::unique_ptr<preview::TfrxPreviewPages> store;
};

// A template page: page header (t 0, h 40) with one memo, data band
// (t 40, h 20) with two memos, page footer (t 1000, h 30).
struct TemplatePage {
  TemplatePage();
  std::unique_ptr<TestPage> page;
  TestPageHeader* header;
  TestDataBand* data;
  TestPageFooter* footer;
  TestMemo* title;
  TestMemo* cell1;
  TestMemo* cell2;
};

}  // namespace preview_test
