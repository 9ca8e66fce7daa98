#include "tools/pindata/pin_file.h"

#include <charconv>

namespace s4::pindata {
namespace {

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pos = s.find(sep, start);
    parts.push_back(s.substr(start, pos == std::string_view::npos ? std::string_view::npos : pos - start));
    if (pos == std::string_view::npos) return parts;
    start = pos + 1;
  }
}

bool ParseNumber(std::string_view s, std::uint32_t& out) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

bool ParseFlags(std::string_view s, std::uint16_t& out, std::string& bad) {
  out = 0;
  if (s.empty()) return true;
  for (std::string_view name : Split(s, ',')) {
    int bit = -1;
    for (int b = 0; b < 16; ++b)
      if (kFlagNames[b] == name) bit = b;
    if (bit < 0) {
      bad = std::string(name);
      return false;
    }
    out = static_cast<std::uint16_t>(out | (1u << bit));
  }
  return true;
}

bool ParseStandards(std::string_view s, StandardSet& out, std::string& bad) {
  out = {};
  if (s.empty()) return true;
  for (std::string_view item : Split(s, ',')) {
    const auto dash = item.find('-');
    std::uint32_t first = 0, last = 0;
    const bool ok = dash == std::string_view::npos
                        ? ParseNumber(item, first) && ((last = first), true)
                        : ParseNumber(item.substr(0, dash), first) && ParseNumber(item.substr(dash + 1), last);
    if (!ok || first > last || last >= kIOStandardCount) {
      bad = std::string(item);
      return false;
    }
    for (std::uint32_t o = first; o <= last; ++o) out.Add(o);
  }
  return true;
}

// Every CR before the LF goes: a comment or value that ended in one could not be written
// back (the writer ends its lines in LF alone), so it must not be read either.
std::string_view TrimCR(std::string_view line) {
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The key of a header line body ("pin-set: X" -> "pin-set"), empty when there is none.
std::string_view HeaderKey(std::string_view body) {
  const auto colon = body.find(": ");
  return colon == std::string_view::npos ? std::string_view() : body.substr(0, colon);
}

// A comment that would be taken for a header line if it stood before the column header.
bool ReadsAsHeaderKey(std::string_view body) {
  const std::string_view key = HeaderKey(body);
  return key == "format" || key == "pin-set" || key == "provenance";
}

}  // namespace

std::string Diagnostic::ToString() const {
  std::string s = File;
  if (Line > 0) s += ":" + std::to_string(Line);
  s += ": ";
  if (!Pin.empty()) s += "pin " + Pin + ": ";
  s += "[" + Rule + "] " + Message;
  return s;
}

std::string FlagsToText(std::uint16_t options) {
  std::string s;
  for (int b = 0; b < 16; ++b)
    if (options & (1u << b)) {
      if (!s.empty()) s += ',';
      s += kFlagNames[b];
    }
  return s;
}

std::string StandardsToText(const StandardSet& set) {
  std::string s;
  for (std::uint32_t o = 0; o < kIOStandardCount;) {
    if (!set.Has(o)) {
      ++o;
      continue;
    }
    std::uint32_t end = o;
    while (end + 1 < kIOStandardCount && set.Has(end + 1)) ++end;
    if (!s.empty()) s += ',';
    s += std::to_string(o);
    if (end > o) s += "-" + std::to_string(end);
    o = end + 1;
  }
  return s;
}

