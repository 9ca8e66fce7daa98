// s4host's JTAG commands against XVC servers that misbehave: one that answers every shift
// with ones (nothing on the chain, or TDO floating high), one that answers zeros (TDO stuck
// low), one that accepts and never answers, and one that never accepts. Each must end the
// command with an error that says what was seen, within the cable timeout.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/s4host_runner.h"

namespace s4::test {
namespace {

// An XVC peer on 127.0.0.1 that serves one connection after another on a thread.
class FakeXvcServer {
 public:
  enum class Behaviour { AllOnes, AllZeros, Silent, NeverAccepts };

  explicit FakeXvcServer(Behaviour behaviour) : behaviour_(behaviour) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    // A backlog of 0 and no accept: once the queue holds one connection the system drops
    // every further SYN, as an unreachable host does.
    EXPECT_EQ(::listen(fd_, behaviour == Behaviour::NeverAccepts ? 0 : 4), 0);
    socklen_t len = sizeof addr;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    if (behaviour == Behaviour::NeverAccepts) {
      for (int& f : filler_) {
        f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
      }
      return;
    }
    thread_ = std::thread([this] { Run(); });
  }
  ~FakeXvcServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (int f : filler_)
      if (f >= 0) ::close(f);
    ::close(fd_);
  }
  std::string Address() const { return "xvc://127.0.0.1:" + std::to_string(port_); }

 private:
  void Run() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) continue;
      Serve(c);
      ::close(c);
    }
  }
  void Serve(int c) {
    std::string in;
    while (!stop_) {
      pollfd p{c, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      char buf[4096];
      const ssize_t got = ::recv(c, buf, sizeof buf, 0);
      if (got <= 0) return;
      if (behaviour_ == Behaviour::Silent) continue;
      in.append(buf, static_cast<std::size_t>(got));
      for (bool progress = true; progress;) {
        progress = false;
        if (in.rfind("getinfo:", 0) == 0) {
          const std::string info = "xvcServer_v1.0:2048\n";
          ::send(c, info.data(), info.size(), MSG_NOSIGNAL);
          in.erase(0, 8);
          progress = true;
        } else if (in.rfind("shift:", 0) == 0 && in.size() >= 10) {
          std::uint32_t bits = 0;
          std::memcpy(&bits, in.data() + 6, 4);  // little-endian, as the machine
          const std::size_t bytes = (bits + 7) / 8;
          if (in.size() < 10 + 2 * bytes) break;
          const std::string answer(bytes, behaviour_ == Behaviour::AllOnes ? '\xFF' : '\0');
          ::send(c, answer.data(), answer.size(), MSG_NOSIGNAL);
          in.erase(0, 10 + 2 * bytes);
          progress = true;
        }
      }
    }
  }

  Behaviour behaviour_;
  int fd_ = -1;
  int filler_[2] = {-1, -1};
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(S4hostXvc, ABrokenChainIsAnErrorThatSaysWhatTdoShowed) {
  using B = FakeXvcServer::Behaviour;
  struct Case {
    B behaviour;
    const char* args;
    const char* says;
  } cases[] = {
      {B::AllOnes, "scan 0", "no device answered: TDO read all ones"},
      {B::AllZeros, "scan 0", "TDO read 0 for all"},
      {B::AllOnes, "scan 0 --json", "no device answered"},
  };
  for (const Case& c : cases) {
    FakeXvcServer server(c.behaviour);
    const CommandRun r = S4host(std::string(c.args) + " --cable " + server.Address(), true, 60);
    EXPECT_EQ(r.exitCode, 3) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("0 devices"), std::string::npos) << r.output;
  }
}

TEST(S4hostXvc, AServerThatNeverAnswersEndsTheCommandAfterTheTimeout) {
  using B = FakeXvcServer::Behaviour;
  struct Case {
    B behaviour;
    const char* args;
    const char* says;
  } cases[] = {
      {B::Silent, "scan 0 --cable-timeout 0.5", "did not answer within 0.5 s"},
      {B::Silent, "state 0 --cable-timeout 0.5", "did not answer within 0.5 s"},
      {B::NeverAccepts, "usercode 0 --cable-timeout 0.5", "cannot connect to XVC server 127.0.0.1:"},
      {B::NeverAccepts, "scan 0 --cable-timeout 0.5", "no answer within 0.5 s"},
  };
  for (const Case& c : cases) {
    FakeXvcServer server(c.behaviour);
    // The limit is far above the timeout: it only keeps a hang from stalling the suite.
    const CommandRun r = S4host(std::string(c.args) + " --cable " + server.Address(), true, 30);
    EXPECT_EQ(r.exitCode, 3) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << c.args << "\n" << r.output;
  }
  EXPECT_EQ(S4host("scan 0 --cable xvc://127.0.0.1:1 --cable-timeout 0").exitCode, 2);
  EXPECT_EQ(S4host("scan 0 --cable xvc://127.0.0.1:1 --cable-timeout x").exitCode, 2);
}

}  // namespace
}  // namespace s4::test
