// termios2 lets a tty run at any baud rate (12800 or 14400 as well as the
// standard ones). Its header clashes with <termios.h>, so it lives alone here.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>
#include <cstring>

#include "platform/serial/backends_p.h"

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace serial::detail {

int ApplyTtySettings(int fd, const DCB& dcb) {
  struct termios2 t;
  if (ioctl(fd, TCGETS2, &t) != 0) return errno;
  if (dcb.BaudRate == 0) return EINVAL;
  t.c_iflag = dcb.fParity ? INPCK : IGNPAR;
  if (dcb.fOutX) t.c_iflag |= IXON;
  if (dcb.fInX) t.c_iflag |= IXOFF;
  t.c_oflag = 0;
  t.c_lflag = 0;
  t.c_cflag &= ~(CBAUD | CBAUDEX | CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT) | CREAD | CLOCAL;
  t.c_ispeed = t.c_ospeed = dcb.BaudRate;
  switch (dcb.ByteSize) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return EINVAL;
  }
  switch (dcb.Parity) {
    case NOPARITY: break;
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: return EINVAL;
  }
  if (dcb.StopBits == ONE5STOPBITS || dcb.StopBits == TWOSTOPBITS) t.c_cflag |= CSTOPB;
  if (dcb.fOutxCtsFlow) t.c_cflag |= CRTSCTS;
  std::memset(t.c_cc, 0, sizeof t.c_cc);
  t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (ioctl(fd, TCSETS2, &t) != 0) return errno;
  return 0;
}

int ReadTtySettings(int fd, LineSettings& s) {
  struct termios2 t;
  if (ioctl(fd, TCGETS2, &t) != 0) return errno;
  s.baudRate = t.c_ospeed;
  switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = 5; break;
    case CS6: s.dataBits = 6; break;
    case CS7: s.dataBits = 7; break;
    default: s.dataBits = 8; break;
  }
  if (!(t.c_cflag & PARENB))
    s.parity = NOPARITY;
  else if (t.c_cflag & CMSPAR)
    s.parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
  else
    s.parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  s.stopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
  return 0;
}

}  // namespace serial::detail
