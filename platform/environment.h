// Environment variables of the process, with names and values in UTF-8.
#pragma once

#include <optional>
#include <string>

namespace s4 {

// The value of a variable; nullopt when it is not set.
std::optional<std::string> GetEnv(const std::string& name);
// Sets or replaces a variable; false when the system refuses (a name with "=", for example).
bool SetEnv(const std::string& name, const std::string& value);
// Removes a variable; removing one that is not set is not an error.
void UnsetEnv(const std::string& name);

}  // namespace s4
