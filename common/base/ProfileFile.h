// The editor's settings file, read and written the way the desktop platform's profile services
// do it, so that a "Tavrel.ini" written on Windows reads the same here and ours reads back there:
// - "[section]" lines and "key=value" lines; blanks (Ctrl-Z among them) around section names,
//   keys and values are trimmed; names match without regard to ASCII case, and the first match
//   wins; the lines before the first section form the section "";
// - a section line ends at its last "]"; any other line is a key: one without "=" has no value
//   and reads as missing; comment lines (";", "#") are keys that no one asks for;
// - a value wrapped in one pair of matching quotes (" or ') is read without them; there are no
//   escapes, inline comments or lists; a NUL ends a name or a value;
// - lines end at CR LF, LF or a lone CR;
// - a file that starts with FF FE is UTF-16 little-endian, with FE FF UTF-16 big-endian, with
//   EF BB BF UTF-8; any other is 8-bit text, kept byte for byte. Names and values are Windows-1252
//   whatever the file holds: a character outside the code page reads as "?";
// - writing a key replaces its own line, or appends it to its section (a missing section is
//   appended at the end); every other line stays as it was, in the file's own encoding and mark;
//   lines end in CR LF; the file is replaced whole, or not at all.
#pragma once

#include <string>
#include <string_view>

#include "FileLayer.h"

namespace base {

// The value of key in section, or `fallback` when the file cannot be read or the section or key
// is missing. At most `maxChars` characters of the value are returned, as the platform fills a
// buffer of maxChars + 1: quotes holding exactly maxChars characters then give one fewer.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t maxChars = 65535, FileLayer& files = FileLayer::System());

// The key's value as an integer, read from its first 29 characters: leading blanks, an optional
// sign, "0x" for hexadecimal, "0o" for octal, "0b" for binary, then the digits up to the first
// that does not belong ("12abc" is 12, "abc" is 0), wrapped to 32 bits as the platform does
// ("4294967297" is 1, "2147483648" is -2147483648). `fallback` when the file cannot be read or
// the key is missing, and when its value is empty ("" counts as empty).
int ReadProfileInt(const std::string& path, std::string_view section, std::string_view key,
                   int fallback, FileLayer& files = FileLayer::System());

// Sets key in section to value, creating the file, section or key as needed; blanks around the
// section and key and before the value are dropped. False, with the file unchanged, when the
// file exists but cannot be read, when it cannot be written back as it was (UTF-16 of an odd
// length), when the write fails, or when the text would change the file's lines: a line end or
// NUL anywhere, "]" in or an empty section, "=" in a key or a key that starts with "[".
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value, FileLayer& files = FileLayer::System());

}  // namespace base
