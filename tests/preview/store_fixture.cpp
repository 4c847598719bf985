#include "store_fixture.h"

#include "platform/gfx/canvas.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/format.h"
#include "preview/vuzPreviewObjects.h"
#include "report/vuzXML.h"

namespace preview_test {

using report::TfrxReportComponent;

namespace {

// One class info per engine class name, standing for it in the chains.
const rtl::TClassInfo& Named(const char* name, const rtl::TClassInfo& parent) {
  static std::vector<std::unique_ptr<rtl::TClassInfo>> infos;
  for (auto& info : infos)
    if (info->Name() == name) return *info;
  infos.push_back(std::make_unique<rtl::TClassInfo>(name, &parent));
  return *infos.back();
}

template <class C>
rtl::TClassBuilder<C>& Geometry(rtl::TClassBuilder<C>& b) {
  return b.Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
      .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
      .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
      .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
      .Property("Visible", &TfrxComponent::Visible, &TfrxComponent::SetVisible)
      .Default(true);
}

int R(long double v) { return static_cast<int>(rtl::Round(v)); }

}  // namespace

std::vector<std::string>& DrawLog() {
  static std::vector<std::string> log;
  return log;
}

void TestView::Draw(gfx::TCanvas&, long double, long double, long double ox, long double oy) {
  DrawLog().push_back(Name() + " " + std::to_string(R(ox)) + " " + std::to_string(R(oy)));
}

void TestMemo::Draw(gfx::TCanvas& canvas, long double sx, long double sy, long double ox, long double oy) {
  TestView::Draw(canvas, sx, sy, ox, oy);
  DrawLog().back() += " total=" + std::to_string(TotalPages) + " copy=" + std::to_string(CopyNo);
  // The text, for searches over what a page drew.
  if (!Text.empty()) canvas.TextOutW(R(ox + GetAbsLeft() * sx), R(oy + GetAbsTop() * sy), rtl::AnsiToWide(Text));
}

AnsiString TestMemo::Diff(TfrxComponent* other) {
  AnsiString s = InternalDiff(other);
  auto* o = dynamic_cast<TestMemo*>(other);
  if (!o || o->Text != Text) s += " Text=\"" + report::vuzStrToXML(Text) + "\"";
  return s;
}

AnsiString TestPicture::Diff(TfrxComponent* other) {
  return InternalDiff(other) + " ImageIndex=\"" + std::to_string(ImageIndex) + "\"";
}

TestPage::TestPage(rtl::TComponent* owner) : TfrxReportComponent(owner) {
  SetPaperWidth(210);
  SetPaperHeight(297);
}

void TestPage::SetPaperWidth(long double v) {
  paperWidth_ = v;
  SetWidth(v * report::fr01cm);
}

void TestPage::SetPaperHeight(long double v) {
  paperHeight_ = v;
  SetHeight(v * report::fr01cm);
}

void TestPage::Draw(gfx::TCanvas&, long double, long double, long double ox, long double oy) {
  DrawLog().push_back("page " + std::to_string(R(ox)) + " " + std::to_string(R(oy)));
}

// ---------------------------------------------------------------- classes

const rtl::TClassInfo& TestBand::StaticClass() {
  static rtl::TClassBuilder<TestBand> b("TestBand", &Named("TfrxBand", TfrxReportComponent::StaticClass()));
  static const rtl::TClassInfo info = Geometry(b.Creatable()).Build();
  return info;
}

#define PREVIEW_TEST_BAND_INFO(Name, EngineName)                                                          \
  const rtl::TClassInfo& Name::StaticClass() {                                                            \
    static const rtl::TClassInfo info =                                                                   \
        rtl::TClassBuilder<Name>(#Name, &Named(EngineName, TestBand::StaticClass())).Creatable().Build(); \
    return info;                                                                                          \
  }
PREVIEW_TEST_BAND_INFO(TestPageHeader, "TfrxPageHeader")
PREVIEW_TEST_BAND_INFO(TestPageFooter, "TfrxPageFooter")
PREVIEW_TEST_BAND_INFO(TestReportTitle, "TfrxReportTitle")
PREVIEW_TEST_BAND_INFO(TestDataBand, "TfrxDataBand")
PREVIEW_TEST_BAND_INFO(TestOverlay, "TfrxOverlay")
PREVIEW_TEST_BAND_INFO(TestColumnFooter, "TfrxColumnFooter")
#undef PREVIEW_TEST_BAND_INFO

const rtl::TClassInfo& TestGroupHeader::StaticClass() {
  using G = TestGroupHeader;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<G>("TestGroupHeader", &Named("TfrxGroupHeader", TestBand::StaticClass()))
          .Creatable()
          .Property(
              "DrillDown", [](const G& g) { return g.DrillDown; }, [](G& g, bool v) { g.DrillDown = v; })
          .Property(
              "DrillName", [](const G& g) { return g.DrillName; }, [](G& g, const AnsiString& v) { g.DrillName = v; })
          .Build();
  return info;
}

const rtl::TClassInfo& TestView::StaticClass() {
  using V = TestView;
  static rtl::TClassBuilder<V> b("TestView", &Named("TfrxView", TfrxReportComponent::StaticClass()));
  static const rtl::TClassInfo info =
      Geometry(b.Creatable())
          .Property(
              "Printable", [](const V& v) { return v.Printable; }, [](V& v, bool x) { v.Printable = x; })
          .Default(true)
          .Property(
              "Cursor", [](const V& v) { return v.Cursor; }, [](V& v, int x) { v.Cursor = x; })
          .Default(0)
          .Property(
              "URL", [](const V& v) { return v.URL; }, [](V& v, const AnsiString& x) { v.URL = x; })
          .Property(
              "Hint", [](const V& v) { return v.Hint; }, [](V& v, const AnsiString& x) { v.Hint = x; })
          .Property(
              "ShowHint", [](const V& v) { return v.ShowHint; }, [](V& v, bool x) { v.ShowHint = x; })
          .Default(false)
          .Build();
  return info;
}

const rtl::TClassInfo& TestMemo::StaticClass() {
  using M = TestMemo;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<M>("TestMemo", &Named("TfrxCustomMemoView", TestView::StaticClass()))
          .Creatable()
          .Property(
              "Text", [](const M& m) { return m.Text; }, [](M& m, const AnsiString& x) { m.Text = x; })
          .Property(
              "AutoWidth", [](const M& m) { return m.AutoWidth; }, [](M& m, bool x) { m.AutoWidth = x; })
          .Default(false)
          .Build();
  return info;
}

const rtl::TClassInfo& TestPicture::StaticClass() {
  using P = TestPicture;
  static const rtl::TClassInfo info =
      rtl::TClassBuilder<P>("TestPicture", &Named("TfrxPictureView", TestView::StaticClass()))
          .Creatable()
          .Property("Picture", &P::Picture, &P::SetPicture)
          .Property(
              "ImageIndex", [](const P& p) { return p.ImageIndex; }, [](P& p, int x) { p.ImageIndex = x; })
          .Default(0)
          .Property(
              "Stretched", [](const P& p) { return p.Stretched; }, [](P& p, bool x) { p.Stretched = x; })
          .Default(false)
          .Build();
  return info;
}

const rtl::TClassInfo& TestPage::StaticClass() {
  using P = TestPage;
  static rtl::TClassBuilder<P> b("TestPage",
                                 &Named("TfrxReportPage", Named("TfrxPage", TfrxReportComponent::StaticClass())));
  static const rtl::TClassInfo info =
      b.Creatable()
          .Property("PaperWidth", &P::PaperWidth, &P::SetPaperWidth)
          .Property("PaperHeight", &P::PaperHeight, &P::SetPaperHeight)
          .Property(
              "PaperSize", [](const P& p) { return p.PaperSize; }, [](P& p, int x) { p.PaperSize = x; })
          .Property(
              "LeftMargin", [](const P& p) { return p.LeftMargin; }, [](P& p, long double x) { p.LeftMargin = x; })
          .Property(
              "TopMargin", [](const P& p) { return p.TopMargin; }, [](P& p, long double x) { p.TopMargin = x; })
          .Property(
              "RightMargin", [](const P& p) { return p.RightMargin; }, [](P& p, long double x) { p.RightMargin = x; })
          .Property(
              "BottomMargin", [](const P& p) { return p.BottomMargin; },
              [](P& p, long double x) { p.BottomMargin = x; })
          .Property(
              "MirrorMargins", [](const P& p) { return p.MirrorMargins; }, [](P& p, bool x) { p.MirrorMargins = x; })
          .Default(false)
          .Property(
              "Orientation", [](const P& p) { return p.Orientation; }, [](P& p, int x) { p.Orientation = x; })
          .Default(0)
          .Property(
              "Bin", [](const P& p) { return p.Bin; }, [](P& p, int x) { p.Bin = x; })
          .Default(7)
          .Property(
              "BinOtherPages", [](const P& p) { return p.BinOtherPages; }, [](P& p, int x) { p.BinOtherPages = x; })
          .Default(7)
          .Property(
              "Duplex", [](const P& p) { return p.Duplex; }, [](P& p, int x) { p.Duplex = x; })
          .Default(0)
          .Build();
  return info;
}

void RegisterStandIns() {
  static bool done = [] {
    for (const rtl::TClassInfo* info :
         {&TestBand::StaticClass(), &TestPageHeader::StaticClass(), &TestPageFooter::StaticClass(),
          &TestReportTitle::StaticClass(), &TestDataBand::StaticClass(), &TestOverlay::StaticClass(),
          &TestColumnFooter::StaticClass(), &TestGroupHeader::StaticClass(), &TestView::StaticClass(),
          &TestMemo::StaticClass(), &TestPicture::StaticClass(), &TestPage::StaticClass()})
      rtl::RegisterClass(*info);
    preview::TfrxObjectHooks& hooks = preview::vuzObjectHooks();
    // Objects that are not stand-ins (tests of real reports in the same
    // program) keep the hooks they had.
    hooks.SetMemoPrintValues = [previous = hooks.SetMemoPrintValues](TfrxComponent* memo, int total, int copy) {
      auto* m = dynamic_cast<TestMemo*>(memo);
      if (!m) {
        if (previous) previous(memo, total, copy);
        return;
      }
      m->TotalPages = total;
      m->CopyNo = copy;
    };
    hooks.SetMemoPrintScale = [previous = hooks.SetMemoPrintScale](TfrxComponent* memo, long double scale) {
      if (auto* m = dynamic_cast<TestMemo*>(memo))
        m->PrintScale = scale;
      else if (previous)
        previous(memo, scale);
    };
    hooks.ExtractMacros = [previous = hooks.ExtractMacros](TfrxComponent* memo) {
      if (auto* m = dynamic_cast<TestMemo*>(memo))
        ++m->Extracted;
      else if (previous)
        previous(memo);
    };
    hooks.CreatePictureView = []() -> TfrxComponent* { return new TestPicture(nullptr); };
    return true;
  }();
  (void)done;
}

StoreFixture::StoreFixture() {
  RegisterStandIns();
  auto recording = std::make_unique<RecordingHost>();
  host = recording.get();
  store = std::make_unique<preview::TfrxPreviewPages>(nullptr);
  store->SetHost(std::move(recording));
  store->Engine = &engine;
  engine.FinalPass = true;
}

TemplatePage::TemplatePage() {
  RegisterStandIns();
  page = std::make_unique<TestPage>();
  page->SetName("Page1");
  header = new TestPageHeader(page.get());
  header->SetName("PageHeader1");
  header->SetBounds(0, 0, 700, 40);
  title = new TestMemo(header);
  title->SetName("Memo1");
  title->SetBounds(10, 5, 300, 20);
  title->Text = "Title";
  data = new TestDataBand(page.get());
  data->SetName("MasterData1");
  data->SetBounds(0, 40, 700, 20);
  cell1 = new TestMemo(data);
  cell1->SetName("Memo2");
  cell1->SetBounds(0, 0, 100, 20);
  cell2 = new TestMemo(data);
  cell2->SetName("Memo3");
  cell2->SetBounds(100, 0, 100, 20);
  footer = new TestPageFooter(page.get());
  footer->SetName("PageFooter1");
  footer->SetBounds(0, 1000, 700, 30);
}

}  // namespace preview_test
