// s4host's JTAG commands against XVC servers that misbehave: one that answers every shift
// with ones (nothing on the chain, or TDO floating high), one that answers zeros (TDO stuck
// low), one that accepts and never answers, and one that never accepts. Each must end the
// command with an error that says what was seen, within the cable timeout. And s4host
// sim-serve against clients that misbehave: silent, idle, breaking the protocol.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <signal.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
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

// A free port on 127.0.0.1 (free when asked; the server binds it right after).
std::uint16_t FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

// s4host sim-serve running in the background, its output read line by line. A server that
// would not stop is ended by timeout after a minute, which the exit status shows.
class ServingS4host {
 public:
  explicit ServingS4host(const std::string& args) {
    std::string dir = S4_MODULE_PATH;
    dir = dir.substr(0, dir.find_last_of('/') + 1);
    const std::string command = "sh -c 'echo $$; exec timeout -s KILL 60 \"" + dir + "s4host\" --module \"" +
                                std::string(S4_MODULE_PATH) + "\" sim-serve " + args + " 2>&1'";
    pipe_ = ::popen(command.c_str(), "r");
    pid_ = std::stoi(Line());
  }
  ~ServingS4host() {
    if (pipe_) {
      ::kill(pid_, SIGKILL);
      ::pclose(pipe_);
    }
  }
  // The next line it printed (empty at the end).
  std::string Line() {
    char buf[1024];
    if (!pipe_ || !std::fgets(buf, sizeof buf, pipe_)) return {};
    output_ += buf;
    return buf;
  }
  // Reads lines until one holds `text`; false when the output ended first.
  bool WaitFor(const std::string& text) {
    for (std::string line = Line(); !line.empty(); line = Line())
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
  // Sends the signal and reads the rest; answers the exit code (-1: killed, for instance by
  // the minute's limit).
  int Signal(int signal) {
    ::kill(pid_, signal);
    while (!Line().empty()) {
    }
    const int status = ::pclose(pipe_);
    pipe_ = nullptr;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Output() const { return output_; }

 private:
  FILE* pipe_ = nullptr;
  int pid_ = 0;
  std::string output_;
};

TEST(S4hostSimServe, ServesOthersWhileAClientIdlesAndStopsOnASignal) {
  for (const int signal : {SIGTERM, SIGINT}) {
    const std::uint16_t xvc = FreePort();
    std::uint16_t bitbang = FreePort();
    while (bitbang == xvc) bitbang = FreePort();
    ServingS4host server("0 --xvc-port " + std::to_string(xvc) + " --bitbang-port " + std::to_string(bitbang));
    ASSERT_TRUE(server.WaitFor("Serving")) << server.Output();
    const std::string cable = "--cable xvc://127.0.0.1:" + std::to_string(xvc) + " --cable-timeout 10";
    {
      // A client that breaks the protocol, then one that connects and never sends a thing.
      const int bad = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in addr{};
      addr.sin_family = AF_INET;
      addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      addr.sin_port = htons(xvc);
      ASSERT_EQ(::connect(bad, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
      ::send(bad, "nonsense:", 9, MSG_NOSIGNAL);
      ASSERT_TRUE(server.WaitFor("protocol error: XVC: unknown request 'nonsense:'")) << server.Output();
      ::close(bad);
    }
    const int idle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(xvc);
    ASSERT_EQ(::connect(idle, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    // The idle client holds up neither a scan nor a user code read over the same server.
    const CommandRun scan = S4host("scan 0 " + cable, true, 30);
    EXPECT_EQ(scan.exitCode, 0) << scan.output;
    EXPECT_NE(scan.output.find("0x024200DD"), std::string::npos) << scan.output;
    const CommandRun usercode = S4host("usercode 0 " + cable, true, 30);
    EXPECT_EQ(usercode.exitCode, 0) << usercode.output;
    EXPECT_NE(usercode.output.find("0xFFFFFFFF"), std::string::npos) << usercode.output;
    ASSERT_TRUE(server.WaitFor("client 3 (XVC) done")) << server.Output();
    // A signal ends it while the idle client is still connected.
    EXPECT_EQ(server.Signal(signal), 0) << server.Output();
    EXPECT_NE(server.Output().find("disconnected: the server stopped"), std::string::npos) << server.Output();
    // The broken client's error is its own, not repeated in the sound clients' reports.
    const std::string& out = server.Output();
    const auto first = out.find("protocol error");
    EXPECT_EQ(out.find("protocol error", first + 1), std::string::npos) << out;
    ::close(idle);
  }
}

TEST(S4hostSimServe, AClientSilentForTheIdleTimeoutIsDisconnected) {
  const std::uint16_t port = FreePort();
  ServingS4host server("0 --bitbang-port 0 --clients 1 --idle-timeout 0.5 --xvc-port " + std::to_string(port));
  ASSERT_TRUE(server.WaitFor("Serving")) << server.Output();
  const int idle = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  ASSERT_EQ(::connect(idle, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  EXPECT_TRUE(server.WaitFor("disconnected: nothing for 0.5 s")) << server.Output();
  // --clients 1: that was the one client, so the server ends by itself.
  EXPECT_EQ(server.Signal(0), 0) << server.Output();
  ::close(idle);
  EXPECT_EQ(S4host("sim-serve 0 --idle-timeout -1", true, 30).exitCode, 2);
}

}  // namespace
}  // namespace s4::test
