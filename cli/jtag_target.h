// The JTAG chain an s4host command works on: by default a simulated chain in this process
// with one device of the named kind; --chain describes other simulated chains, and
// --cable xvc://HOST:PORT uses a real cable behind an XVC server instead.
//
// Chain descriptions list the devices from the TDI end, separated by commas: "fpga" is a
// device of the named kind, "IR" or "IR:IDCODE" another device with an IR bits long
// instruction register (and that IDCODE; without one it has only BYPASS). Example:
// "8:0x0A0B0C0D,fpga,6" puts the named device in the middle of three.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "platform/com_ptr.h"
#include "simhost/jtag_chain.h"
#include "simhost/sim_dispatch.h"
#include "simhost/sim_jtag_channel.h"

namespace s4::cli {

// A number in decimal or 0x hex that fits 32 bits, nothing after it.
bool ParseUint32(std::string_view text, std::uint32_t& out);

// One entry of a chain description.
struct ChainEntry {
  bool ours = false;
  int irLength = 10;
  std::optional<std::uint32_t> idCode;
};
// Throws CommandError (usage) with the reason when the text is not a chain description.
std::vector<ChainEntry> ParseChain(const std::string& text);

// A device kind named by its number (0..485) or its device name, any case; throws
// CommandError (usage) when it names none.
std::int32_t ResolveKind(const GlobalOptions& globals, const std::string& text);

// What the driver says about one kind.
struct KindInfo {
  std::string deviceName;
  std::string baseName;
  std::uint32_t idCode = 0;
};
KindInfo DescribeKind(const GlobalOptions& globals, std::int32_t kind);
// Base names of the family's devices with this IDCODE (empty when none).
std::vector<std::string> BaseNamesOfIdCode(const GlobalOptions& globals, std::uint32_t idCode);

// Options shared by the JTAG commands.
struct JtagOptions {
  std::string chain = "fpga";
  std::string cable;  // empty: the simulated chain
  double cableTimeout = 10;  // seconds to wait for the XVC server's connection and each answer
  std::optional<int> position;
  bool json = false;
  // Simulated device's starting state.
  bool configured = false;
  std::uint32_t userCode = 0xFFFFFFFFu;
  void AddTo(CLI::App* cmd, bool withPosition);
};

class JtagTarget {
 public:
  // Builds the chain (or connects the cable) and the host device at the named device's
  // position; the driver of `kind` is attached to it.
  JtagTarget(const GlobalOptions& globals, std::int32_t kind, const JtagOptions& options);
  ~JtagTarget();
  JtagTarget(const JtagTarget&) = delete;
  JtagTarget& operator=(const JtagTarget&) = delete;

  IDispatch* driver() const { return driver_.get(); }
  int position() const { return position_; }
  sim::SimJtagChannel& channel() { return *channel_.get(); }
  // The simulated device (null on a real cable).
  sim::FamilyDevice* simulated() const { return fpga_; }
  const KindInfo& info() const { return info_; }
  std::string Where() const;

 private:
  ComPtr<IDispatch> driver_;
  KindInfo info_;
  sim::JtagChain chain_;
  sim::FamilyDevice* fpga_ = nullptr;
  ComPtr<sim::SimJtagChannel> channel_;
  ComPtr<sim::SimObject> device_;
  int position_ = 0;
  std::string cable_;
};

}  // namespace s4::cli
