#include "simhost/jtag_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace s4::sim {

namespace {

using Clock = std::chrono::steady_clock;

// How a connection ends, other than by a malformed request.
struct ClientGone {};
struct ProtocolError {
  std::string what;
};
struct Idle {};
struct Stopped {};

constexpr int kTickMs = 100;  // how often a waiting connection looks at the stop flag

std::uint32_t LittleEndian32(const std::uint8_t* b) {
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::string SecondsText(std::chrono::milliseconds t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g s", static_cast<double>(t.count()) / 1000.0);
  return buf;
}

}  // namespace

struct JtagServer::Connection {
  int fd = -1;
  int number = 0;
  const std::atomic<bool>* stop = nullptr;
  std::chrono::milliseconds idle{0};
  std::atomic<bool> done{false};
  std::thread thread;

  // Waits until the socket is ready for `events`; throws Stopped or Idle instead of waiting on.
  void Wait(short events, Clock::time_point since) const {
    for (;;) {
      if (*stop) throw Stopped{};
      if (idle.count() > 0 && Clock::now() - since >= idle) throw Idle{};
      pollfd p{fd, events, 0};
      const int rc = ::poll(&p, 1, kTickMs);
      if (rc > 0) return;
      if (rc < 0 && errno != EINTR) throw ClientGone{};
    }
  }
  // Reads what has arrived, at least one byte and at most n; throws ClientGone when the
  // peer closes.
  std::size_t ReadSome(void* buffer, std::size_t n) const {
    const auto since = Clock::now();
    for (;;) {
      Wait(POLLIN, since);
      const ssize_t got = ::recv(fd, buffer, n, 0);
      if (got > 0) return static_cast<std::size_t>(got);
      if (got == 0) throw ClientGone{};
      if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) throw ClientGone{};
    }
  }
  void ReadExact(void* buffer, std::size_t n) const {
    auto* p = static_cast<char*>(buffer);
    while (n) {
      const std::size_t got = ReadSome(p, n);
      p += got;
      n -= got;
    }
  }
  void WriteAll(const void* buffer, std::size_t n) const {
    const auto* p = static_cast<const char*>(buffer);
    auto since = Clock::now();
    while (n) {
      Wait(POLLOUT, since);
      const ssize_t put = ::send(fd, p, n, MSG_NOSIGNAL);
      if (put < 0) {
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
        throw ClientGone{};
      }
      p += put;
      n -= static_cast<std::size_t>(put);
      since = Clock::now();
    }
  }
};

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
  std::lock_guard lock(reportMutex_);
  return lastError_;
}

std::vector<JtagServer::ClientReport> JtagServer::TakeReports() {
  std::lock_guard lock(reportMutex_);
  std::vector<ClientReport> taken(reports_.begin(), reports_.end());
  reports_.clear();
  return taken;
}

void JtagServer::Finish(int number, ClientReport::End end, std::string message) {
  {
    std::lock_guard lock(reportMutex_);
    if (end == ClientReport::End::ProtocolError) lastError_ = message;
    reports_.push_back(ClientReport{number, end, std::move(message)});
  }
  // Counted after the report is there: whoever sees the count finds the report.
  if (end != ClientReport::End::Refused) ++served_;
}

void JtagServer::Run(const std::atomic<bool>& stop, int maxClients) {
  std::list<std::unique_ptr<Connection>> clients;
  const auto reap = [&clients] {
    for (auto it = clients.begin(); it != clients.end();) {
      if ((*it)->done) {
        (*it)->thread.join();
        it = clients.erase(it);
      } else {
        ++it;
      }
    }
  };
  int accepted = 0;
  while (!stop && (maxClients <= 0 || served_ < maxClients)) {
    reap();
    if (maxClients > 0 && accepted >= maxClients) {
      // Every client asked for has come; wait for them to go.
      std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs / 4));
      continue;
    }
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, kTickMs) <= 0) continue;
    const int fd = ::accept(listenFd_, nullptr, nullptr);
    if (fd < 0) continue;
    ++number_;
    if (static_cast<int>(clients.size()) >= kMaxClients) {
      ::close(fd);
      Finish(number_, ClientReport::End::Refused, std::to_string(kMaxClients) + " clients are connected already");
      continue;
    }
    ++accepted;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    c->number = number_;
    c->stop = &stop;
    c->idle = idleTimeout_;
    Connection* raw = c.get();
    try {
      raw->thread = std::thread([this, raw] { Serve(*raw); });
    } catch (const std::system_error& e) {
      ::close(fd);
      --accepted;
      Finish(number_, ClientReport::End::Refused, std::string("no thread for it: ") + e.what());
      continue;
    }
    clients.push_back(std::move(c));
  }
  // Every connection sees the stop flag within a tick.
  for (auto& c : clients) c->thread.join();
}

