// Configuring a Stratix IV device over the host's JTAG chain: programming it with a raw bit
// file (.RBF), resetting it, reading whether it is configured (its CONF_DONE bit) and reading
// its user code. The sequences talk to the chain partly through the host's channel operations
// (instruction loads, state moves, single clocks, data shifts) and partly by driving TCK, TDI
// and TMS one level at a time through the channel's pin-level interface.
//
// Everything the sequences need from around them - the channel, waiting, the device family's
// settings, the configuration clock count and the progress display - comes in through the two
// interfaces below, so that tests can run them with a recording channel and a clock that
// does not really wait.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "host/jtag_pins.h"

namespace s4::jtag {

// TAP state numbers of the host's channel.
enum class ChannelState : std::int32_t { Idle = 2, DrShift = 5, DrExit1 = 6 };

// Instructions of the family's 10-bit instruction register.
namespace instruction {
inline constexpr std::int32_t kProgram = 2;
inline constexpr std::int32_t kStartup = 3;
inline constexpr std::int32_t kCheckStatus = 4;
inline constexpr std::int32_t kUserCode = 7;
inline constexpr std::int32_t kActiveDisengage = 0x2D0;
}  // namespace instruction

// Clocks sent with TDI high after PROGRAM when nothing configures another count.
inline constexpr std::int32_t kDefaultConfigurationCycles = 175;
// Ones sent after the file's bits.
inline constexpr int kTrailingOnes = 128;
// Start-up: pairs of clocks in Run-Test/Idle after STARTUP.
inline constexpr int kStartupClockPairs = 200;
// Waits, in milliseconds.
inline constexpr int kWaitAfterOpen = 40;
inline constexpr int kWaitAfterProgram = 1000;

// The host's JTAG channel. Every operation throws when the host call fails.
class Channel {
 public:
  virtual ~Channel() = default;
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual std::int32_t GetDeviceCount() = 0;
  virtual void PrepareProgramming() = 0;
  virtual std::int32_t ShiftData(std::int32_t value, std::int32_t bits, std::int32_t device) = 0;
  virtual void SetInstruction(std::int32_t instruction, std::int32_t device) = 0;
  virtual void MoveState(ChannelState from, ChannelState to) = 0;
  virtual void GotoState(ChannelState state) = 0;
  virtual void ClockTMS(bool level) = 0;
  // The pin-level interface; throws when the channel has none. The channel keeps it.
  virtual host::IJTagPinAccess& Pins() = 0;
};

// The device family's settings that programming honours.
struct FamilySettings {
  bool activeDisengage = false;   // "ND_ActiveDisengage"
  std::int32_t bytesToIgnore = 0;  // "ND_ProgramBitsToIgnore": leading bytes, not bits, not sent
};

// What the sequences need besides the channel.
class Environment {
 public:
  virtual ~Environment() = default;
  // Waits this many milliseconds.
  virtual void Wait(int milliseconds) = 0;
  // The settings of the host's device family (read once per programming, after the
  // channel was opened).
  virtual FamilySettings Family() = 0;
  // The number of configuration clock cycles.
  virtual std::int32_t ConfigurationCycles() = 0;
  // The host's progress display: begin with a caption and a total, steps, end. Programming
  // steps once per byte; it hands over `steps` single steps at once, never more than
  // ProgressQuietSteps() + 1, so the display changes after the same byte as with single steps.
  virtual void ProgressBegin(std::u16string_view caption, std::int64_t total) = 0;
  virtual void ProgressStep(std::int64_t steps) = 0;
  // How many single steps from now would change nothing the host shows.
  virtual std::int64_t ProgressQuietSteps() = 0;
  virtual void ProgressEnd() = 0;
};

// The largest file that can be programmed: the answer is its bit count as a 32-bit integer.
inline constexpr std::uint64_t kMaxFileBytes = INT32_MAX / 8;

// Programs the device at `position` with the file (a host path). Answers the number of bits
// programmed, 8 x the file's size; 0 without a channel or without the file. The file is read
// in pieces while it is shifted. An empty file, one larger than kMaxFileBytes or one that
// cannot be opened is refused with an exception before the channel is opened; a failing host
// call or read ends the sequence with an exception after the channel was closed and the
// progress display ended.
std::int32_t ProgramDevice(Channel* channel, std::int32_t position, std::u16string_view hostPath, Environment& env);

// The CONF_DONE position table. Where CONF_DONE sits in CHECK_STATUS follows the die, and the
// dies differ in the lengths of their boundary-scan and I/O configuration (IOCSR) registers:
// every base device whose die has a row's two lengths is listed in that row.
struct ConfDoneRow {
  int boundaryLength;
  int iocsrLength;
  int n, k;  // the bit is 3 x (N - K) + 1 from the TDO end
  std::array<std::u16string_view, 12> baseNames;
};
std::span<const ConfDoneRow> ConfDoneRows();

// Where a base device keeps CONF_DONE in its CHECK_STATUS register: N and K of its row. Case
// is ignored; nothing for base names without a row, whose state cannot be read.
std::optional<std::pair<int, int>> ConfDonePosition(std::u16string_view baseName);

// The CONF_DONE bit of the device (false without a channel or without a row for the base
// name: such a device always reads as not configured).
bool ReadConfDone(Channel* channel, std::u16string_view baseName, std::int32_t position);

// 2 (configured) when CONF_DONE is high, else 1.
std::uint8_t GetDeviceState(Channel* channel, std::u16string_view baseName, std::int32_t position);

// Loads PROGRAM (which clears the device) and answers whether the device then reads as not
// configured; false without a channel.
bool ResetDevice(Channel* channel, std::u16string_view baseName, std::int32_t position);

// The device's 32-bit user code; 0xFFFFFFFF without a channel.
std::uint32_t ReadUserCode(Channel* channel, std::int32_t position);

}  // namespace s4::jtag
