#include "tests/support/recorder_model.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kResetGapUs = 300000;  // a pause this long ends a half-received frame

int RequestLength(std::uint8_t code) {
  switch (code) {
    case 0x01:
    case 0x03:
    case 0x05:
    case 0x09:
    case 0x0B:
    case 0x0C:
    case 0x11: return 2;
    case 0x06:
    case 0x07: return 3;
    case 0x08:
    case 0x0D:
    case 0x0E: return 4;
    case 0x04: return 9;
    case 0x02: return 10;
    case 0x0A: return 12;
    default: return 0;
  }
}

void PutLe16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutLe32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

const std::int64_t kEpoch2000 = DaysFromCivil(2000, 1, 1);

}  // namespace

std::uint16_t ChecksumUpdate(std::uint16_t reg, std::uint8_t byte) {
  for (int bit = 0; bit < 8; ++bit) {
    unsigned b = (byte >> bit) & 1u;
    unsigned f = b ^ ((reg >> 15) & 1u) ^ ((reg >> 11) & 1u) ^ ((reg >> 8) & 1u) ^ ((reg >> 6) & 1u);
    reg = static_cast<std::uint16_t>((reg << 1) | f);
  }
  return reg;
}

std::uint16_t FrameChecksum(const std::uint8_t* data, std::size_t count, std::uint16_t seed) {
  std::uint16_t reg = seed;
  for (std::size_t i = 0; i < count; ++i) reg = ChecksumUpdate(reg, data[i]);
  return reg;
}

std::uint16_t FrameChecksum(std::initializer_list<std::uint8_t> bytes) {
  return FrameChecksum(bytes.begin(), bytes.size());
}

std::int64_t ToSeconds(const DateTime& t) {
  std::int64_t days = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) - kEpoch2000;
  return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

DateTime FromSeconds(std::int64_t s) {
  std::int64_t days = s >= 0 ? s / 86400 : (s - 86399) / 86400;
  std::int64_t rest = s - days * 86400;
  DateTime t;
  CivilFromDays(days + kEpoch2000, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

ProcessSpec MakeProcess(int points, int channels, DateTime start, int period) {
  ProcessSpec p;
  p.start = start;
  p.period = period;
  p.channels = channels;
  p.samples.reserve(static_cast<std::size_t>(points) * channels);
  for (int k = 0; k < points; ++k) {
    double x = points > 1 ? double(k) / (points - 1) : 0;
    // The air warms from 20 to 60 C and dries from 80 % to 20 %; the brick shrinks.
    double t = 20 + 40 * x;
    double rh = 80 - 60 * x;
    auto rawT = static_cast<std::uint16_t>(std::lround((t + 46.85) / 0.01072509765625));
    auto rawRH = static_cast<std::uint16_t>(std::lround((rh + 6) / 0.030517578125));
    auto shrink = static_cast<std::uint16_t>(std::lround(3000 * (1 - std::exp(-4 * x))) + (k & 0xFF));
    std::uint16_t words[5] = {rawT, rawRH, shrink, static_cast<std::uint16_t>(std::lround(t * 256)),
                              static_cast<std::uint16_t>(std::lround((t - 5) * 256))};
    for (int c = 0; c < channels; ++c) p.samples.push_back(words[c]);
  }
  return p;
}

RecorderModel::RecorderModel() : flash_(kFlashSize, 0xFF) {
  ClearArchive();
  SetClock(DateTime{}, 0);
}

void RecorderModel::ClearArchive() {
  std::fill(flash_.begin(), flash_.end(), 0xFF);
  flash_[0] = 0x56;  // a signature the program does not read
  flash_[1] = 0x31;
  flash_[2] = 0x00;
  flash_[3] = 0x01;
  flash_[4] = sht21_ ? 0x21 : 0x15;
  count_ = 0;
  nextAddress_ = kDataStart;
}

void RecorderModel::SetSht21(bool sht21) {
  sht21_ = sht21;
  flash_[4] = sht21 ? 0x21 : 0x15;
}

void RecorderModel::WriteHeader(int slot, const Header& h) {
  std::copy(h.begin(), h.end(), flash_.begin() + 16 * (slot + 1));
}

Header RecorderModel::HeaderAt(int slot) const {
  Header h;
  std::copy_n(flash_.begin() + 16 * (slot + 1), 16, h.begin());
  return h;
}

int RecorderModel::AddProcess(const ProcessSpec& spec) {
  const int points = spec.Points();
  if (count_ >= kMaxProcesses || spec.channels < 3 || spec.channels > 5 || points <= 0 || points > 0xFFFF) return -1;
  const std::size_t size = spec.samples.size() * 2;
  std::size_t used = 0;
  for (int i = 0; i < count_; ++i) {
    Header h = HeaderAt(i);
    used += std::size_t(Le16(&h[10])) * h[13] * 2;
  }
  if (used + size > kDataSize) return -1;
  const int slot = count_;
  const std::size_t start = nextAddress_;
  std::size_t a = start;
  for (auto w : spec.samples) {
    for (std::uint8_t b : {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8)}) {
      flash_[a++] = b;
      if (a == kFlashSize) a = kDataStart;
    }
  }
  nextAddress_ = a;
  Header h{};
  std::uint32_t word =
      static_cast<std::uint32_t>(start) | (spec.sht21 ? (1u << 21) : 0) | (static_cast<std::uint32_t>(slot) << 24);
  for (int i = 0; i < 4; ++i) h[i] = static_cast<std::uint8_t>(word >> (8 * i));
  h[4] = static_cast<std::uint8_t>(spec.start.second);
  h[5] = static_cast<std::uint8_t>(spec.start.minute);
  h[6] = static_cast<std::uint8_t>(spec.start.hour);
  h[7] = static_cast<std::uint8_t>(spec.start.day);
  h[8] = static_cast<std::uint8_t>(spec.start.month);
  h[9] = static_cast<std::uint8_t>(spec.start.year - 2000);
  h[10] = static_cast<std::uint8_t>(points);
  h[11] = static_cast<std::uint8_t>(points >> 8);
  h[12] = static_cast<std::uint8_t>(spec.period);
  h[13] = static_cast<std::uint8_t>(spec.channels);
  WriteHeader(slot, h);
  ++count_;
  return slot;
}

void RecorderModel::DeleteProcess(int slot) {
  if (slot < 0 || slot >= count_) return;
  for (int j = slot; j + 1 < count_; ++j) {
    Header h = HeaderAt(j + 1);
    h[3] = static_cast<std::uint8_t>(j);  // entries keep their position as slot number
    WriteHeader(j, h);
  }
  --count_;
  Header erased;
  erased.fill(0xFF);
  WriteHeader(count_, erased);
}

Bytes RecorderModel::ProcessData(int slot) const {
  Header h = HeaderAt(slot);
  std::size_t a = Le32(&h[0]) & 0x1FFFF;
  std::size_t size = std::size_t(Le16(&h[10])) * h[13] * 2;
  Bytes out;
  out.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(a < kFlashSize ? flash_[a] : 0xFF);
    if (++a >= kFlashSize) a = kDataStart;
  }
  return out;
}

