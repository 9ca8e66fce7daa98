#include "simhost/xvc_cable.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace s4::sim {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Waits until fd is ready for `events`; false when the deadline passed first.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int rc = ::poll(&p, 1, MillisecondsLeft(deadline));
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) throw std::runtime_error(std::string("XVC connection: ") + std::strerror(errno));
  }
}

std::string Seconds(std::chrono::milliseconds t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g s", static_cast<double>(t.count()) / 1000.0);
  return buf;
}

}  // namespace

void XvcCable::SendAll(const void* data, std::size_t n) {
  const auto* p = static_cast<const char*>(data);
  if (broken_) throw std::runtime_error("XVC server " + peer_ + ": the connection failed before");
  // Marked broken until the whole message is out: a later Flush (say from the destructor)
  // must not wait out the timeout once more.
  broken_ = true;
  const auto deadline = Clock::now() + timeout_;
  while (n) {
    if (!WaitFor(fd_, POLLOUT, deadline))
      throw std::runtime_error("XVC server " + peer_ + " took no data for " + Seconds(timeout_));
    const ssize_t put = ::send(fd_, p, n, MSG_NOSIGNAL);
    if (put < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (put <= 0) throw std::runtime_error("XVC server " + peer_ + ": connection lost: " + std::strerror(errno));
    p += put;
    n -= static_cast<std::size_t>(put);
  }
  broken_ = false;
}

void XvcCable::ReceiveAll(void* data, std::size_t n) {
  auto* p = static_cast<char*>(data);
  if (broken_) throw std::runtime_error("XVC server " + peer_ + ": the connection failed before");
  broken_ = true;
  // A server that accepts and never answers (or dies half way) would hang the command.
  const auto deadline = Clock::now() + timeout_;
  while (n) {
    if (!WaitFor(fd_, POLLIN, deadline))
      throw std::runtime_error("XVC server " + peer_ + " did not answer within " + Seconds(timeout_));
    const ssize_t got = ::recv(fd_, p, n, 0);
    if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (got <= 0) throw std::runtime_error("XVC server " + peer_ + " closed the connection");
    p += got;
    n -= static_cast<std::size_t>(got);
  }
  broken_ = false;
}

bool XvcCable::ParseAddress(const std::string& text, std::string& host, std::uint16_t& port) {
  const std::string scheme = "xvc://";
  if (text.rfind(scheme, 0) != 0) return false;
  const std::string rest = text.substr(scheme.size());
  const auto colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = rest.substr(0, colon);
  unsigned value = 0;
  const char* b = rest.data() + colon + 1;
  const char* e = rest.data() + rest.size();
  auto [p, ec] = std::from_chars(b, e, value);
  if (ec != std::errc() || p != e || b == e || value == 0 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

std::unique_ptr<XvcCable> XvcCable::Connect(const std::string& host, std::uint16_t port,
                                            std::chrono::milliseconds timeout) {
  const std::string peer = host + ":" + std::to_string(port);
  if (timeout.count() <= 0) throw std::runtime_error("the XVC timeout must be positive");
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); rc != 0)
    throw std::runtime_error("cannot resolve " + host + ": " + ::gai_strerror(rc));
  int fd = -1;
  std::string why = "no address";
  const auto deadline = Clock::now() + timeout;
  for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (fd < 0) continue;
    // Non-blocking, so that an address that drops the SYN fails after the timeout and not
    // after the system's minutes.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
    int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (rc < 0 && errno == EINPROGRESS) {
      if (!WaitFor(fd, POLLOUT, deadline)) {
        why = "no answer within " + Seconds(timeout);
        rc = -1;
      } else {
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
        rc = error ? -1 : 0;
        if (error) why = std::strerror(error);
      }
    } else if (rc < 0) {
      why = std::strerror(errno);
    }
    if (rc < 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ::freeaddrinfo(found);
  if (fd < 0) throw std::runtime_error("cannot connect to XVC server " + peer + ": " + why);
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  std::unique_ptr<XvcCable> cable(new XvcCable(fd, peer, timeout));
  cable->SendAll("getinfo:", 8);
  for (char c = 0; c != '\n';) {
    cable->ReceiveAll(&c, 1);
    if (c != '\n') cable->info_ += c;
    if (cable->info_.size() > 64) throw std::runtime_error("XVC server " + peer + " sent no getinfo answer");
  }
  // "xvcServer_v1.0:<max vector bytes>"
  const auto colon = cable->info_.rfind(':');
  std::size_t bytes = 0;
  if (cable->info_.rfind("xvcServer_v1", 0) != 0 || colon == std::string::npos ||
      std::from_chars(cable->info_.data() + colon + 1, cable->info_.data() + cable->info_.size(), bytes).ec !=
          std::errc() ||
      bytes == 0)
    throw std::runtime_error(peer + " is not an XVC server: it answered '" + cable->info_ + "'");
  cable->maxBits_ = 8 * std::min<std::size_t>(bytes, 1u << 20);
  return cable;
}

XvcCable::~XvcCable() {
  try {
    Flush();
  } catch (...) {
    // The connection is going anyway.
  }
  if (fd_ >= 0) ::close(fd_);
}

void XvcCable::Clock(bool tms, bool tdi) {
  if ((pending_ & 7) == 0) {
    tms_.push_back(0);
    tdi_.push_back(0);
  }
  if (tms) tms_.back() = static_cast<std::uint8_t>(tms_.back() | (1u << (pending_ & 7)));
  if (tdi) tdi_.back() = static_cast<std::uint8_t>(tdi_.back() | (1u << (pending_ & 7)));
  lastTdi_ = tdi;
  if (++pending_ == maxBits_) Send(nullptr);
}

void XvcCable::Send(std::vector<bool>* tdo) {
  if (!pending_) return;
  const std::size_t bytes = (pending_ + 7) / 8;
  std::vector<std::uint8_t> message(6 + 4 + 2 * bytes);
  std::memcpy(message.data(), "shift:", 6);
  const auto n = static_cast<std::uint32_t>(pending_);
  for (int k = 0; k < 4; ++k) message[6 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(n >> (8 * k));
  std::memcpy(message.data() + 10, tms_.data(), bytes);
  std::memcpy(message.data() + 10 + bytes, tdi_.data(), bytes);
  SendAll(message.data(), message.size());
  std::vector<std::uint8_t> answer(bytes);
  ReceiveAll(answer.data(), bytes);
  if (tdo)
    for (std::size_t i = 0; i < pending_; ++i) tdo->push_back((answer[i >> 3] >> (i & 7)) & 1u);
  clocks_ += pending_;
  pending_ = 0;
  tms_.clear();
  tdi_.clear();
}

void XvcCable::Flush() { Send(nullptr); }

void XvcCable::Scan(const std::vector<bool>& tms, const std::vector<bool>& tdi, std::vector<bool>& tdo) {
  Send(nullptr);
  tdo.clear();
  for (std::size_t i = 0; i < tms.size(); ++i) {
    Clock(tms[i], tdi[i]);
    // Sent here, one short of the size at which Clock would send without keeping TDO.
    if (pending_ + 1 >= maxBits_) Send(&tdo);
  }
  Send(&tdo);
}

bool XvcCable::ReadTdo(TapState state) {
  if (state != TapState::ShiftDR && state != TapState::ShiftIR) return true;
  Send(nullptr);
  Clock(false, lastTdi_);
  std::vector<bool> tdo;
  Send(&tdo);
  return tdo.at(0);
}

}  // namespace s4::sim
