// The report engine's progress window built from GUI parts: a borderless
// form of 271 x 101 centred on the screen, a panel filling it, the message
// label, the bar and the Cancel button at their places; the active form is
// disabled while it shows; the window is dragged by its body.
#include <gtest/gtest.h>

#include <thread>

#include "gui_test_util.h"
#include "platform/gui/forms.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"
#include "platform/rtl/threads.h"

using namespace gui;

TEST(ProgressWindow, LayoutPlacementAndCancel) {
  TForm owner(nullptr);
  owner.Show();
  TForm progress(nullptr);
  progress.SetBorderStyle(bsNone);
  progress.SetPosition(poScreenCenter);
  progress.SetClientWidth(271);
  progress.SetClientHeight(101);
  progress.SetDragByBody(true);
  auto* panel = new TPanel(&progress);
  panel->SetParent(&progress);
  panel->SetAlign(alClient);
  panel->SetBevelWidth(2);
  auto* message = new TLabel(&progress);
  message->SetParent(panel);
  message->SetAutoSize(false);
  message->SetAlignment(taCenter);
  message->SetBounds(16, 11, 237, 20);
  auto* bar = new TProgressBar(&progress);
  bar->SetParent(panel);
  bar->SetBounds(16, 37, 237, 17);
  auto* cancel = new TButton(&progress);
  cancel->SetParent(panel);
  cancel->SetBounds(100, 64, 75, 25);
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  bool terminated = false;
  cancel->OnClick = [&](TObject*) {
    terminated = true;
    progress.Close();
  };

  // Created: the active form is disabled until the window goes.
  TForm* remembered = Screen->ActiveForm();
  ASSERT_EQ(remembered, &owner);
  remembered->SetEnabled(false);
  message->SetCaption("Подготовка");
  progress.Show();

  EXPECT_EQ(progress.ClientWidth(), 271);
  EXPECT_EQ(progress.ClientHeight(), 101);
  EXPECT_EQ(progress.Left(), (Screen->Width() - 271) / 2);
  EXPECT_EQ(panel->BoundsRect(), Rect(0, 0, 271, 101));
  EXPECT_EQ(message->BoundsRect(), Bounds(16, 11, 237, 20));
  EXPECT_EQ(bar->BoundsRect(), Bounds(16, 37, 237, 17));
  EXPECT_EQ(cancel->BoundsRect(), Bounds(100, 64, 75, 25));
  // Without the bar the message moves down to 35.
  bar->Hide();
  message->SetTop(35);
  EXPECT_EQ(message->Top(), 35);

  int left = progress.Left(), top = progress.Top();
  simulate::Drag(*panel, 200, 90, 230, 70);
  EXPECT_EQ(progress.Left(), left + 30);
  EXPECT_EQ(progress.Top(), top - 20);

  simulate::PressKey(*panel, VK_ESCAPE);
  EXPECT_TRUE(terminated);
  EXPECT_FALSE(progress.Visible());
  remembered->SetEnabled(true);
  EXPECT_TRUE(owner.Enabled());
}

TEST(Synchronize, WorkOfAnotherThreadRunsInTheGuiLoop) {
  gui::Application->Initialize();
  bool ran = false;
  std::thread::id ranOn;
  std::thread worker([&] {
    rtl::Synchronize([&] {
      ran = true;
      ranOn = std::this_thread::get_id();
    });
  });
  EXPECT_TRUE(gui_test::PumpUntil([&] { return ran; }));
  worker.join();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}
