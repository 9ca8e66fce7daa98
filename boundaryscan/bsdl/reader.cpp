#include "boundaryscan/bsdl/reader.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <concepts>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <utility>
#include <vector>

namespace s4::bsdl {

ParseError::ParseError(std::string file, int line, std::string message)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + message),
      file_(std::move(file)),
      line_(line),
      message_(std::move(message)) {}

namespace {

// Character classes of the C locale, looked up in one table: the reader runs over every
// character of files of several hundred kilobytes, and the <cctype> calls showed in profiles.
enum : std::uint8_t { kSpace = 1, kAlpha = 2, kDigit = 4 };
constexpr std::array<std::uint8_t, 256> kClass = [] {
  std::array<std::uint8_t, 256> t{};
  for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) t[c] = kSpace;
  for (int c = 'a'; c <= 'z'; ++c) t[static_cast<std::size_t>(c)] = kAlpha;
  for (int c = 'A'; c <= 'Z'; ++c) t[static_cast<std::size_t>(c)] = kAlpha;
  for (int c = '0'; c <= '9'; ++c) t[static_cast<std::size_t>(c)] = kDigit;
  return t;
}();
std::uint8_t ClassOf(char c) { return kClass[static_cast<unsigned char>(c)]; }
bool IsSpace(char c) { return ClassOf(c) & kSpace; }
bool IsDigit(char c) { return ClassOf(c) & kDigit; }
bool IsIdentStart(char c) { return (ClassOf(c) & kAlpha) || c == '_'; }
bool IsWordChar(char c) { return (ClassOf(c) & (kAlpha | kDigit)) || c == '_'; }

enum class Tok { End, Ident, Number, String, Punct };

// Token texts point into the source, or for the rare string literal with a doubled quote
// into the tokenizer's own store.
struct Token {
  Tok kind = Tok::End;
  std::string_view text;
  int line = 0;
};

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return u;
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string Describe(const Token& t) {
  switch (t.kind) {
    case Tok::End: return "the end of the file";
    case Tok::String: return "a string";
    default: return Quoted(t.text);
  }
}

// A message context: a fixed text, or a function that builds it. Contexts that name a cell or
// a port are built only when an error is raised, never for the items that read well.
std::string ContextText(const char* s) { return s; }
std::string ContextText(const std::string& s) { return s; }
template <class F>
  requires std::invocable<const F&>
std::string ContextText(const F& f) {
  return f();
}

// The file as tokens, one at a time; comments ("--" to the end of the line) and white space
// dropped. Tokens are made as the parser asks for them, so that no list of every token of a
// large file is ever built.
class Lexer {
 public:
  Lexer(std::string_view s, const std::string& file) : s_(s), file_(file) {}

