#include "jtag/configuration.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/widestring.h"

namespace s4::jtag {

namespace {

// A failed call of the pin-level interface.
[[noreturn, gnu::noinline, gnu::cold]] void PinCallFailed(const char* what, HRESULT hr) {
  throw std::runtime_error(std::string("JTAG pin-level call ") + what + " failed (" + std::to_string(hr) + ")");
}

inline void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) [[unlikely]]
    PinCallFailed(what, hr);
}

// Opens the channel and makes sure it is closed again when a sequence ends early: a host call
// that fails in the middle must not leave the chain taken.
class OpenChannel {
 public:
  explicit OpenChannel(Channel& c) : channel_(c) {
    channel_.Open();
    open_ = true;
  }
  ~OpenChannel() {
    if (!open_) return;
    try {
      channel_.Close();
    } catch (...) {
      // The sequence's own failure is the one to report.
    }
  }
  void Close() {
    open_ = false;
    channel_.Close();
  }
  OpenChannel(const OpenChannel&) = delete;
  OpenChannel& operator=(const OpenChannel&) = delete;

 private:
  Channel& channel_;
  bool open_ = false;
};

// Ends the host's progress display however programming ends.
class ProgressRun {
 public:
  ProgressRun(Environment& env, std::u16string_view caption, std::int64_t total) : env_(env) {
    env_.ProgressBegin(caption, total);
    running_ = true;
  }
  ~ProgressRun() {
    if (!running_) return;
    try {
      env_.ProgressEnd();
    } catch (...) {
    }
  }
  void End() {
    running_ = false;
    env_.ProgressEnd();
  }
  ProgressRun(const ProgressRun&) = delete;
  ProgressRun& operator=(const ProgressRun&) = delete;

 private:
  Environment& env_;
  bool running_ = false;
};

// Reads the whole file; false when there is no such file.
bool ReadFile(const std::string& osPath, std::vector<std::uint8_t>& bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(osPath, ec)) return false;
  std::ifstream in(osPath, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + osPath);
  const auto size = std::filesystem::file_size(osPath, ec);
  if (ec) throw std::runtime_error("cannot read the size of " + osPath);
  // The answer is the bit count as a 32-bit integer; a larger file would make it wrap.
  if (size > static_cast<std::uintmax_t>(INT32_MAX / 8))
    throw std::runtime_error(osPath + " is too large to program (" + std::to_string(size) + " bytes)");
  bytes.resize(static_cast<std::size_t>(size));
  if (size && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
    throw std::runtime_error("cannot read " + osPath);
  return true;
}

struct StatusRow {
  std::array<std::u16string_view, 10> baseNames;
  int n;
  int k;
};

constexpr StatusRow kStatusRows[] = {
    {{u"EP4SGX70D", u"EP4SGX70H", u"EP4SGX110D", u"EP4SGX110F"}, 438, 122},
    {{u"EP4SGX180D", u"EP4SGX180F", u"EP4SGX180H", u"EP4SGX180K", u"EP4SGX230D", u"EP4SGX230F", u"EP4SGX230H",
      u"EP4SGX230K", u"EP4SE230", u"EP4S100G2"},
     758,
     186},
    {{u"EP4SGX290F", u"EP4SGX290H", u"EP4SGX290K", u"EP4SGX360F", u"EP4SGX360H", u"EP4SGX360K", u"EP4SE360"}, 894, 190},
    {{u"EP4SGX290N", u"EP4SGX360N", u"EP4SGX530H", u"EP4SGX530K", u"EP4SGX530N", u"EP4SE530", u"EP4S100G5"}, 990, 238},
};

}  // namespace

