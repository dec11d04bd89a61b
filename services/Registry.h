// Registry access: test, read, write, create and enumerate keys and values of this computer's
// registry or of another computer's. None of these operations ever throws.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Root handles, with the platform's values.
using RegistryRoot = uint32_t;
inline constexpr RegistryRoot HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr RegistryRoot HKEY_CURRENT_USER = 0x80000001u;
inline constexpr RegistryRoot HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr RegistryRoot HKEY_USERS = 0x80000003u;
inline constexpr RegistryRoot HKEY_CURRENT_CONFIG = 0x80000005u;

// A value read from the registry: text (text kinds, and the empty text for a failure or an
// unsupported kind), a 32-bit number, or the data bytes of a binary value.
using RegistryValue = std::variant<std::string, int32_t, std::vector<uint8_t>>;

// The value as text: a text as it is, a number in decimal, bytes as one character each.
std::string RegistryValueText(const RegistryValue& value);

// computer: blank (also only spaces) means this computer; otherwise the registry of the
// computer of that name (its own file of the registry store; a computer without one cannot be
// reached). Only HKEY_LOCAL_MACHINE and HKEY_USERS can be reached on another computer.
//
// Name lists: on success the names from index 0 in enumeration order; a key without subkeys
// (values) gives one empty name, {""}. On failure the list is EMPTY: its upper bound
// size()-1 is -1, so a loop from 0 to the upper bound does nothing, and callers test
// failure as `list.size() - 1 == -1`, that is `list.empty()`.

// True when the key can be opened.
bool RegistryKeyExists(RegistryRoot root, const std::string& keyPath, const std::string& computer);

// The value, by its kind:
//   text kinds (1, 2, 6-10): firstStringOnly set: the data up to its first NUL, trimmed of
//     blanks; clear: every NUL of the data (terminators included) turned into ";", trimmed, so
//     a text "abc" reads "abc;" and a multi-text of a and b reads "a;b;;". Not expanded.
//   binary (3): the data bytes.
//   numbers (4 little-endian, 5 big-endian): the signed 32-bit number.
//   anything else, and every failure: the empty text.
RegistryValue RegistryGetValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                               const std::string& computer, bool firstStringOnly);

// Writes value, creating the key path first. A numeric text (blanks, sign, digits, one decimal
// point, exponent) that does not have two dots ("1.2.3") is written as a 32-bit number rounded
// half to even, failing outside the 32-bit range; any other text is written trimmed as a text.
// True when the value was written.
bool RegistrySetValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                      const std::string& value, const std::string& computer);
// The same for a number (written as a 32-bit number by the same rule).
bool RegistrySetValue(RegistryRoot root, const std::string& keyPath, const std::string& valueName, double value,
                      const std::string& computer);

// True when the key exists afterwards; every missing key on the path is created.
bool RegistryCreateKey(RegistryRoot root, const std::string& keyPath, const std::string& computer);

// Names of the key's direct subkeys / of its values (see Name lists above).
std::vector<std::string> RegistryEnumKeys(RegistryRoot root, const std::string& keyPath, const std::string& computer);
std::vector<std::string> RegistryEnumValues(RegistryRoot root, const std::string& keyPath,
                                            const std::string& computer);