  Token Scan() {
    const std::string_view s = s_;
    const std::size_t n = s.size();
    std::size_t i = i_;
    while (i < n) {
      const char c = s[i];
      if (c == '\n') {
        ++line_;
        ++i;
      } else if (IsSpace(c)) {
        ++i;
      } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
        const void* nl = std::memchr(s.data() + i, '\n', n - i);
        i = nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - s.data()) : n;
      } else {
        break;
      }
    }
    if (i >= n) {
      i_ = n;
      return {Tok::End, {}, line_};
    }
    const char c = s[i];
    Token t{Tok::Punct, {}, line_};
    if (IsIdentStart(c)) {
      const std::size_t b = i;
      while (i < n && IsWordChar(s[i])) ++i;
      t = {Tok::Ident, s.substr(b, i - b), line_};
    } else if (IsDigit(c)) {
      const std::size_t b = i;
      while (i < n && (IsWordChar(s[i]) || s[i] == '.' ||
                       ((s[i] == '+' || s[i] == '-') && (s[i - 1] == 'e' || s[i - 1] == 'E'))))
        ++i;
      t = {Tok::Number, s.substr(b, i - b), line_};
    } else if (c == '"') {
      const std::size_t b = ++i;
      bool doubled = false;
      for (;;) {
        if (i >= n || s[i] == '\n' || s[i] == '\r')
          throw ParseError(file_, line_, "expected the closing '\"' of a string on the same line");
        if (s[i] == '"') {
          if (i + 1 < n && s[i + 1] == '"') {  // "" stands for one quote
            doubled = true;
            i += 2;
            continue;
          }
          break;
        }
        ++i;
      }
      std::string_view text = s.substr(b, i - b);
      ++i;
      if (doubled) {
        std::string& u = store_.emplace_back();
        for (std::size_t k = 0; k < text.size(); ++k) {
          u += text[k];
          if (text[k] == '"') ++k;
        }
        text = u;
      }
      t = {Tok::String, text, line_};
    } else if (c == ':' && i + 1 < n && s[i + 1] == '=') {
      t.text = s.substr(i, 2);
      i += 2;
    } else if (std::string_view("():;,&.*[]").find(c) != std::string_view::npos) {
      t.text = s.substr(i, 1);
      ++i;
    } else {
      throw ParseError(file_, line_, std::string("unexpected character '") + c + "'");
    }
    i_ = i;
    return t;
  }

 private:
  std::string_view s_;
  const std::string& file_;
  std::size_t i_ = 0;
  int line_ = 1;
  std::deque<std::string> store_;  // literals with doubled quotes, undoubled
};

// A string value built from one or more literals joined by "&": the literals as they stand in
// the source, each with its line, so that items inside it are placed on their own lines. The
// value is read in place: a boundary register of thousands of literals is never copied into
// one text.
struct Literal {
  std::string_view text;
  int line = 0;
};

struct StringValue {
  std::vector<Literal> literals;
  std::string Text() const {
    std::size_t size = 0;
    for (const Literal& l : literals) size += l.text.size();
    std::string t;
    t.reserve(size);
    for (const Literal& l : literals) t += l.text;
    return t;
  }
};

std::size_t TextSize(const StringValue& v) {
  std::size_t n = 0;
  for (const Literal& l : v.literals) n += l.text.size();
  return n;
}

bool IsItemChar(char c) { return IsWordChar(c) || c == '.'; }

// Items inside a string value: words (names, numbers, bit patterns) and punctuation. The
// literals count as one text: white space and words may run on from one literal into the next.
class ItemScanner {
 public:
  ItemScanner(const StringValue& v, const std::string& file, std::string_view what)
      : lits_(v.literals), file_(file), what_(what) {}

