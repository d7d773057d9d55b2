#include "platform/TermiosSettings.h"

#include "platform/SerialSpeeds.h"

namespace zemra {

namespace {

struct Speed {
  std::uint32_t rate;
  speed_t code;
};

constexpr Speed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

const Speed* FindRate(std::uint32_t rate) {
  for (const Speed& speed : kSpeeds) {
    if (speed.rate == rate) return &speed;
  }
  return nullptr;
}

tcflag_t SizeBits(int dataBits) {
  switch (dataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

int DataBits(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

}  // namespace

bool IsSupportedBaudRate(std::uint32_t baudRate) {
  return FindRate(baudRate) != nullptr;
}

bool ToTermios(const LineSettings& settings, termios& tio) {
  const Speed* speed = FindRate(settings.baudRate);
  if (speed == nullptr || settings.dataBits < 5 || settings.dataBits > 8) return false;
  tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IGNPAR);
  tio.c_oflag &= ~OPOST;
  tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  // HUPCL drops DTR when the port is closed, as closing a port does on the thermometer's
  // original host.
  tio.c_cflag |= CREAD | CLOCAL | HUPCL | SizeBits(settings.dataBits);
  switch (settings.parity) {
    case 'N':
      break;
    case 'E':
      tio.c_cflag |= PARENB;
      break;
    case 'O':
      tio.c_cflag |= PARENB | PARODD;
      break;
    case 'M':
      tio.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case 'S':
      tio.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      return false;
  }
  if (settings.parity != 'N') tio.c_iflag |= INPCK;
  if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  return cfsetispeed(&tio, speed->code) == 0 && cfsetospeed(&tio, speed->code) == 0;
}

LineSettings FromTermios(const termios& tio) {
  LineSettings settings;
  settings.baudRate = 0;
  const speed_t code = cfgetospeed(&tio);
  for (const Speed& speed : kSpeeds) {
    if (speed.code == code) settings.baudRate = speed.rate;
  }
  settings.dataBits = DataBits(tio.c_cflag);
  if (!(tio.c_cflag & PARENB)) {
    settings.parity = 'N';
  } else if (tio.c_cflag & CMSPAR) {
    settings.parity = (tio.c_cflag & PARODD) ? 'M' : 'S';
  } else {
    settings.parity = (tio.c_cflag & PARODD) ? 'O' : 'E';
  }
  settings.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
  return settings;
}

}  // namespace zemra