DateTime RecorderModel::ClockAt(double nowUs) const {
  return FromSeconds(clockBase_ + static_cast<std::int64_t>(std::floor((nowUs - clockSetUs_) / 1e6)));
}

void RecorderModel::SetClock(const DateTime& t, double nowUs) {
  clockBase_ = ToSeconds(t);
  clockSetUs_ = nowUs;
}

Header RecorderModel::DiagnosticsHeader() const {
  Header h{};
  if (count_ > 0) h = HeaderAt(count_ - 1);
  if (sht21_)
    h[2] |= 0x20;
  else
    h[2] &= static_cast<std::uint8_t>(~0x20);
  return h;
}

void RecorderModel::ResetLink() {
  phase_ = Phase::kIdle;
  frame_.clear();
  pair_.clear();
}

std::uint8_t RecorderModel::Ack(std::uint8_t value) {
  if (faults.badEchoes > 0) {
    --faults.badEchoes;
    return static_cast<std::uint8_t>(value ^ 0x5A);
  }
  return value;
}

void RecorderModel::Noise(Bytes& out) {
  for (; faults.noiseBytes > 0; --faults.noiseBytes) {
    noiseSeed_ = noiseSeed_ * 1103515245u + 12345u;
    out.push_back(static_cast<std::uint8_t>(noiseSeed_ >> 16));
  }
}

// Appends the reply bytes covered[replyFrom..] and the checksum of all of covered.
void RecorderModel::AppendChecksummed(Bytes& out, const Bytes& covered, std::size_t replyFrom) {
  out.insert(out.end(), covered.begin() + static_cast<long>(replyFrom), covered.end());
  std::uint16_t cs = FrameChecksum(covered);
  if (faults.badChecksums > 0) {
    --faults.badChecksums;
    cs ^= 0x00FF;
  }
  PutLe16(out, cs);
}

