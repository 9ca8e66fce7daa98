#include "boundaryscan/bsdl/reader.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace s4::bsdl {

ParseError::ParseError(std::string file, int line, std::string message)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + message),
      file_(std::move(file)),
      line_(line),
      message_(std::move(message)) {}

namespace {

enum class Tok { End, Ident, Number, String, Punct };

struct Token {
  Tok kind = Tok::End;
  std::string text;
  int line = 0;
};

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::string Describe(const Token& t) {
  switch (t.kind) {
    case Tok::End: return "the end of the file";
    case Tok::String: return "a string";
    default: return "\"" + t.text + "\"";
  }
}

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The file as tokens; comments ("--" to the end of the line) and white space dropped.
std::vector<Token> Tokenize(std::string_view s, const std::string& file) {
  std::vector<Token> out;
  int line = 1;
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\n') {
      ++line;
      ++i;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      while (i < s.size() && s[i] != '\n') ++i;
    } else if (IsIdentStart(c)) {
      const std::size_t b = i;
      while (i < s.size() && IsWordChar(s[i])) ++i;
      out.push_back({Tok::Ident, std::string(s.substr(b, i - b)), line});
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      const std::size_t b = i;
      while (i < s.size() && (IsWordChar(s[i]) || s[i] == '.' ||
                              ((s[i] == '+' || s[i] == '-') && (s[i - 1] == 'e' || s[i - 1] == 'E'))))
        ++i;
      out.push_back({Tok::Number, std::string(s.substr(b, i - b)), line});
    } else if (c == '"') {
      std::string text;
      ++i;
      for (;;) {
        if (i >= s.size() || s[i] == '\n' || s[i] == '\r')
          throw ParseError(file, line, "expected the closing '\"' of a string on the same line");
        if (s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {  // "" stands for one quote
            text += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += s[i++];
      }
      out.push_back({Tok::String, std::move(text), line});
    } else if (c == ':' && i + 1 < s.size() && s[i + 1] == '=') {
      out.push_back({Tok::Punct, ":=", line});
      i += 2;
    } else if (std::string_view("():;,&.*[]").find(c) != std::string_view::npos) {
      out.push_back({Tok::Punct, std::string(1, c), line});
      ++i;
    } else {
      throw ParseError(file, line, std::string("unexpected character '") + c + "'");
    }
  }
  out.push_back({Tok::End, "", line});
  return out;
}

// A string value built from one or more literals joined by "&": its text and the line each
// literal began on, so that items inside it can be placed on their own lines.
struct StringValue {
  std::string text;
  std::vector<std::pair<std::size_t, int>> starts;  // (offset, line)
  int LineAt(std::size_t offset) const {
    int line = starts.empty() ? 0 : starts.front().second;
    for (const auto& [o, l] : starts) {
      if (o > offset) break;
      line = l;
    }
    return line;
  }
};

// Items inside a string value: words (names, numbers, bit patterns) and punctuation.
class ItemScanner {
 public:
  ItemScanner(const StringValue& v, const std::string& file, std::string what)
      : v_(v), file_(file), what_(std::move(what)) {}

  bool AtEnd() {
    Skip();
    return pos_ >= v_.text.size();
  }
  int Line() {
    Skip();
    return v_.LineAt(pos_ < v_.text.size() ? pos_ : (v_.text.empty() ? 0 : v_.text.size() - 1));
  }
  bool PeekPunct(char c) {
    Skip();
    return pos_ < v_.text.size() && v_.text[pos_] == c;
  }
  bool TakePunct(char c) {
    if (!PeekPunct(c)) return false;
    ++pos_;
    return true;
  }
  void ExpectPunct(char c, const std::string& context) {
    if (!TakePunct(c)) Fail(std::string("expected '") + c + "' " + context + ", found " + Found());
  }
  std::string Word(const char* what) {
    Skip();
    const std::size_t b = pos_;
    while (pos_ < v_.text.size() && (IsWordChar(v_.text[pos_]) || v_.text[pos_] == '.')) ++pos_;
    if (b == pos_) Fail(std::string("expected ") + what + ", found " + Found());
    return v_.text.substr(b, pos_ - b);
  }
  int Integer(const char* what) {
    const int line = Line();
    const std::string w = Word(what);
    int n = 0;
    auto [p, ec] = std::from_chars(w.data(), w.data() + w.size(), n);
    if (ec != std::errc() || p != w.data() + w.size() || n < 0)
      throw ParseError(file_, line, std::string("expected ") + what + " (a number), found \"" + w + "\"");
    return n;
  }
  [[noreturn]] void Fail(const std::string& message) {
    throw ParseError(file_, Line(), message + " in " + what_);
  }
  std::string Found() {
    Skip();
    if (pos_ >= v_.text.size()) return "the end of the string";
    if (IsWordChar(v_.text[pos_])) {
      std::size_t e = pos_;
      while (e < v_.text.size() && IsWordChar(v_.text[e])) ++e;
      return "\"" + v_.text.substr(pos_, e - pos_) + "\"";
    }
    return std::string("'") + v_.text[pos_] + "'";
  }

