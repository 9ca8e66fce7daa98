#include "simhost/jtag_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace s4::sim {

namespace {

struct ClientGone {};
struct ProtocolError {
  std::string what;
};

// Reads exactly n bytes; throws ClientGone when the peer closes first.
void ReadExact(int fd, void* buffer, std::size_t n) {
  auto* p = static_cast<char*>(buffer);
  while (n) {
    const ssize_t got = ::recv(fd, p, n, 0);
    if (got == 0) throw ClientGone{};
    if (got < 0) {
      if (errno == EINTR) continue;
      throw ClientGone{};
    }
    p += got;
    n -= static_cast<std::size_t>(got);
  }
}

void WriteAll(int fd, const void* buffer, std::size_t n) {
  const auto* p = static_cast<const char*>(buffer);
  while (n) {
    const ssize_t put = ::send(fd, p, n, MSG_NOSIGNAL);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw ClientGone{};
    }
    p += put;
    n -= static_cast<std::size_t>(put);
  }
}

std::uint32_t LittleEndian32(const std::uint8_t* b) {
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

}  // namespace

JtagServer::JtagServer(JtagChain& chain, Protocol protocol, std::uint16_t port, std::mutex* chainMutex)
    : chain_(chain), protocol_(protocol), lock_(chainMutex ? chainMutex : &ownMutex_) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listenFd_ < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  const int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || ::listen(listenFd_, 4) < 0) {
    const std::string why = std::strerror(errno);
    ::close(listenFd_);
    throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + why);
  }
  socklen_t len = sizeof addr;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
}

JtagServer::~JtagServer() {
  Stop();
  if (listenFd_ >= 0) ::close(listenFd_);
}

void JtagServer::Start() {
  stop_ = false;
  thread_ = std::thread([this] { Run(stop_); });
}

void JtagServer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::string JtagServer::LastError() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

void JtagServer::Run(const std::atomic<bool>& stop, int maxClients) {
  while (!stop && (maxClients <= 0 || served_ < maxClients)) {
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const int fd = ::accept(listenFd_, nullptr, nullptr);
    if (fd < 0) continue;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Serve(fd);
    ::close(fd);
    ++served_;
  }
}

void JtagServer::Serve(int fd) {
  try {
    if (protocol_ == Protocol::Xvc)
      ServeXvc(fd);
    else
      ServeBitbang(fd);
  } catch (const ClientGone&) {
  } catch (const ProtocolError& e) {
    std::lock_guard lock(errorMutex_);
    lastError_ = e.what;
  }
}

void JtagServer::ServeXvc(int fd) {
  std::vector<std::uint8_t> tms, tdi, tdo;
  for (;;) {
    // Every request starts with a word ending in ':'.
    std::string command;
    for (char c = 0; c != ':';) {
      ReadExact(fd, &c, 1);
      command += c;
      if (command.size() > 16) throw ProtocolError{"XVC: unknown request '" + command + "'"};
    }
    if (command == "getinfo:") {
      const std::string info = "xvcServer_v1.0:" + std::to_string(kXvcMaxVectorBytes) + "\n";
      WriteAll(fd, info.data(), info.size());
    } else if (command == "settck:") {
      std::uint8_t period[4];
      ReadExact(fd, period, 4);
      WriteAll(fd, period, 4);  // any period is fine for a simulation
    } else if (command == "shift:") {
      std::uint8_t count[4];
      ReadExact(fd, count, 4);
      const std::uint32_t bits = LittleEndian32(count);
      const std::size_t bytes = (static_cast<std::size_t>(bits) + 7) / 8;
      if (bytes > kXvcMaxVectorBytes)
        throw ProtocolError{"XVC: shift of " + std::to_string(bits) + " bits exceeds the announced vector size"};
      tms.resize(bytes);
      tdi.resize(bytes);
      tdo.assign(bytes, 0);
      ReadExact(fd, tms.data(), bytes);
      ReadExact(fd, tdi.data(), bytes);
      {
        std::lock_guard lock(*lock_);
        for (std::uint32_t i = 0; i < bits; ++i) {
          const bool m = (tms[i >> 3] >> (i & 7)) & 1u;
          const bool d = (tdi[i >> 3] >> (i & 7)) & 1u;
          if (chain_.Clock(m, d)) tdo[i >> 3] = static_cast<std::uint8_t>(tdo[i >> 3] | (1u << (i & 7)));
        }
      }
      WriteAll(fd, tdo.data(), bytes);
    } else {
      throw ProtocolError{"XVC: unknown request '" + command + "'"};
    }
  }
}

void JtagServer::ServeBitbang(int fd) {
  // One byte per command; answers to 'R' are collected and sent before the next read blocks.
  bool tck = false;
  std::vector<char> in(4096);
  std::string out;
  for (;;) {
    if (!out.empty()) {
      WriteAll(fd, out.data(), out.size());
      out.clear();
    }
    const ssize_t got = ::recv(fd, in.data(), in.size(), 0);
    if (got <= 0) {
      if (got < 0 && errno == EINTR) continue;
      return;
    }
    std::lock_guard lock(*lock_);
    for (ssize_t k = 0; k < got; ++k) {
      const char c = in[static_cast<std::size_t>(k)];
      if (c >= '0' && c <= '7') {
        const int v = c - '0';
        const bool newTck = v & 4, tms = v & 2, tdi = v & 1;
        if (newTck && !tck) chain_.Clock(tms, tdi);
        tck = newTck;
      } else if (c == 'R') {
        out += chain_.Tdo() ? '1' : '0';
      } else if (c == 't' || c == 'u') {
        // TRST asserted: every controller goes to Test-Logic-Reset.
        for (int k5 = 0; k5 < 5; ++k5) chain_.Clock(true, false);
      } else if (c == 'Q') {
        if (!out.empty()) WriteAll(fd, out.data(), out.size());
        return;
      }
      // 'r', 's' (reset lines released / system reset only), 'B', 'b' (LED): nothing to do.
    }
  }
}

}  // namespace s4::sim
