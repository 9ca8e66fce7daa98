// A driver attached to a simulated host device on a simulated JTAG chain, for tests that run
// the module's JTAG operations through Invoke.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "driver/dispids.h"
#include "simhost/jtag_chain.h"
#include "simhost/sim_dispatch.h"
#include "simhost/sim_host.h"
#include "simhost/sim_jtag_channel.h"
#include "tests/module_fixture.h"

namespace s4::test {

// The first kind whose base device is `baseName`, or -1 while the device table does not have it.
inline std::int32_t KindOfBaseName(std::u16string_view baseName) {
  static std::vector<std::u16string> names;
  if (names.empty())
    for (std::int32_t k = 0; k < Module().DriverCount(); ++k) {
      auto r = CallDispatch(Driver(k).get(), dispid::DeviceInformation::GetBaseName);
      names.push_back(r.ok() && r.value.vt() == VT_BSTR ? std::u16string(BstrView(r.value.raw().bstrVal)) : u"");
    }
  for (std::size_t k = 0; k < names.size(); ++k)
    if (EqualsIgnoreCase(names[k], baseName)) return static_cast<std::int32_t>(k);
  return -1;
}

// A chain of `count` devices with a device of the family at `position` (others are small
// BYPASS/IDCODE devices with 8-bit instruction registers), a host device at that position, and
// the driver of `kind` attached to it.
struct JtagBench {
  sim::JtagChain chain;
  sim::FamilyDevice* fpga = nullptr;
  ComPtr<sim::SimJtagChannel> channel;
  ComPtr<sim::SimObject> device;
  ComPtr<IDispatch> driver;

  JtagBench(std::int32_t kind, std::string_view baseName, int count = 1, int position = 0) {
    std::vector<int> irLengths;
    for (int d = 0; d < count; ++d) {
      if (d == position) {
        fpga = &chain.Add(std::make_unique<sim::FamilyDevice>(sim::FamilyDeviceSpec::ForBaseName(baseName, 0x024090DDu)));
        irLengths.push_back(10);
      } else {
        chain.Add(std::make_unique<sim::GenericDevice>(8, 0x01000001u + 2u * static_cast<std::uint32_t>(d), 0x01));
        irLengths.push_back(8);
      }
    }
    channel = sim::SimJtagChannel::Make(std::make_unique<sim::ChainCable>(chain), irLengths);
    device = sim::SimObject::Make("device");
    device->Answer(hostid::IDispVireoDevice::GetChainPosition, Variant(std::int32_t(position)));
    device->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(channel->dispatch()));
    driver = Driver(kind);
    Attach(device->dispatch());
  }
  ~JtagBench() { Attach(nullptr); }
  void Attach(IDispatch* d) {
    if (driver) {
      EXPECT_TRUE(CallDispatch(driver.get(), dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(d)}).ok());
    }
  }
  CallResult Call(DISPID id, std::initializer_list<Variant> args = {}) { return CallDispatch(driver.get(), id, args); }
};

// A file that is removed again at the end of the test.
struct TempFile {
  std::filesystem::path path;
  explicit TempFile(const std::vector<std::uint8_t>& bytes, const std::string& ext = ".rbf") {
    static int serial = 0;
    path = std::filesystem::temp_directory_path() /
           ("s4_jtag_" + std::to_string(::getpid()) + "_" + std::to_string(++serial) + ext);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() { std::filesystem::remove(path); }
  // The path as the host writes it.
  Variant HostPath() const { return Variant(std::u16string_view(ToHostPath(path.string()))); }
};

}  // namespace s4::test
