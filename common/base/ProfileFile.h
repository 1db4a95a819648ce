// The editor's settings file, read and written the way the desktop platform's profile services
// do it, so that a "Tavrel.ini" written on Windows reads the same here and ours reads back there:
// - "[section]" lines and "key=value" lines; blanks around section names, keys and values are
//   trimmed; names match without regard to ASCII case, and the first match wins;
// - a value wrapped in one pair of matching quotes (" or ') is read without them; there are no
//   escapes, inline comments or lists, and 8-bit bytes are kept as they are;
// - writing a key replaces its own line, or appends it to its section (a missing section is
//   appended); every other line stays as it was; lines end in CR LF; the file is replaced whole.
#pragma once

#include <string>
#include <string_view>

namespace base {

// The value of key in section, or `fallback` when the file, the section or the key is missing.
// At most `maxChars` characters of the value are returned.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t maxChars = 65535);

// The key's value as an integer: leading digits with an optional sign ("-12" is -12, "12abc"
// is 12), 0 for a value without digits, `fallback` when the key is missing.
int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int fallback);

// Sets key in section to value, creating the file, section or key as needed. False when the
// file could not be written; it is then unchanged.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace base
