// The figures of the recording-job dialog: the point count a duration and a
// period give, its limit by the channel count, the memory share, and what the
// dialog shows of a job read from the recorder.
#pragma once
#include "app/ProcessHeader.h"

namespace app {

// The range the dialog accepts.
constexpr int kJobHoursMin = 1, kJobHoursMax = 1000;
constexpr int kJobPeriodMin = 1, kJobPeriodMax = 240;

// Points the recorder's data area holds for a channel count (3 for any
// count other than 4 or 5).
int JobPointLimit(int channels);

struct TJobFigures {
  bool Valid = false;  // both texts whole numbers within their ranges
  bool Red = false;    // invalid, or the point count reached the limit
  int Points = 0;      // the point count shown (capped at the limit)
  int Period = 0;      // the period to store (when valid)
  AnsiString Memory;   // the memory share, "6,6 %"
};

// hours × 60 / period + 1 points; a text that is not a whole number in range
// makes the input invalid (points at the limit, red).
TJobFigures ComputeJob(const AnsiString& hoursText, const AnsiString& periodText, int channels);

// The duration the dialog proposes for a job: trunc((points − 1) × period / 60).
int JobDurationHours(const TRecordingJob& job);
// The start delay as the time picker's hours and minutes; 0:00 for a day or more.
void JobDelayToTime(std::uint16_t delay, int& hours, int& minutes);

}  // namespace app
