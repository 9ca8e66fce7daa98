#include <cstdlib>

#include "platform/environment.h"

namespace s4 {

std::optional<std::string> GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? std::optional<std::string>(v) : std::nullopt;
}

bool SetEnv(const std::string& name, const std::string& value) {
  return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

void UnsetEnv(const std::string& name) { ::unsetenv(name.c_str()); }

}  // namespace s4
