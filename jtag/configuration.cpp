#include "jtag/configuration.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/files.h"
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

// The file is shifted from a buffer of this size, refilled as it empties.
constexpr std::size_t kChunkBytes = 64 * 1024;

// Fills `n` bytes from the file; the file must still be as long as it was when opened.
void ReadFully(FileReader& file, std::uint8_t* to, std::size_t n, std::u16string_view hostPath) {
  while (n) {
    const std::ptrdiff_t got = file.Read(to, n);
    if (got < 0) throw std::runtime_error("cannot read " + Utf16ToUtf8(hostPath) + ": " + file.Error());
    if (got == 0) throw std::runtime_error(Utf16ToUtf8(hostPath) + " became shorter while it was programmed");
    to += got;
    n -= static_cast<std::size_t>(got);
  }
}

inline void LowClock(host::IJTagPinAccess& pins) {
  Check(pins.SetTCK(false), "SetTCK");
  Check(pins.Apply(), "Apply");
}

// The bytes' bits, least significant bit of each byte first: a data step and a high clock
// each. Behind other devices each bit gets an extra low clock first. Every call's result is
// checked before the next call, so a failing call is the last one made.
template <bool kBehind>
void SendBytes(host::IJTagPinAccess& pins, const std::uint8_t* p, const std::uint8_t* end) {
  for (; p != end; ++p) {
    unsigned byte = *p;
#pragma GCC unroll 8
    for (int b = 0; b < 8; ++b, byte >>= 1) {
      if constexpr (kBehind) LowClock(pins);
      Check(pins.SetTCK(false), "SetTCK");
      Check(pins.SetTDI((byte & 1u) != 0), "SetTDI");
      Check(pins.Apply(), "Apply");
      Check(pins.SetTCK(true), "SetTCK");
      Check(pins.Apply(), "Apply");
    }
  }
}

constexpr ConfDoneRow kConfDoneRows[] = {
    {1506, 130175, 438, 122, {u"EP4SGX70D", u"EP4SGX70H", u"EP4SGX110D", u"EP4SGX110F", u"EP4SGX110H"}},
    {2274,
     194787,
     758,
     186,
     {u"EP4SGX180D", u"EP4SGX180F", u"EP4SGX180H", u"EP4SGX180K", u"EP4SGX230D", u"EP4SGX230F", u"EP4SGX230H",
      u"EP4SGX230K", u"EP4SE230", u"EP4S100G2", u"EP4S40G2"}},
    {2682,
     223271,
     894,
     190,
     {u"EP4SGX290F", u"EP4SGX290H", u"EP4SGX290K", u"EP4SGX360F", u"EP4SGX360H", u"EP4SGX360K", u"EP4SE360"}},
    {2970,
     255089,
     990,
     238,
     {u"EP4SGX290N", u"EP4SGX360N", u"EP4SGX530H", u"EP4SGX530K", u"EP4SGX530N", u"EP4SE530", u"EP4S100G5", u"EP4S40G5",
      u"EP4S100G3", u"EP4S100G4"}},
    // EP4SE820 (3402 boundary cells, IOCSR 250685) is a die of its own, with no known position.
};

}  // namespace

std::int32_t ProgramDevice(Channel* channel, std::int32_t position, std::u16string_view hostPath, Environment& env) {
  if (!channel || !FileExists(hostPath)) return 0;
  // Refused before anything is sent: a file that cannot be read, an empty one (the device
  // would be started without a configuration) and one too large for the answer.
  FileReader file(hostPath);
  if (!file.IsOpen()) throw std::runtime_error("cannot open " + Utf16ToUtf8(hostPath) + ": " + file.Error());
  const std::uint64_t size = file.Size();
  if (size == 0) throw std::runtime_error(Utf16ToUtf8(hostPath) + " is empty: there is nothing to program");
  if (size > kMaxFileBytes)
    throw std::runtime_error(Utf16ToUtf8(hostPath) + " is too large to program (" + std::to_string(size) + " bytes)");
  host::IJTagPinAccess& pins = channel->Pins();
  const auto bits = static_cast<std::int32_t>(8 * size);

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
    LowClock(pins);
    Check(pins.SetTCK(true), "SetTCK");
    Check(pins.Apply(), "Apply");
  }
  Check(pins.SetTDI(false), "SetTDI");
  Check(pins.SetTMS(false), "SetTMS");
  Check(pins.SetTCK(false), "SetTCK");
  Check(pins.Apply(), "Apply");

  {
    ProgressRun progress(env, u"Programming Device Via JTAG...", static_cast<std::int64_t>(size));
    std::uint64_t skipLeft = static_cast<std::uint64_t>(std::max<std::int32_t>(family.bytesToIgnore, 0));
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(size, kChunkBytes)));
    // Progress counts one step per byte, sent or skipped. The bytes go out in runs that end
    // where the display next changes, so the host sees each change after the same byte as if
    // every byte were stepped alone, at the cost of one step call per run.
    std::int64_t quiet = env.ProgressQuietSteps();
    for (std::uint64_t done = 0; done < size;) {
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - done));
      ReadFully(file, buffer.data(), want, hostPath);
      done += want;
      for (const std::uint8_t *p = buffer.data(), *end = p + want; p != end;) {
        const auto left = static_cast<std::size_t>(end - p);
        const std::size_t run = quiet >= 0 && static_cast<std::uint64_t>(quiet) < left ? static_cast<std::size_t>(quiet) + 1 : left;
        const auto skipped = static_cast<std::size_t>(std::min<std::uint64_t>(skipLeft, run));
        skipLeft -= skipped;
        if (position >= 1)
          SendBytes<true>(pins, p + skipped, p + run);
        else
          SendBytes<false>(pins, p + skipped, p + run);
        p += run;
        env.ProgressStep(static_cast<std::int64_t>(run));
        quiet = env.ProgressQuietSteps();
      }
    }
    for (int k = 0; k < kTrailingOnes; ++k) {
      Check(pins.SetTCK(false), "SetTCK");
      Check(pins.SetTDI(true), "SetTDI");
      Check(pins.Apply(), "Apply");
      Check(pins.SetTCK(true), "SetTCK");
      Check(pins.Apply(), "Apply");
    }
    if (position == 0) LowClock(pins);
    Check(pins.SetTDI(false), "SetTDI");
    Check(pins.Apply(), "Apply");
    LowClock(pins);
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

std::span<const ConfDoneRow> ConfDoneRows() { return kConfDoneRows; }

std::optional<std::pair<int, int>> ConfDonePosition(std::u16string_view baseName) {
  for (const auto& row : kConfDoneRows)
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
