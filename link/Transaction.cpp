#include <algorithm>
#include <array>
#include <utility>

#include "link/CQRVSerialPort.h"

namespace zemra {

namespace {

constexpr std::array<std::int32_t, 5> kBaudRates = {9600, 19200, 38400, 57600, 115200};

// The thermometer's Ethernet interface always listens here; the IpPort setting is only shown.
constexpr std::uint16_t kEthernetPort = 2101;

// Fixed waits of the protocol, in milliseconds. The thermometer needs them to answer or to act
// on a frame; they must never be shortened.
constexpr std::uint32_t kSerialReplyWait = 100;
constexpr std::uint32_t kEthernetReplyWait = 50;
constexpr std::uint32_t kSetIntWait = 100;
constexpr std::uint32_t kSetTextWait = 50;
constexpr std::uint32_t kProbeWait = 50;
constexpr std::uint32_t kBaudConfirmWait = 50;

constexpr int kMsgBaudIndexRange = 175;

bool IsBaudIndex(std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < kBaudRates.size();
}

}  // namespace

CQRVSerialPort::CQRVSerialPort(EventPoster poster, Clock& clock)
    : m_clock(clock), m_poster(std::move(poster)) {
  m_baudRate = 9600;
}

CQRVSerialPort::CQRVSerialPort(EventPoster poster, Clock& clock,
                               std::unique_ptr<SerialBackend> backend,
                               std::shared_ptr<PortResolver> resolver, TrafficLog log)
    : SerialPort(std::move(backend), std::move(resolver), std::move(log)),
      m_clock(clock),
      m_poster(std::move(poster)) {
  m_baudRate = 9600;
}

CQRVSerialPort::~CQRVSerialPort() {
  // In Ethernet mode the open flag stands for the TCP connection; there is no serial port
  // for the base class to close.
  if (m_ethernet) m_open = false;
}

int CQRVSerialPort::Open(std::uint16_t port, std::int32_t address, std::int32_t baudIndex,
                         bool ethernet, const std::string& ipAddress) {
  const bool wasEthernet = m_ethernet;
  m_baudIndex = baudIndex;
  // An index outside the table leaves the line speed as it was rather than reading past the
  // table; a serial Open then refuses below, before the port is touched.
  if (IsBaudIndex(baudIndex)) m_baudRate = static_cast<std::uint32_t>(kBaudRates[baudIndex]);
  m_terminator = std::string(1, static_cast<char>(kEtx));
  m_addressPrefix = AddressPrefix(address);
  m_portNumber = port;
  m_ethernet = ethernet;
  m_ipAddress = ipAddress;

  if (ethernet) return OpenEthernet(wasEthernet);
  // Over Ethernet the open flag stood for the TCP connection, not for a port.
  if (wasEthernet) m_open = false;
  if (!IsBaudIndex(baudIndex)) return Fail(kLinkOutOfRange, kMsgBaudIndexRange);
  return OpenSerial();
}

int CQRVSerialPort::OpenEthernet(bool wasEthernet) {
  // The serial port is not needed over Ethernet and must not stay claimed behind it.
  if (!wasEthernet && m_open) ClosePort();
  if (!m_client) {
    m_client = std::make_unique<CLWSocket>(m_poster, kSocketEventCommand, m_clock);
  } else {
    m_client->Close();
  }
  m_client->Start();
  m_client->Connect(m_ipAddress, kEthernetPort);
  m_open = true;
  // The outcome arrives later as a socket event.
  return kLinkIoFailed;
}

// Probe, confirm the baud rate, store: a unit that does not take all three is not connected.
int CQRVSerialPort::OpenSerial() {
  const int opened = OpenPort();
  if (opened != 0) return opened;
  if (!Probe()) {
    ClosePort();
    return kLinkNoReply;
  }
  int result = SetBRT(m_baudIndex);
  if (result == kLinkOk) {
    Wait(kBaudConfirmWait);
    result = StoreToMemory();
  }
  if (result != kLinkOk) ClosePort();
  return result;
}

int CQRVSerialPort::Close() {
  // Over Ethernet the TCP connection stays up until the next Open replaces it.
  const int result = m_ethernet ? kLinkOk : ClosePort();
  m_open = false;
  return result;
}

void CQRVSerialPort::PrepareExchange() {
  if (m_ethernet) {
    m_replyBuffer.fill(0);
    return;
  }
  // A failed purge has closed the port; the write that follows then fails.
  if (PurgeInput() == 0 && PurgeOutput() == 0) m_replyBuffer.fill(0);
}

int CQRVSerialPort::SendFrame(const Frame& frame) {
  const int size = static_cast<int>(frame.size());
  if (m_ethernet) {
    // The client reports its own failures through the reply that does not come.
    m_client->Send(frame.data(), size);
    return kLinkOk;
  }
  return WriteBytes(frame.data(), size) == -1 ? kLinkIoFailed : kLinkOk;
}

// Reads into the reply buffer; returns the count, 0 for nothing (serial) or no complete reply
// (Ethernet), -1 on failure. A serial reply is followed by a zero byte, which the bound on
// maxReplyLength leaves room for.
int CQRVSerialPort::ReceiveInto(int maxReplyLength) {
  if (m_ethernet) return m_client->ReceiveReply(m_replyBuffer.data(), maxReplyLength);
  int count = ReadBytes(m_replyBuffer.data(), maxReplyLength);
  if (count >= 1) {
    count = std::min(count, maxReplyLength);
    m_replyBuffer[static_cast<std::size_t>(count)] = 0;
  }
  return count;
}

int CQRVSerialPort::Transact(const std::string& command, std::string& reply, int maxReplyLength) {
  const int size = std::clamp(maxReplyLength, 1, kReplyBufferSize - 1);
  PrepareExchange();
  if (SendFrame(BuildReadFrame(m_addressPrefix, command, m_terminator[0])) != kLinkOk) {
    return kLinkIoFailed;
  }
  Wait(m_ethernet ? kEthernetReplyWait : kSerialReplyWait);
  const int count = ReceiveInto(size);
  if (count < 0) return kLinkIoFailed;

  const std::size_t held =
      count > 0 ? std::min<std::size_t>(count, m_replyBuffer.size()) : m_replyBuffer.size();
  reply = StripReplyFrame(BufferText(m_replyBuffer.data(), held));
  if (count == 0) return Probe() ? kLinkOk : kLinkNoReply;

  const int verdict = JudgeReply(reply);
  if (verdict != kLinkOk) m_replyErrorMessage = kMsgErrorReply;
  return verdict;
}

int CQRVSerialPort::SetInt(const std::string& mnemonic, std::int32_t value) {
  PrepareExchange();
  const Frame frame =
      BuildSetFrame(m_addressPrefix, FormatSetInt(mnemonic, value), m_terminator[0]);
  if (SendFrame(frame) != kLinkOk) return kLinkIoFailed;
  Wait(kSetIntWait);
  return kLinkOk;
}

int CQRVSerialPort::SetText(const std::string& mnemonic, const std::string& text) {
  PrepareExchange();
  const Frame frame =
      BuildSetFrame(m_addressPrefix, FormatSetText(mnemonic, text), m_terminator[0]);
  const int sent = SendFrame(frame);
  Wait(kSetTextWait);
  return sent;
}

bool CQRVSerialPort::Probe() {
  SendFrame(BuildProbeFrame(m_addressPrefix, m_terminator[0]));
  Wait(kProbeWait);
  m_replyBuffer.fill(0);
  const int count = m_ethernet ? m_client->ReceiveReply(m_replyBuffer.data(), kReplyBufferSize)
                               : ReadBytes(m_replyBuffer.data(), kReplyBufferSize);
  if (count > 0) {
    return ProbeAnswered(m_replyBuffer.data(), std::min<std::size_t>(count, kReplyBufferSize));
  }
  // Over Ethernet, 0 means bytes came but no ETX ended them; they still count. The client
  // zero-filled the buffer, so whatever it holds was received.
  if (m_ethernet && count == 0) return ProbeAnswered(m_replyBuffer.data(), m_replyBuffer.size());
  return false;
}

void CQRVSerialPort::Wait(std::uint32_t milliseconds) {
  m_clock.Wait(milliseconds);
}

int CQRVSerialPort::Fail(int result, int message) {
  m_lastErrorMessage = message;
  return result;
}

std::vector<std::int32_t> CQRVSerialPort::GetBaudRates() {
  return std::vector<std::int32_t>(kBaudRates.begin(), kBaudRates.end());
}

}  // namespace zemra
