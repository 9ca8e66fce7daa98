#include "cli/jtag_target.h"

#include <charconv>
#include <sstream>

#include "cli/session.h"
#include "driver/dispids.h"
#include "host/host_dispids.h"
#include "platform/dispatch_call.h"
#include "platform/widestring.h"
#include "simhost/xvc_cable.h"

namespace s4::cli {

namespace {

std::string TextOf(const CallResult& r) {
  return r.ok() && r.value.vt() == VT_BSTR ? Utf16ToUtf8(BstrView(r.value.raw().bstrVal)) : std::string();
}

}  // namespace

bool ParseUint32(std::string_view s, std::uint32_t& out) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
  return !s.empty() && ec == std::errc() && p == s.data() + s.size();
}

namespace {

// Every kind's information, asked of the driver once.
const std::vector<KindInfo>& AllKinds(const GlobalOptions& globals) {
  static std::vector<KindInfo> kinds;
  if (kinds.empty()) {
    const auto& module = LoadModule(globals);
    for (std::int32_t k = 0; k < module.DriverCount(); ++k) {
      auto d = module.Driver(k);
      KindInfo info;
      info.deviceName = TextOf(CallDispatch(d.get(), dispid::DeviceInformation::GetDeviceName));
      info.baseName = TextOf(CallDispatch(d.get(), dispid::DeviceInformation::GetBaseName));
      const CallResult id = CallDispatch(d.get(), dispid::DeviceInformation::GetIdCode);
      if (id.ok() && id.value.vt() == VT_I4) info.idCode = static_cast<std::uint32_t>(id.value.raw().lVal);
      kinds.push_back(std::move(info));
    }
  }
  return kinds;
}

}  // namespace

std::vector<ChainEntry> ParseChain(const std::string& text) {
  std::vector<ChainEntry> chain;
  std::stringstream in(text);
  int ours = 0;
  for (std::string item; std::getline(in, item, ',');) {
    ChainEntry e;
    if (EqualsIgnoreCase(Utf8ToUtf16(item), u"fpga")) {
      e.ours = true;
      ++ours;
    } else {
      const auto colon = item.find(':');
      std::uint32_t ir = 0, id = 0;
      if (!ParseUint32(item.substr(0, colon), ir) || ir < 2 || ir > 31)
        throw CommandError{kExitUsage, "chain entry '" + item + "': the instruction length must be 2..31 bits"};
      e.irLength = static_cast<int>(ir);
      if (colon != std::string::npos) {
        if (!ParseUint32(item.substr(colon + 1), id) || (id & 1u) == 0)
          throw CommandError{kExitUsage, "chain entry '" + item + "': an IDCODE is a number with bit 0 set"};
        e.idCode = id;
      }
    }
    chain.push_back(e);
  }
  if (chain.size() > sim::SimJtagChannel::kMaxDevices)
    throw CommandError{kExitUsage, "the chain has " + std::to_string(chain.size()) + " devices; it can hold at most " +
                                       std::to_string(sim::SimJtagChannel::kMaxDevices) + ", the most a scan tells apart"};
  if (ours != 1)
    throw CommandError{kExitUsage, "the chain '" + text + "' must name the device (fpga) exactly once, for example 8,fpga,6"};
  return chain;
}

std::int32_t ResolveKind(const GlobalOptions& globals, const std::string& text) {
  std::uint32_t n = 0;
  const auto& kinds = AllKinds(globals);
  if (ParseUint32(text, n)) {
    if (n < kinds.size()) return static_cast<std::int32_t>(n);
    throw CommandError{kExitUsage, "there is no device kind " + text + "; kinds are 0.." + std::to_string(kinds.size() - 1)};
  }
  for (std::size_t k = 0; k < kinds.size(); ++k)
    if (EqualsIgnoreCase(Utf8ToUtf16(kinds[k].deviceName), Utf8ToUtf16(text))) return static_cast<std::int32_t>(k);
  throw CommandError{kExitUsage, "no device is named '" + text +
                                     "'; give a kind number or a full device name such as " +
                                     (kinds.empty() ? std::string("EP4SGX70DF29C3") : kinds[0].deviceName)};
}

KindInfo DescribeKind(const GlobalOptions& globals, std::int32_t kind) {
  return AllKinds(globals).at(static_cast<std::size_t>(kind));
}

std::vector<std::string> BaseNamesOfIdCode(const GlobalOptions& globals, std::uint32_t idCode) {
  std::vector<std::string> names;
  for (const auto& k : AllKinds(globals))
    if (idCode && k.idCode == idCode && std::find(names.begin(), names.end(), k.baseName) == names.end())
      names.push_back(k.baseName);
  return names;
}

