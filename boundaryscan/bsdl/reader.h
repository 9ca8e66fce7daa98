// Reads BSDL text (the 1990, 1993/1994 and 2001 forms of IEEE 1149.1) into a Description.
//
// The reader takes the text, not a file name, so that it can read files, data built into
// the program and test strings alike; `file` only names the source in error messages.
// Attributes it does not model (1149.6 AIO attributes, PORT_GROUPING, INSTRUCTION_GUARD,
// ISC attributes, ...) are read over and skipped.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "boundaryscan/bsdl/description.h"

namespace s4::bsdl {

// A syntax error: what() reads "FILE:LINE: MESSAGE", where MESSAGE says what was expected.
class ParseError : public std::runtime_error {
 public:
  ParseError(std::string file, int line, std::string message);
  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const std::string& message() const { return message_; }

 private:
  std::string file_;
  int line_;
  std::string message_;
};

Description Read(std::string_view text, std::string_view file);

// Reads a file; a file that cannot be opened is a ParseError at line 0.
Description ReadFile(const std::string& path);

}  // namespace s4::bsdl
