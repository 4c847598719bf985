#include "app/JobFigures.h"

#include "platform/rtl/format.h"

namespace app {

int JobPointLimit(int channels) {
  if (channels == 4) return MaxPoints(4);
  if (channels == 5) return MaxPoints(5);
  return MaxPoints(3);
}

namespace {
// Digits only (what the edits let through), without a sign or blanks.
bool WholeNumber(const AnsiString& text, int& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}
}  // namespace

TJobFigures ComputeJob(const AnsiString& hoursText, const AnsiString& periodText, int channels) {
  TJobFigures f;
  const int limit = JobPointLimit(channels);
  int hours = 0, period = 0;
  const bool hoursRead = WholeNumber(hoursText, hours);
  // The recorder keeps the period in one byte: a larger one is refused
  // rather than silently wrapped; 0 means 1.
  f.Valid = WholeNumber(periodText, period) && period <= kJobPeriodByteMax;
  if (f.Valid && period == 0) period = 1;
  f.Period = f.Valid ? period : 0;
  // A duration that is not a number gives more points than any memory holds.
  const long long n = hoursRead && f.Valid ? static_cast<long long>(hours) * 60 / period + 1 : kJobPointsUnreadable;
  f.Red = n >= limit;
  f.Points = f.Red ? limit : static_cast<int>(n);
  const int c = channels == 4 || channels == 5 ? channels : 3;
  f.Memory = rtl::FormatFloat("0.0 %", static_cast<long double>(f.Points) * 2 * c * 100 / 130240.0L);
  return f;
}

int JobDurationHours(const TRecordingJob& job) {
  if (job.Points == 0) return 0;
  return (int(job.Points) - 1) * job.Period / 60;
}

void JobDelayToTime(std::uint16_t delay, int& hours, int& minutes) {
  hours = delay / 60;
  minutes = delay % 60;
  if (hours >= 24) hours = minutes = 0;
}

}  // namespace app
