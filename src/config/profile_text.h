#pragma once
// The bytes of a profile (INI) file, read and edited by the plugin itself.
// Reading follows the Windows profile functions on a single-byte code page
// (blanks trimmed around sections, keys and values, one pair of matching
// quotes removed, names matched without regard to ASCII case, the first
// section and the first key of a name win), but hands every value on as the
// file holds it: no code page converts it on the way, so UTF-8 texts reach
// the plugin byte for byte on every Windows. An edit changes the one line it
// sets, or adds one (and the section line when there is none), and leaves
// every other byte of the file, line ends included, as it was.
//
// A file that starts with a UTF-8 byte-order mark is read after it. A file
// saved as UTF-16 (with its byte-order mark, as Notepad's "Unicode") is read
// as its UTF-8 text and edited in its own encoding.
#include <optional>
#include <string>
#include <string_view>

namespace lumora {

// The value of `key` in `section` ("" is the part in front of the first
// section line); nullopt when the file has no such section or key, when the
// key's line has no "=", or when the file is UTF-16 that does not decode.
std::optional<std::string> findProfileValue(std::string_view fileBytes, std::string_view section, std::string_view key);

// The file's bytes with `key` set to `value`: the first line of the key in
// place (its own spelling of the key kept), or else a new "key=value" line
// behind the section's last line that is not blank, or else the section line
// and the key's line at the end of the file. New lines end in CR LF. Leading
// blanks of the value are not written. nullopt for a UTF-16 file that would
// not keep its other bytes.
std::optional<std::string> withProfileValue(std::string_view fileBytes, std::string_view section, std::string_view key,
                                            std::string_view value);

}  // namespace lumora