  bool AtEnd() {
    Skip();
    return seg_ >= lits_.size();
  }
  // The line of the literal that holds the next item; at the end, of the one that holds the
  // last character.
  int Line() {
    Skip();
    if (seg_ < lits_.size()) return lits_[seg_].line;
    for (std::size_t k = lits_.size(); k-- > 0;)
      if (!lits_[k].text.empty()) return lits_[k].line;
    return lits_.empty() ? 0 : lits_.back().line;
  }
  bool PeekPunct(char c) {
    Skip();
    return seg_ < lits_.size() && lits_[seg_].text[pos_] == c;
  }
  bool TakePunct(char c) {
    if (!PeekPunct(c)) return false;
    ++pos_;
    return true;
  }
  template <class Context>
  void ExpectPunct(char c, const Context& context) {
    if (!TakePunct(c)) Fail(std::string("expected '") + c + "' " + ContextText(context) + ", found " + Found());
  }
  // The next word. The view is valid until the next call: a word that runs on into the next
  // literal is joined in a buffer of the scanner's.
  std::string_view Word(const char* what) {
    Skip();
    if (seg_ >= lits_.size() || !IsItemChar(lits_[seg_].text[pos_]))
      Fail(std::string("expected ") + what + ", found " + Found());
    std::string_view t = lits_[seg_].text;
    const std::size_t b = pos_;
    while (pos_ < t.size() && IsItemChar(t[pos_])) ++pos_;
    if (pos_ < t.size()) return t.substr(b, pos_ - b);
    joined_.assign(t.substr(b));
    for (;;) {
      Normalize();
      if (seg_ >= lits_.size()) break;
      t = lits_[seg_].text;
      const std::size_t c = pos_;
      while (pos_ < t.size() && IsItemChar(t[pos_])) ++pos_;
      joined_.append(t.substr(c, pos_ - c));
      if (pos_ < t.size()) break;
    }
    return joined_;
  }
  int Integer(const char* what) {
    const int line = Line();
    const std::string_view w = Word(what);
    int n = 0;
    auto [p, ec] = std::from_chars(w.data(), w.data() + w.size(), n);
    if (ec != std::errc() || p != w.data() + w.size() || n < 0)
      throw ParseError(file_, line, std::string("expected ") + what + " (a number), found " + Quoted(w));
    return n;
  }
  [[noreturn]] void Fail(const std::string& message) {
    throw ParseError(file_, Line(), message + " in " + std::string(what_));
  }
  std::string Found() {
    Skip();
    if (seg_ >= lits_.size()) return "the end of the string";
    if (!IsWordChar(lits_[seg_].text[pos_])) return std::string("'") + lits_[seg_].text[pos_] + "'";
    std::string word;
    for (std::size_t k = seg_, i = pos_; k < lits_.size(); ++k, i = 0) {
      const std::string_view t = lits_[k].text;
      while (i < t.size() && IsWordChar(t[i])) word += t[i++];
      if (i < t.size()) break;
    }
    return Quoted(word);
  }

 private:
  // Moves past literals that are used up: afterwards the scanner is at a character or at the end.
  void Normalize() {
    while (seg_ < lits_.size() && pos_ >= lits_[seg_].text.size()) {
      ++seg_;
      pos_ = 0;
    }
  }
  void Skip() {
    for (;;) {
      Normalize();
      if (seg_ >= lits_.size()) return;
      const std::string_view t = lits_[seg_].text;
      while (pos_ < t.size() && IsSpace(t[pos_])) ++pos_;
      if (pos_ < t.size()) return;
    }
  }
  const std::vector<Literal>& lits_;
  const std::string& file_;
  std::string_view what_;
  std::size_t seg_ = 0, pos_ = 0;  // the literal and the offset in it
  std::string joined_;
};

bool IsBit(char c, bool allowX) { return c == '0' || c == '1' || (allowX && (c == 'X' || c == 'x')); }

bool IsBitPattern(std::string_view s, bool allowX) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsBit(c, allowX)) return false;
  return true;
}

std::string UpperPattern(std::string_view v) {
  std::string s(v);
  for (char& c : s)
    if (c == 'x') c = 'X';
  return s;
}

class Parser {
 public:
  Parser(std::string_view text, std::string file) : file_(std::move(file)), lexer_(text, file_), cur_(lexer_.Scan()) {}

  Description Run() {
    ExpectKeyword("entity", "at the start of the description");
    d_.entityLine.value = Peek().line;
    d_.entity = ExpectIdent("the entity name");
    ExpectKeyword("is", "after the entity name");
    for (;;) {
      const Token& tok = Peek();
      const std::string_view kw = tok.kind == Tok::Ident ? tok.text : std::string_view();
      if (SameName(kw, "GENERIC")) {
        ParseGeneric();
      } else if (SameName(kw, "PORT")) {
        ParsePorts();
      } else if (SameName(kw, "USE")) {
        ParseUse();
      } else if (SameName(kw, "ATTRIBUTE")) {
        ParseAttribute();
      } else if (SameName(kw, "CONSTANT")) {
        ParseConstant();
      } else if (SameName(kw, "END")) {
        Next();
        if (Peek().kind == Tok::Ident) {
          const Token name = Next();
          if (!SameName(name.text, d_.entity))
            Fail(name, "expected \"end " + d_.entity + ";\", found the name " + Quoted(name.text));
        }
        ExpectPunct(";", [&] { return "after \"end " + d_.entity + "\""; });
        if (Peek().kind != Tok::End) Fail(Peek(), "expected nothing but comments after \"end " + d_.entity + ";\", found " + Describe(Peek()));
        return std::move(d_);
      } else if (tok.kind == Tok::End) {
        Fail(tok, "expected \"end " + d_.entity + ";\" before the end of the file");
      } else {
        Fail(tok, "expected generic, port, use, attribute, constant or end, found " + Describe(tok));
      }
    }
  }