void JtagOptions::AddTo(CLI::App* cmd, bool withPosition) {
  cmd->add_option("--chain", chain,
                  "Simulated chain from the TDI end: fpga for the device, IR or IR:IDCODE for others "
                  "(default: fpga)");
  cmd->add_option("--cable", cable, "Use a real cable behind an XVC server, xvc://HOST:PORT");
  cmd->add_option("--cable-timeout", cableTimeout,
                  "Seconds to wait for the XVC server to accept and for each of its answers")
      ->default_str("10")
      ->check(CLI::Range(0.001, 3600.0));
  if (withPosition) cmd->add_option("--position", position, "The device's position on the chain, counted from TDI");
  cmd->add_flag("--configured", configured, "The simulated device starts configured");
  cmd->add_option("--sim-usercode", userCode, "The simulated device's user code")->default_str("0xFFFFFFFF");
  cmd->add_flag("--json", json, "Print the result as JSON");
}

JtagTarget::JtagTarget(const GlobalOptions& globals, std::int32_t kind, const JtagOptions& options)
    : info_(DescribeKind(globals, kind)), cable_(options.cable) {
  std::vector<ChainEntry> entries = ParseChain(options.chain);
  int ours = 0;
  while (!entries[static_cast<std::size_t>(ours)].ours) ++ours;
  if (options.position && *options.position != ours) {
    if (options.chain != "fpga")
      throw CommandError{kExitUsage, "--position " + std::to_string(*options.position) +
                                         " does not match the device's place in --chain (" + std::to_string(ours) + ")"};
    if (*options.position < 0 || *options.position >= static_cast<int>(sim::SimJtagChannel::kMaxDevices))
      throw CommandError{kExitUsage, "--position must be 0.." + std::to_string(sim::SimJtagChannel::kMaxDevices - 1) +
                                         ": a chain holds at most " + std::to_string(sim::SimJtagChannel::kMaxDevices) + " devices"};
    // A position without a chain: that many small devices in front of ours.
    entries.assign(static_cast<std::size_t>(*options.position), ChainEntry{false, 8, std::nullopt});
    entries.push_back(ChainEntry{true, 10, std::nullopt});
    ours = *options.position;
  }
  position_ = ours;
  std::vector<int> irLengths;
  for (const auto& e : entries) irLengths.push_back(e.ours ? 10 : e.irLength);

  std::unique_ptr<sim::JtagCable> cable;
  if (!options.cable.empty()) {
    std::string host;
    std::uint16_t port = 0;
    if (!sim::XvcCable::ParseAddress(options.cable, host, port))
      throw CommandError{kExitUsage, "--cable '" + options.cable + "' is not of the form xvc://HOST:PORT"};
    try {
      cable = sim::XvcCable::Connect(host, port, std::chrono::milliseconds(static_cast<long long>(options.cableTimeout * 1000)));
    } catch (const std::exception& e) {
      throw CommandError{kExitEnvironment, e.what()};
    }
  } else {
    for (std::size_t d = 0; d < entries.size(); ++d) {
      const auto& e = entries[d];
      if (e.ours) {
        fpga_ = &chain_.Add(std::make_unique<sim::FamilyDevice>(sim::FamilyDeviceSpec::ForBaseName(info_.baseName, info_.idCode)));
        fpga_->SetConfDone(options.configured);
        fpga_->SetUserCode(options.userCode);
      } else {
        chain_.Add(std::make_unique<sim::GenericDevice>(e.irLength, e.idCode.value_or(0), e.idCode ? 1 : -1));
      }
    }
    cable = std::make_unique<sim::ChainCable>(chain_);
  }
  channel_ = sim::SimJtagChannel::Make(std::move(cable), irLengths);
  device_ = sim::SimObject::Make("device");
  device_->Answer(hostid::IDispVireoDevice::GetDeviceName, Variant(std::u16string_view(Utf8ToUtf16(info_.deviceName))));
  device_->Answer(hostid::IDispVireoDevice::GetChainPosition, Variant(std::int32_t(position_)));
  device_->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(channel_->dispatch()));
  driver_ = LoadModule(globals).Driver(kind);
  if (!driver_) throw CommandError{kExitEnvironment, "the module gave no driver for kind " + std::to_string(kind)};
  const CallResult r = CallDispatch(driver_.get(), dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(device_->dispatch())});
  if (!r.ok()) throw CommandError{kExitFailure, "the driver refused the host device: " + HresultName(r.hr)};
}

JtagTarget::~JtagTarget() {
  if (driver_) CallDispatch(driver_.get(), dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(nullptr)});
}

std::string JtagTarget::Where() const {
  return info_.deviceName + " at position " + std::to_string(position_) +
         (cable_.empty() ? " of the simulated chain" : " behind " + cable_);
}

}  // namespace s4::cli