void JtagServer::Serve(Connection& c) {
  using End = ClientReport::End;
  End end = End::Closed;
  std::string message;
  try {
    if (protocol_ == Protocol::Xvc)
      ServeXvc(c);
    else
      ServeBitbang(c);
  } catch (const ClientGone&) {
  } catch (const ProtocolError& e) {
    end = End::ProtocolError;
    message = e.what;
  } catch (const Idle&) {
    end = End::Idle;
    message = "disconnected: nothing for " + SecondsText(c.idle);
  } catch (const Stopped&) {
    end = End::Stopped;
    message = "disconnected: the server stopped";
  } catch (const std::exception& e) {
    end = End::Failure;
    message = std::string("server failure: ") + e.what();
  }
  ::close(c.fd);
  Finish(c.number, end, std::move(message));
  c.done = true;
}

void JtagServer::ServeXvc(Connection& c) {
  std::vector<std::uint8_t> tms, tdi, tdo;
  for (;;) {
    // Every request starts with a word ending in ':'.
    std::string command;
    for (char ch = 0; ch != ':';) {
      c.ReadExact(&ch, 1);
      command += ch;
      if (command.size() > 16) throw ProtocolError{"XVC: unknown request '" + command + "'"};
    }
    if (command == "getinfo:") {
      const std::string info = "xvcServer_v1.0:" + std::to_string(kXvcMaxVectorBytes) + "\n";
      c.WriteAll(info.data(), info.size());
    } else if (command == "settck:") {
      std::uint8_t period[4];
      c.ReadExact(period, 4);
      c.WriteAll(period, 4);  // any period is fine for a simulation
    } else if (command == "shift:") {
      std::uint8_t count[4];
      c.ReadExact(count, 4);
      const std::uint32_t bits = LittleEndian32(count);
      const std::size_t bytes = (static_cast<std::size_t>(bits) + 7) / 8;
      if (bytes > kXvcMaxVectorBytes)
        throw ProtocolError{"XVC: shift of " + std::to_string(bits) + " bits exceeds the announced vector size"};
      tms.resize(bytes);
      tdi.resize(bytes);
      tdo.assign(bytes, 0);
      c.ReadExact(tms.data(), bytes);
      c.ReadExact(tdi.data(), bytes);
      {
        std::lock_guard lock(*lock_);
        for (std::uint32_t i = 0; i < bits; ++i) {
          const bool m = (tms[i >> 3] >> (i & 7)) & 1u;
          const bool d = (tdi[i >> 3] >> (i & 7)) & 1u;
          if (chain_.Clock(m, d)) tdo[i >> 3] = static_cast<std::uint8_t>(tdo[i >> 3] | (1u << (i & 7)));
        }
      }
      c.WriteAll(tdo.data(), bytes);
    } else {
      throw ProtocolError{"XVC: unknown request '" + command + "'"};
    }
  }
}

void JtagServer::ServeBitbang(Connection& c) {
  // One byte per command; answers to 'R' are collected and sent before the next read blocks.
  bool tck = false;
  std::vector<char> in(4096);
  std::string out;
  for (;;) {
    if (!out.empty()) {
      c.WriteAll(out.data(), out.size());
      out.clear();
    }
    const std::size_t got = c.ReadSome(in.data(), in.size());
    bool quit = false;
    {
      // The answers are sent after the chain's lock is released: a client slow to take
      // them must not hold up the others.
      std::lock_guard lock(*lock_);
      for (std::size_t k = 0; k < got && !quit; ++k) {
        const char b = in[k];
        if (b >= '0' && b <= '7') {
          const int v = b - '0';
          const bool newTck = v & 4, tms = v & 2, tdi = v & 1;
          if (newTck && !tck) chain_.Clock(tms, tdi);
          tck = newTck;
        } else if (b == 'R') {
          out += chain_.Tdo() ? '1' : '0';
        } else if (b == 't' || b == 'u') {
          // TRST asserted: every controller goes to Test-Logic-Reset.
          for (int k5 = 0; k5 < 5; ++k5) chain_.Clock(true, false);
        } else if (b == 'Q') {
          quit = true;
        }
        // 'r', 's' (reset lines released / system reset only), 'B', 'b' (LED): nothing to do.
      }
    }
    if (quit) {
      if (!out.empty()) c.WriteAll(out.data(), out.size());
      return;
    }
  }
}

}  // namespace s4::sim
