// The figures of the recording-job dialog: the point count a duration and a
// period give, its limit by the channel count, the memory share, and what the
// dialog shows of a job read from the recorder.
#pragma once
#include "app/ProcessHeader.h"

namespace app {

// The ranges the dialog suggests (shown as hints, not enforced).
constexpr int kJobHoursMin = 1, kJobHoursMax = 1000;
constexpr int kJobPeriodMin = 1, kJobPeriodMax = 240;
// The largest period the recorder's one-byte field holds.
constexpr int kJobPeriodByteMax = 255;
// The point count taken for a duration that is not a whole number.
constexpr long long kJobPointsUnreadable = 100000;

// Points the recorder's data area holds for a channel count (3 for any
// count other than 4 or 5).
int JobPointLimit(int channels);

struct TJobFigures {
  bool Valid = false;  // the period is a whole number one byte holds: the job can be written
  bool Red = false;    // the point count reached the limit (and is capped there)
  int Points = 0;      // the point count shown and written (capped at the limit)
  int Period = 0;      // the period to store (when valid; 0 becomes 1)
  AnsiString Memory;   // the memory share, "6,6 %"
};

// hours × 60 / period + 1 points, capped at the memory's limit (red); a
// duration that is not a whole number gives the limit, red; a period that is
// not a whole number up to 255 makes the input invalid.
TJobFigures ComputeJob(const AnsiString& hoursText, const AnsiString& periodText, int channels);

// The duration the dialog proposes for a job: trunc((points − 1) × period / 60).
int JobDurationHours(const TRecordingJob& job);
// The start delay as the time picker's hours and minutes; 0:00 for a day or more.
void JobDelayToTime(std::uint16_t delay, int& hours, int& minutes);

}  // namespace app
