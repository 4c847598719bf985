// The main window's construction, start-up, configuration file, keys, help
// and exit.
#include "app/FormMain.h"

#include <cstdlib>

#include "app/About_gui.h"
#include "app/MenuBuilding.h"
#include "platform/gui/application.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/files.h"
#include "platform/rtl/format.h"
#include "platform/rtl/format_settings.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/shell.h"
#include "platform/rtl/textcase.h"

namespace app {

using namespace rtl::literals;
using namespace gui;

const char* const kApplicationTitle = "Zudazuzira zirudoradid";
TForm1* Form1 = nullptr;

TForm1::TForm1(TComponent* owner, TForm1Setup setup)
    : TForm(owner),
      reportEngine_(std::make_unique<TReportEngineStartup>(TReportEngineStartup::TFilters::None)),
      setup_(std::move(setup)) {
  if (!Form1) Form1 = this;
  SetName("Form1");
  CreateComponents();
  CreateActions();
  CreateMenus();
  CreateDisplay();
  CreateReports();
  port_ = setup_.makePort ? setup_.makePort(*Comm1) : std::make_unique<TCommLinkPort>(*Comm1);
  link_ = std::make_unique<TRecorderLink>(*port_, *this);
  if (setup_.portNames) link_->PortNames = setup_.portNames;
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnResize = [this](TObject* s) { FormResize(s); };
  FormCreate(this);
}

TForm1::~TForm1() {
  Timer1->SetEnabled(false);
  link_->ClosePort();
  if (Form1 == this) Form1 = nullptr;
}

TAction* TForm1::NewAction(const char* name, const AnsiString& caption, void (TForm1::*handler)(TObject*)) {
  auto* a = new TAction(this, ActionList1);
  a->SetName(name);
  a->SetCaption(caption);
  if (handler) a->OnExecute = [this, handler](TObject* s) { (this->*handler)(s); };
  return a;
}

void TForm1::CreateComponents() {
  SetCaption(kApplicationTitle);
  SetConstraints({360, 440, 0, 0});
  SetHelpContext(3);
  SetBounds(0, 0, 360, 440);

  StringGridData = new TStringGrid(this);
  StringGridData->SetName("StringGridData");

  GroupBoxProcessList = new TGroupBox(this);
  GroupBoxProcessList->SetName("GroupBoxProcessList");
  GroupBoxProcessList->SetCaption("  Список процессов регистрации  "_cp);
  StringGridProcessList = new TStringGrid(this);
  StringGridProcessList->SetName("StringGridProcessList");
  StringGridProcessList->SetParent(GroupBoxProcessList);
  StringGridProcessList->SetAlign(alClient);
  StringGridProcessList->SetColCount(7);
  StringGridProcessList->SetRowCount(2);
  StringGridProcessList->SetFixedRows(1);
  StringGridProcessList->SetFixedCols(0);
  StringGridProcessList->SetDefaultRowHeight(16);
  StringGridProcessList->SetScrollBars(ssVertical);
  StringGridProcessList->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goColSizing |
                                    goRangeSelect | goDrawFocusSelected | goRowSelect);

  StatusBar1 = new TStatusBar(this);
  StatusBar1->SetName("StatusBar1");
  StatusBar1->AddPanel(100);
  StatusBar1->AddPanel(200, "Попытка соединения..."_cp);
  StatusBar1->AddPanel(42, "COM1", taCenter);
  StatusBar1->AddPanel(20);
  StatusBar1->AddPanel(50);
  btnLinkCancel = new TButton(this);
  btnLinkCancel->SetName("btnLinkCancel");
  btnLinkCancel->SetCaption("Отмена"_cp);
  btnLinkCancel->SetVisible(false);
  btnLinkCancel->OnClick = [this](TObject* s) { btnLinkCancelClick(s); };
  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->SetName("ProgressBar1");
  ProgressBar1->SetMin(0);
  ProgressBar1->SetMax(1000);
  ProgressBar1->SetVisible(false);
  PanelShapeLink = new TPanel(this);
  PanelShapeLink->SetName("PanelShapeLink");
  PanelShapeLink->SetBevelOuter(bvNone);
  ShapeLink = new TShape(this);
  ShapeLink->SetName("ShapeLink");
  ShapeLink->SetShape(stCircle);
  ShapeLink->SetBrushColor(clBtnFace);
  ShapeLink->SetParent(PanelShapeLink);

