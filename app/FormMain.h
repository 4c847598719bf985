// The main window: the process list, the data table, the status bar with the
// link lamp and the cancel button, the menus and actions, the port, and the
// device operations the user starts from here. Its handlers live in several
// units by subject: FormMain.cpp (construction, start-up, configuration,
// keys, help, exit), FormMain_link.cpp (port actions, status bar, what the
// link shows), FormMain_list.cpp (process list, notes, sorting),
// FormMain_read.cpp (reading and deleting in the recorder),
// FormMain_files.cpp (process files, deletion on the computer),
// FormMain_flash.cpp (flash copies), FormMain_view.cpp (showing the selected
// process, layout), FormMain_display.cpp, FormMain_options.cpp and
// FormMain_chartmouse.cpp (chart, data table, view options, chart mouse),
// FormMain_clipboard.cpp (chart print preview, copying the chart and the data
// table), FormMain_report.cpp (the recorder report, its preview and export
// filters).
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Link.h"
#include "app/ProcessDisplay.h"
#include "app/ReportEngineStartup.h"
#include "app/ReportFeed.h"
#include "comm/Comm.h"
#include "platform/chart/chart.h"
#include "platform/gui/actions.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/extctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/grids.h"
#include "platform/gui/menus.h"
#include "platform/gui/stdctrls.h"

namespace report {
class TfrxReport;
}

namespace app {

extern const char* const kApplicationTitle;

// What a test changes in the window's surroundings: the line behind the
// port, the port names, and what the Abort answer does.
struct TForm1Setup {
  std::function<std::unique_ptr<TLinkPort>(comm::TThreadComm& comm)> makePort;
  std::function<std::vector<std::string>()> portNames;
  std::function<void(int code)> halt;
};

class TForm1 : public gui::TForm, public TLinkView {
 public:
  explicit TForm1(gui::TComponent* owner, TForm1Setup setup = {});
  ~TForm1() override;

  // --- components, in the order they are made ---
  gui::TStringGrid* StringGridData;
  gui::TGroupBox* GroupBoxProcessList;
  gui::TStringGrid* StringGridProcessList;
  gui::TStatusBar* StatusBar1;
  gui::TButton* btnLinkCancel;
  gui::TProgressBar* ProgressBar1;
  gui::TPanel* PanelShapeLink;
  gui::TShape* ShapeLink;
  gui::TGroupBox* GroupBoxShrinkShift;
  gui::TMaskEdit* MaskEditShrinkShift;
  gui::TActionList* ActionList1;
  gui::TMainMenu* MainMenu1;
  comm::TComm* Comm1;
  gui::TOpenDialog* OpenDialog1;
  gui::TSaveDialog* SaveDialog1;
  gui::TPopupMenu* PopupMenuData;
  gui::TPopupMenu* PopupMenuList;
  gui::TPopupMenu* PopupMenuStatusBar;
  gui::TTimer* Timer1;
  gui::TOpenDialog* OpenDialogFlash;
  gui::TTimer* TimerChangeShrinkShift;

  // --- actions ---
  gui::TAction *AFileOpen, *AFileSave, *APrintReport, *APrintGraph, *AExit;
  gui::TAction *ADataRead, *AFlash, *AFlashFileRd, *ASelfcheck, *AJobForm, *AProcStart, *AProcStop, *AProcAlarm;
  gui::TAction *ADeleteGaugeProcess, *ADeleteProgProcess, *ADeleteProcessTotal, *AClearProgArch, *AClearGaugeArch;
  gui::TAction* ACalibr;
  gui::TAction *ACopyGraphic, *ACopyData, *ACopySelected, *ANoteEdit;
  gui::TAction *ASortByDateTime, *ASortByNote1, *ASortByNote2;
  gui::TAction* ACOM[10];  // ACOM1 .. ACOM10
  gui::TAction *ADataGraphic, *ADataTable;
  gui::TAction *AZoom5mm, *AZoom10mm, *AZoom20mm, *AZoomAuto, *AZoomMm, *AZoomProc, *AShrinkBase;
  gui::TAction *ARelativeTime, *AUseShrinkShift, *APoints, *ALegend, *AGraphTitle;
  gui::TAction *AHelp, *AChmHelp, *AAbout;
  gui::TMenuItem* itmPopupStatusCOM[10];

