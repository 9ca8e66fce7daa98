// A JTAG cable served by an XVC server (xvcServer 1.0) somewhere on the network: the host's
// channel talks to real hardware through it. Clocks are collected and sent as shift vectors
// of at most the size the server announces; TDO is read back only where it is needed.
//
//   auto cable = XvcCable::Connect("127.0.0.1", 2542);   // throws std::runtime_error
//
// Connecting and every answer wait at most the timeout (default kDefaultTimeout): a server
// that accepts and then stays silent ends the command with an error instead of hanging it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "simhost/jtag_cable.h"

namespace s4::sim {

class XvcCable final : public JtagCable {
 public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{10000};
  static std::unique_ptr<XvcCable> Connect(const std::string& host, std::uint16_t port,
                                           std::chrono::milliseconds timeout = kDefaultTimeout);
  // "xvc://HOST:PORT" -> host and port; false when the text is not of that form.
  static bool ParseAddress(const std::string& text, std::string& host, std::uint16_t& port);
  ~XvcCable() override;

  void Clock(bool tms, bool tdi) override;
  void Scan(const std::vector<bool>& tms, const std::vector<bool>& tdi, std::vector<bool>& tdo) override;
  // XVC shows TDO only with a clock: in a Shift state one cycle with TMS low is spent (it
  // shifts the register by one, which the module does only right before leaving Shift-DR);
  // elsewhere TDO is not driven and reads high.
  bool ReadTdo(TapState state) override;
  void Flush() override;

  const std::string& ServerInfo() const { return info_; }
  std::uint64_t ClocksSent() const { return clocks_; }

 private:
  XvcCable(int fd, std::string peer, std::chrono::milliseconds timeout)
      : fd_(fd), peer_(std::move(peer)), timeout_(timeout) {}
  void SendAll(const void* data, std::size_t n);
  void ReceiveAll(void* data, std::size_t n);
  // Sends the buffered cycles; with `tdo`, collects their TDO bits.
  void Send(std::vector<bool>* tdo);

  int fd_ = -1;
  std::string peer_;  // HOST:PORT, for messages
  std::chrono::milliseconds timeout_;
  bool broken_ = false;  // a send or receive failed: the stream is out of step
  std::string info_;
  std::size_t maxBits_ = 8;
  std::vector<std::uint8_t> tms_, tdi_;
  std::size_t pending_ = 0;
  bool lastTdi_ = true;
  std::uint64_t clocks_ = 0;
};

}  // namespace s4::sim