  GroupBoxShrinkShift = new TGroupBox(this);
  GroupBoxShrinkShift->SetName("GroupBoxShrinkShift");
  MaskEditShrinkShift = new TMaskEdit(this);
  MaskEditShrinkShift->SetName("MaskEditShrinkShift");
  MaskEditShrinkShift->SetParent(GroupBoxShrinkShift);

  ActionList1 = new TActionList(this);
  ActionList1->SetName("ActionList1");
  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");

  Comm1 = new comm::TComm(this);
  Comm1->SetName("Comm1");
  Comm1->SetDeviceName("Com1");
  Comm1->SetReadBufSize(40960);
  Comm1->SetWriteBufSize(32);
  Comm1->SetMonitorEvents(comm::EventSet({comm::evRxChar, comm::evTxEmpty}));
  Comm1->SetBaudRate(comm::br38400);
  Comm1->SetFlowControl(comm::fcNone);
  OpenDialog1 = new TOpenDialog(this);
  SaveDialog1 = new TSaveDialog(this);
  PopupMenuData = new TPopupMenu(this);
  PopupMenuList = new TPopupMenu(this);
  PopupMenuList->SetAutoPopup(false);
  PopupMenuStatusBar = new TPopupMenu(this);
  PopupMenuStatusBar->OnPopup = [this](TObject* s) { PopupMenuStatusBarPopup(s); };
  Timer1 = new TTimer(this);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(1000);
  Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
  OpenDialogFlash = new TOpenDialog(this);
  TimerChangeShrinkShift = new TTimer(this);
  TimerChangeShrinkShift->SetEnabled(false);
  TimerChangeShrinkShift->SetInterval(500);

  // Layout: the shift box and the list on top, the table below, the status bar at the bottom.
  StatusBar1->SetParent(this);
  StatusBar1->SetAlign(alBottom);
  StatusBar1->SetHeight(22);
  GroupBoxShrinkShift->SetParent(this);
  GroupBoxShrinkShift->SetAlign(alTop);
  GroupBoxShrinkShift->SetHeight(40);
  GroupBoxShrinkShift->SetVisible(false);
  GroupBoxProcessList->SetParent(this);
  GroupBoxProcessList->SetAlign(alTop);
  GroupBoxProcessList->SetHeight(161);
  StringGridData->SetParent(this);
  StringGridData->SetAlign(alClient);
  btnLinkCancel->SetParent(StatusBar1);
  ProgressBar1->SetParent(StatusBar1);
  PanelShapeLink->SetParent(StatusBar1);

  StatusBar1->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    StatusBar1MouseDown(s, b, sh, x, y);
  };
  StatusBar1->OnDblClick = [this](TObject* s) { StatusBar1DblClick(s); };
  StatusBar1->SetPopupMenu(nullptr);
  StringGridProcessList->OnClick = [this](TObject* s) { StringGridProcessListClick(s); };
  StringGridProcessList->OnDblClick = [this](TObject* s) { ANoteEditExecute(s); };
  StringGridProcessList->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    StringGridProcessListMouseUp(s, b, sh, x, y);
  };
  auto keys = [this](TObject* s, Word& k, TShiftState sh) { FormKeyDown(s, k, sh); };
  OnKeyDown = keys;
  StringGridData->OnKeyDown = keys;
  StringGridProcessList->OnKeyDown = keys;
}

