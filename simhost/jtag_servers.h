// Network front ends of the simulated chain, so that JTAG programs which are not ours can drive
// it: the Xilinx Virtual Cable protocol (xvcServer 1.0: "getinfo:", "settck:", "shift:") and
// OpenOCD's remote_bitbang protocol. Both listen on the loopback interface only.
//
//   JtagChain chain; ...
//   JtagServer server(chain, JtagServer::Protocol::Xvc, 0);   // 0: any free port
//   server.Start();                  // serves clients on threads of its own
//   ... run a client against server.Port() ...
//   server.Stop();
//   std::lock_guard lock(server.mutex());   // when reading the chain while it may serve
//
// Several clients are served at once, each on a thread of its own; their requests take turns
// on the one chain (one request at a time under mutex()), so a client that connects and
// stays silent holds up nobody. A client silent for the idle timeout is disconnected, and
// Stop (or the caller's stop flag) ends every connection within a tenth of a second.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "simhost/jtag_chain.h"

namespace s4::sim {

class JtagServer {
 public:
  enum class Protocol { Xvc, RemoteBitbang };
  // The largest shift vector an XVC client may send, in bytes of TMS (and of TDI).
  static constexpr std::uint32_t kXvcMaxVectorBytes = 2048;
  // Clients connected at once; a further one is disconnected at once (and reported).
  static constexpr int kMaxClients = 16;
  static constexpr std::chrono::milliseconds kDefaultIdleTimeout{std::chrono::minutes(2)};

  // What became of one client, in the order the clients ended.
  struct ClientReport {
    enum class End { Closed, ProtocolError, Idle, Stopped, Refused, Failure };
    int number = 0;  // 1, 2, ... in the order this server accepted them
    End end = End::Closed;
    std::string message;  // what happened, empty when the client closed the connection (or quit)
  };

  // Binds 127.0.0.1:port (0 picks a free port); throws std::runtime_error when it cannot.
  // Servers of one chain on different ports share `chainMutex` (default: a lock of their own).
  JtagServer(JtagChain& chain, Protocol protocol, std::uint16_t port, std::mutex* chainMutex = nullptr);
  ~JtagServer();
  JtagServer(const JtagServer&) = delete;
  JtagServer& operator=(const JtagServer&) = delete;

  std::uint16_t Port() const { return port_; }
  Protocol protocol() const { return protocol_; }
  // Held while a client's request is being carried out.
  std::mutex& mutex() { return *lock_; }
  // A client that sends nothing (or takes no answer) for this long is disconnected; zero
  // or less: never. Set before Start or Run.
  void SetIdleTimeout(std::chrono::milliseconds t) { idleTimeout_ = t; }

  // Serves clients until Stop (on a thread of its own).
  void Start();
  void Stop();
  // Serves clients on the calling thread until `stop` becomes true (checked ten times a
  // second) or, with maxClients > 0, until that many clients have come and gone. Returns
  // once every client's connection has ended.
  void Run(const std::atomic<bool>& stop, int maxClients = 0);
  // Clients whose connection has ended (refused ones not counted).
  int ClientsServed() const { return served_; }
  // The reports of the clients that ended since the last call.
  std::vector<ClientReport> TakeReports();
  // The last protocol error of any client (a malformed request ends that client's connection).
  std::string LastError() const;

 private:
  struct Connection;
  void Serve(Connection& c);
  void ServeXvc(Connection& c);
  void ServeBitbang(Connection& c);
  void Finish(int number, ClientReport::End end, std::string message);

  JtagChain& chain_;
  Protocol protocol_;
  int listenFd_ = -1;
  std::uint16_t port_ = 0;
  std::mutex ownMutex_;
  std::mutex* lock_;
  std::chrono::milliseconds idleTimeout_ = kDefaultIdleTimeout;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> served_{0};
  int number_ = 0;  // clients accepted (and refused) so far
  mutable std::mutex reportMutex_;
  std::deque<ClientReport> reports_;
  std::string lastError_;
};

}  // namespace s4::sim
