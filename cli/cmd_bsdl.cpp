// s4host bsdl DEVICE [-o FILE] and s4host bsdl-check FILE...
//
// bsdl DEVICE [-o FILE]: the built-in boundary-scan description of a device as a BSDL
// file, read from the module through GetBSDLEntity and the entity's Invoke, as a host reads it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>

#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/bsdl/validate.h"
#include "boundaryscan/bsdl/writer.h"
#include "boundaryscan/export/entity_export.h"
#include "cli/device_lookup.h"
#include "cli/input_file.h"
#include "cli/session.h"
#include "driver/dispids.h"
#include "platform/dispatch_call.h"
#include "platform/widestring.h"

namespace s4::cli {
namespace {

bool EndsWithBsd(const std::string& s) {
  return s.size() > 4 && EqualsIgnoreCase(Utf8ToUtf16(s.substr(s.size() - 4)), u".bsd");
}

// A device given as a kind, a full name, or the BSDL file name of its package.
const DeviceEntry& Resolve(const sim::PluginModule& module, const std::string& text) {
  if (!EndsWithBsd(text)) return ResolveDevice(module, text);
  std::vector<std::string> files;
  for (const DeviceEntry& d : AllDevices(module)) {
    const std::string file = AskText(d.driver.get(), dispid::DeviceInformation::GetBSDLFilename);
    if (EqualsIgnoreCase(Utf8ToUtf16(file), Utf8ToUtf16(text))) return d;
    if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
  }
  std::string message = "no device has the BSDL file '" + text + "'";
  const auto near = NearestNames(text, files);
  if (!near.empty()) {
    message += "; nearest:";
    for (const std::string& n : near) message += " " + n;
  }
  throw CommandError{kExitUsage, message};
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string device, output;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("bsdl", "Write the built-in boundary-scan description of a device as a BSDL file");
  cmd->add_option("DEVICE", o->device, "Kind number, full device name or BSDL file name (case ignored)")->required();
  cmd->add_option("-o,--output", o->output, "Write to this file instead of standard output");
  cmd->footer("Examples: s4host bsdl EP4SGX70DF29C2x -o EP4SGX70DF29.bsd\n          s4host bsdl EP4SE820F43.bsd");
  cmd->callback([&globals, &exitCode, o] {
    const auto& module = LoadModule(globals);
    const DeviceEntry& d = Resolve(module, o->device);
    const CallResult r = CallDispatch(d.driver.get(), dispid::DeviceInformation::GetBSDLEntity);
    if (!r.ok()) throw CommandError{kExitFailure, "GetBSDLEntity failed: " + HresultName(r.hr)};
    if (r.value.vt() != VT_DISPATCH || !r.value.raw().pdispVal)
      throw CommandError{kExitFailure, d.name + " has no boundary-scan description"};
    bsdl::Description description;
    try {
      description = bsdl::DescribeEntity(r.value.raw().pdispVal);
    } catch (const std::exception& e) {
      throw CommandError{kExitFailure, std::string("reading the entity: ") + e.what()};
    }
    const std::string provenance = BsdlSourceProvenance(DevicePackageOf(d.driver.get()));
    const std::string header = "Boundary-scan description of " + description.entity + " (device " + d.name +
                               "), written by s4host from the module's built-in tables.\n" +
                               (provenance == "synthesized"
                                    ? "Provenance: synthesized. The built-in table of this device is synthesized, "
                                      "not vendor data: which ball carries which cell is made up."
                                    : "Provenance: " + provenance + ". The built-in table of this device was made "
                                      "from the source file that replaced the synthesized one.");
    const std::string text = bsdl::Write(description, header);
    for (const bsdl::Finding& f : bsdl::Validate(description))
      std::cerr << "s4host: warning: " << bsdl::Format(description.entity, f) << "\n";
    if (o->output.empty()) {
      std::cout << text;
    } else {
      // Written under a temporary name and renamed, so a failed write leaves no half file.
      const std::string tmp = o->output + ".tmp";
      {
        std::ofstream f(tmp, std::ios::binary);
        f << text;
        if (!f.flush()) throw CommandError{kExitEnvironment, "cannot write " + tmp};
      }
      std::error_code ec;
      std::filesystem::rename(tmp, o->output, ec);
      if (ec) {
        std::filesystem::remove(tmp, ec);
        throw CommandError{kExitEnvironment, "cannot write " + o->output};
      }
    }
    exitCode = kExitOk;
  });
}

S4_COMMAND(Register);

// The largest vendor descriptions are a few megabytes; anything far larger is not one, and
// reading it whole would only exhaust memory.
constexpr std::uintmax_t kMaxBsdlBytes = 64u << 20;

// s4host bsdl-check FILE...: reads BSDL files with the module's reader and validator and
// prints every error and finding with file and line.
void RegisterCheck(CLI::App& app, GlobalOptions&, int& exitCode) {
  auto files = std::make_shared<std::vector<std::string>>();
  auto* cmd = app.add_subcommand("bsdl-check", "Read and validate BSDL files; print errors and findings with their lines");
  cmd->add_option("FILE", *files, "BSDL files (1990, 1993/1994 or 2001 form)")->required();
  cmd->footer("Exit code: 0 all sound, 1 findings, 2 a file does not parse, 3 a file cannot be read.\n"
              "Example: s4host bsdl-check EP4SGX70DF29.bsd");
  cmd->callback([&exitCode, files] {
    int worst = kExitOk;
    for (const std::string& file : *files) {
      try {
        const bsdl::Description d = bsdl::Read(ReadInputFile(file, kMaxBsdlBytes), file);
        const std::vector<bsdl::Finding> findings = bsdl::Validate(d);
        for (const bsdl::Finding& f : findings) std::cout << bsdl::Format(file, f) << "\n";
        std::cout << file << ": " << d.entity << ", " << d.ports.size() << " ports, " << d.cells.size() << " cells, "
                  << d.instructions.size() << " instructions, " << findings.size() << " finding(s)\n";
        if (!findings.empty()) worst = std::max(worst, static_cast<int>(kExitFailure));
      } catch (const bsdl::ParseError& e) {
        std::cout << e.what() << "\n";
        worst = std::max(worst, static_cast<int>(e.line() == 0 ? kExitEnvironment : kExitUsage));
      } catch (const CommandError& e) {
        std::cout << e.message << "\n";
        worst = std::max(worst, static_cast<int>(e.code));
      } catch (const std::bad_alloc&) {
        std::cout << file << ": not enough memory to check it\n";
        worst = std::max(worst, static_cast<int>(kExitEnvironment));
      } catch (const std::exception& e) {
        std::cout << file << ": cannot be checked: " << e.what() << "\n";
        worst = std::max(worst, static_cast<int>(kExitUsage));
      }
    }
    exitCode = worst;
  });
}

S4_COMMAND(RegisterCheck);

}  // namespace
}  // namespace s4::cli