  // --- start-up, configuration, keys, exit (FormMain.cpp) ---
  void FormCreate(gui::TObject* Sender);
  void FormKeyDown(gui::TObject* Sender, gui::Word& Key, gui::TShiftState Shift);
  void FormClose(gui::TObject* Sender, gui::TCloseAction& Action);
  void AExitExecute(gui::TObject* Sender);
  void AHelpExecute(gui::TObject* Sender);
  void AChmHelpExecute(gui::TObject* Sender);
  void AAboutExecute(gui::TObject* Sender);
  static AnsiString ConfigFile();
  static AnsiString IniRead(const char* section, const char* key, const char* def, unsigned size = 10);
  // A whole number, or def when the text is not one.
  static int IniReadInt(const char* section, const char* key, int def);
  static void IniWrite(const char* section, const char* key, const AnsiString& value);

  // --- link (FormMain_link.cpp) ---
  void NewCOM_Port(int n);
  void ACOM1Execute(gui::TObject* Sender);
  void btnLinkCancelClick(gui::TObject* Sender);
  void StatusBar1MouseDown(gui::TObject* Sender, gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y);
  void StatusBar1DblClick(gui::TObject* Sender);
  void PopupMenuStatusBarPopup(gui::TObject* Sender);
  void AClearGaugeArchExecute(gui::TObject* Sender);
  void AProcStartExecute(gui::TObject* Sender);
  void AProcStopExecute(gui::TObject* Sender);
  TRecorderLink& Link() { return *link_; }
  void LampRed() { link_->LampRed(); }
  void RestAfterTimeout() { link_->RestAfterTimeout(); }
  void LampGreen() { link_->LampGreen(); }
  void LampIdle() { link_->LampIdle(); }
  // TLinkView
  void SetPanelText(int panel, const AnsiString& text) override;
  AnsiString PanelText(int panel) override;
  void SetLamp(TLamp lamp) override;
  void ProcessMessages() override;
  void ShowCancelButton(bool visible) override;
  void ShowProgressBar(bool visible) override;
  void EnableRecordingActions(bool enabled) override;
  bool RecordingActionsEnabled() override;
  void ShowPortList(const std::vector<int>& ports, int checked) override;
  TPortAnswer AskPortProblem(const AnsiString& text) override;
  bool Confirm(const AnsiString& text) override;
  void ShowLinkError(const AnsiString& text) override;
  void Halt(int code) override;
  // A message box captioned with the application title.
  virtual int Ask(const AnsiString& text, unsigned flags);

  // --- process list and notes (FormMain_list.cpp) ---
  void SetupProcessListHeader();
  void RefreshProcessList();
  bool ProcessListEmpty();
  void SelectLastProcess();
  void KeepRowVisible();
  void SelectProcessRow(const AnsiString& fileName);
  AnsiString RowFileName(int row);
  bool IsProcessSaved(const TProcessHeader& h);
  static AnsiString NoteFileName(const AnsiString& archiveFileName);
  static AnsiString ReadNote(const AnsiString& archiveFileName, int note);
  static void WriteNote(const AnsiString& archiveFileName, int note, const AnsiString& text);
  void SetNoteTitle(int note, const AnsiString& title);
  const AnsiString& NoteTitle(int note) const { return noteNames_[note == 2 ? 1 : 0]; }
  void ASortByDateTimeExecute(gui::TObject* Sender);
  void ASortByNote1Execute(gui::TObject* Sender);
  void ASortByNote2Execute(gui::TObject* Sender);
  void ANoteEditExecute(gui::TObject* Sender);
  void StringGridProcessListMouseUp(gui::TObject* Sender, gui::TMouseButton Button, gui::TShiftState Shift, int X,
                                    int Y);
  // The order of the list: the sort key of each name, sorted by exchange as the list always was.
  static void SortNames(std::vector<AnsiString>& names, std::vector<AnsiString>& keys);