 private:
  const Token& Peek() const { return cur_; }
  Token Next() {
    const Token t = cur_;
    if (t.kind != Tok::End) cur_ = lexer_.Scan();
    return t;
  }
  [[noreturn]] void Fail(const Token& at, const std::string& message) const {
    throw ParseError(file_, at.line, message);
  }
  bool IsPunct(std::string_view p) const { return Peek().kind == Tok::Punct && Peek().text == p; }
  template <class Context>
  void ExpectPunct(const char* p, const Context& context) {
    if (!IsPunct(p)) Fail(Peek(), std::string("expected '") + p + "' " + ContextText(context) + ", found " + Describe(Peek()));
    Next();
  }
  template <class Context>
  std::string_view ExpectIdent(const Context& what) {
    if (Peek().kind != Tok::Ident) Fail(Peek(), "expected " + ContextText(what) + ", found " + Describe(Peek()));
    return Next().text;
  }
  template <class Context>
  void ExpectKeyword(const char* kw, const Context& context) {
    if (Peek().kind != Tok::Ident || !SameName(Peek().text, kw))
      Fail(Peek(), "expected \"" + std::string(kw) + "\" " + ContextText(context) + ", found " + Describe(Peek()));
    Next();
  }

  // "generic (PHYSICAL_PIN_MAP : string := "name");"
  void ParseGeneric() {
    Next();
    ExpectPunct("(", "after \"generic\"");
    for (;;) {
      const std::string_view name = ExpectIdent("a generic name");
      ExpectPunct(":", "after the generic name");
      ExpectIdent("the generic's type");
      if (IsPunct(":=")) {
        Next();
        const StringValue v = ParseString([&] { return "the default of " + std::string(name); });
        if (SameName(name, "PHYSICAL_PIN_MAP")) d_.defaultPinMap = Trim(v.Text());
      }
      if (IsPunct(";")) {
        Next();
        continue;
      }
      break;
    }
    ExpectPunct(")", "at the end of the generic clause");
    ExpectPunct(";", "after the generic clause");
  }