void TForm1::CreateActions() {
  AFileOpen = NewAction("AFileOpen", "Считать процесс регистрации из файла..."_cp, &TForm1::AFileOpenExecute);
  AFileSave = NewAction("AFileSave", "Сохранить выбранный процесс регистрации в файл..."_cp, &TForm1::AFileSaveExecute);
  APrintReport = NewAction("APrintReport", "Печать отчета"_cp);
  APrintGraph = NewAction("APrintGraph", "Печать графика"_cp, &TForm1::APrintGraphExecute);
  AExit = NewAction("AExit", "Выход"_cp, &TForm1::AExitExecute);
  ADataRead = NewAction("ADataRead", "Считать с прибора"_cp, &TForm1::ADataReadExecute);
  AFlash = NewAction("AFlash", "Считать Flash-память прибора в файл (для отладки)"_cp, &TForm1::AFlashExecute);
  AFlashFileRd =
      NewAction("AFlashFileRd", "Чтение процессов из файла-копии Flash (для отладки)"_cp, &TForm1::AFlashFileRdExecute);
  ASelfcheck = NewAction("ASelfcheck", "Диагностика"_cp, &TForm1::ASelfcheckExecute);
  AJobForm = NewAction("AJobForm", "Параметры процесса регистрации"_cp, &TForm1::AJobFormExecute);
  AProcStart = NewAction("AProcStart", "Запуск процесса регистрации"_cp, &TForm1::AProcStartExecute);
  AProcStop = NewAction("AProcStop", "Останов процесса регистрации"_cp, &TForm1::AProcStopExecute);
  AProcAlarm = NewAction("AProcAlarm", "Автозапуск процесса регистрации"_cp);
  ADeleteGaugeProcess = NewAction("ADeleteGaugeProcess", "Удаление процесса регистрации в приборе"_cp,
                                  &TForm1::ADeleteGaugeProcessExecute);
  ADeleteProgProcess = NewAction("ADeleteProgProcess", "Удаление процесса регистрации на компьютере"_cp,
                                 &TForm1::ADeleteProgProcessExecute);
  ADeleteProcessTotal = NewAction("ADeleteProcessTotal", "Полное удаление процесса (в приборе и на компьютере)"_cp,
                                  &TForm1::ADeleteProcessTotalExecute);
  AClearProgArch = NewAction("AClearProgArch", "Очистка архива на компьютере"_cp, &TForm1::AClearProgArchExecute);
  AClearGaugeArch = NewAction("AClearGaugeArch", "Очистка архива в приборе"_cp, &TForm1::AClearGaugeArchExecute);
  ACalibr = NewAction("ACalibr", "Калибровка термопары, использование DS1820"_cp, &TForm1::ACalibrExecute);
  ACopyGraphic = NewAction("ACopyGraphic", "Скопировать график в буфер обмена"_cp, &TForm1::ACopyGraphicExecute);
  ACopyData = NewAction("ACopyData", "Скопировать таблицу данных в буфер обмена"_cp, &TForm1::ACopyDataExecute);
  ACopySelected = NewAction("ACopySelected", "Копировать выделенное"_cp, &TForm1::ACopySelectedExecute);
  ANoteEdit = NewAction("ANoteEdit", "Добавить/редактировать примечания"_cp, &TForm1::ANoteEditExecute);
  ASortByDateTime = NewAction("ASortByDateTime", "По дате и времени"_cp, &TForm1::ASortByDateTimeExecute);
  ASortByNote1 = NewAction("ASortByNote1", "По виду продукции"_cp, &TForm1::ASortByNote1Execute);
  ASortByNote2 = NewAction("ASortByNote2", "По месту установки"_cp, &TForm1::ASortByNote2Execute);
  for (int i = 0; i < 10; ++i) {
    const std::string name = "ACOM" + std::to_string(i + 1);
    ACOM[i] = NewAction(name.c_str(), "COM" + std::to_string(i + 1), &TForm1::ACOM1Execute);
    ACOM[i]->SetVisible(false);
  }
  ADataGraphic = NewAction("ADataGraphic", "Смотреть графики"_cp);
  ADataTable = NewAction("ADataTable", "Смотреть таблицу данных"_cp);
  AZoom5mm = NewAction("AZoom5mm", "5 мм"_cp);
  AZoom10mm = NewAction("AZoom10mm", "10 мм"_cp);
  AZoom20mm = NewAction("AZoom20mm", "20 мм"_cp);
  AZoomAuto = NewAction("AZoomAuto", "Автоматически"_cp);
  AZoomMm = NewAction("AZoomMm", "Шкала в мм"_cp);
  AZoomProc = NewAction("AZoomProc", "Шкала в %"_cp);
  AShrinkBase = NewAction("AShrinkBase", "Базовое значение длины датчика усадки"_cp);
  ARelativeTime = NewAction("ARelativeTime", "Первая точка как 0:00"_cp);
  AUseShrinkShift = NewAction("AUseShrinkShift", "Использовать смещение нуля датчика усадки/перемещения"_cp);
  APoints = NewAction("APoints", "Показывать точки на графике"_cp);
  ALegend = NewAction("ALegend", "Показывать легенду графиков"_cp);
  AGraphTitle = NewAction("AGraphTitle", "Показывать заголовок графика"_cp);
  AHelp = NewAction("AHelp", "Помощь (hlp)"_cp, &TForm1::AHelpExecute);
  AChmHelp = NewAction("AChmHelp", "Помощь (chm)"_cp, &TForm1::AChmHelpExecute);
  AAbout = NewAction("AAbout", "О программе"_cp, &TForm1::AAboutExecute);
  // The recorder's firmware decides whether recording can be started from here.
  for (TAction* a : {AProcStart, AProcStop, AProcAlarm}) a->SetEnabled(false);
}