std::int32_t ProgramDevice(Channel* channel, std::int32_t position, const std::string& osPath, Environment& env) {
  if (!channel) return 0;
  std::vector<std::uint8_t> file;
  if (!ReadFile(osPath, file)) return 0;
  host::IJTagPinAccess& pins = channel->Pins();
  const auto bits = static_cast<std::int32_t>(8 * file.size());

  OpenChannel open(*channel);
  channel->PrepareProgramming();
  env.Wait(kWaitAfterOpen);

  const FamilySettings family = env.Family();
  if (family.activeDisengage) {
    channel->GotoState(ChannelState::Idle);
    channel->SetInstruction(instruction::kActiveDisengage, position);
  }
  channel->GotoState(ChannelState::Idle);
  channel->SetInstruction(instruction::kProgram, position);
  env.Wait(kWaitAfterProgram);

  // Configuration clocks with TDI high, in Shift-DR.
  Check(pins.SetTDI(true), "SetTDI");
  Check(pins.Apply(), "Apply");
  channel->MoveState(ChannelState::Idle, ChannelState::DrShift);
  const std::int32_t cycles = env.ConfigurationCycles();
  for (std::int32_t k = 0; k < cycles; ++k) {
    Check(pins.SetTCK(false), "SetTCK");
    Check(pins.Apply(), "Apply");
    Check(pins.SetTCK(true), "SetTCK");
    Check(pins.Apply(), "Apply");
  }
  Check(pins.SetTDI(false), "SetTDI");
  Check(pins.SetTMS(false), "SetTMS");
  Check(pins.SetTCK(false), "SetTCK");
  Check(pins.Apply(), "Apply");

  {
    ProgressRun progress(env, u"Programming Device Via JTAG...", static_cast<std::int64_t>(file.size()));
    const std::size_t skip = static_cast<std::size_t>(std::max<std::int32_t>(family.bytesToIgnore, 0));
    // The file's bits, least significant bit of each byte first. Behind other devices each
    // bit gets an extra low clock first.
    auto sendFile = [&]<bool kBehind>() {
      for (std::size_t n = 0; n < file.size(); ++n) {
        if (n >= skip) {
          const unsigned byte = file[n];
          for (int b = 0; b < 8; ++b) {
            if constexpr (kBehind) {
              Check(pins.SetTCK(false), "SetTCK");
              Check(pins.Apply(), "Apply");
            }
            Check(pins.SetTCK(false), "SetTCK");
            Check(pins.SetTDI(((byte >> b) & 1u) != 0), "SetTDI");
            Check(pins.Apply(), "Apply");
            Check(pins.SetTCK(true), "SetTCK");
            Check(pins.Apply(), "Apply");
          }
        }
        env.ProgressStep();
      }
    };
    if (position >= 1)
      sendFile.operator()<true>();
    else
      sendFile.operator()<false>();
    for (int k = 0; k < kTrailingOnes; ++k) {
      Check(pins.SetTCK(false), "SetTCK");
      Check(pins.SetTDI(true), "SetTDI");
      Check(pins.Apply(), "Apply");
      Check(pins.SetTCK(true), "SetTCK");
      Check(pins.Apply(), "Apply");
    }
    if (position == 0) {
      Check(pins.SetTCK(false), "SetTCK");
      Check(pins.Apply(), "Apply");
    }
    Check(pins.SetTDI(false), "SetTDI");
    Check(pins.Apply(), "Apply");
    Check(pins.SetTCK(false), "SetTCK");
    Check(pins.Apply(), "Apply");
    // Push the last bits through the bypass bits of the devices in front, then leave Shift-DR.
    for (std::int32_t k = 0; k < position; ++k) channel->ClockTMS(false);
    channel->ClockTMS(true);
    channel->MoveState(ChannelState::DrExit1, ChannelState::Idle);
    progress.End();
  }

  // Start-up: 400 clocks in Run-Test/Idle.
  channel->SetInstruction(instruction::kStartup, position);
  for (int k = 0; k < kStartupClockPairs; ++k) {
    Check(pins.SetTDI(false), "SetTDI");
    Check(pins.Apply(), "Apply");
    channel->ClockTMS(false);
    Check(pins.SetTDI(true), "SetTDI");
    Check(pins.Apply(), "Apply");
    channel->ClockTMS(false);
  }
  channel->GotoState(ChannelState::Idle);
  open.Close();
  return bits;
}

std::optional<std::pair<int, int>> ConfDonePosition(std::u16string_view baseName) {
  for (const auto& row : kStatusRows)
    for (std::u16string_view name : row.baseNames)
      if (!name.empty() && EqualsIgnoreCase(name, baseName)) return std::make_pair(row.n, row.k);
  return std::nullopt;
}

bool ReadConfDone(Channel* channel, std::u16string_view baseName, std::int32_t position) {
  if (!channel) return false;
  host::IJTagPinAccess& pins = channel->Pins();
  OpenChannel open(*channel);
  channel->SetInstruction(instruction::kCheckStatus, position);
  channel->MoveState(ChannelState::Idle, ChannelState::DrShift);
  const auto row = ConfDonePosition(baseName);
  if (!row || row->first == 0) {
    open.Close();
    return false;
  }
  const std::int64_t clocks = 3LL * (row->first - row->second) + channel->GetDeviceCount() - position;
  for (std::int64_t k = 0; k < clocks; ++k) channel->ClockTMS(false);
  bool level = false;
  Check(pins.Sample(), "Sample");
  Check(pins.GetTDO(&level), "GetTDO");
  channel->ClockTMS(true);
  channel->MoveState(ChannelState::DrExit1, ChannelState::Idle);
  open.Close();
  return level;
}

std::uint8_t GetDeviceState(Channel* channel, std::u16string_view baseName, std::int32_t position) {
  return ReadConfDone(channel, baseName, position) ? 2 : 1;
}

bool ResetDevice(Channel* channel, std::u16string_view baseName, std::int32_t position) {
  if (!channel) return false;
  {
    OpenChannel open(*channel);
    channel->GotoState(ChannelState::Idle);
    channel->SetInstruction(instruction::kProgram, position);
    channel->GotoState(ChannelState::Idle);
    open.Close();
  }
  return GetDeviceState(channel, baseName, position) == 1;
}

std::uint32_t ReadUserCode(Channel* channel, std::int32_t position) {
  if (!channel) return 0xFFFFFFFFu;
  OpenChannel open(*channel);
  channel->GotoState(ChannelState::Idle);
  channel->SetInstruction(instruction::kUserCode, position);
  const auto code = static_cast<std::uint32_t>(channel->ShiftData(0, 32, position));
  open.Close();
  return code;
}

}  // namespace s4::jtag
