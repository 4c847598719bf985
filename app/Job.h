// The recording-job dialog: duration, sampling period and start delay of the
// next recording, with the point count and memory share they give.
#pragma once
#include "app/JobFigures.h"
#include "platform/gui/comctrls.h"
#include "platform/gui/forms.h"
#include "platform/gui/stdctrls.h"

namespace app {

class TfrmJob : public gui::TForm {
 public:
  // Edits job in place; channels decide the point limit.
  TfrmJob(gui::TComponent* owner, TRecordingJob& job, int channels);

  gui::TGroupBox* GroupBox1;
  gui::TEdit* EditDuration;
  gui::TEdit* EditPointPeriod;
  gui::TEdit* EditPoints;
  gui::TEdit* EditMemory;
  gui::TDateTimePicker* DTPickerStartDelay;
  gui::TButton* btnWrite;
  gui::TButton* btnCancel;

  // Recomputes the points and memory share from the two edits.
  void Compute();
  // What the last computation found.
  const TJobFigures& Figures() const { return figures_; }
  void EditKeyPress(gui::TObject* Sender, char& Key);
  void DTPickerStartDelayChange(gui::TObject* Sender);
  void btnWriteClick(gui::TObject* Sender);
  void FormKeyUp(gui::TObject* Sender, gui::Word& Key, gui::TShiftState Shift);

 private:
  gui::TEdit* AddEdit(const AnsiString& label, const AnsiString& hint, int top);
  // A range hint to the right of the control at top.
  void AddHint(const AnsiString& hint, int top);
  TRecordingJob& job_;
  int channels_;
  TJobFigures figures_;
};

}  // namespace app
