// Esc that closes a popup (an edit's context menu) belongs to the popup: it
// must not also press the form's cancel button, or a dialog would close as
// cancelled and lose what was typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include "gui_test_util.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"

using namespace gui;

namespace {

TEST(PopupKeys, EscClosingAnEditsContextMenuDoesNotCancelTheForm) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 120);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(8, 8, 200, 22);
  auto* cancel = new TButton(&form);
  cancel->SetParent(&form);
  cancel->SetBounds(8, 60, 80, 26);
  cancel->SetCancel(true);
  int cancels = 0;
  cancel->OnClick = [&](TObject*) { ++cancels; };
  form.Show();
  edit->SetFocus();
  auto* line = qobject_cast<QLineEdit*>(edit->Handle());
  ASSERT_NE(line, nullptr);
  QContextMenuEvent menuRequest(QContextMenuEvent::Keyboard, QPoint(5, 5), line->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(line, &menuRequest);
  QWidget* popup = nullptr;
  ASSERT_TRUE(gui_test::PumpUntil([&] { return (popup = QApplication::activePopupWidget()) != nullptr; }));
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(popup, &press);
  // The release reaches the edit once the menu has gone.
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(QApplication::activePopupWidget() ? QApplication::activePopupWidget() : line, &release);
  gui_test::PumpUntil([] { return QApplication::activePopupWidget() == nullptr; }, 1000);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the menu closes";
  EXPECT_EQ(cancels, 0);
  // Without a popup, Esc still presses the cancel button.
  QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(line, &again);
  EXPECT_EQ(cancels, 1);
}

}  // namespace
