// Dialog controls over a fake window control: properties reaching the
// control, the parent window a control lies in, captions following names,
// the activation callback, the design-time picture, the hint on mouse moves;
// and dialog pages written without a window and made without their stored
// form in a thread-safe run.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/colors.h"
#include "platform/rtl/streams.h"
#include "report/vuzClassReport.h"
#include "report/vuzDialogControl.h"
#include "report/vuzDialogPage.h"
#include "report/vuzGuiHooks.h"

namespace report_test {
namespace {

using namespace report;

// What the wrapper did to its control.
struct FakeControl : TfrxDialogControlWindow {
  struct State {
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true, enabled = true, showHint = false, parentFont = false, windowControl = true, tabStop = true;
    AnsiString caption, hint, parent;
    gfx::TColor color = gfx::clBtnFace;
    Events events;
  };
  explicit FakeControl(std::shared_ptr<State> s) : state(std::move(s)) {}
  void SetBounds(int l, int t, int w, int h) override {
    state->left = l, state->top = t, state->width = w, state->height = h;
  }
  void SetVisible(bool v) override { state->visible = v; }
  bool ShowsCaption() const override { return true; }
  AnsiString Caption() const override { return state->caption; }
  void SetCaption(const AnsiString& t) override { state->caption = t; }
  gfx::TColor Color() const override { return state->color; }
  void SetColor(gfx::TColor c) override { state->color = c; }
  bool Enabled() const override { return state->enabled; }
  void SetEnabled(bool v) override { state->enabled = v; }
  void SetHint(const AnsiString& t) override { state->hint = t; }
  void SetShowHint(bool v) override { state->showHint = v; }
  bool IsWindowControl() const override { return state->windowControl; }
  bool TabStop() const override { return state->tabStop; }
  void SetTabStop(bool v) override { state->tabStop = v; }
  void SetParentFont(bool v) override { state->parentFont = v; }
  void SetFont(const gfx::TFont&) override {}
  void SetParentControl(TfrxDialogControlWindow*) override { state->parent = "control"; }
  void SetParentWindow(TfrxDialogWindow*) override { state->parent = "page"; }
  void SetParentHidden() override { state->parent = "hidden"; }
  void PaintTo(gfx::TCanvas& canvas) override {
    canvas.Brush().SetColor(gfx::clRed);
    canvas.FillRect(gfx::TRect{0, 0, 4, 4});
  }
  void Bind(Events e) override { state->events = std::move(e); }
  std::shared_ptr<State> state;
};

// A control class of the kind a program would add.
class TfrxButtonControl : public TfrxDialogControl {
 public:
  explicit TfrxButtonControl(rtl::TComponent* owner, std::shared_ptr<FakeControl::State> state = nullptr)
      : TfrxDialogControl(owner), state_(state ? state : std::make_shared<FakeControl::State>()) {
    InitControl(std::make_unique<FakeControl>(state_));
  }
  FakeControl::State& State() { return *state_; }