  // --- reading and deleting in the recorder (FormMain_read.cpp) ---
  void Timer1Timer(gui::TObject* Sender);
  void ADataReadExecute(gui::TObject* Sender);
  std::uint8_t StringGridProcessListRowToNumProcess(int row);
  void ADeleteGaugeProcessExecute(gui::TObject* Sender);
  bool VersionNotRead() const { return versionNotRead_; }
  // Whether the recorder confirmed every deletion of the last deletion run.
  bool GaugeDeletionConfirmed() const { return deletionConfirmed_; }
  // Whether the recorder left a deletion of the last run unconfirmed.
  bool GaugeDeletionRefused() const { return deletionRefused_; }
  // Tests replace the final rename to see its failure handled.
  static std::function<bool(const AnsiString& target, const AnsiString& replacement)> ReplaceArchiveFile;

  // --- process files and deletion on the computer (FormMain_files.cpp) ---
  // The archive file name an exported file's header gives, "" when refused.
  AnsiString ReadProcessFileKey(const AnsiString& path);
  void AFileSaveExecute(gui::TObject* Sender);
  void AFileOpenExecute(gui::TObject* Sender);
  void DeleteGridRow(gui::TStringGrid* grid, int row);
  void DeleteProcessFiles(int row);
  void ADeleteProgProcessExecute(gui::TObject* Sender);
  void ADeleteProcessTotalExecute(gui::TObject* Sender);
  void AClearProgArchExecute(gui::TObject* Sender);

  // --- flash copies (FormMain_flash.cpp) ---
  void AFlashExecute(gui::TObject* Sender);
  void AFlashFileRdExecute(gui::TObject* Sender);
  // Writes the processes of an image the user accepts into the archive;
  // answers how many were written.
  int ImportFlashImage(const std::string& image, int marker);

  // --- the job, calibration and diagnostics dialogs (Job.cpp, CalibrTC.cpp, frmSelfTest.cpp) ---
  void AJobFormExecute(gui::TObject* Sender);
  void ACalibrExecute(gui::TObject* Sender);
  void ASelfcheckExecute(gui::TObject* Sender);

  // --- display of the selected process and layout (FormMain_view.cpp) ---
  void ShowProcess();
  void ClearDataView();
  void ClearGridSelection(gui::TStringGrid* grid);
  void ClearStatusPanels();
  void StringGridProcessListClick(gui::TObject* Sender);
  void FormResize(gui::TObject* Sender);

  // --- chart, data table, view options, chart mouse (FormMain_display.cpp,
  // FormMain_options.cpp, FormMain_chartmouse.cpp) ---
  chart::TChart* Chart1 = nullptr;
  chart::TLineSeries *Series1 = nullptr, *Series2 = nullptr, *Series3 = nullptr, *Series7 = nullptr, *Series8 = nullptr;
  chart::TPointSeries *Series4 = nullptr, *Series5 = nullptr, *Series6 = nullptr, *Series9 = nullptr,
                      *Series10 = nullptr;
  gui::TCheckBox* cbShrinkShift = nullptr;
  void CreateDisplay();
  void ApplyDisplayConfiguration();
  void LayoutDataViews();
  // The window within the screen and the status bar's panels shared out.
  void LayoutStatusPanels();
  // The process on show, as the views hold it.
  const TProcessData& ShownProcess() const { return shown_; }
  float ShrinkBaseMicrometres() const { return shrinkBase_; }
  void SetShrinkBaseMicrometres(float b) { shrinkBase_ = b; }
  TShrinkZoom ShrinkZoom() const;
  void AZoomExecute(gui::TObject* Sender, TShrinkZoom zoom);
  void AZoomMmExecute(gui::TObject* Sender);
  void AZoomProcExecute(gui::TObject* Sender);
  void AShrinkBaseExecute(gui::TObject* Sender);
  void AUseShrinkShiftExecute(gui::TObject* Sender);
  void ARelativeTimeExecute(gui::TObject* Sender);
  void APointsExecute(gui::TObject* Sender);
  void ALegendExecute(gui::TObject* Sender);
  void AGraphTitleExecute(gui::TObject* Sender);
  void ADataGraphicExecute(gui::TObject* Sender);
  void ADataTableExecute(gui::TObject* Sender);
  void ShowDataView(bool chart);
  void TimerChangeShrinkShiftTimer(gui::TObject* Sender);
  void ResetLeftAxisMax();
  void ResetLeftAxisMin();
  void ResetRightAxisMax();
  void ResetRightAxisMin();
  void ResetTimeAxisStart();
  void ResetTimeAxisEnd();
  void Chart1MouseDown(gui::TObject* Sender, gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y);
  void Chart1MouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
  void Chart1MouseUp(gui::TObject* Sender, gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y);
  void Chart1DblClick(gui::TObject* Sender);
  void Chart1Scroll(gui::TObject* Sender);
  TDragZone ChartDragZone() const { return dragZone_; }
  void ClearMarkers();
  void ShowReadout(int X, int Y);
  void StringGridDataMouseUp(gui::TObject* Sender, gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y);

