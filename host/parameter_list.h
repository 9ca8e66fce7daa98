// Parameter strings: one flat text of named values, "Name=Value" entries joined by "|", as the
// host writes them for process commands, flow messages, stored option sets and more. The host
// reads and writes the same text, so the format below binds exactly:
//
//   - entries are separated by a single "|"; there is no quoting and no escape, so a name can
//     hold neither "=" nor "|" and a value cannot hold "|": when a name or value is stored,
//     "|" becomes the broken bar U+00A6 and "=" in a name the identical-to sign U+2261, so that what the
//     module writes reads back as the same entries (look-ups apply the same rule to the name
//     asked for);
//   - the first "=" of an entry ends its name; later "=" belong to the value; an entry without
//     "=" is dropped when read, and so is an entry whose name is empty or blank;
//   - names and values are trimmed of every character at or below the blank when stored;
//   - an empty value is written as one blank after "=" (and reads back empty).
//
// Names are looked up ignoring ASCII letter case; the list keeps duplicates, in the order
// they were added, and every look-up finds the first.
//
//   TParameterList p;
//   p.SetState(u"Target=HardDevice|Action=ResetDevice");
//   std::u16string action;
//   if (p.GetState_ParameterAsString(u"action", action)) ...
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace s4 {

// Strips every character at or below the blank from both ends, as the format requires.
std::u16string_view TrimParameterText(std::u16string_view s);
// A name or value as an item stores it: trimmed, with the separators the format cannot carry
// replaced (see above).
std::u16string StoredParameterName(std::u16string_view name);
std::u16string StoredParameterValue(std::u16string_view value);

class TParameter {
 public:
  TParameter(std::u16string_view name, std::u16string_view value);
  const std::u16string& Name() const { return FName; }
  const std::u16string& Value() const { return FValue; }
  void SetName(std::u16string_view name);
  void SetValue(std::u16string_view value);

 private:
  std::u16string FName;
  std::u16string FValue;
};

class TParameterList {
 public:
  // Clears the list, then reads the entries of `s`.
  void SetState(std::u16string_view s);
  // The same for UTF-8 text.
  void SetState_FromString(std::string_view s);
  // The items in list order in the text format.
  std::u16string GetState() const;
  std::string GetState_ToString() const;

  // The first item whose name equals the trimmed `name` ignoring letter case, or null.
  const TParameter* GetState_ParameterByName(std::u16string_view name) const;
  // Removes the first item of that name; false when there is none.
  bool SetState_RemoveByName(std::u16string_view name);

  // Appends an item (trimmed); nothing when the trimmed name is empty. No check for an
  // existing name.
  void SetState_AddParameter(std::u16string_view name, std::u16string_view value);
  void SetState_AddParameterAsString(std::u16string_view name, std::u16string_view value) {
    SetState_AddParameter(name, value);
  }
  void SetState_AddParameterAsBoolean(std::u16string_view name, bool value);
  void SetState_AddParameterAsInteger(std::u16string_view name, std::int32_t value);
  void SetState_AddParameterAsInt64(std::u16string_view name, std::int64_t value);
  // General format with up to 15 significant digits and "." whatever the locale.
  void SetState_AddParameterAsDouble(std::u16string_view name, double value);

  // Each answers whether the name is present. Unless said otherwise, an absent name or a value
  // that does not convert leaves `value` unchanged and answers false.
  // Absent: `value` is set empty.
  bool GetState_ParameterAsString(std::u16string_view name, std::u16string& value) const;
  // `value` is a new zero-terminated copy to release with ReleaseParameterPChar; absent: a
  // shared empty text (releasing it does nothing).
  bool GetState_ParameterAsPChar(std::u16string_view name, char16_t*& value) const;
  bool GetState_ParameterAsLongInt(std::u16string_view name, std::int32_t& value) const;
  bool GetState_ParameterAsInteger(std::u16string_view name, std::int32_t& value) const {
    return GetState_ParameterAsLongInt(name, value);
  }
  // Read as a 32-bit integer, then the low bits are stored without a range check.
  bool GetState_ParameterAsSmallInt(std::u16string_view name, std::int16_t& value) const;
  bool GetState_ParameterAsWord(std::u16string_view name, std::uint16_t& value) const;
  bool GetState_ParameterAsByte(std::u16string_view name, std::uint8_t& value) const;
  bool GetState_ParameterAsInt64(std::u16string_view name, std::int64_t& value) const;
  // `value` is true exactly for "True" in any letter case; any other text gives false. The
  // result says only whether the name is present (absent: `value` unchanged).
  bool GetState_ParameterAsBoolean(std::u16string_view name, bool& value) const;
  // As above, all bits set for true.
  bool GetState_ParameterAsWordBool(std::u16string_view name, std::int16_t& value) const;
  bool GetState_ParameterAsReal(std::u16string_view name, float& value) const;
  // True when the name is present; a value that does not convert throws std::invalid_argument.
  bool GetState_ParameterAsDouble(std::u16string_view name, double& value) const;

  void ClearAllParameters() { FItems.clear(); }

  std::size_t Count() const { return FItems.size(); }
  const TParameter& Item(std::size_t i) const { return *FItems.at(i); }

 private:
  std::vector<std::unique_ptr<TParameter>> FItems;
};

void ReleaseParameterPChar(char16_t* value);

// The value of `name` in the text `s`: false and an empty value when `s` is empty or the name
// is absent. The last text read is kept parsed, so asking several names of one text parses it
// once. For the user-interface thread, like every host call.
bool GetParameterFromString(std::u16string_view s, std::u16string_view name, std::u16string& value);

// Number and text conversions of the format, shared with other readers of host texts.
bool ParseParameterInt64(std::u16string_view text, std::int64_t& value);
bool ParseParameterDouble(std::u16string_view text, double& value);
std::u16string FormatParameterDouble(double value);

}  // namespace s4
