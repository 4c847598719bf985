// The simulated recorder: its memory (a 128 KiB flash image holding the
// directory of up to 49 processes and their samples), its job, clock,
// calibration and sensors, and the command protocol it answers on its serial
// line, byte by byte. It has no threads and no clock of its own: the caller
// hands it each received byte with the time and takes the reply bytes.
// Faults can be scripted to test how the program copes.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;
using Header = std::array<std::uint8_t, 16>;

// The protocol's frame checksum: a 16-bit shift register fed bit by bit, least
// significant bit first, with the taps 15, 11, 8 and 6.
std::uint16_t ChecksumUpdate(std::uint16_t reg, std::uint8_t byte);
// The register is seeded with this before the first byte of every frame.
constexpr std::uint16_t kChecksumSeed = 0x5AA5;
std::uint16_t FrameChecksum(const std::uint8_t* data, std::size_t count, std::uint16_t seed = kChecksumSeed);
std::uint16_t FrameChecksum(std::initializer_list<std::uint8_t> bytes);
inline std::uint16_t FrameChecksum(const Bytes& b) { return FrameChecksum(b.data(), b.size()); }

constexpr std::size_t kFlashSize = 0x20000;
constexpr std::size_t kDataStart = 0x340;
constexpr std::size_t kDataSize = kFlashSize - kDataStart;  // 130240 bytes
constexpr int kMaxProcesses = 49;

// Wire time of one byte at 38400 baud, 8N1 (10 bits).
constexpr double kByteTimeUs38400 = 10.0 * 1e6 / 38400.0;

struct DateTime {
  int year = 2013, month = 3, day = 7, hour = 9, minute = 5, second = 0;
  bool operator==(const DateTime&) const = default;
};

// Seconds since 2000-01-01 00:00:00 and back (proleptic Gregorian, no zones).
std::int64_t ToSeconds(const DateTime& t);
DateTime FromSeconds(std::int64_t s);

struct ProcessSpec {
  DateTime start;
  int period = 10;                     // minutes between points
  int channels = 3;                    // 3, 4 or 5
  bool sht21 = true;                   // humidity sensor kind recorded in the header
  std::vector<std::uint16_t> samples;  // points x channels words, record by record
  int Points() const { return channels ? static_cast<int>(samples.size()) / channels : 0; }
};

// A plausible drying curve of the given size.
ProcessSpec MakeProcess(int points, int channels = 3, DateTime start = {}, int period = 10);

struct Job {
  std::uint16_t delay = 0;  // minutes
  std::uint16_t points = 1441;
  std::uint8_t period = 1;  // minutes
};

// Scripted faults; each counter is used up as the faults happen.
struct Faults {
  int silentRequests = 0;    // the next n requests get no answer at all
  int badChecksums = 0;      // the next n checksummed replies carry a wrong checksum
  int badEchoes = 0;         // the next n acknowledgements or echoes are wrong
  std::set<int> emptySlots;  // slots that answer 06 with FF although listed
  long cutStreamAfter = -1;  // the next process stream stops after this many bytes
  int noiseBytes = 0;        // garbage sent ahead of the next reply
  int directoryCount = -1;   // replaces the count byte of the directory answer
};

class RecorderModel {
 public:
  RecorderModel();

  // --- memory ---
  void ClearArchive();
  // Stores a process after the last one; answers its slot, or -1 when the
  // directory or the memory is full or the process description is malformed.
  int AddProcess(const ProcessSpec& spec);
  void DeleteProcess(int slot);
  int ProcessCount() const { return count_; }
  Header HeaderAt(int slot) const;
  Bytes ProcessData(int slot) const;
  const Bytes& Flash() const { return flash_; }
  // The humidity sensor fitted (marker byte of the flash image and bit 21
  // of the diagnostics header).
  void SetSht21(bool sht21);
  bool Sht21() const { return sht21_; }

  // --- settings and readings ---
  std::string firmware = "27.03.2012";  // 10 characters on the wire
  std::string deviceType = "1x0";       // 3 characters
  Job job;
  std::uint32_t a1 = 0x3F800000, a0 = 0;  // calibration words (1.0f, 0.0f)
  std::array<std::uint16_t, 4> battery = {3450, 3520, 120, 80};
  std::uint16_t rawT = 6233, rawRH = 2163, rawShrink = 12345;
  bool recording = false;
  Faults faults;
  // Codes of the requests answered (or silently dropped), in order.
  std::vector<std::uint8_t> requests;

  DateTime ClockAt(double nowUs) const;
  void SetClock(const DateTime& t, double nowUs);

  // --- the line ---
  // One received byte; reply bytes are appended to out.
  void Receive(std::uint8_t byte, double nowUs, Bytes& out);
  void Receive(const Bytes& bytes, double nowUs, Bytes& out) {
    for (auto b : bytes) Receive(b, nowUs, out);
  }
  // Forgets a half-received frame (after a pause or a pulled cable).
  void ResetLink();
  // The presence test: CTS follows RTS, DSR stays off.
  static bool CtsFor(bool rts) { return rts; }

 private:
  enum class Phase { kIdle, kDirAccept, kProcAccept, kDelConfirm, kFlashAddress, kFlashAccept };

  void Handle(const Bytes& frame, Bytes& out);
  void HandlePair(std::uint8_t a, std::uint8_t b, double nowUs, Bytes& out);
  void AppendChecksummed(Bytes& out, const Bytes& covered, std::size_t replyFrom);
  std::uint8_t Ack(std::uint8_t value);
  void Noise(Bytes& out);
  Header DiagnosticsHeader() const;
  void WriteHeader(int slot, const Header& h);

  Bytes flash_;
  int count_ = 0;
  std::size_t nextAddress_ = kDataStart;
  bool sht21_ = true;
  std::int64_t clockBase_ = 0;  // recorder seconds at clockSetUs_
  double clockSetUs_ = 0;

  Phase phase_ = Phase::kIdle;
  Bytes frame_;
  Bytes pair_;
  int slot_ = 0;
  std::uint16_t dirRegister_ = 0;
  std::uint32_t noiseSeed_ = 12345;
  double lastByteUs_ = -1e18;
};

}  // namespace sim