void TForm1::CreateMenus() {
  TMenuItem* root = MainMenu1->Items();
  TMenuItem* file = AddSubMenu(this, root, "Файл"_cp);
  for (TAction* a : {AFileOpen, AFileSave, APrintReport, APrintGraph, AExit}) AddActionItem(this, file, a);
  TMenuItem* device = AddSubMenu(this, root, "Прибор"_cp);
  for (TAction* a : {ADataRead, AFlash, AFlashFileRd, ASelfcheck, AJobForm, AProcStart, AProcStop})
    AddActionItem(this, device, a);
  TMenuItem* deletions = AddSubMenu(this, device, "Удаление процессов регистрации"_cp);
  for (TAction* a : {ADeleteGaugeProcess, ADeleteProgProcess, ADeleteProcessTotal, AClearProgArch, AClearGaugeArch})
    AddActionItem(this, deletions, a);
  AddActionItem(this, device, ACalibr);
  TMenuItem* edit = AddSubMenu(this, root, "Правка"_cp);
  for (TAction* a : {ACopyGraphic, ACopyData, ACopySelected, ANoteEdit}) AddActionItem(this, edit, a);
  TMenuItem* options = AddSubMenu(this, root, "Параметры"_cp);
  TMenuItem* sort = AddSubMenu(this, options, "Сортировка процессов регистрации"_cp);
  for (TAction* a : {ASortByDateTime, ASortByNote1, ASortByNote2}) AddActionItem(this, sort, a);
  TMenuItem* ports = AddSubMenu(this, options, "№ COM-порта"_cp);
  for (TAction* a : ACOM) AddActionItem(this, ports, a);
  TMenuItem* view = AddSubMenu(this, options, "Вид вывода данных"_cp);
  for (TAction* a : {ADataGraphic, ADataTable}) AddActionItem(this, view, a);
  TMenuItem* zoom = AddSubMenu(this, options, "Масштаб графика усадки"_cp);
  for (TAction* a : {AZoom5mm, AZoom10mm, AZoom20mm, AZoomAuto, AZoomMm, AZoomProc, AShrinkBase})
    AddActionItem(this, zoom, a);
  for (TAction* a : {ARelativeTime, AUseShrinkShift, APoints, ALegend, AGraphTitle}) AddActionItem(this, options, a);
  TMenuItem* help = AddSubMenu(this, root, "Помощь"_cp);
  for (TAction* a : {AHelp, AChmHelp, AAbout}) AddActionItem(this, help, a);
  SetMenu(MainMenu1);

  // The list's context menu.
  TMenuItem* list = PopupMenuList->Items();
  AddActionItem(this, list, ANoteEdit);
  AddSeparator(this, list);
  TMenuItem* lsort = AddSubMenu(this, list, "Сортировка процессов регистрации"_cp);
  for (TAction* a : {ASortByDateTime, ASortByNote1, ASortByNote2}) AddActionItem(this, lsort, a);
  AddSeparator(this, list);
  TMenuItem* ldel = AddSubMenu(this, list, "Удаление процессов регистрации"_cp);
  for (TAction* a : {ADeleteGaugeProcess, ADeleteProgProcess, ADeleteProcessTotal}) AddActionItem(this, ldel, a);
  AddSeparator(this, ldel);
  for (TAction* a : {AClearGaugeArch, AClearProgArch}) AddActionItem(this, ldel, a);
  AddSeparator(this, list);
  AddActionItem(this, list, AFileOpen);
  AddActionItem(this, list, AFileSave);

  // The port menu of the status bar.
  for (int i = 0; i < 10; ++i) {
    itmPopupStatusCOM[i] = AddActionItem(this, PopupMenuStatusBar->Items(), ACOM[i]);
    itmPopupStatusCOM[i]->SetName("itmPopupStatusCOM" + std::to_string(i + 1));
  }
}