void RecorderModel::Receive(std::uint8_t byte, double nowUs, Bytes& out) {
  if ((phase_ != Phase::kIdle || !frame_.empty() || !pair_.empty()) && nowUs - lastByteUs_ > kResetGapUs) ResetLink();
  lastByteUs_ = nowUs;

  switch (phase_) {
    case Phase::kIdle:
      frame_.push_back(byte);
      if (frame_.size() == 1 && RequestLength(byte) == 0) {
        frame_.clear();
        return;
      }
      if (frame_.size() == 2 && byte != static_cast<std::uint8_t>(~frame_[0])) {
        // Not a request start: look for one from the second byte on.
        frame_.erase(frame_.begin());
        if (RequestLength(frame_[0]) == 0) frame_.clear();
        return;
      }
      if (frame_.size() >= 2 && static_cast<int>(frame_.size()) == RequestLength(frame_[0])) {
        Bytes frame;
        frame.swap(frame_);
        Handle(frame, out);
      }
      return;
    case Phase::kFlashAddress:
      frame_.push_back(byte);
      if (frame_.size() == 3) {
        if (frame_[0] == 0xFF && frame_[1] == 0xFF && frame_[2] == 0xFF) {
          phase_ = Phase::kIdle;  // the end of the dump
        } else {
          slot_ = frame_[0] | (frame_[1] << 8) | (frame_[2] << 16);
          std::uint16_t cs = FrameChecksum(frame_);
          Noise(out);
          out.push_back(Ack(static_cast<std::uint8_t>(cs)));
          out.push_back(static_cast<std::uint8_t>(cs >> 8));
          phase_ = Phase::kFlashAccept;
        }
        frame_.clear();
      }
      return;
    default:
      pair_.push_back(byte);
      if (pair_.size() == 2) {
        std::uint8_t a = pair_[0], b = pair_[1];
        pair_.clear();
        HandlePair(a, b, nowUs, out);
      }
      return;
  }
}

void RecorderModel::HandlePair(std::uint8_t a, std::uint8_t b, double nowUs, Bytes& out) {
  const Phase phase = phase_;
  phase_ = Phase::kIdle;
  if (phase == Phase::kFlashAccept && a == 0x0C && b == 0xF3) {
    phase_ = Phase::kFlashAddress;  // the program starts the page again
    return;
  }
  const std::uint8_t code = phase == Phase::kDirAccept    ? 0x05
                            : phase == Phase::kProcAccept ? 0x06
                            : phase == Phase::kDelConfirm ? 0x07
                                                          : 0x0C;
  if (a == code && b == code) {
    switch (phase) {
      case Phase::kDirAccept: {
        std::uint16_t reg = dirRegister_;
        for (int i = 0; i < count_; ++i) {
          Header h = HeaderAt(i);
          out.insert(out.end(), h.begin(), h.end());
          for (auto x : h) reg = ChecksumUpdate(reg, x);
        }
        if (faults.badChecksums > 0) {
          --faults.badChecksums;
          reg ^= 0x00FF;
        }
        PutLe16(out, reg);
        return;
      }
      case Phase::kProcAccept: {
        Bytes data = ProcessData(slot_);
        if (faults.cutStreamAfter >= 0) {
          data.resize(std::min<std::size_t>(data.size(), static_cast<std::size_t>(faults.cutStreamAfter)));
          faults.cutStreamAfter = -1;
        }
        out.insert(out.end(), data.begin(), data.end());
        return;
      }
      case Phase::kDelConfirm:
        DeleteProcess(slot_);
        out.push_back(Ack(0x07));
        return;
      case Phase::kFlashAccept: {
        Bytes page;
        for (int i = 0; i < 256; ++i) {
          std::size_t at = static_cast<std::size_t>(slot_) + i;
          page.push_back(at < kFlashSize ? flash_[at] : 0xFF);
        }
        out.insert(out.end(), page.begin(), page.end());
        std::uint16_t cs = FrameChecksum(page);
        if (faults.badChecksums > 0) {
          --faults.badChecksums;
          cs ^= 0x00FF;
        }
        PutLe16(out, cs);
        phase_ = Phase::kFlashAddress;
        return;
      }
      default: return;
    }
  }
  if (phase == Phase::kProcAccept && a == 0 && b == 0) return;  // declined
  // Anything else starts a new request.
  Receive(a, nowUs, out);
  Receive(b, nowUs, out);
}