  // "port (A, B : in bit; C : out bit_vector (1 to 4); ...);"
  void ParsePorts() {
    Next();
    ExpectPunct("(", "after \"port\"");
    for (;;) {
      std::vector<std::pair<std::string_view, int>> names;
      names.emplace_back(Peek().text, Peek().line);
      ExpectIdent("a port name");
      while (IsPunct(",")) {
        Next();
        names.emplace_back(Peek().text, Peek().line);
        ExpectIdent("a port name after ','");
      }
      ExpectPunct(":", "after the port name(s)");
      const Token modeTok = Peek();
      const std::string_view mode = ExpectIdent("a port mode (in, out, inout, buffer or linkage)");
      Port proto;
      if (SameName(mode, "IN")) proto.mode = PortMode::In;
      else if (SameName(mode, "OUT")) proto.mode = PortMode::Out;
      else if (SameName(mode, "INOUT")) proto.mode = PortMode::InOut;
      else if (SameName(mode, "BUFFER")) proto.mode = PortMode::Buffer;
      else if (SameName(mode, "LINKAGE")) proto.mode = PortMode::Linkage;
      else Fail(modeTok, "expected a port mode (in, out, inout, buffer or linkage), found " + Quoted(modeTok.text));
      const Token typeTok = Peek();
      const std::string_view type = ExpectIdent("a port type (bit or bit_vector)");
      if (SameName(type, "BIT_VECTOR")) {
        proto.isVector = true;
        const Token open = Peek();
        ExpectPunct("(", "after bit_vector");
        proto.first = ExpectInteger("the first index of the vector");
        const Token dir = Peek();
        const std::string_view d = ExpectIdent("\"to\" or \"downto\"");
        if (!SameName(d, "TO") && !SameName(d, "DOWNTO")) Fail(dir, "expected \"to\" or \"downto\", found " + Quoted(dir.text));
        proto.downto = SameName(d, "DOWNTO");
        proto.last = ExpectInteger("the last index of the vector");
        ExpectPunct(")", "after the vector range");
        if (proto.Width() > kMaxPortWidth)
          Fail(open, "the vector range (" + std::to_string(proto.first) + (proto.downto ? " downto " : " to ") +
                         std::to_string(proto.last) + ") is wider than " + std::to_string(kMaxPortWidth) + " bits");
      } else if (!SameName(type, "BIT")) {
        Fail(typeTok, "expected a port type (bit or bit_vector), found " + Quoted(typeTok.text));
      }
      for (auto& [n, line] : names) {
        Port& p = d_.ports.emplace_back(proto);
        p.name = n;
        p.line.value = line;
      }
      if (IsPunct(";")) {
        Next();
        continue;
      }
      break;
    }
    ExpectPunct(")", "at the end of the port list");
    ExpectPunct(";", "after the port list");
  }

  // "use STD_1149_1_2001.all;"
  void ParseUse() {
    Next();
    d_.uses.emplace_back(ExpectIdent("a package name after \"use\""));
    ExpectPunct(".", "after the package name");
    ExpectKeyword("all", "after the package name and '.'");
    ExpectPunct(";", "after the use clause");
  }

  int ExpectInteger(const std::string& what) {
    const Token t = Peek();
    if (t.kind != Tok::Number) Fail(t, "expected " + what + " (a number), found " + Describe(t));
    Next();
    int n = 0;
    auto [p, ec] = std::from_chars(t.text.data(), t.text.data() + t.text.size(), n);
    if (ec != std::errc() || p != t.text.data() + t.text.size())
      Fail(t, "expected " + what + " (a whole number), found " + Quoted(t.text));
    return n;
  }

  // One or more string literals joined by "&".
  template <class Context>
  StringValue ParseString(const Context& what) {
    StringValue v;
    for (;;) {
      if (Peek().kind != Tok::String) Fail(Peek(), "expected a string for " + ContextText(what) + ", found " + Describe(Peek()));
      const Token s = Next();
      v.literals.push_back({s.text, s.line});
      if (!IsPunct("&")) break;
      Next();
    }
    return v;
  }

  // Reads over the rest of a statement we do not model.
  void SkipStatement() {
    while (!IsPunct(";")) {
      if (Peek().kind == Tok::End) Fail(Peek(), "expected ';' to end the statement before the end of the file");
      Next();
    }
    Next();
  }

  void ParseConstant() {
    Next();
    const Token nameTok = Peek();
    const std::string name(ExpectIdent("a constant name"));
    ExpectPunct(":", "after the constant name");
    const std::string_view type = ExpectIdent("the constant's type");
    ExpectPunct(":=", "after the constant's type");
    if (!SameName(type, "PIN_MAP_STRING")) {
      SkipStatement();
      return;
    }
    const std::string what = "the pin map " + name;
    const StringValue v = ParseString(what);
    ExpectPunct(";", [&] { return "after " + what; });
    PinMap& map = d_.pinMaps.emplace_back();
    map.name = name;
    map.line.value = nameTok.line;
    ItemScanner s(v, file_, what);
    while (!s.AtEnd()) {
      PinMapEntry& e = map.entries.emplace_back();
      e.line.value = s.Line();
      e.port = s.Word("a port name");
      s.ExpectPunct(':', [&] { return "after the port name " + e.port; });
      if (s.TakePunct('(')) {
        e.list = true;
        do e.pins.emplace_back(s.Word("a pin name"));
        while (s.TakePunct(','));
        s.ExpectPunct(')', [&] { return "after the pin list of " + e.port; });
      } else {
        e.pins.emplace_back(s.Word("a pin name"));
      }
      if (!s.TakePunct(',')) break;
    }
    if (!s.AtEnd()) s.Fail("expected ',' between pin map entries, found " + s.Found());
  }

