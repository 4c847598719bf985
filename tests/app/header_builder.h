// Process headers for tests: every field named, with the values of a plain
// valid process (7 March 2013, 9:05, 91 points every 10 minutes, three
// channels) wherever a test does not care.
#pragma once
#include <cstdint>

#include "app/ProcessHeader.h"

namespace apptest {

struct HeaderFields {
  std::uint32_t address = 0x340;  // bytes 0-3 below the slot; bit 21 marks SHT21
  int slot = 0;                   // byte 3
  int sec = 0, min = 5, hour = 9, day = 7, month = 3, year = 13;
  int points = 91, period = 10, channels = 3;
};

inline app::TProcessHeader MakeHeader(const HeaderFields& f) {
  app::TProcessHeader h;
  const std::uint32_t word = f.address | (std::uint32_t(f.slot) << 24);
  for (int i = 0; i < 4; ++i) h.Bytes[std::size_t(i)] = std::uint8_t(word >> (8 * i));
  h.Bytes[4] = std::uint8_t(f.sec);
  h.Bytes[5] = std::uint8_t(f.min);
  h.Bytes[6] = std::uint8_t(f.hour);
  h.Bytes[7] = std::uint8_t(f.day);
  h.Bytes[8] = std::uint8_t(f.month);
  h.Bytes[9] = std::uint8_t(f.year);
  h.SetPoints(std::uint16_t(f.points));
  h.Bytes[12] = std::uint8_t(f.period);
  h.SetChannels(f.channels);
  return h;
}

}  // namespace apptest
