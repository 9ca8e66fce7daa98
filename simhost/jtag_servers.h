// Network front ends of the simulated chain, so that JTAG programs which are not ours can drive
// it: the Xilinx Virtual Cable protocol (xvcServer 1.0: "getinfo:", "settck:", "shift:") and
// OpenOCD's remote_bitbang protocol. Both listen on the loopback interface only.
//
//   JtagChain chain; ...
//   JtagServer server(chain, JtagServer::Protocol::Xvc, 0);   // 0: any free port
//   server.Start();                  // serves clients one after another on a thread
//   ... run a client against server.Port() ...
//   server.Stop();
//   std::lock_guard lock(server.mutex());   // when reading the chain while it may serve
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "simhost/jtag_chain.h"

namespace s4::sim {

class JtagServer {
 public:
  enum class Protocol { Xvc, RemoteBitbang };
  // The largest shift vector an XVC client may send, in bytes of TMS (and of TDI).
  static constexpr std::uint32_t kXvcMaxVectorBytes = 2048;

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

  // Serves clients one after another until Stop (on a thread of its own).
  void Start();
  void Stop();
  // Serves clients on the calling thread until `stop` becomes true (checked ten times a
  // second) or, with maxClients > 0, until that many clients have come and gone.
  void Run(const std::atomic<bool>& stop, int maxClients = 0);
  int ClientsServed() const { return served_; }
  // The last protocol error (a malformed request ends that client's connection).
  std::string LastError() const;

 private:
  void Serve(int fd);
  void ServeXvc(int fd);
  void ServeBitbang(int fd);

  JtagChain& chain_;
  Protocol protocol_;
  int listenFd_ = -1;
  std::uint16_t port_ = 0;
  std::mutex ownMutex_;
  std::mutex* lock_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> served_{0};
  mutable std::mutex errorMutex_;
  std::string lastError_;
};

}  // namespace s4::sim