  // "attribute NAME of TARGET : CLASS is VALUE;"
  void ParseAttribute() {
    Next();
    const Token nameTok = Peek();
    const std::string name = Upper(ExpectIdent("an attribute name"));
    ExpectKeyword("of", [&] { return "after the attribute name " + std::string(nameTok.text); });
    const std::string target(
        ExpectIdent([&] { return "the name the attribute " + std::string(nameTok.text) + " applies to"; }));
    ExpectPunct(":", [&] { return "after \"" + std::string(nameTok.text) + " of " + target + "\""; });
    ExpectIdent("an entity class (entity or signal)");
    ExpectKeyword("is", "after the entity class");
    const std::string what = "the attribute " + std::string(nameTok.text);
    auto end = [&] { ExpectPunct(";", [&] { return "at the end of " + what; }); };
    const int line = nameTok.line;

    if (name == "COMPONENT_CONFORMANCE") {
      d_.conformance = Trim(ParseString(what).Text());
      end();
    } else if (name == "TAP_SCAN_IN" || name == "TAP_SCAN_OUT" || name == "TAP_SCAN_MODE" || name == "TAP_SCAN_RESET") {
      const Token v = Peek();
      if (!SameName(ExpectIdent("true"), "TRUE")) Fail(v, "expected true for " + what + ", found " + Quoted(v.text));
      end();
      TapSignal& s = name == "TAP_SCAN_IN" ? d_.tdi : name == "TAP_SCAN_OUT" ? d_.tdo : name == "TAP_SCAN_MODE" ? d_.tms : d_.trst;
      s.port = target;
      s.line.value = line;
    } else if (name == "TAP_SCAN_CLOCK") {
      ExpectPunct("(", [&] { return "to open the frequency and halt state of " + what; });
      const Token f = Peek();
      if (f.kind != Tok::Number) Fail(f, "expected the maximum TCK frequency (a number), found " + Describe(f));
      Next();
      d_.tckMaxFrequency = Frequency(f);
      ExpectPunct(",", "after the TCK frequency");
      const Token h = Peek();
      const std::string_view halt = ExpectIdent("the TCK halt state (LOW or BOTH)");
      if (!SameName(halt, "LOW") && !SameName(halt, "BOTH"))
        Fail(h, "expected the TCK halt state (LOW or BOTH), found " + Quoted(h.text));
      d_.tckHalt = h.text;
      ExpectPunct(")", "after the TCK halt state");
      end();
      d_.tck.port = target;
      d_.tck.line.value = line;
    } else if (name == "INSTRUCTION_LENGTH") {
      d_.instructionLength = ExpectInteger("the instruction length");
      d_.instructionLengthLine.value = line;
      end();
    } else if (name == "BOUNDARY_LENGTH") {
      d_.boundaryLength = ExpectInteger("the boundary length");
      d_.boundaryLengthLine.value = line;
      end();
    } else if (name == "INSTRUCTION_OPCODE") {
      d_.instructionsLine.value = line;
      ParseOpcodes(ParseString(what), what);
      end();
    } else if (name == "INSTRUCTION_CAPTURE") {
      d_.instructionCapture = Pattern(ParseString(what), what, line);
      end();
    } else if (name == "INSTRUCTION_PRIVATE") {
      const StringValue v = ParseString(what);
      ItemScanner s(v, file_, what);
      while (!s.AtEnd()) {
        d_.privateInstructions.emplace_back(s.Word("an instruction name"));
        if (!s.TakePunct(',')) break;
      }
      if (!s.AtEnd()) s.Fail("expected ',' between instruction names, found " + s.Found());
      end();
    } else if (name == "IDCODE_REGISTER") {
      d_.idcode = Pattern(ParseString(what), what, line);
      d_.idcodeLine.value = line;
      end();
    } else if (name == "USERCODE_REGISTER") {
      d_.usercode = Pattern(ParseString(what), what, line);
      end();
    } else if (name == "REGISTER_ACCESS") {
      ParseRegisterAccess(ParseString(what), what);
      end();
    } else if (name == "BOUNDARY_REGISTER") {
      d_.cellsLine.value = line;
      ParseCells(ParseString(what), what);
      end();
    } else if (name == "DESIGN_WARNING") {
      d_.designWarning = ParseString(what).Text();
      end();
    } else if (name == "COMPLIANCE_PATTERNS") {
      d_.compliancePatterns = Trim(ParseString(what).Text());
      end();
    } else {
      SkipStatement();  // PIN_MAP, 1149.6 and vendor attributes
    }
  }

