#include "platform/gui/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <map>

#include "platform/gui/answering.h"
#include "platform/gui/application.h"
#include "platform/gui/forms.h"
#include "platform/gui/qt_bridge_p.h"
#include "platform/rtl/files.h"

namespace gui {

using namespace rtl::literals;

namespace {
DialogScript* currentScript = nullptr;

// The button texts of the Russian desktop the program was written for.
AnsiString ButtonText(int id) {
  switch (id) {
    case IDOK: return "ОК"_cp;
    case IDCANCEL: return "Отмена"_cp;
    case IDABORT: return "Прервать"_cp;
    case IDRETRY: return "Повторить"_cp;
    case IDIGNORE: return "Пропустить"_cp;
    case IDYES: return "Да"_cp;
    case IDNO: return "Нет"_cp;
    default: return "?";
  }
}
}  // namespace

bool UserCanAnswer() {
  if (DialogScript::Current()) return true;
  detail::EnsureQtApp();
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

int MessageBoxCancelAnswer(unsigned flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO: return IDNO;
    default: return IDOK;
  }
}

int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) {
  if (DialogScript* s = DialogScript::Current()) {
    MessageBoxRecord rec;
    rec.Text = text;
    rec.Caption = caption;
    rec.Flags = flags;
    return s->TakeMessageBox(rec);
  }
  detail::EnsureQtApp();
  QMessageBox box;
  box.setWindowTitle(detail::ToQ(caption));
  box.setText(detail::ToQ(text));
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  if (flags & (MB_TASKMODAL | MB_SYSTEMMODAL)) box.setWindowModality(Qt::ApplicationModal);
  std::map<QAbstractButton*, int> ids;
  int def = MessageBoxDefault(flags);
  QPushButton* escape = nullptr;
  for (int id : MessageBoxButtons(flags)) {
    QPushButton* b = box.addButton(detail::ToQ(ButtonText(id)), QMessageBox::ActionRole);
    ids[b] = id;
    if (id == def) box.setDefaultButton(b);
    if (id == IDCANCEL || (id == IDOK && (flags & MB_TYPEMASK) == MB_OK)) escape = b;
  }
  if (escape) box.setEscapeButton(escape);
  Application->ExecDialog(box);
  // The program is ending (a termination signal): whatever was on the box,
  // it counts as cancelled.
  if (Application->Terminated()) return MessageBoxCancelAnswer(flags);
  auto it = ids.find(box.clickedButton());
  if (it != ids.end()) return it->second;
  return escape ? ids[escape] : def;
}

int MessageDlg(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons, int) {
  // The dialog's captions and the button sets map onto the message box.
  static const char* const captions[] = {"Warning", "Error", "Information", "Confirm", ""};
  unsigned icon = type == mtWarning        ? unsigned{MB_ICONWARNING}
                  : type == mtError        ? MB_ICONERROR
                  : type == mtInformation  ? MB_ICONINFORMATION
                  : type == mtConfirmation ? MB_ICONQUESTION
                                           : 0u;
  auto has = [&](TMsgDlgBtn b) { return (buttons & (1u << b)) != 0; };
  unsigned set = MB_OK;
  if (has(mbAbort) || has(mbIgnore))
    set = MB_ABORTRETRYIGNORE;
  else if (has(mbYes) && has(mbCancel))
    set = MB_YESNOCANCEL;
  else if (has(mbYes) || has(mbNo))
    set = MB_YESNO;
  else if (has(mbRetry))
    set = MB_RETRYCANCEL;
  else if (has(mbCancel))
    set = MB_OKCANCEL;
  AnsiString caption = type == mtCustom ? Application->Title() : AnsiString(captions[type]);
  // Message box answers and modal results share their numbers.
  return MessageBox(msg, caption, set | icon);
}

void ShowMessage(const AnsiString& msg) { MessageBox(msg, Application->Title(), MB_OK); }

// ---- file dialogs ----------------------------------------------------------

AnsiString TOpenDialog::WithDefaultExt(const AnsiString& name) const {
  AnsiString ext = DefaultExt;
  while (!ext.empty() && (ext[0] == '*' || ext[0] == '.')) ext.erase(0, 1);
  if (ext.empty() || name.empty()) return name;
  if (!rtl::ExtractFileExt(name).empty()) return name;
  return name + "." + ext;
}

namespace {
// "Описание|*.a;*.b|Все|*.*" -> "Описание (*.a *.b);;Все (*)".
QString QtFilter(const AnsiString& filter) {
  QStringList parts = detail::ToQ(filter).split(QChar('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QChar(';'), QChar(' '));
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    out << parts[i] + QStringLiteral(" (") + patterns + QChar(')');
  }
  return out.join(QStringLiteral(";;"));
}
// "2,93 КБ": the toolkit's Russian locale data has no unit names of its own.
QString RussianFileSize(qint64 bytes) {
  static const char16_t* const units[] = {u"байт", u"КБ", u"МБ", u"ГБ", u"ТБ"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  return QLocale().toString(value, 'f', unit == 0 ? 0 : 2) + QChar(' ') + QString::fromUtf16(units[unit]);
}

// The file list's size and date columns in Russian: the toolkit's model
// writes them in the system locale, English on a machine set up without
// Russian.
class RussianFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (role == Qt::DisplayRole && files && index.isValid()) {
      const QModelIndex source = mapToSource(index);
      if (index.column() == 1) return files->isDir(source) ? QString() : RussianFileSize(files->size(source));
      if (index.column() == 3) return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    }
    return QIdentityProxyModel::data(index, role);
  }
};
}  // namespace