PinFile ParsePinFile(std::string_view text, const std::string& fileName, std::vector<Diagnostic>& diagnostics) {
  PinFile file;
  auto problem = [&](int line, std::string pin, std::string message) {
    diagnostics.push_back({fileName, line, std::move(pin), "format", std::move(message)});
  };
  bool sawFormat = false, sawColumns = false;
  int lineNo = 0;
  for (std::string_view raw : Split(text, '\n')) {
    ++lineNo;
    const std::string_view line = TrimCR(raw);
    if (line.empty()) continue;
    if (line[0] == '#') {
      std::string_view body = line.substr(1);
      if (!body.empty() && body[0] == ' ') body.remove_prefix(1);
      const std::string_view key = HeaderKey(body);
      const std::string_view value = key.empty() ? std::string_view() : body.substr(key.size() + 2);
      if (sawColumns) {
        file.Comments.emplace_back(body);
      } else if (key == "format") {
        sawFormat = true;
        if (value != "s4-pins " + std::to_string(kFormatVersion))
          problem(lineNo, {}, "format '" + std::string(value) + "' is not 's4-pins " +
                                  std::to_string(kFormatVersion) + "'; convert the file with this version's tools");
      } else if (key == "pin-set") {
        file.PinSet = value;
      } else if (key == "provenance") {
        file.Provenance = value;
      } else {
        file.Comments.emplace_back(body);
      }
      continue;
    }
    if (!sawColumns) {
      if (line != kColumnHeader) {
        problem(lineNo, {}, "expected the column header line '" + std::string(kColumnHeader) + "'");
        return file;
      }
      sawColumns = true;
      continue;
    }
    const auto fields = Split(line, '\t');
    if (fields.size() != 6) {
      problem(lineNo, std::string(fields[0]), "expected 6 tab-separated fields, found " + std::to_string(fields.size()));
      continue;
    }
    Pin pin;
    pin.PinNumber = fields[0];
    pin.Bank = fields[1];
    pin.DiffId = fields[2];
    pin.ClkDiffId = fields[3];
    pin.Line = lineNo;
    std::string bad;
    if (!ParseFlags(fields[4], pin.Options, bad)) problem(lineNo, pin.PinNumber, "unknown flag '" + bad + "'");
    if (!ParseStandards(fields[5], pin.Standards, bad))
      problem(lineNo, pin.PinNumber, "bad standard ordinal or range '" + bad + "' (ordinals are 0..64)");
    file.Pins.push_back(std::move(pin));
  }
  if (!sawFormat) problem(1, {}, "missing header line '# format: s4-pins " + std::to_string(kFormatVersion) + "'");
  if (file.PinSet.empty()) problem(1, {}, "missing header line '# pin-set: NAME'");
  if (file.Provenance.empty()) problem(1, {}, "missing header line '# provenance: ...'");
  if (!sawColumns) problem(lineNo, {}, "missing the column header line");
  return file;
}

std::string WritePinFile(const PinFile& file) {
  std::string s;
  s += "# format: s4-pins " + std::to_string(kFormatVersion) + "\n";
  s += "# pin-set: " + file.PinSet + "\n";
  s += "# provenance: " + file.Provenance + "\n";
  // Comments stand before the column header up to the first one that reads like a header
  // line ("pin-set: ..."); that one and the rest follow the column header, where the reader
  // keeps them as comments. So the header written is the file's own, and the comments come
  // back as they were, in their order.
  std::size_t before = 0;
  while (before < file.Comments.size() && !ReadsAsHeaderKey(file.Comments[before])) ++before;
  for (std::size_t i = 0; i < before; ++i) s += "# " + file.Comments[i] + "\n";
  s += kColumnHeader;
  s += '\n';
  for (std::size_t i = before; i < file.Comments.size(); ++i) s += "# " + file.Comments[i] + "\n";
  for (const Pin& p : file.Pins) {
    s += p.PinNumber + '\t' + p.Bank + '\t' + p.DiffId + '\t' + p.ClkDiffId + '\t' + FlagsToText(p.Options) + '\t' +
         StandardsToText(p.Standards) + '\n';
  }
  return s;
}

bool SameContent(const PinFile& a, const PinFile& b) {
  if (a.PinSet != b.PinSet || a.Provenance != b.Provenance || a.Comments != b.Comments || a.Pins.size() != b.Pins.size())
    return false;
  for (std::size_t i = 0; i < a.Pins.size(); ++i) {
    const Pin &p = a.Pins[i], &q = b.Pins[i];
    if (p.PinNumber != q.PinNumber || p.Bank != q.Bank || p.DiffId != q.DiffId || p.ClkDiffId != q.ClkDiffId ||
        p.Options != q.Options || !(p.Standards == q.Standards))
      return false;
  }
  return true;
}

}  // namespace s4::pindata
