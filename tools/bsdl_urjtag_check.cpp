#include "tools/bsdl_urjtag_check.h"

#include <cstdarg>
#include <cstdio>

#if S4_HAVE_URJTAG
extern "C" {
#include <urjtag/bsdl.h>
#include <urjtag/bsdl_mode.h>
#include <urjtag/chain.h>
#include <urjtag/log.h>
}
#endif

namespace s4::bsdl_check {

#if S4_HAVE_URJTAG
namespace {
// UrJTAG's messages would flood the test output; its verdict is the return value.
int Quiet(const char*, va_list) { return 0; }
}  // namespace

// The library reads the standard packages (STD_1149_1_2001, ...) from its data folder, which
// Debian ships in the urjtag package; without them it rejects every file.
bool UrjtagAvailable() {
  std::FILE* f = std::fopen("/usr/share/urjtag/bsdl/STD_1149_1_2001", "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

std::optional<bool> UrjtagAccepts(const std::string& path) {
  if (!UrjtagAvailable()) return std::nullopt;
  urj_log_state.out_vprintf = Quiet;
  urj_log_state.err_vprintf = Quiet;
  urj_chain_t* chain = urj_tap_chain_alloc();
  if (!chain) return false;
  const int r = urj_bsdl_read_file(chain, path.c_str(),
                                   URJ_BSDL_MODE_SYN_CHECK | URJ_BSDL_MODE_MSG_ERR | URJ_BSDL_MODE_MSG_FATAL, nullptr);
  urj_tap_chain_free(chain);
  return r >= 0;
}
#else
bool UrjtagAvailable() { return false; }
std::optional<bool> UrjtagAccepts(const std::string&) { return std::nullopt; }
#endif

}  // namespace s4::bsdl_check
