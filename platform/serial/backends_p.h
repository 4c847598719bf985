// Opening the backend a port target names. Internal to the serial layer.
#pragma once
#include <memory>
#include <string>

#include "platform/serial/backend_p.h"

namespace serial::detail {

// target: a device path, rfc2217://host:port or virtual:<name>. Answers
// nullptr with the error set.
std::unique_ptr<Backend> OpenBackend(const std::string& target);

std::unique_ptr<Backend> OpenTtyBackend(const std::string& path);
std::unique_ptr<Backend> OpenRfc2217Backend(const std::string& host, int port);
std::unique_ptr<Backend> OpenVirtualBackend(const std::string& name);

// Applies the line settings of dcb to a tty in raw mode (termios2, so any
// baud rate works). Answers an errno value, 0 on success.
int ApplyTtySettings(int fd, const DCB& dcb);
// Reads back the baud rate, data bits, parity and stop bits of a tty.
int ReadTtySettings(int fd, LineSettings& settings);

}  // namespace serial::detail
