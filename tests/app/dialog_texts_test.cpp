// Every text of every dialog of the program shows whole: each label, check
// box, button and group caption is as wide (and as tall) as its text in the
// dialog's font, and lies inside its parent. Each dialog is also grabbed to
// dialog-<name>.png in the test's folder for a look by eye.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "app/About_gui.h"
#include "app/CalibrTC.h"
#include "app/GetSHTType.h"
#include "app/Job.h"
#include "app/NoteEdit.h"
#include "app/ShrinkBase.h"
#include "app/frmSelfTest.h"
#include "tests/app/form_fixture.h"

namespace {

// What is cut off of the widget's text, or "" when it shows whole.
std::string Clipped(QWidget* w) {
  QString text;
  int need = 0, needHeight = 0;
  const QFontMetrics fm(w->font());
  if (auto* label = qobject_cast<QLabel*>(w)) {
    text = label->text();
    if (text.isEmpty() || label->wordWrap()) return "";
    const QSize size = fm.size(0, text);
    need = size.width();
    needHeight = size.height();
    if (need > label->contentsRect().width() || needHeight > label->contentsRect().height() + 2)
      return text.toStdString();
    return "";
  }
  if (auto* box = qobject_cast<QGroupBox*>(w)) {
    text = box->title();
    need = fm.horizontalAdvance(text) + 16;
  } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
    text = static_cast<QAbstractButton*>(w)->text();
    need = w->sizeHint().width();
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    text = button->text();
    need = fm.horizontalAdvance(QString(text).remove(QChar('&'))) + 8;
  } else {
    return "";
  }
  if (text.isEmpty()) return "";
  return need > w->width() ? text.toStdString() : "";
}

class DialogTextsTest : public apptest::FormFixture {
 protected:
  void SetUp() override {
    model = std::make_unique<sim::RecorderModel>();
    Create();
  }
  void ExpectWhole(gui::TForm& dialog) {
    gui::DialogScript script;
    script.OnModal([&](gui::TForm& f) {
      QWidget* window = f.Handle();
      window->grab().save(QString::fromStdString("dialog-" + f.Name() + ".png"));
      for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        const std::string cut = Clipped(w);
        EXPECT_EQ(cut, "") << f.Name() << ": the text is clipped (" << w->width() << " px)";
        const bool ownControl =
            qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w);
        if (ownControl && w->parentWidget()) {
          EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
              << f.Name() << ": a control reaches beyond its parent";
        }
      }
      f.SetModalResult(gui::mrCancel);
    });
    dialog.ShowModal();
  }
};

}  // namespace

TEST_F(DialogTextsTest, EveryTextOfEveryDialogShowsWhole) {
  {
    app::TRecordingJob job{0, 1441, 1};
    app::TfrmJob d(form.get(), job, 3);
    ExpectWhole(d);
  }
  {
    app::TfrmNoteEdit d(form.get(), *form);
    ExpectWhole(d);
  }
  {
    float base = 150000;
    app::TfrmShrinkBase d(form.get(), base);
    ExpectWhole(d);
  }
  {
    app::TGetSHT d(form.get());
    ExpectWhole(d);
  }
  {
    app::TAboutBox d(form.get());
    ExpectWhole(d);
  }
  {
    clock.Advance(3000);
    app::TfrmCalibrTC d(form.get(), *form);
    ExpectWhole(d);
  }
  {
    clock.Advance(3000);
    app::TfrmTest d(form.get(), *form);
    ExpectWhole(d);
  }
}