 private:
  std::shared_ptr<FakeControl::State> state_;
};

class DialogControls : public ::testing::Test {
 protected:
  void SetUp() override { ReportClassesStartup(); }
  void TearDown() override { ReportClassesShutdown(); }
  TfrxReport report;
};

TEST_F(DialogControls, PropertiesReachTheControl) {
  auto* page = new TfrxDialogPage(&report);
  auto* button = new TfrxButtonControl(page);
  FakeControl::State& s = button->State();
  EXPECT_EQ(button->BaseName(), "Button");
  EXPECT_EQ(s.parent, "page");
  EXPECT_TRUE(button->ParentFont());
  button->SetBounds(10.4L, 20.6L, 75, 25);
  EXPECT_EQ((std::vector<int>{s.left, s.top, s.width, s.height}), (std::vector<int>{10, 21, 75, 25}));
  button->SetVisible(false);
  button->SetEnabled(false);
  button->SetHint("Short|Long help");
  button->SetShowHint(true);
  button->SetCaption("OK");
  button->SetColor(gfx::clRed);
  EXPECT_FALSE(s.visible);
  EXPECT_FALSE(s.enabled);
  EXPECT_EQ(s.hint, "Short|Long help");
  EXPECT_TRUE(s.showHint);
  EXPECT_EQ(button->Caption(), "OK");
  EXPECT_EQ(button->Color(), gfx::clRed);
  button->SetTabStop(false);
  EXPECT_FALSE(button->TabStop());
  // Controls that are not windows keep their tab stop True.
  auto label = std::make_shared<FakeControl::State>();
  label->windowControl = false;
  auto* text = new TfrxButtonControl(page, label);
  text->SetTabStop(false);
  EXPECT_TRUE(text->TabStop());
  EXPECT_FALSE(static_cast<bool>(label->events.KeyPress));  // no key events for such controls
}

TEST_F(DialogControls, TheParentWindowFollowsTheTree) {
  auto* page = new TfrxDialogPage(&report);
  auto* group = new TfrxButtonControl(page);
  auto* inner = new TfrxButtonControl(group);
  EXPECT_EQ(inner->State().parent, "control");
  inner->SetParent(page);
  EXPECT_EQ(inner->State().parent, "page");
  inner->SetParent(nullptr);
  EXPECT_EQ(inner->State().parent, "hidden");
  delete inner;
}

TEST_F(DialogControls, ACaptionShowingTheNameFollowsARename) {
  auto* page = new TfrxDialogPage(&report);
  auto* button = new TfrxButtonControl(page);
  button->SetName("Button1");
  button->SetCaption("Button1");
  button->SetName("OkButton");
  EXPECT_EQ(button->Caption(), "OkButton");
  button->SetCaption("Go");
  button->SetName("GoButton");
  EXPECT_EQ(button->Caption(), "Go");
}

TEST_F(DialogControls, ActivationCallsTheControlsCallbackWithThePage) {
  auto* page = new TfrxDialogPage(&report);
  auto* button = new TfrxButtonControl(page);
  TfrxDialogPage* seen = nullptr;
  button->OnActivate = [&seen](TfrxDialogPage* p) { seen = p; };
  page->DoOnActivate();
  EXPECT_EQ(seen, page);
}

TEST_F(DialogControls, DrawPaintsTheControlAtItsAbsolutePosition) {
  auto* page = new TfrxDialogPage(&report);
  auto* button = new TfrxButtonControl(page);
  button->SetBounds(5, 6, 20, 10);
  gfx::TBitmap target(40, 40);
  target.Canvas().Brush().SetColor(gfx::clWhite);
  target.Canvas().FillRect(gfx::TRect{0, 0, 40, 40});
  button->Draw(target.Canvas(), 3, 3, 100, 100);   // scale and offset ignored
  EXPECT_EQ(target.PixelColor(5, 6), gfx::clRed);  // the control's own paint
  EXPECT_EQ(static_cast<gfx::TColorRef>(target.PixelColor(20, 12)), gfx::ColorToRGB(gfx::clBtnFace));  // its face
  EXPECT_EQ(target.PixelColor(30, 30), gfx::clWhite);  // outside untouched
}

TEST_F(DialogControls, KeyPressWithoutAHandlerPassesTheKey) {
  auto* page = new TfrxDialogPage(&report);
  auto* button = new TfrxButtonControl(page);
  char key = 'q';
  button->State().events.KeyPress(key);
  EXPECT_EQ(key, 'q');
  std::uint16_t down = 13;
  button->State().events.KeyDown(down, 0);
  EXPECT_EQ(down, 13);
}

TEST_F(DialogControls, APageIsWrittenWithoutMakingAWindow) {
  auto* page = new TfrxDialogPage(&report);
  page->SetName("Ask");
  page->SetCaption("Question");
  rtl::TMemoryStream stream;
  report.SaveToStream(stream);
  EXPECT_FALSE(page->HasWindow());
  const std::string bytes(stream.Memory(), static_cast<std::size_t>(stream.Size()));
  EXPECT_EQ(bytes.find("ClientWidth"), std::string::npos) << bytes;
  page->SetClientWidth(300);
  rtl::TMemoryStream again;
  report.SaveToStream(again);
  const std::string withSize(again.Memory(), static_cast<std::size_t>(again.Size()));
  EXPECT_NE(withSize.find("ClientWidth=\"300\""), std::string::npos) << withSize;
}

TEST_F(DialogControls, AThreadSafeRunMakesTheWindowWithoutItsStoredForm) {
  int seenTag = -1;
  TfrxGuiHooks saved = vuzGuiHooks();
  vuzGuiHooks().CreateDialogWindow = [&seenTag](TfrxDialogPage& p) {
    seenTag = static_cast<int>(p.Tag);
    vuzGuiHooks().CreateDialogWindow = nullptr;
    return vuzCreateDialogWindow(p);
  };
  report.EngineOptions()->EnableThreadSafe = true;
  auto* page = new TfrxDialogPage(&report);
  page->Tag = 5;
  page->Window();
  vuzGuiHooks() = saved;
  EXPECT_EQ(seenTag, TfrxDialogPage::kSkipStoredFormTag);
  EXPECT_EQ(page->Tag, 5);
}

}  // namespace
}  // namespace report_test