void RecorderModel::Handle(const Bytes& frame, Bytes& out) {
  const std::uint8_t code = frame[0];
  requests.push_back(code);
  if (faults.silentRequests > 0) {
    --faults.silentRequests;
    return;
  }
  Noise(out);
  auto checksumOk = [&](std::size_t covered) { return FrameChecksum(frame.data(), covered) == Le16(&frame[covered]); };
  Bytes c(frame.begin(), frame.begin() + 2);  // the bytes a reply checksum covers
  switch (code) {
    case 0x01: {
      std::string text = firmware;
      text.resize(10, ' ');
      c.insert(c.end(), text.begin(), text.end());
      AppendChecksummed(out, c, 2);
      break;
    }
    case 0x11: {
      std::string text = deviceType;
      text.resize(3, ' ');
      c.insert(c.end(), text.begin(), text.end());
      AppendChecksummed(out, c, 2);
      break;
    }
    case 0x02:
      if (checksumOk(8)) {
        SetClock(DateTime{2000 + frame[7], frame[6], frame[5], frame[4], frame[3], frame[2]}, lastByteUs_);
        out.push_back(Ack(0x02));
      } else {
        out.push_back(0x00);
      }
      break;
    case 0x03:
      PutLe16(c, job.delay);
      PutLe16(c, job.points);
      c.push_back(job.period);
      AppendChecksummed(out, c, 2);
      break;
    case 0x04:
      if (checksumOk(7)) {
        job.delay = Le16(&frame[2]);
        job.points = Le16(&frame[4]);
        job.period = frame[6];
        out.push_back(Ack(0x04));
      } else {
        out.push_back(0x00);
      }
      break;
    case 0x05: {
      for (auto v : battery) PutLe16(c, v);
      c.push_back(static_cast<std::uint8_t>(faults.directoryCount >= 0 ? faults.directoryCount : count_));
      faults.directoryCount = -1;
      c.push_back(0);
      dirRegister_ = FrameChecksum(c);
      AppendChecksummed(out, c, 2);
      phase_ = Phase::kDirAccept;
      break;
    }
    case 0x06: {
      int n = frame[2];
      if (n >= count_ || faults.emptySlots.count(n)) {
        out.push_back(0xFF);
        break;
      }
      c.push_back(frame[2]);
      Header h = HeaderAt(n);
      c.insert(c.end(), h.begin(), h.end());
      AppendChecksummed(out, c, 3);
      slot_ = n;
      phase_ = Phase::kProcAccept;
      break;
    }
    case 0x07: {
      std::uint16_t cs = FrameChecksum(frame.data(), 3);
      out.push_back(Ack(static_cast<std::uint8_t>(cs)));
      out.push_back(static_cast<std::uint8_t>(cs >> 8));
      slot_ = frame[2];
      phase_ = Phase::kDelConfirm;
      break;
    }
    case 0x08:
      if (checksumOk(2)) {
        ClearArchive();
        out.push_back(Ack(0x08));
      } else {
        out.push_back(0x00);
      }
      break;
    case 0x09:
      PutLe32(c, a1);
      PutLe32(c, a0);
      AppendChecksummed(out, c, 2);
      break;
    case 0x0A:
      if (checksumOk(10)) {
        a1 = Le32(&frame[2]);
        a0 = Le32(&frame[6]);
        out.push_back(Ack(0x0A));
      } else {
        out.push_back(0x00);
      }
      break;
    case 0x0B: {
      DateTime t = ClockAt(lastByteUs_);
      for (int v : {t.second, t.minute, t.hour, t.day, t.month, t.year - 2000})
        out.push_back(static_cast<std::uint8_t>(v));
      out.insert(out.end(), {0, 0, 0, 0});  // alarm: seconds, minutes, hours, spare
      out.insert(out.end(), 16, 0);         // a block the program does not interpret
      PutLe16(out, rawT);
      PutLe16(out, rawRH);
      PutLe16(out, rawShrink);
      Header h = DiagnosticsHeader();
      out.insert(out.end(), h.begin(), h.end());
      break;
    }
    case 0x0C: phase_ = Phase::kFlashAddress; break;
    case 0x0D:
      if (frame[2] != 0x3F || frame[3] != 0x5A) break;
      out.push_back(0x0D);
      out.push_back(recording ? 0x01 : 0x0D);
      recording = true;
      break;
    case 0x0E:
      if (frame[2] != 0xC0 || frame[3] != 0xA5) break;
      out.push_back(0x0E);
      out.push_back(recording ? 0x0E : 0x00);
      recording = false;
      break;
  }
}

}  // namespace sim