 private:
  void Skip() {
    while (pos_ < v_.text.size() && std::isspace(static_cast<unsigned char>(v_.text[pos_]))) ++pos_;
  }
  const StringValue& v_;
  const std::string& file_;
  std::string what_;
  std::size_t pos_ = 0;
};

bool IsBitPattern(std::string_view s, bool allowX) {
  if (s.empty()) return false;
  for (char c : s)
    if (c != '0' && c != '1' && !(allowX && (c == 'X' || c == 'x'))) return false;
  return true;
}

std::string UpperPattern(std::string s) {
  for (char& c : s)
    if (c == 'x') c = 'X';
  return s;
}

class Parser {
 public:
  Parser(std::string_view text, std::string file) : file_(std::move(file)), t_(Tokenize(text, file_)) {}

  Description Run() {
    ExpectKeyword("entity", "at the start of the description");
    d_.entityLine.value = Peek().line;
    d_.entity = ExpectIdent("the entity name");
    ExpectKeyword("is", "after the entity name");
    for (;;) {
      const Token& tok = Peek();
      const std::string kw = tok.kind == Tok::Ident ? Upper(tok.text) : "";
      if (kw == "GENERIC") {
        ParseGeneric();
      } else if (kw == "PORT") {
        ParsePorts();
      } else if (kw == "USE") {
        ParseUse();
      } else if (kw == "ATTRIBUTE") {
        ParseAttribute();
      } else if (kw == "CONSTANT") {
        ParseConstant();
      } else if (kw == "END") {
        Next();
        if (Peek().kind == Tok::Ident) {
          const Token name = Next();
          if (!SameName(name.text, d_.entity))
            Fail(name, "expected \"end " + d_.entity + ";\", found the name \"" + name.text + "\"");
        }
        ExpectPunct(";", "after \"end " + d_.entity + "\"");
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
  const Token& Peek() const { return t_[i_]; }
  Token Next() {
    Token t = t_[i_];
    if (t.kind != Tok::End) ++i_;
    return t;
  }
  [[noreturn]] void Fail(const Token& at, const std::string& message) const {
    throw ParseError(file_, at.line, message);
  }
  bool IsPunct(const char* p) const { return Peek().kind == Tok::Punct && Peek().text == p; }
  void ExpectPunct(const char* p, const std::string& context) {
    if (!IsPunct(p)) Fail(Peek(), std::string("expected '") + p + "' " + context + ", found " + Describe(Peek()));
    Next();
  }
  std::string ExpectIdent(const std::string& what) {
    if (Peek().kind != Tok::Ident) Fail(Peek(), "expected " + what + ", found " + Describe(Peek()));
    return Next().text;
  }
  void ExpectKeyword(const char* kw, const std::string& context) {
    if (Peek().kind != Tok::Ident || Upper(Peek().text) != Upper(kw))
      Fail(Peek(), "expected \"" + std::string(kw) + "\" " + context + ", found " + Describe(Peek()));
    Next();
  }

  // "generic (PHYSICAL_PIN_MAP : string := "name");"
  void ParseGeneric() {
    Next();
    ExpectPunct("(", "after \"generic\"");
    for (;;) {
      const std::string name = ExpectIdent("a generic name");
      ExpectPunct(":", "after the generic name");
      ExpectIdent("the generic's type");
      if (IsPunct(":=")) {
        Next();
        const StringValue v = ParseString("the default of " + name);
        if (SameName(name, "PHYSICAL_PIN_MAP")) d_.defaultPinMap = Trim(v.text);
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
      std::vector<std::pair<std::string, int>> names;
      names.emplace_back(Peek().text, Peek().line);
      ExpectIdent("a port name");
      while (IsPunct(",")) {
        Next();
        names.emplace_back(Peek().text, Peek().line);
        ExpectIdent("a port name after ','");
      }
      ExpectPunct(":", "after the port name(s)");
      const Token modeTok = Peek();
      const std::string mode = Upper(ExpectIdent("a port mode (in, out, inout, buffer or linkage)"));
      Port proto;
      if (mode == "IN") proto.mode = PortMode::In;
      else if (mode == "OUT") proto.mode = PortMode::Out;
      else if (mode == "INOUT") proto.mode = PortMode::InOut;
      else if (mode == "BUFFER") proto.mode = PortMode::Buffer;
      else if (mode == "LINKAGE") proto.mode = PortMode::Linkage;
      else Fail(modeTok, "expected a port mode (in, out, inout, buffer or linkage), found \"" + modeTok.text + "\"");
      const Token typeTok = Peek();
      const std::string type = Upper(ExpectIdent("a port type (bit or bit_vector)"));
      if (type == "BIT_VECTOR") {
        proto.isVector = true;
        ExpectPunct("(", "after bit_vector");
        proto.first = ExpectInteger("the first index of the vector");
        const Token dir = Peek();
        const std::string d = Upper(ExpectIdent("\"to\" or \"downto\""));
        if (d != "TO" && d != "DOWNTO") Fail(dir, "expected \"to\" or \"downto\", found \"" + dir.text + "\"");
        proto.downto = d == "DOWNTO";
        proto.last = ExpectInteger("the last index of the vector");
        ExpectPunct(")", "after the vector range");
      } else if (type != "BIT") {
        Fail(typeTok, "expected a port type (bit or bit_vector), found \"" + typeTok.text + "\"");
      }
      for (auto& [n, line] : names) {
        Port p = proto;
        p.name = n;
        p.line.value = line;
        d_.ports.push_back(std::move(p));
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
    d_.uses.push_back(ExpectIdent("a package name after \"use\""));
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
      Fail(t, "expected " + what + " (a whole number), found \"" + t.text + "\"");
    return n;
  }

  // One or more string literals joined by "&".
  StringValue ParseString(const std::string& what) {
    StringValue v;
    for (;;) {
      if (Peek().kind != Tok::String) Fail(Peek(), "expected a string for " + what + ", found " + Describe(Peek()));
      const Token s = Next();
      v.starts.emplace_back(v.text.size(), s.line);
      v.text += s.text;
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
    const std::string name = ExpectIdent("a constant name");
    ExpectPunct(":", "after the constant name");
    const std::string type = Upper(ExpectIdent("the constant's type"));
    ExpectPunct(":=", "after the constant's type");
    if (type != "PIN_MAP_STRING") {
      SkipStatement();
      return;
    }
    const StringValue v = ParseString("the pin map " + name);
    ExpectPunct(";", "after the pin map " + name);
    PinMap map;
    map.name = name;
    map.line.value = nameTok.line;
    ItemScanner s(v, file_, "the pin map " + name);
    while (!s.AtEnd()) {
      PinMapEntry e;
      e.line.value = s.Line();
      e.port = s.Word("a port name");
      s.ExpectPunct(':', "after the port name " + e.port);
      if (s.TakePunct('(')) {
        e.list = true;
        do e.pins.push_back(s.Word("a pin name"));
        while (s.TakePunct(','));
        s.ExpectPunct(')', "after the pin list of " + e.port);
      } else {
        e.pins.push_back(s.Word("a pin name"));
      }
      map.entries.push_back(std::move(e));
      if (!s.TakePunct(',')) break;
    }
    if (!s.AtEnd()) s.Fail("expected ',' between pin map entries, found " + s.Found());
    d_.pinMaps.push_back(std::move(map));
  }

  // "attribute NAME of TARGET : CLASS is VALUE;"
  void ParseAttribute() {
    Next();
    const Token nameTok = Peek();
    const std::string name = Upper(ExpectIdent("an attribute name"));
    ExpectKeyword("of", "after the attribute name " + nameTok.text);
    const std::string target = ExpectIdent("the name the attribute " + nameTok.text + " applies to");
    ExpectPunct(":", "after \"" + nameTok.text + " of " + target + "\"");
    ExpectIdent("an entity class (entity or signal)");
    ExpectKeyword("is", "after the entity class");
    const std::string what = "the attribute " + nameTok.text;
    auto end = [&] { ExpectPunct(";", "at the end of " + what); };
    const int line = nameTok.line;

    if (name == "COMPONENT_CONFORMANCE") {
      d_.conformance = Trim(ParseString(what).text);
      end();
    } else if (name == "TAP_SCAN_IN" || name == "TAP_SCAN_OUT" || name == "TAP_SCAN_MODE" || name == "TAP_SCAN_RESET") {
      const Token v = Peek();
      if (Upper(ExpectIdent("true")) != "TRUE") Fail(v, "expected true for " + what + ", found \"" + v.text + "\"");
      end();
      TapSignal& s = name == "TAP_SCAN_IN" ? d_.tdi : name == "TAP_SCAN_OUT" ? d_.tdo : name == "TAP_SCAN_MODE" ? d_.tms : d_.trst;
      s.port = target;
      s.line.value = line;
    } else if (name == "TAP_SCAN_CLOCK") {
      ExpectPunct("(", "to open the frequency and halt state of " + what);
      const Token f = Peek();
      if (f.kind != Tok::Number) Fail(f, "expected the maximum TCK frequency (a number), found " + Describe(f));
      Next();
      char* endp = nullptr;
      d_.tckMaxFrequency = std::strtod(f.text.c_str(), &endp);
      if (!endp || *endp != 0) Fail(f, "expected the maximum TCK frequency (a number), found \"" + f.text + "\"");
      ExpectPunct(",", "after the TCK frequency");
      const Token h = Peek();
      d_.tckHalt = Upper(ExpectIdent("the TCK halt state (LOW or BOTH)"));
      if (d_.tckHalt != "LOW" && d_.tckHalt != "BOTH") Fail(h, "expected the TCK halt state (LOW or BOTH), found \"" + h.text + "\"");
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
        d_.privateInstructions.push_back(s.Word("an instruction name"));
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
      d_.designWarning = ParseString(what).text;
      end();
    } else if (name == "COMPLIANCE_PATTERNS") {
      d_.compliancePatterns = Trim(ParseString(what).text);
      end();
    } else {
      SkipStatement();  // PIN_MAP, 1149.6 and vendor attributes
    }
  }

  // A register pattern ("0101", "XXXX0001..."), white space removed.
  std::string Pattern(const StringValue& v, const std::string& what, int line) {
    std::string p;
    for (char c : v.text)
      if (!std::isspace(static_cast<unsigned char>(c))) p += c;
    if (!IsBitPattern(p, true))
      throw ParseError(file_, line, "expected a bit pattern of 0, 1 and X for " + what + ", found \"" + p + "\"");
    return UpperPattern(p);
  }

  // "BYPASS (11111111, 10000100), EXTEST (00000000), ..."
  void ParseOpcodes(const StringValue& v, const std::string& what) {
    ItemScanner s(v, file_, what);
    while (!s.AtEnd()) {
      Instruction ins;
      ins.line.value = s.Line();
      ins.name = s.Word("an instruction name");
      s.ExpectPunct('(', "after the instruction name " + ins.name);
      do {
        const int line = s.Line();
        std::string op = s.Word("an opcode");
        if (!IsBitPattern(op, true))
          throw ParseError(file_, line, "expected an opcode of 0, 1 and X for " + ins.name + ", found \"" + op + "\"");
        ins.opcodes.push_back(UpperPattern(std::move(op)));
      } while (s.TakePunct(','));
      s.ExpectPunct(')', "after the opcodes of " + ins.name);
      d_.instructions.push_back(std::move(ins));
      if (!s.TakePunct(',')) break;
    }
    if (!s.AtEnd()) s.Fail("expected ',' between instructions, found " + s.Found());
  }

  // "BOUNDARY (EXTEST, SAMPLE), IOCSR[21388] (CONFIG_IO), ..."
  void ParseRegisterAccess(const StringValue& v, const std::string& what) {
    ItemScanner s(v, file_, what);
    while (!s.AtEnd()) {
      RegisterAccess r;
      r.line.value = s.Line();
      r.reg = s.Word("a register name");
      if (s.TakePunct('[')) {
        r.length = s.Integer("the register length");
        s.ExpectPunct(']', "after the length of " + r.reg);
      }
      s.ExpectPunct('(', "after the register " + r.reg);
      do r.instructions.push_back(s.Word("an instruction name"));
      while (s.TakePunct(','));
      s.ExpectPunct(')', "after the instructions of " + r.reg);
      d_.registerAccess.push_back(std::move(r));
      if (!s.TakePunct(',')) break;
    }
    if (!s.AtEnd()) s.Fail("expected ',' between register entries, found " + s.Found());
  }

  // "0 (BC_1, IOA25, input, X), 2 (BC_1, IOA25, output3, X, 1, 1, Z), ..."
  void ParseCells(const StringValue& v, const std::string& what) {
    ItemScanner s(v, file_, what);
    while (!s.AtEnd()) {
      Cell c;
      c.line.value = s.Line();
      c.number = s.Integer("a cell number");
      const std::string ctx = "of cell " + std::to_string(c.number);
      s.ExpectPunct('(', "after the cell number " + std::to_string(c.number));
      c.cell = s.Word("a cell type");
      s.ExpectPunct(',', "after the cell type " + ctx);
      if (s.TakePunct('*')) {
        c.port = "*";
      } else {
        c.port = s.Word("a port name or '*'");
        if (s.TakePunct('(')) {
          c.port += "(" + std::to_string(s.Integer("a vector index")) + ")";
          s.ExpectPunct(')', "after the vector index " + ctx);
        }
      }
      s.ExpectPunct(',', "after the port " + ctx);
      c.function = s.Word("a cell function");
      s.ExpectPunct(',', "after the function " + ctx);
      const int safeLine = s.Line();
      const std::string safe = s.Word("a safe value (0, 1 or X)");
      if (safe.size() != 1 || !IsBitPattern(safe, true))
        throw ParseError(file_, safeLine, "expected a safe value (0, 1 or X) " + ctx + ", found \"" + safe + "\"");
      c.safe = UpperPattern(safe)[0];
      if (s.TakePunct(',')) {
        c.control = s.Integer("a control cell number");
        s.ExpectPunct(',', "after the control cell " + ctx);
        const int dvLine = s.Line();
        const std::string dv = s.Word("a disable value (0 or 1)");
        if (dv != "0" && dv != "1")
          throw ParseError(file_, dvLine, "expected a disable value (0 or 1) " + ctx + ", found \"" + dv + "\"");
        c.disableValue = dv[0];
        s.ExpectPunct(',', "after the disable value " + ctx);
        c.disableResult = s.Word("a disable result (Z, WEAK0, WEAK1, PULL0, PULL1 or KEEPER)");
      }
      s.ExpectPunct(')', "to close the cell " + std::to_string(c.number));
      d_.cells.push_back(std::move(c));
      if (!s.TakePunct(',')) break;
    }
    if (!s.AtEnd()) s.Fail("expected ',' between cells, found " + s.Found());
  }

  std::string file_;
  std::vector<Token> t_;
  std::size_t i_ = 0;
  Description d_;
};

}  // namespace

Description Read(std::string_view text, std::string_view file) { return Parser(text, std::string(file)).Run(); }

Description ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ParseError(path, 0, "cannot open the file");
  std::ostringstream ss;
  ss << in.rdbuf();
  return Read(ss.str(), path);
}

}  // namespace s4::bsdl