bool TOpenDialog::Execute() {
  FileDialogRecord rec;
  rec.Save = IsSave();
  rec.Title = Title;
  rec.Filter = Filter;
  rec.DefaultExt = DefaultExt;
  rec.InitialDir = InitialDir;
  rec.FileName = FileName;
  rec.Options = Options;
  AnsiString chosen;
  bool ok = false;
  if (DialogScript* s = DialogScript::Current()) {
    ok = s->TakeFileDialog(rec, chosen);
  } else {
    detail::EnsureQtApp();
    QFileDialog dlg(nullptr, detail::ToQ(Title));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    // The descriptions already name their patterns ("Файлы *.zrn"): the
    // toolkit would add them a second time in brackets.
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setProxyModel(new RussianFileColumns(&dlg));
    dlg.setAcceptMode(rec.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(rec.Save                         ? QFileDialog::AnyFile
                    : (Options & ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                    : (Options & ofFileMustExist)    ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
    if (rec.Save && !(Options & ofOverwritePrompt)) dlg.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters = QtFilter(Filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
      dlg.setNameFilters(filters);
      if (FilterIndex >= 1 && FilterIndex <= filters.size()) dlg.selectNameFilter(filters[FilterIndex - 1]);
    }
    if (!InitialDir.empty()) dlg.setDirectory(detail::ToQ(InitialDir));
    if (!FileName.empty()) dlg.selectFile(detail::ToQ(FileName));
    ok = Application->ExecDialog(dlg) == QDialog::Accepted && !Application->Terminated() &&
         !dlg.selectedFiles().isEmpty();
    if (ok) {
      chosen = detail::FromQ(dlg.selectedFiles().first());
      Files.clear();
      for (const QString& f : dlg.selectedFiles()) Files.push_back(detail::FromQ(f));
      FilterIndex = static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
    }
  }
  if (!ok) return false;
  FileName = WithDefaultExt(chosen);
  if (Files.empty() || !(Options & ofAllowMultiSelect)) Files = {FileName};
  return true;
}

bool SelectFolder(const AnsiString& title, const AnsiString& initialDir, AnsiString& chosen) {
  FileDialogRecord rec;
  rec.Folder = true;
  rec.Title = title;
  rec.InitialDir = initialDir;
  if (DialogScript* s = DialogScript::Current()) return s->TakeFileDialog(rec, chosen);
  detail::EnsureQtApp();
  QFileDialog dlg(nullptr, detail::ToQ(title));
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setFileMode(QFileDialog::Directory);
  dlg.setOption(QFileDialog::ShowDirsOnly);
  dlg.setProxyModel(new RussianFileColumns(&dlg));
  if (!initialDir.empty()) dlg.setDirectory(detail::ToQ(initialDir));
  const bool ok =
      Application->ExecDialog(dlg) == QDialog::Accepted && !Application->Terminated() && !dlg.selectedFiles().isEmpty();
  if (ok) chosen = detail::FromQ(dlg.selectedFiles().first());
  return ok;
}

// ---- the test hook ---------------------------------------------------------

DialogScript::DialogScript() : previous_(currentScript) { currentScript = this; }
DialogScript::~DialogScript() { currentScript = previous_; }
DialogScript* DialogScript::Current() { return currentScript; }

int DialogScript::TakeMessageBox(MessageBoxRecord rec) {
  if (!boxAnswers_.empty()) {
    rec.Answer = boxAnswers_.front();
    rec.Scripted = true;
    boxAnswers_.pop_front();
  } else {
    rec.Answer = otherAnswer_ && (rec.Flags & 0xF) != MB_OK ? otherAnswer_ : MessageBoxDefault(rec.Flags);
  }
  boxes_.push_back(rec);
  return rec.Answer;
}

bool DialogScript::TakeFileDialog(FileDialogRecord rec, AnsiString& result) {
  if (!fileAnswers_.empty()) {
    rec.Accepted = fileAnswers_.front().accept;
    rec.Result = fileAnswers_.front().path;
    fileAnswers_.pop_front();
  }
  files_.push_back(rec);
  result = rec.Result;
  return rec.Accepted;
}

bool DialogScript::TakeModal(std::function<void(TForm&)>& script) {
  if (modalScripts_.empty()) return false;
  script = std::move(modalScripts_.front());
  modalScripts_.pop_front();
  return true;
}

}  // namespace gui
