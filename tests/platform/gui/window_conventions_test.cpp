// What a user of a desktop expects of windows and menus, checked on the
// toolkit's own widgets: separator lines, F10, the first control's focus on
// showing, and fixed dialog borders.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

#include "gui_test_util.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "platform/gui/menus.h"
#include "platform/gui/simulate.h"
#include "platform/gui/stdctrls.h"

using namespace gui;
using namespace rtl::literals;

namespace {

QMenuBar* MenuBarOf(TForm& form) { return form.Handle()->findChild<QMenuBar*>(); }

// A form with a main menu "Файл" (Открыть, a line, Выход) and "Правка".
struct MenuForm {
  TForm form{nullptr};
  TMainMenu menu{&form};
  TEdit* edit = new TEdit(&form);
  TMenuItem* file = NewItem(&form, "Файл"_cp, 0, false, true, nullptr);
  TMenuItem* line = NewLine(&form);
  TMenuItem* edits = NewItem(&form, "Правка"_cp, 0, false, true, nullptr);
  MenuForm() {
    form.SetBounds(0, 0, 300, 200);
    edit->SetParent(&form);
    menu.Items()->Add(file);
    file->Add(NewItem(&form, "Открыть"_cp, 0, false, true, nullptr));
    file->Add(line);
    file->Add(NewItem(&form, "Выход"_cp, 0, false, true, nullptr));
    menu.Items()->Add(edits);
    edits->Add(NewItem(&form, "Копировать"_cp, 0, false, true, nullptr));
    form.SetMenu(&menu);
  }
  // The drop-down menu of the menu bar's n-th entry.
  QMenu* MenuAt(int n) { return MenuBarOf(form)->actions().value(n)->menu(); }
};

void CloseMenus() {
  while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

}  // namespace

TEST(WindowConventions, MenuLinesAreSeparatorsWithoutText) {
  MenuForm f;
  QMenu* fileMenu = f.MenuAt(0);
  ASSERT_NE(fileMenu, nullptr);
  ASSERT_EQ(fileMenu->actions().size(), 3);
  QAction* sep = fileMenu->actions()[1];
  EXPECT_TRUE(sep->isSeparator());
  // A style that draws a separator's text as a section title would show "-".
  EXPECT_TRUE(sep->text().isEmpty());
  EXPECT_FALSE(fileMenu->actions()[0]->isSeparator());

  // A line given a caption becomes an item again, and back.
  f.line->SetCaption("Сохранить"_cp);
  sep = fileMenu->actions()[1];
  EXPECT_FALSE(sep->isSeparator());
  EXPECT_EQ(sep->text(), QString::fromUtf8("Сохранить"));
  f.line->SetCaption("-");
  EXPECT_TRUE(fileMenu->actions()[1]->isSeparator());
  EXPECT_TRUE(fileMenu->actions()[1]->text().isEmpty());

  // Pop-up menus likewise.
  TPopupMenu popup(nullptr);
  popup.Items()->Add(NewItem(&popup, "COM1", 0, false, true, nullptr));
  popup.Items()->Add(NewLine(&popup));
  popup.Popup(10, 10);
  auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(shown, nullptr);
  ASSERT_EQ(shown->actions().size(), 2);
  EXPECT_TRUE(shown->actions()[1]->isSeparator());
  EXPECT_TRUE(shown->actions()[1]->text().isEmpty());
  CloseMenus();
}

TEST(WindowConventions, F10OpensTheFirstMenuOfTheMenuBar) {
  MenuForm f;
  f.form.Show();
  simulate::PressKey(*f.edit, VK_F10);
  EXPECT_EQ(QApplication::activePopupWidget(), f.MenuAt(0));
  CloseMenus();

  // A hidden first menu is passed over.
  f.file->SetVisible(false);
  simulate::PressKey(*f.edit, VK_F10);
  EXPECT_EQ(QApplication::activePopupWidget(), f.MenuAt(1));
  CloseMenus();
  f.file->SetVisible(true);

  // With Shift held, or when an action of the form has F10 as its shortcut,
  // the menu stays closed.
  simulate::PressKey(*f.edit, VK_F10, TShiftState{ssShift});
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  TAction action(&f.form);
  int runs = 0;
  action.SetShortCut(ShortCut(VK_F10, {}));
  action.OnExecute = [&](TObject*) { ++runs; };
  simulate::PressKey(*f.edit, VK_F10);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  CloseMenus();
}

TEST(WindowConventions, F10WithoutAMainMenuIsAnOrdinaryKey) {
  TForm form(nullptr);
  form.SetKeyPreview(true);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  Word seen = 0;
  form.OnKeyDown = [&](TObject*, Word& key, TShiftState) { seen = key; };
  form.Show();
  simulate::PressKey(*edit, VK_F10);
  EXPECT_EQ(seen, VK_F10);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(WindowConventions, AShownDialogFocusesItsFirstControlInTabOrder) {
  // label (no focus), group box holding a disabled and an enabled edit, a
  // button: the enabled edit in the box is the first the user can tab to.
  struct Dialog {
    TForm form{nullptr};
    TLabel* label = new TLabel(&form);
    TGroupBox* box = new TGroupBox(&form);
    TEdit* disabled = new TEdit(&form);
    TEdit* first = new TEdit(&form);
    TEdit* hidden = new TEdit(&form);
    TButton* ok = new TButton(&form);
    Dialog() {
      form.SetBorderStyle(bsDialog);
      form.SetBounds(0, 0, 300, 200);
      label->SetParent(&form);
      label->SetCaption("Длительность"_cp);
      box->SetParent(&form);
      box->SetBounds(8, 20, 200, 120);
      hidden->SetParent(box);
      hidden->SetVisible(false);
      disabled->SetParent(box);
      disabled->SetTop(30);
      disabled->SetEnabled(false);
      first->SetParent(box);
      first->SetTop(60);
      ok->SetParent(&form);
      ok->SetBounds(210, 150, 80, 26);
      ok->SetModalResult(mrOk);
    }
  };
  {
    Dialog d;
    EXPECT_EQ(d.form.FirstTabControl(), d.first);
    TControl* active = nullptr;
    DialogScript script;
    script.OnModal([&](TForm& f) {
      active = f.ActiveControl();
      f.SetModalResult(mrCancel);
    });
    d.form.ShowModal();
    EXPECT_EQ(active, d.first);
  }
  {
    // TabOrder decides among siblings: the button before the box.
    Dialog d;
    d.box->SetTabOrder(1);
    d.ok->SetTabOrder(0);
    d.form.Show();
    EXPECT_EQ(d.form.ActiveControl(), d.ok);
  }
  {
    // A control focused by the dialog's own OnShow keeps the focus.
    Dialog d;
    d.form.OnShow = [&](TObject*) { d.form.SetActiveControl(d.ok); };
    d.form.Show();
    EXPECT_EQ(d.form.ActiveControl(), d.ok);
  }
  {
    // Nothing to tab to: nothing is focused, nothing fails.
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    EXPECT_EQ(form.FirstTabControl(), nullptr);
    form.Show();
    EXPECT_EQ(form.ActiveControl(), nullptr);
  }
}

TEST(WindowConventions, DialogAndSingleBordersCannotBeResizedOrMaximized) {
  struct Case {
    TFormBorderStyle style;
    bool fixed, minimize, maximize;
  };
  for (Case c :
       {Case{bsDialog, true, false, false}, Case{bsSingle, true, true, false}, Case{bsSizeable, false, true, true}}) {
    SCOPED_TRACE(static_cast<int>(c.style));
    TForm form(nullptr);
    form.SetBorderStyle(c.style);
    form.SetBounds(10, 10, 330, 250);
    form.Show();
    QWidget* w = form.Handle();
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_EQ(bool(flags & Qt::WindowMinimizeButtonHint), c.minimize);
    EXPECT_EQ(bool(flags & Qt::WindowMaximizeButtonHint), c.maximize);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w->minimumSize() == w->maximumSize(), c.fixed);
    // The window system's resize (a user dragging the border).
    w->resize(500, 400);
    EXPECT_EQ(form.Width(), c.fixed ? 330 : 500);
    EXPECT_EQ(form.Height(), c.fixed ? 250 : 400);
    // Code still sizes a fixed window, which then keeps the new size.
    form.SetBounds(10, 10, 360, 270);
    EXPECT_EQ(form.Width(), 360);
    EXPECT_EQ(form.Height(), 270);
    w->resize(200, 100);
    EXPECT_EQ(form.Width(), c.fixed ? 360 : 200);
  }
}

TEST(WindowConventions, ASizeableWindowKeepsItsConstraintsAfterTurningFixedAndBack) {
  TForm form(nullptr);
  form.SetConstraints({360, 440, 0, 0});
  form.SetBorderStyle(bsDialog);
  form.SetBounds(0, 0, 400, 500);
  form.SetBorderStyle(bsSizeable);
  EXPECT_EQ(form.Handle()->minimumSize(), QSize(360, 440));
  EXPECT_EQ(form.Handle()->maximumWidth(), QWIDGETSIZE_MAX);
  form.SetBounds(0, 0, 100, 100);
  EXPECT_EQ(form.Width(), 360);
}

TEST(WindowConventions, FileDialogFiltersReadAsTheProgramWroteThem) {
  // "Файлы *.zrn" already names its pattern: the list must not add "(*.zrn)".
  TForm owner(nullptr);  // the toolkit is up before the timer below
  TOpenDialog dialog(&owner);
  dialog.Filter = "Файлы *.zrn|*.zrn|Все файлы (*.*)|*.*"_cp;
  QStringList shown;
  int looks = 0;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* open = qobject_cast<QFileDialog*>(modal)) {
      if (auto* combo = open->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
      open->reject();
    } else if (modal && ++looks > 200) {
      modal->close();  // never hang on something else
    }
  });
  look.start(10);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(shown, QStringList({QString::fromUtf8("Файлы *.zrn"), QString::fromUtf8("Все файлы (*.*)")}));
}