  // A frequency in hertz: a finite, positive number that a double holds. "1e999" would read as
  // infinity, which no writer could write back as a number.
  double Frequency(const Token& f) {
    const std::string text(f.text);
    char* endp = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &endp);
    if (!endp || *endp != 0) Fail(f, "expected the maximum TCK frequency (a number), found " + Quoted(f.text));
    if (errno == ERANGE || !std::isfinite(v))
      Fail(f, "expected the maximum TCK frequency (a number a double can hold), found " + Quoted(f.text));
    return v;
  }

  // A register pattern ("0101", "XXXX0001..."), white space removed.
  std::string Pattern(const StringValue& v, const std::string& what, int line) {
    std::string p;
    for (const Literal& l : v.literals)
      for (char c : l.text)
        if (!IsSpace(c)) p += c;
    if (!IsBitPattern(p, true))
      throw ParseError(file_, line, "expected a bit pattern of 0, 1 and X for " + what + ", found \"" + p + "\"");
    return UpperPattern(p);
  }

  // "BYPASS (11111111, 10000100), EXTEST (00000000), ..."
  void ParseOpcodes(const StringValue& v, const std::string& what) {
    ItemScanner s(v, file_, what);
    while (!s.AtEnd()) {
      Instruction& ins = d_.instructions.emplace_back();
      ins.line.value = s.Line();
      ins.name = s.Word("an instruction name");
      s.ExpectPunct('(', [&] { return "after the instruction name " + ins.name; });
      do {
        const int line = s.Line();
        const std::string_view op = s.Word("an opcode");
        if (!IsBitPattern(op, true))
          throw ParseError(file_, line, "expected an opcode of 0, 1 and X for " + ins.name + ", found " + Quoted(op));
        ins.opcodes.push_back(UpperPattern(op));
      } while (s.TakePunct(','));
      s.ExpectPunct(')', [&] { return "after the opcodes of " + ins.name; });
      if (!s.TakePunct(',')) break;
    }
    if (!s.AtEnd()) s.Fail("expected ',' between instructions, found " + s.Found());
  }

  // "BOUNDARY (EXTEST, SAMPLE), IOCSR[21388] (CONFIG_IO), ..."
  void ParseRegisterAccess(const StringValue& v, const std::string& what) {
    ItemScanner s(v, file_, what);
    while (!s.AtEnd()) {
      RegisterAccess& r = d_.registerAccess.emplace_back();
      r.line.value = s.Line();
      r.reg = s.Word("a register name");
      if (s.TakePunct('[')) {
        r.length = s.Integer("the register length");
        s.ExpectPunct(']', [&] { return "after the length of " + r.reg; });
      }
      s.ExpectPunct('(', [&] { return "after the register " + r.reg; });
      do r.instructions.emplace_back(s.Word("an instruction name"));
      while (s.TakePunct(','));
      s.ExpectPunct(')', [&] { return "after the instructions of " + r.reg; });
      if (!s.TakePunct(',')) break;
    }
    if (!s.AtEnd()) s.Fail("expected ',' between register entries, found " + s.Found());
  }

  // "0 (BC_1, IOA25, input, X), 2 (BC_1, IOA25, output3, X, 1, 1, Z), ..."
  void ParseCells(const StringValue& v, const std::string& what) {
    // Room for the cells the file announces, but no more than the text can hold (a cell takes
    // at least ten characters), so that a false BOUNDARY_LENGTH reserves nothing absurd.
    if (d_.boundaryLength > 0)
      d_.cells.reserve(std::min<std::size_t>(static_cast<std::size_t>(d_.boundaryLength), TextSize(v) / 10 + 1));
    ItemScanner s(v, file_, what);
    while (!s.AtEnd()) {
      Cell& c = d_.cells.emplace_back();
      c.line.value = s.Line();
      c.number = s.Integer("a cell number");
      const auto ctx = [&] { return "of cell " + std::to_string(c.number); };
      s.ExpectPunct('(', [&] { return "after the cell number " + std::to_string(c.number); });
      c.cell = s.Word("a cell type");
      s.ExpectPunct(',', [&] { return "after the cell type " + ctx(); });
      if (s.TakePunct('*')) {
        c.port = "*";
      } else {
        c.port = s.Word("a port name or '*'");
        if (s.TakePunct('(')) {
          char digits[16];
          const auto r = std::to_chars(digits, digits + sizeof digits, s.Integer("a vector index"));
          c.port += '(';
          c.port.append(digits, r.ptr);
          c.port += ')';
          s.ExpectPunct(')', [&] { return "after the vector index " + ctx(); });
        }
      }
      s.ExpectPunct(',', [&] { return "after the port " + ctx(); });
      c.function = s.Word("a cell function");
      s.ExpectPunct(',', [&] { return "after the function " + ctx(); });
      const int safeLine = s.Line();
      const std::string_view safe = s.Word("a safe value (0, 1 or X)");
      if (safe.size() != 1 || !IsBit(safe[0], true))
        throw ParseError(file_, safeLine, "expected a safe value (0, 1 or X) " + ctx() + ", found " + Quoted(safe));
      c.safe = safe[0] == 'x' ? 'X' : safe[0];
      if (s.TakePunct(',')) {
        c.control = s.Integer("a control cell number");
        s.ExpectPunct(',', [&] { return "after the control cell " + ctx(); });
        const int dvLine = s.Line();
        const std::string_view dv = s.Word("a disable value (0 or 1)");
        if (dv != "0" && dv != "1")
          throw ParseError(file_, dvLine, "expected a disable value (0 or 1) " + ctx() + ", found " + Quoted(dv));
        c.disableValue = dv[0];
        s.ExpectPunct(',', [&] { return "after the disable value " + ctx(); });
        c.disableResult = s.Word("a disable result (Z, WEAK0, WEAK1, PULL0, PULL1 or KEEPER)");
      }
      s.ExpectPunct(')', [&] { return "to close the cell " + std::to_string(c.number); });
      if (!s.TakePunct(',')) break;
    }
    if (!s.AtEnd()) s.Fail("expected ',' between cells, found " + s.Found());
  }

  std::string file_;
  Lexer lexer_;
  Token cur_;
  Description d_;
};

}  // namespace

Description Read(std::string_view text, std::string_view file) { return Parser(text, std::string(file)).Run(); }

Description ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ParseError(path, 0, "cannot open the file");
  std::string text;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) text.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) throw ParseError(path, 0, "cannot read the file");
  return Read(text, path);
}

}  // namespace s4::bsdl
