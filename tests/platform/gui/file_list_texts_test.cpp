// The file dialog's list speaks Russian: the kind, size and date columns of
// a folder and a file of unknown content, as the dialog shows them (the
// toolkit's texts, the locale's units and dates).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeView>
#include <fstream>
#include <string>

#include "platform/gui/application.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/forms.h"
#include "tests/support/scratch_folder.h"

namespace {

TEST(FileListTexts, KindSizeAndDateColumnsAreRussian) {
  gui::TForm owner(nullptr);  // the toolkit is up before the timer below
  if (!gui::ToolkitSpeaksRussian()) GTEST_SKIP() << "the toolkit's Russian translations are not installed";
  support::ScratchFolder folder("zarnik-file-list-");
  std::filesystem::create_directory(folder.Folder() / "Data");
  std::ofstream(folder.Folder() / "copy.bin", std::ios::binary) << "\x93\x11\x02" + std::string(3000, '\x05');
  gui::TOpenDialog dialog(&owner);
  dialog.InitialDir = folder.Path();
  QStringList shown;
  int looks = 0;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* open = qobject_cast<QFileDialog*>(modal);
    if (!open) {
      if (modal && ++looks > 500) modal->close();  // never hang on something else
      return;
    }
    auto* list = open->findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list) return;
    QAbstractItemModel* model = list->model();
    const QModelIndex root = list->rootIndex();
    const bool ready = model->rowCount(root) == 2 && model->index(0, 3, root).data().toString() != QString();
    if (!ready && ++looks < 500) return;
    for (int row = 0; row < model->rowCount(root); ++row)
      for (int column = 1; column <= 3; ++column) shown << model->index(row, column, root).data().toString();
    open->reject();
  });
  look.start(10);
  EXPECT_FALSE(dialog.Execute());
  ASSERT_EQ(shown.size(), 6) << shown.join(QStringLiteral(" | ")).toStdString();
  const QRegularExpression latin(QStringLiteral("[A-Za-z]{2,}"));
  for (const QString& text : shown) EXPECT_FALSE(latin.match(text).hasMatch()) << text.toStdString();
  EXPECT_TRUE(shown.contains(QString::fromUtf8("Папка"))) << shown.join(QStringLiteral(" | ")).toStdString();
}

}  // namespace