// --- configuration ---

AnsiString TForm1::ConfigFile() { return rtl::ProgramFolder() + "Zarnik.ini"; }

AnsiString TForm1::IniRead(const char* section, const char* key, const char* def, unsigned size) {
  return rtl::GetPrivateProfileString(section, key, def, size, ConfigFile());
}

int TForm1::IniReadInt(const char* section, const char* key, int def) {
  std::int32_t v = 0;
  // A value that is not a whole number counts as the default rather than ending start-up.
  return rtl::TryStrToInt(rtl::Trim(IniRead(section, key, rtl::IntToStr(def).c_str())), v) ? v : def;
}

void TForm1::IniWrite(const char* section, const char* key, const AnsiString& value) {
  rtl::WritePrivateProfileString(section, key, value.c_str(), ConfigFile().c_str());
}

void TForm1::ApplyConfiguration() {
  const int uses = IniReadInt("Config", "Uses", 0);
  IniWrite("Config", "Uses", rtl::IntToStr(std::int64_t(uses) + 1));

  const int screenW = Screen->Width(), screenH = Screen->Height();
  int width = std::min(IniReadInt("FormMain", "Width", 0), screenW);
  int left = IniReadInt("FormMain", "Left", 0);
  int height = std::min(IniReadInt("FormMain", "Height", 0), screenH);
  int top = IniReadInt("FormMain", "Top", 0);
  width = std::max(width, Constraints().MinWidth);
  height = std::max(height, Constraints().MinHeight);
  left = std::max(0, std::min(left, screenW - width));
  top = std::max(0, std::min(top, screenH - height));
  SetBounds(left, top, width, height);
  if (IniRead("FormMain", "Maximized", "0").substr(0, 1) == "1") SetWindowState(wsMaximized);

  const bool graph = IniRead("FormMain", "GraphVisible", "0").substr(0, 1) == "1";
  ADataGraphic->SetChecked(graph);
  ADataTable->SetChecked(!graph);
  ARelativeTime->SetChecked(IniRead("Config", "RelativeTime", "N").substr(0, 1) == "Y");
  AGraphTitle->SetChecked(IniRead("Config", "GraphTitle", "N").substr(0, 1) == "Y");
  const AnsiString zoom = IniRead("Config", "ShrinkZoom", "10").substr(0, 1);
  AZoom10mm->SetChecked(zoom == "1");
  AZoom20mm->SetChecked(zoom == "2");
  AZoom5mm->SetChecked(zoom == "5");
  AZoomAuto->SetChecked(zoom != "1" && zoom != "2" && zoom != "5");
  const bool mm = IniRead("Config", "ShrinkUnit", "mm").substr(0, 1) == "m";
  AZoomMm->SetChecked(mm);
  AZoomProc->SetChecked(!mm);
  const bool shift = IniRead("Config", "UseShrinkShift", "N").substr(0, 1) != "N";
  AUseShrinkShift->SetChecked(shift);
  GroupBoxShrinkShift->SetVisible(shift);
  GroupBoxProcessList->SetHeight(shift ? 161 - GroupBoxShrinkShift->Height() : 161);
  MaskEditShrinkShift->SetText(IniRead("Config", "ShrinkShift", "+00.000"));
  APoints->SetChecked(IniRead("Graph", "Points", "Yes").substr(0, 1) == "Y");
  ALegend->SetChecked(IniRead("Graph", "Legend", "Yes").substr(0, 1) == "Y");
  ACalibr->SetVisible(IniRead("Config", "Calibr", "No").substr(0, 1) == "Y");
  const bool flash = IniRead("Config", "Flash", "No").substr(0, 1) == "Y";
  AFlash->SetVisible(flash);
  AFlashFileRd->SetVisible(flash);
  const AnsiString sort = IniRead("Config", "Sort", "", 40);
  ASortByNote1->SetChecked(sort == "byNote1");
  ASortByNote2->SetChecked(sort == "byNote2");
  ASortByDateTime->SetChecked(sort != "byNote1" && sort != "byNote2");
  AnsiString n1 = IniRead("Config", "Note1Name", "", 40), n2 = IniRead("Config", "Note2Name", "", 40);
  SetNoteTitle(1, n1.empty() ? AnsiString("Вид продукции"_cp) : n1);
  SetNoteTitle(2, n2.empty() ? AnsiString("Место установки"_cp) : n2);
  ApplyDisplayConfiguration();
}