  // --- chart print preview and the clipboard (FormMain_clipboard.cpp) ---
  // Whether the list's current row names a process to print or copy.
  bool ProcessShown();
  // The data table's cells of the rectangle: tabs between cells, CR LF after each row.
  AnsiString DataTableText(int left, int top, int right, int bottom);
  void APrintGraphExecute(gui::TObject* Sender);
  void ACopyGraphicExecute(gui::TObject* Sender);
  void ACopyDataExecute(gui::TObject* Sender);
  void ACopySelectedExecute(gui::TObject* Sender);

  // --- the recorder report and its export filters (FormMain_report.cpp) ---
  // The three stored reports (3, 4 and 5 channels), fed from the list's
  // current row, the data table and the chart as shown.
  report::TfrxReport *vuzReport1 = nullptr, *vuzReport2 = nullptr, *vuzReport3 = nullptr;
  void CreateReports();
  report::TfrxReport* RecorderReport(TRecorderTemplate t) const;
  void APrintReportExecute(gui::TObject* Sender);
  // The chart's print preview prints on the reports' printer (a refusal is
  // told in a box); the program installs this at start.
  static void UseReportPrinterForCharts();

 private:
  // The archive file of each list row (row 1 first), as the last rebuild listed them.
  std::vector<AnsiString> rowFiles_;
  TProcessData shown_;
  // Counts the ShowProcess calls, so a selection can tell whether the grid's
  // click already showed the row it chose.
  unsigned showCalls_ = 0;
  float shrinkBase_ = 150000;
  TDragZone dragZone_ = TDragZone::None;
  gui::TPoint lastPos_;
  bool dblClick_ = false;
  void ColourAxisLabels();

 private:
  void CreateComponents();
  void CreateActions();
  void CreateMenus();
  gui::TAction* NewAction(const char* name, const AnsiString& caption,
                          void (TForm1::*handler)(gui::TObject*) = nullptr);
  // One process of the read and what the read does next: go on with the next
  // entry (after a download or not), ask for the same entry again, start the
  // read over, or stop (cancel, Abort or a broken link).
  enum class Step { Next, NextAfterDownload, Repeat, Restart, Stop };
  Step DownloadProcess(int entry, long& counted);
  void AdvanceProgress(long by);
  void ApplyConfiguration();

  // Comes first and goes last: the reports and filters need the engine.
  std::unique_ptr<TReportEngineStartup> reportEngine_;
  std::unique_ptr<TReportSource> reportSource_;
  std::unique_ptr<TRecorderReportFeed> reportFeed_;
  // Owns the reports, their dataset and the export filters, so that they go
  // before the feed and the engine do.
  std::unique_ptr<rtl::TComponent> reportParts_;
  TForm1Setup setup_;
  std::unique_ptr<TLinkPort> port_;
  std::unique_ptr<TRecorderLink> link_;
  AnsiString noteNames_[2];
  int timerTicks_ = 0;
  bool versionNotRead_ = true;
  bool popupOverPort_ = false;
  bool deletionConfirmed_ = true;
  bool deletionRefused_ = false;
  bool created_ = false;
};

extern TForm1* Form1;

}  // namespace app
