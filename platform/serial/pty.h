// A pseudo-terminal pair for tests: a port opens the slave by its path while
// the test plays the device on the master.
#pragma once
#include <cstdint>
#include <string>

#include "platform/serial/win32_comm.h"

namespace serial {

class PseudoTerminal {
 public:
  PseudoTerminal();  // check Valid()
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Valid() const { return master_ >= 0; }
  const std::string& SlavePath() const { return slavePath_; }

  // Bytes to the port (as if the device sent them).
  bool Write(const std::string& bytes);
  // Bytes the port sent, waiting up to timeoutMs for count bytes to arrive.
  std::string Read(std::size_t count, int timeoutMs);
  // The line settings the slave side is set to.
  bool SlaveSettings(LineSettings& settings);
  // Bytes written by the test that the port has not read yet.
  int PendingToSlave();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace serial