void TForm1::FormCreate(TObject*) {
  SetCaption(Application->Title().empty() ? AnsiString(kApplicationTitle) : Application->Title());
  rtl::CurrentFormatSettings().DecimalSeparator = ',';
  ApplyConfiguration();
  int port = IniReadInt("Config", "COMPortNumber", 1);
  if (port < 1 || port > 50) {
    port = 1;
    IniWrite("Config", "COMPortNumber", "1");
  }
  NewCOM_Port(port);
  rtl::Sleep(100);
  for (TAction* a : {ADeleteGaugeProcess, ADeleteProgProcess, ADeleteProcessTotal}) a->SetEnabled(false);
  RefreshProcessList();
  SelectLastProcess();
  FormResize(this);
  created_ = true;
  Timer1->SetEnabled(true);
}

// --- keys ---

void TForm1::FormKeyDown(TObject*, Word& Key, TShiftState Shift) {
  if (Key == 82 && (Shift.Contains(TShiftState::ssAlt) || Shift.Contains(TShiftState::ssCtrl))) {
    if (!btnLinkCancel->Visible()) ADataReadExecute(ADataRead);
  } else if (Key == VK_ESCAPE) {
    if (btnLinkCancel->Visible()) btnLinkCancelClick(btnLinkCancel);
  } else if (Key == VK_RETURN) {
    ANoteEditExecute(ANoteEdit);
  }
}

// --- help and information ---

void TForm1::AHelpExecute(TObject*) {
  const AnsiString help = rtl::ProgramFolder() + "Help/ZarnikHelp.hlp";
  if (rtl::FileExists(help)) rtl::ShellOpen(help);
}

void TForm1::AChmHelpExecute(TObject*) {
  // Relative to the current folder, as it always was.
  const AnsiString help = "Help/ZarnikHelp.chm";
  if (rtl::FileExists(help)) rtl::ShellOpen(rtl::ExpandFileName(help));
}

void TForm1::AAboutExecute(TObject*) {
  TAboutBox box(this);
  box.ShowVersionInfo(ProgramVersionInfo());
  box.ShowModal();
}

// --- the end ---

void TForm1::AExitExecute(TObject*) { Close(); }

void TForm1::FormClose(TObject*, TCloseAction&) {
  if (WindowState() == wsMaximized) {
    IniWrite("FormMain", "Maximized", "1");
  } else {
    IniWrite("FormMain", "Maximized", "0");
  }
  const TRect r = WindowState() == wsNormal ? BoundsRect() : NormalBounds();
  IniWrite("FormMain", "Left", rtl::IntToStr(r.Left));
  IniWrite("FormMain", "Top", rtl::IntToStr(r.Top));
  IniWrite("FormMain", "Width", rtl::IntToStr(r.Width()));
  IniWrite("FormMain", "Height", rtl::IntToStr(r.Height()));
  Timer1->SetEnabled(false);
  link_->SetCancel(true);
  link_->ClosePort();
}

}  // namespace app
