// s4host invoke KIND DISPID [ARG...]: one Invoke on a driver, as the host would make it.
#include <charconv>
#include <iostream>

#include "cli/session.h"
#include "cli/variant_json.h"
#include "driver/dispids.h"
#include "platform/dispatch_call.h"
#include "platform/widestring.h"

namespace s4::cli {
namespace {

// "i:5" VT_I4, "l:5" VT_I8, "d:1.5" VT_R8, "b:true" VT_BOOL, "s:text" VT_BSTR, "empty",
// "null", "nothing" (a null object); anything else is VT_I4 when it reads as an integer and
// VT_BSTR otherwise.
Variant ParseArgument(const std::string& text) {
  auto integer = [](std::string_view s, auto& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
  };
  if (text == "empty") return Variant();
  if (text == "null") return Variant::OfType(VT_NULL);
  if (text == "nothing") return Variant::Dispatch(nullptr);
  if (text.size() >= 2 && text[1] == ':') {
    const std::string_view body = std::string_view(text).substr(2);
    switch (text[0]) {
      case 's': return Variant(Utf8ToUtf16(body));
      case 'i': {
        std::int32_t v;
        if (integer(body, v)) return Variant(v);
        break;
      }
      case 'l': {
        std::int64_t v;
        if (integer(body, v)) return Variant(v);
        break;
      }
      case 'd': {
        try {
          return Variant(std::stod(std::string(body)));
        } catch (...) {
        }
        break;
      }
      case 'b':
        if (body == "true" || body == "1") return Variant(true);
        if (body == "false" || body == "0") return Variant(false);
        break;
      default: break;
    }
    throw CommandError{kExitUsage, "cannot read argument '" + text + "'"};
  }
  std::int32_t v;
  if (integer(text, v)) return Variant(v);
  return Variant(Utf8ToUtf16(text));
}

// A DISPID given as a number or as an operation name of the driver's interfaces.
DISPID ParseDispid(const std::string& text) {
  DISPID id;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (ec == std::errc() && p == text.data() + text.size()) return id;
  for (const auto& n : dispid::All())
    if (EqualsIgnoreCase(Utf8ToUtf16(n.name), Utf8ToUtf16(text)) &&
        (n.interfaceName == "DeviceInformation" || n.interfaceName == "VireoDriver" ||
         n.interfaceName == "SupportService"))
      return n.id;
  throw CommandError{kExitUsage, "'" + text + "' is neither a DISPID nor a driver operation name"};
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::int32_t kind = 0;
    std::string dispid;
    std::vector<std::string> args;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("invoke",
                                 "Call one operation of a driver through IDispatch::Invoke and print the "
                                 "result and HRESULT");
  cmd->add_option("KIND", o->kind, "Device kind, 0..485")->required();
  cmd->add_option("DISPID", o->dispid, "Dispatch identifier, or the operation's name (e.g. GetDeviceName)")
      ->required();
  cmd->add_option("ARG", o->args,
                  "Arguments in call order: i:N, l:N, d:X, b:true|false, s:TEXT, empty, null, nothing; "
                  "a bare integer is i:, other text s:");
  cmd->add_flag("--json", o->json, "Print the result as JSON");
  cmd->footer("Example: s4host invoke 0 GetDeviceName\n         s4host invoke 0 1023 s:VireoDriver");
  cmd->callback([&globals, &exitCode, o] {
    const DISPID id = ParseDispid(o->dispid);
    std::vector<Variant> args;
    for (const auto& a : o->args) args.push_back(ParseArgument(a));
    const auto& module = LoadModule(globals);
    IDispatch* raw = nullptr;
    const HRESULT hrDriver = module.CallGetDriver(o->kind, &raw);
    auto driver = ComPtr<IDispatch>::Adopt(raw);
    if (FAILED(hrDriver) || !driver)
      throw CommandError{kExitUsage, "no driver for kind " + std::to_string(o->kind) + " (" +
                                         HresultName(hrDriver) + "); kinds are 0.." +
                                         std::to_string(module.DriverCount() - 1)};
    CallResult r = CallDispatch(driver.get(), id, args);
    if (o->json) {
      nlohmann::json j{{"kind", o->kind}, {"dispid", id}, {"hresult", HresultToJson(r.hr)}};
      if (r.ok()) j["result"] = VariantToJson(r.value.raw());
      std::cout << j.dump(2) << "\n";
    } else {
      std::cout << "HRESULT " << HresultName(r.hr) << "\n";
      if (r.ok()) std::cout << VarTypeName(r.value.vt()) << " " << DescribeValue(r.value.raw()) << "\n";
    }
    exitCode = r.ok() ? kExitOk : kExitFailure;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
